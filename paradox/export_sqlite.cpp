#include "export_sqlite.h"

#include <strings.h>

#include <algorithm>
#include <filesystem>
#include <memory>

#include "row_loader.h"
#include "sqlite_file.h"
#include "table_rows.h"
#include "table_text.h"

namespace pdx::tool {
namespace {

const char* ColumnType(FieldType type) {
  switch (type) {
    case FieldType::kShort:
    case FieldType::kLong:
    case FieldType::kAutoIncrement:
    case FieldType::kLogical:
      return "INTEGER";
    case FieldType::kNumber:
    case FieldType::kMoney:
    case FieldType::kBcd:
      return "REAL";
    case FieldType::kBytes:
    case FieldType::kFormattedMemo:
    case FieldType::kBlob:
    case FieldType::kOle:
    case FieldType::kGraphic:
      return "BLOB";
    default:
      return "TEXT";
  }
}

// Outcomes of an insert besides the store's codes, which reading never
// answers.
constexpr pdx_code kRowRefused = PDX_ERR_KEY_VIOLATION;
constexpr pdx_code kDatabaseFailed = PDX_ERR_WRITE;

bool IsIntegerKey(const Field& field) {
  return field.type == FieldType::kShort || field.type == FieldType::kLong ||
         field.type == FieldType::kAutoIncrement;
}

// One Paradox table copied into one SQLite table.
class TableCopy {
 public:
  TableCopy(TableRows* rows, const TableText* text, SqliteFile* target)
      : rows_(rows), text_(text), target_(target), converted_(rows->fields().size()) {}
  ~TableCopy() { Close(); }
  void Close() {
    sqlite3_finalize(insert_);
    insert_ = nullptr;
  }

  // Creates the table. first_row_read: whether the cursor is on a first row.
  //
  // A single integer key becomes SQLite's row id, which saves SQLite an
  // index, unless the first row's key is blank (a blank key sorts first):
  // a row id cannot be NULL, and SQLite would number that row instead. A
  // column of type INTEGER that is the whole primary key is always the row
  // id, so such a key column is declared INT, which reads alike.
  bool Create(const std::string& name, bool first_row_read, std::string* error) {
    const std::vector<Field>& fields = rows_->fields();
    const int keys = rows_->key_fields();
    const bool integer_key = keys == 1 && IsIntegerKey(fields[0]);
    bool row_id_key = integer_key;
    if (row_id_key && first_row_read) {
      Value value;
      row_id_key = rows_->Get(0, &value) == PDX_OK && value.kind != ValueKind::kBlank;
    }
    row_id_key_ = row_id_key;
    std::string create = "CREATE TABLE " + QuoteName(name) + " (";
    std::string insert = "INSERT INTO " + QuoteName(name) + " VALUES (";
    for (size_t i = 0; i < fields.size(); ++i) {
      if (i > 0) create += ", ", insert += ", ";
      const bool blank_key = i == 0 && integer_key && !row_id_key;
      create +=
          QuoteName(Utf8(fields[i].name)) + " " + (blank_key ? "INT" : ColumnType(fields[i].type));
      if (i == 0 && row_id_key) create += " PRIMARY KEY";
      insert += "?";
    }
    if (keys > 0 && !row_id_key) {
      create += ", PRIMARY KEY (";
      for (int k = 0; k < keys; ++k)
        create += (k > 0 ? ", " : "") + QuoteName(Utf8(fields[k].name));
      create += ")";
    }
    create += ")";
    insert += ")";
    if (!target_->Execute(create, error)) return false;
    if (sqlite3_prepare_v2(target_->db(), insert.c_str(), -1, &insert_, nullptr) != SQLITE_OK) {
      *error = target_->Message();
      return false;
    }
    return true;
  }

