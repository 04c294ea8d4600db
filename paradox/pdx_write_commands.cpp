#include "pdx_write_commands.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

#include "api_write.h"
#include "error_context.h"
#include "pdx_codes.h"
#include "record_checks.h"
#include "record_text.h"
#include "table.h"
#include "table_files.h"
#include "table_writer.h"

namespace pdx::tool {
namespace {

constexpr int kRefused = 1;
constexpr int kFailed = 2;
// A group commits early once the blocks it read and changed take this much
// memory (its commit holds them about three times over), so a large group
// in a large table stays within a few hundred megabytes.
constexpr size_t kGroupMemory = size_t{64} << 20;

std::string CodeLine(pdx_code code, const std::string& detail) {
  std::string line = CodeText(code);
  if (line.empty()) line = "engine error " + std::to_string(code);
  return OneLine(line, {detail});
}

int Fail(const std::string& table, const std::string& message) {
  std::fprintf(stderr, "pdx: %s: %s\n", table.c_str(), message.c_str());
  return kFailed;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> parts;
  size_t start = 0;
  for (;;) {
    size_t tab = line.find('\t', start);
    parts.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) return parts;
    start = tab + 1;
  }
}

bool ReadLine(std::FILE* input, std::string* line) {
  line->clear();
  int c;
  while ((c = std::getc(input)) != EOF && c != '\n') line->push_back(static_cast<char>(c));
  return c != EOF || !line->empty();
}

// One table opened for writing rows, with what the commands share.
class Session {
 public:
  pdx_code Open(const std::string& directory, const std::string& name, const WriteOptions& options,
                std::string* error) {
    name_ = name;
    Table::Options table_options;
    table_options.passwords = options.passwords;
    if (pdx_code code = Table::Open(FileSystem::Default(), directory, name, table_options, &table_);
        code != PDX_OK) {
      *error = CodeLine(code, ErrorContext().empty() ? "" : ErrorContext().back());
      return code;
    }
    const std::vector<FieldCheck>* checks = nullptr;
    if (pdx_code code = table_->Checks(&checks); code != PDX_OK) {
      *error = CodeLine(code, "");
      return code;
    }
    checks_ = *checks;
    if (pdx_code code = TableWriter::Open(FileSystem::Default(), table_->path(), &writer_, error);
        code != PDX_OK)
      return code;
    writer_->set_sync(options.sync);
    group_ = options.group < 1 ? 1 : options.group;
    progress_ = options.progress;
    return PDX_OK;
  }

  const std::vector<Field>& fields() const { return writer_->header().fields; }
  int key_fields() const { return writer_->header().key_fields; }
  int record_size() const { return writer_->header().record_size; }
  TableWriter* writer() { return writer_.get(); }
  // Long memo and blob values of the row being filled.
  const PendingBlobs* pending() const { return &long_values_; }
  void ForgetRow(const uint8_t* record) { long_values_.DropBuffer(record); }

  // Maps the input's first line to field indexes.
  bool Columns(const std::string& line, std::vector<int>* columns, std::string* error) {
    for (const std::string& name : SplitTabs(line)) {
      int found = -1;
      for (size_t i = 0; i < fields().size(); ++i)
        if (strcasecmp(fields()[i].name.c_str(), name.c_str()) == 0) found = static_cast<int>(i);
      if (found < 0) {
        *error = "the table has no field \"" + name + "\"";
        return false;
      }
      columns->push_back(found);
    }
    return true;
  }

  pdx_code Fill(const std::vector<int>& columns, const std::string& line, uint8_t* record,
                std::string* detail) {
    std::vector<std::string> values = SplitTabs(line);
    if (values.size() != columns.size()) {
      *detail = "expected " + std::to_string(columns.size()) + " values, found " +
                std::to_string(values.size());
      return PDX_ERR_INVALID_PARAMETER;
    }
    for (size_t i = 0; i < columns.size(); ++i)
      if (pdx_code code =
              PutFieldText(fields()[columns[i]], values[i], record, detail, &long_values_);
          code != PDX_OK)
        return code;
    return PDX_OK;
  }

  pdx_code Check(const uint8_t* record, std::string* detail) {
    std::string field;
    pdx_code code = CheckRecord(fields(), checks_, record, &field);
    if (code != PDX_OK) *detail = "Field: " + field;
    return code;
  }

