// The table writer's upkeep of secondary indexes (secondary_index.h).
#include "pdx_codes.h"
#include "table_files.h"
#include "table_writer.h"

namespace pdx {
namespace {

// A stale hint (the table block a row was in) does not make an index out of
// date: other engines find the row by its key then, and a change here
// writes every hint anew.
bool SameRowsIgnoringHints(const std::vector<std::string>& a, const std::vector<std::string>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].size() != b[i].size() ||
        a[i].compare(0, a[i].size() - 2, b[i], 0, b[i].size() - 2) != 0)
      return false;
  return true;
}

}  // namespace

pdx_code TableWriter::OpenSecondaryIndexes(FileSystem* fs, const std::string& db_path,
                                           std::vector<Secondary>* secondary, std::string* error) {
  secondary->clear();
  std::unique_ptr<File> db;
  TableHeader table;
  std::string why;
  if (fs->Open(db_path, OpenMode::kRead, &db) != PDX_OK ||
      ReadTableHeader(db.get(), &table, &why) != PDX_OK)
    return PDX_OK;  // Load reports what is wrong with the data file
  std::vector<SecondaryIndex> indexes;
  std::vector<std::string> unreadable;
  if (pdx_code code = FindSecondaryIndexes(fs, db_path, table, &indexes, &unreadable);
      code != PDX_OK)
    return code;
  if (!unreadable.empty()) {
    *error = "the secondary index " + unreadable.front() + "; changes are refused";
    return PDX_ERR_CORRUPT_INDEX;
  }
  for (SecondaryIndex& index : indexes) {
    if (std::string refusal = index.WriteRefusal(table); !refusal.empty()) {
      *error = refusal;
      return PDX_ERR_NOT_SUPPORTED;
    }
    Secondary opened;
    if (fs->Open(index.x_path, OpenMode::kReadWrite, &opened.x) != PDX_OK ||
        fs->Open(index.y_path, OpenMode::kReadWrite, &opened.y) != PDX_OK) {
      *error = "cannot open the secondary index " + FileNameOf(index.x_path) + " for writing";
      return PDX_ERR_TABLE_READ_ONLY;
    }
    opened.index = std::move(index);
    secondary->push_back(std::move(opened));
  }
  return PDX_OK;
}

std::vector<File*> TableWriter::Files() const {
  std::vector<File*> files = {db_.get(), px_.get(), mb_.get()};
  for (const Secondary& s : secondary_) files.insert(files.end(), {s.x.get(), s.y.get()});
  return files;
}

pdx_code TableWriter::CollectRows(std::vector<std::string>* rows,
                                  std::vector<TableRow>* table_rows) {
  rows->clear();
  table_rows->clear();
  std::vector<uint16_t> blocks;
  for (size_t i = 0; i < chain_.size(); ++i) {
    std::vector<uint8_t>* data = nullptr;
    const uint16_t block = chain_[i].block;
    if (pdx_code code = ReadBlock(block, &data); code != PDX_OK) return code;
    for (int slot = 0; slot < chain_[i].count; ++slot) {
      rows->emplace_back(reinterpret_cast<const char*>(Row(*data, slot)), header_.record_size);
      blocks.push_back(block);
    }
    if (!blocks_.Find(block)->dirty) blocks_.Release(block);
  }
  for (size_t i = 0; i < rows->size(); ++i)
    table_rows->push_back({blocks[i], reinterpret_cast<const uint8_t*>((*rows)[i].data())});
  return PDX_OK;
}

pdx_code TableWriter::VerifySecondaryIndexes() {
  if (secondary_.empty()) return PDX_OK;
  std::vector<std::string> rows;
  std::vector<TableRow> table_rows;
  pdx_code code = CollectRows(&rows, &table_rows);
  for (size_t i = 0; code == PDX_OK && i < secondary_.size(); ++i) {
    const SecondaryIndex& index = secondary_[i].index;
    std::vector<std::string> stored;
    std::string why;
    if (!ReadIndexRows(fs_, index, &stored, &why)) {
      error_ = "the secondary index " + FileNameOf(index.x_path) + " is damaged (" + why +
               "); changes are refused";
      code = PDX_ERR_CORRUPT_INDEX;
    } else if (!SameRowsIgnoringHints(stored, ExpectedIndexRows(index, header_, table_rows))) {
      error_ = "the secondary index " + FileNameOf(index.x_path) +
               " is out of date; changes are refused";
      code = PDX_ERR_INDEX_OUT_OF_DATE;
    }
  }
  blocks_.Clear();
  return code;
}

pdx_code TableWriter::WriteSecondaryIndexes() {
  if (secondary_.empty()) return PDX_OK;
  std::vector<std::string> rows;
  std::vector<TableRow> table_rows;
  if (pdx_code code = CollectRows(&rows, &table_rows); code != PDX_OK) return code;
  for (size_t i = 0; i < secondary_.size(); ++i) {
    Secondary& s = secondary_[i];
    bool duplicate = false;
    const std::vector<std::string> expected =
        ExpectedIndexRows(s.index, header_, table_rows, &duplicate);
    if (duplicate && s.index.unique) {
      error_ = "Key violation.";
      return PDX_ERR_KEY_VIOLATION;
    }
    const int x_file = 3 + 2 * static_cast<int>(i);
    if (pdx_code code = WriteSecondaryIndex(&s.index, expected, s.y.get(), transaction_.get(),
                                            x_file, x_file + 1, &error_);
        code != PDX_OK)
      return code;
  }
  return PDX_OK;
}

}  // namespace pdx