  // Inserts the current row. A failure to read it answers its code; a row
  // SQLite refuses answers kRowRefused, and a failure of the database
  // kDatabaseFailed, both with *error set.
  pdx_code Insert(std::string* error) {
    Value value;
    for (size_t i = 0; i < rows_->fields().size(); ++i) {
      if (pdx_code code = rows_->Get(i, &value); code != PDX_OK) return code;
      const int column = static_cast<int>(i) + 1;
      switch (value.kind) {
        case ValueKind::kBlank:
          if (i == 0 && row_id_key_) {
            *error = "a blank key after the first row cannot be a row id";
            return kRowRefused;
          }
          sqlite3_bind_null(insert_, column);
          break;
        case ValueKind::kInteger:
        case ValueKind::kLogical:
          sqlite3_bind_int64(insert_, column, value.integer);
          break;
        case ValueKind::kReal:
        case ValueKind::kDecimal:
          sqlite3_bind_double(insert_, column, value.real);
          break;
        case ValueKind::kDate:
        case ValueKind::kTime:
        case ValueKind::kTimestamp:
          BindText(column, value.text);
          break;
        case ValueKind::kText:
          if (IsAscii(value.text)) {
            BindText(column, value.text);
          } else {
            std::string& utf8 = converted_[i];
            utf8.clear();
            text_->AppendUtf8(value.text, &utf8);
            BindText(column, utf8);
          }
          break;
        case ValueKind::kBytes:
          sqlite3_bind_blob64(insert_, column, value.text.data(), value.text.size(), SQLITE_STATIC);
          break;
      }
    }
    const int rc = sqlite3_step(insert_);
    sqlite3_reset(insert_);
    if (rc != SQLITE_DONE) {
      *error = target_->Message();
      // A row that breaks the key (a damaged table's repeated key, BCD keys
      // that differ beyond a double's digits) spoils its table only.
      return (rc & 0xFF) == SQLITE_CONSTRAINT ? kRowRefused : kDatabaseFailed;
    }
    return PDX_OK;
  }

  // The table's secondary indexes as SQLite indexes, made once the rows are
  // in. Index names are the database's, not the table's, so each carries its
  // table's name.
  bool CreateIndexes(const std::string& name, std::string* error) {
    const std::vector<Field>& fields = rows_->fields();
    for (const SecondaryIndex& index : rows_->secondary_indexes()) {
      std::string create = std::string("CREATE ") + (index.unique ? "UNIQUE " : "") + "INDEX " +
                           QuoteName(name + " " + Utf8(index.name)) + " ON " + QuoteName(name) +
                           " (";
      for (size_t i = 0; i < index.fields.size(); ++i) {
        const int field = index.fields[i];
        if (field < 1 || field > static_cast<int>(fields.size())) continue;
        if (create.back() != '(') create += ", ";
        create += QuoteName(Utf8(fields[field - 1].name));
        if (index.case_insensitive) create += " COLLATE NOCASE";
        if (i < index.descending.size() && index.descending[i]) create += " DESC";
      }
      if (create.back() == '(') continue;
      if (!target_->Execute(create + ")", error)) return false;
    }
    return true;
  }

 private:
  void BindText(int column, std::string_view text) {
    sqlite3_bind_text64(insert_, column, text.data(), text.size(), SQLITE_STATIC, SQLITE_UTF8);
  }
  std::string Utf8(const std::string& text) {
    std::string utf8;
    text_->AppendUtf8(text, &utf8);
    return utf8;
  }

