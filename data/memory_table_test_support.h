// A table held in memory behind the data set's table interface, for the tests
// of the window and notification logic that must run without the store.
// Rows are kept in key order when the table is keyed.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "table_cursor.h"

namespace data::testing {

struct MemoryTable {
  std::vector<FieldDef> fields;
  int keyFieldCount = 0;
  bool readOnly = false;
  int codePage = 437;
  std::vector<CheckDef> checks;
  std::vector<std::pair<int64_t, Row>> rows;  // row id, values
  int64_t nextId = 1;
  int lockCount = 0;
  int unlockCount = 0;
  // Reads of single rows, to show that work is bounded by the window.
  int64_t rowReads = 0;

  void AddRow(std::vector<FieldValue> values);
};

class MemoryCursor : public TableCursor {
 public:
  explicit MemoryCursor(std::shared_ptr<MemoryTable> table) : table_(std::move(table)) {}

  const std::vector<FieldDef>& Fields() const override { return table_->fields; }
  int KeyFieldCount() const override { return table_->keyFieldCount; }
  bool ReadOnly() const override { return table_->readOnly; }
  int CodePage() const override { return table_->codePage; }
  std::vector<CheckDef> Checks() override { return table_->checks; }
  void SetToBegin() override { position_ = low_ - 1; }
  void SetToEnd() override { position_ = High(); }
  bool Next(Row& row) override;
  bool Prior(Row& row) override;
  Bookmark GetBookmark() override;
  bool GoToBookmark(const Bookmark& bookmark) override;
  int CompareBookmarks(const Bookmark& a, const Bookmark& b) override;
  bool Current(Row& row) override;
  int64_t RecordNumber() override { return position_ - low_ + 1; }
  int64_t RecordCount() override { return High() - low_; }
  bool GoToRecordNumber(int64_t number) override;
  std::string ReadBlob(const Row& row, int fieldNumber) override;
  Row Lock() override;
  void Unlock() override { ++table_->unlockCount; }
  Row BlankRow() override;
  void Insert(const Row& row) override;
  void Modify(const Row& row) override;
  void Delete() override;
  void Refresh() override {}
  bool FindNearest(const Row& key, int fieldCount) override;
  void SetRange(const RangeEnd& low, const RangeEnd& high) override;
  void ResetRange() override;

 private:
  bool OnRow() const { return position_ >= low_ && position_ < High(); }
  int64_t FirstAtOrAfter(const Row& key, int fieldCount, bool inclusive) const;
  void SortByKey();

  std::shared_ptr<MemoryTable> table_;
  int64_t position_ = -1;
  int64_t low_ = 0;
  int64_t highLimit_ = -1;  // -1: the end of the table
  int64_t High() const {
    return highLimit_ < 0 ? static_cast<int64_t>(table_->rows.size()) : highLimit_;
  }
};

class MemoryOpener : public TableOpener {
 public:
  std::map<std::string, std::shared_ptr<MemoryTable>> tables;
  std::unique_ptr<TableCursor> Open(const std::string& database, const std::string& table) override;
};

// A keyed table of n rows: ID (integer key), NAME (alpha 20), AMOUNT (number),
// NOTE (memo); row i holds ID i, NAME "Name<i>", AMOUNT i * 1.5.
std::shared_ptr<MemoryTable> NumberedTable(int rowCount);

}  // namespace data::testing
