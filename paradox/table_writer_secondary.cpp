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
    if (!index.maintained) continue;  // left as it is (SecondaryIndex::WriteRefusal)
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

pdx_code TableWriter::LoadSecondaryIndexes() {
  for (Secondary& s : secondary_)
    if (pdx_code code = s.writer.Load(s.index, header_, s.x.get(), s.y.get(), &error_);
        code != PDX_OK)
      return code;
  return PDX_OK;
}

pdx_code TableWriter::CheckRowForIndexes(const uint8_t* row, const uint8_t* replaced) {
  for (Secondary& s : secondary_) {
    if (std::string why = s.writer.Unfoldable(row); !why.empty()) {
      error_ = why;
      return PDX_ERR_NOT_SUPPORTED;
    }
    if (!s.index.unique) continue;
    bool repeats = false;
    if (pdx_code code = s.writer.Repeats(row, replaced, &repeats); code != PDX_OK) {
      error_ = s.writer.last_error();
      return code;
    }
    if (repeats) {
      error_ = "Key violation.";
      return PDX_ERR_KEY_VIOLATION;
    }
  }
  return PDX_OK;
}

// Each hook marks the operation as changing the files, so that a failure
// halfway reloads the indexes' state with the table's.
pdx_code TableWriter::SecondaryInserted(const uint8_t* row, uint16_t block) {
  if (!secondary_.empty()) changed_ = operation_changed_ = true;
  for (Secondary& s : secondary_)
    if (pdx_code code = s.writer.Inserted(row, block); code != PDX_OK) {
      error_ = s.writer.last_error();
      return code;
    }
  return PDX_OK;
}

pdx_code TableWriter::SecondaryRemoved(const uint8_t* row) {
  if (!secondary_.empty()) changed_ = operation_changed_ = true;
  for (Secondary& s : secondary_)
    if (pdx_code code = s.writer.Removed(row); code != PDX_OK) {
      error_ = s.writer.last_error();
      return code;
    }
  return PDX_OK;
}

pdx_code TableWriter::SecondaryMoved(const uint8_t* rows, int count, uint16_t block) {
  if (!secondary_.empty()) changed_ = operation_changed_ = true;
  for (Secondary& s : secondary_)
    for (int r = 0; r < count; ++r)
      if (pdx_code code =
              s.writer.Moved(rows + static_cast<size_t>(r) * header_.record_size, block);
          code != PDX_OK) {
        error_ = s.writer.last_error();
        return code;
      }
  return PDX_OK;
}

pdx_code TableWriter::SecondaryReplaced(const uint8_t* old_row, const uint8_t* row,
                                        uint16_t block) {
  for (Secondary& s : secondary_) {
    if (s.writer.SameEntry(old_row, row)) continue;
    changed_ = operation_changed_ = true;
    pdx_code code = s.writer.Removed(old_row);
    if (code == PDX_OK) code = s.writer.Inserted(row, block);
    if (code != PDX_OK) {
      error_ = s.writer.last_error();
      return code;
    }
  }
  return PDX_OK;
}

pdx_code TableWriter::WriteSecondaryIndexes() {
  for (size_t i = 0; i < secondary_.size(); ++i) {
    const int x_file = 3 + 2 * static_cast<int>(i);
    if (pdx_code code = secondary_[i].writer.Write(transaction_.get(), x_file, x_file + 1, &error_);
        code != PDX_OK)
      return code;
  }
  return PDX_OK;
}

size_t TableWriter::BatchBytes() const {
  size_t bytes = blocks_.size() * header_.BlockSize();
  for (const Secondary& s : secondary_) bytes += s.writer.HeldBytes();
  return bytes;
}

}  // namespace pdx