  // where: "line 12", "key 3 (A-100)".
  void Refuse(const std::string& where, pdx_code code, const std::string& detail) {
    std::fprintf(stderr, "pdx: %s: %s: %s\n", name_.c_str(), where.c_str(),
                 CodeLine(code, detail).c_str());
    refused_ = true;
  }

  // Counts a written row; commits when the group is full.
  pdx_code Written() {
    if (++pending_ < group_ && writer_->BatchBytes() < kGroupMemory) return PDX_OK;
    return Commit();
  }

  pdx_code Begin() { return writer_->BeginBatch(); }

  pdx_code Commit() {
    if (pdx_code code = writer_->CommitBatch(); code != PDX_OK) return code;
    committed_ += pending_;
    pending_ = 0;
    if (progress_) {
      std::printf("%ld\n", committed_);
      std::fflush(stdout);
    }
    return writer_->BeginBatch();
  }

  int Finish() {
    pdx_code code = writer_->CommitBatch();
    if (code != PDX_OK) return Fail(name_, CodeLine(code, writer_->last_error()));
    committed_ += pending_;
    if (progress_) std::printf("%ld\n", committed_);
    return refused_ ? kRefused : 0;
  }

  int Abort(pdx_code code) {
    return Fail(name_, CodeLine(code, writer_->last_error()) +
                           " The rows of the last group were not written.");
  }

 private:
  std::string name_;
  std::unique_ptr<Table> table_;
  std::unique_ptr<TableWriter> writer_;
  PendingBlobs long_values_;
  std::vector<FieldCheck> checks_;
  int group_ = 100000;
  bool progress_ = false;
  bool refused_ = false;
  long pending_ = 0, committed_ = 0;
};

// A writer's refusal leaves the batch going; anything else ends the load.
bool IsRefusal(pdx_code code) {
  return code == PDX_ERR_KEY_VIOLATION || code == PDX_ERR_RECORD_NOT_FOUND ||
         code == PDX_ERR_REQUIRED || code == PDX_ERR_MINIMUM || code == PDX_ERR_MAXIMUM;
}

int LoadRows(const std::string& directory, const std::string& name, const WriteOptions& options,
             std::FILE* input, bool update) {
  Session session;
  std::string error;
  if (session.Open(directory, name, options, &error) != PDX_OK) return Fail(name, error);
  std::string line;
  std::vector<int> columns;
  if (!ReadLine(input, &line)) return Fail(name, "the input has no line of field names");
  if (!session.Columns(line, &columns, &error)) return Fail(name, error);
  if (update) {
    for (int k = 0; k < session.key_fields(); ++k)
      if (std::find(columns.begin(), columns.end(), k) == columns.end())
        return Fail(name, "update needs every key field in the input");
    if (session.key_fields() == 0) return Fail(name, "update needs a keyed table");
  }
  if (pdx_code code = session.Begin(); code != PDX_OK) return session.Abort(code);
  std::vector<uint8_t> record(session.record_size());
  for (long number = 2; ReadLine(input, &line); ++number) {
    std::string detail;
    std::fill(record.begin(), record.end(), 0);
    pdx_code code = PDX_OK;
    if (update) {
      // The row's key first, then the row as it is, then the new values.
      code = session.Fill(columns, line, record.data(), &detail);
      int64_t at = 0;
      bool found = false;
      if (code == PDX_OK) code = session.writer()->Locate(record.data(), &at, &found);
      if (code == PDX_OK && !found) code = PDX_ERR_RECORD_NOT_FOUND;
      if (code == PDX_OK) code = session.writer()->Read(at, record.data());
      if (code == PDX_OK) code = session.Fill(columns, line, record.data(), &detail);
      if (code == PDX_OK) code = session.Check(record.data(), &detail);
      if (code == PDX_OK)
        code = session.writer()->Modify(at, record.data(), nullptr, session.pending());
    } else {
      code = session.Fill(columns, line, record.data(), &detail);
      if (code == PDX_OK) code = session.Check(record.data(), &detail);
      if (code == PDX_OK)
        code = session.writer()->Insert(record.data(), nullptr, session.pending());
    }
    session.ForgetRow(record.data());
    if (code == PDX_OK) {
      if (code = session.Written(); code != PDX_OK) return session.Abort(code);
    } else if (IsRefusal(code) || detail.size() > 0) {
      session.Refuse("line " + std::to_string(number), code, detail);
    } else {
      return session.Abort(code);
    }
  }
  return session.Finish();
}

}  // namespace