  TableRows* rows_;
  const TableText* text_;
  SqliteFile* target_;
  sqlite3_stmt* insert_ = nullptr;
  bool row_id_key_ = false;
  std::vector<std::string> converted_;  // per field, the UTF-8 bound for it
};

enum class Outcome { kExported, kTableFailed, kFileFailed };

// Copies one table. A table that cannot be read is left out whole
// (kTableFailed); a failure of the database ends the export (kFileFailed).
Outcome CopyTable(const std::string& table, const std::string& name, SqliteFile* target,
                  const ExportOptions& options) {
  std::unique_ptr<TableRows> rows;
  std::string error;
  if (TableRows::Open(table, options.passwords, &rows, &error) != PDX_OK) {
    Fail(table, error);
    return Outcome::kTableFailed;
  }
  std::unique_ptr<TableText> text;
  if (!TableText::Make(options.code_page != 0 ? options.code_page : rows->code_page(), &text,
                       &error)) {
    Fail(table, error);
    return Outcome::kTableFailed;
  }
  const std::string table_name = name.empty() ? rows->stem() : name;
  bool exists = false;
  if (!target->HasTable(table_name, &exists, &error))
    return Fail(table, error), Outcome::kFileFailed;
  if (exists) {
    Fail(table, "the SQLite database already has a table named \"" + table_name + "\"");
    return Outcome::kTableFailed;
  }
  pdx_code code = rows->Next();
  if (code != PDX_OK && code != PDX_ERR_EOF) {
    Fail(table, rows->error(code));
    return Outcome::kTableFailed;
  }
  TableCopy copy(rows.get(), text.get(), target);
  if (!copy.Create(table_name, code == PDX_OK, &error)) {
    Fail(table, error);
    // A plain SQL error is the table's (field names SQLite takes for one
    // name); a full disk or an unwritable file ends the export.
    return target->Code() == SQLITE_ERROR ? Outcome::kTableFailed : Outcome::kFileFailed;
  }
  const int64_t total = rows->row_count();
  int64_t done = 0;
  for (; code == PDX_OK; code = rows->Next()) {
    if (code = copy.Insert(&error); code != PDX_OK) break;
    if (++done % kProgressRows == 0 && options.progress) ReportProgress(table, done, total);
  }
  if (code == PDX_ERR_EOF) {
    if (copy.CreateIndexes(table_name, &error)) {
      if (options.progress) ReportProgress(table, done, total);
      return Outcome::kExported;
    }
    Fail(table, error);
    code = target->Code() == SQLITE_ERROR || target->Code() == SQLITE_CONSTRAINT ? kRowRefused
                                                                                 : kDatabaseFailed;
    copy.Close();
    if (!target->Execute("DROP TABLE " + QuoteName(table_name), &error))
      return Outcome::kFileFailed;
    return code == kDatabaseFailed ? Outcome::kFileFailed : Outcome::kTableFailed;
  }
  if (code == kRowRefused)
    Fail(table, "row " + std::to_string(done + 1) + ": " + error);
  else
    Fail(table, code == kDatabaseFailed ? error : rows->error(code));
  // What was copied goes again, so that no table is there in part.
  copy.Close();
  if (!target->Execute("DROP TABLE " + QuoteName(table_name), &error)) return Outcome::kFileFailed;
  return code == kDatabaseFailed ? Outcome::kFileFailed : Outcome::kTableFailed;
}

// The tables of a directory: its .DB files, by name, except the database
// written, which people often name .db as well.
std::vector<std::string> TablesIn(const std::string& directory, const std::string& database) {
  std::vector<std::string> tables;
  std::error_code ec;
  for (const auto& entry : std::filesystem::directory_iterator(directory, ec)) {
    const std::string extension = entry.path().extension().string();
    if (entry.is_regular_file(ec) && strcasecmp(extension.c_str(), ".db") == 0 &&
        !std::filesystem::equivalent(entry.path(), database, ec))
      tables.push_back(entry.path().string());
  }
  std::sort(tables.begin(), tables.end());
  return tables;
}

}  // namespace

int ExportSqlite(const std::string& source, const std::string& file, const ExportOptions& options) {
  std::error_code ec;
  const bool directory = std::filesystem::is_directory(source, ec);
  if (directory && !options.table_name.empty())
    return Fail(source, "--table names one table; a directory gives each its own name");
  const std::vector<std::string> tables = directory ? TablesIn(source, file) : std::vector{source};
  if (tables.empty()) return Fail(source, "the directory holds no tables");
  SqliteFile target;
  std::string error;
  if (!target.Open(file, &error)) return Fail(source, error);
  int exported = 0, failed = 0;
  for (const std::string& table : tables) {
    switch (CopyTable(table, options.table_name, &target, options)) {
      case Outcome::kExported:
        ++exported;
        break;
      case Outcome::kTableFailed:
        ++failed;
        break;
      case Outcome::kFileFailed:
        return kExitFailed;
    }
  }
  if (exported == 0) return kExitFailed;
  if (!target.Commit(&error)) return Fail(file, error);
  return failed > 0 ? kExitRefused : 0;
}

}  // namespace pdx::tool