int CreateCommand(const std::string& schema_file, const std::string& directory,
                  const std::string& name) {
  std::ifstream in(schema_file, std::ios::binary);
  if (!in) return Fail(schema_file, "cannot read the schema file");
  std::stringstream text;
  text << in.rdbuf();
  ClearErrorContext();
  if (pdx_code code = api::CreateTableFromSchema(directory, name, text.str()); code != PDX_OK) {
    return Fail(name, OneLine(CodeText(code), ErrorContext()));
  }
  return 0;
}

int InsertCommand(const std::string& directory, const std::string& name,
                  const WriteOptions& options, std::FILE* input) {
  return LoadRows(directory, name, options, input, false);
}

int UpdateCommand(const std::string& directory, const std::string& name,
                  const WriteOptions& options, std::FILE* input) {
  return LoadRows(directory, name, options, input, true);
}

int DeleteCommand(const std::string& directory, const std::string& name,
                  const WriteOptions& options, const std::vector<std::string>& keys) {
  Session session;
  std::string error;
  if (session.Open(directory, name, options, &error) != PDX_OK) return Fail(name, error);
  if (session.key_fields() == 0) return Fail(name, "delete needs a keyed table");
  std::vector<int> columns;
  for (int k = 0; k < session.key_fields(); ++k) columns.push_back(k);
  if (pdx_code code = session.Begin(); code != PDX_OK) return session.Abort(code);
  std::vector<uint8_t> record(session.record_size());
  long argument = 0;
  for (const std::string& key : keys) {
    ++argument;
    std::string detail;
    std::fill(record.begin(), record.end(), 0);
    pdx_code code = session.Fill(columns, key, record.data(), &detail);
    int64_t at = 0;
    bool found = false;
    if (code == PDX_OK) code = session.writer()->Locate(record.data(), &at, &found);
    if (code == PDX_OK && !found) code = PDX_ERR_RECORD_NOT_FOUND;
    if (code == PDX_OK) code = session.writer()->Delete(at);
    if (code == PDX_OK) {
      if (code = session.Written(); code != PDX_OK) return session.Abort(code);
    } else if (IsRefusal(code) || detail.size() > 0) {
      session.Refuse("key " + std::to_string(argument) + " (" + key + ")", code, detail);
    } else {
      return session.Abort(code);
    }
  }
  return session.Finish();
}

bool IsWriteCommand(const std::string& word) {
  return word == "create" || word == "insert" || word == "update" || word == "delete";
}

int RunWriteCommand(const std::vector<std::string>& words,
                    const std::vector<std::string>& passwords) {
  WriteOptions options;
  options.passwords = passwords;
  std::vector<std::string> rest;
  for (size_t i = 1; i < words.size(); ++i) {
    if (words[i] == "--group" && i + 1 < words.size()) {
      options.group = std::atoi(words[++i].c_str());
      if (options.group < 1) return Fail("pdx", "--group needs a positive number");
    } else if (words[i] == "--progress") {
      options.progress = true;
    } else if (words[i] == "--no-sync") {
      options.sync = false;
    } else {
      rest.push_back(words[i]);
    }
  }
  const std::string& command = words[0];
  const size_t needed = command == "create" ? 2 : 1;
  if (rest.size() < needed || (command != "delete" && rest.size() != needed)) {
    std::fprintf(stderr,
                 "usage: pdx create SCHEMA TABLE | insert TABLE | update TABLE | "
                 "delete TABLE KEY...\n");
    return kFailed;
  }
  const std::string& table = command == "create" ? rest[1] : rest[0];
  std::string directory, name;
  SplitTablePath(table, &directory, &name);
  if (command == "create") return CreateCommand(rest[0], directory, name);
  if (command == "insert") return InsertCommand(directory, name, options, stdin);
  if (command == "update") return UpdateCommand(directory, name, options, stdin);
  return DeleteCommand(directory, name, options, {rest.begin() + 1, rest.end()});
}

}  // namespace pdx::tool
