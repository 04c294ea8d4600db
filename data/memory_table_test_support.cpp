#include "memory_table_test_support.h"

#include <algorithm>
#include <stdexcept>

#include "data_set_error.h"

namespace data::testing {

namespace {
int Compare(const FieldValue& a, const FieldValue& b) {
  if (a < b) return -1;
  if (b < a) return 1;
  return 0;
}

int CompareKeys(const Row& a, const Row& b, int fieldCount) {
  for (int i = 0; i < fieldCount; ++i) {
    int order = Compare(a.values[static_cast<size_t>(i)], b.values[static_cast<size_t>(i)]);
    if (order != 0) return order;
  }
  return 0;
}
}  // namespace

void MemoryTable::AddRow(std::vector<FieldValue> values) {
  Row row;
  row.values = std::move(values);
  row.values.resize(fields.size());
  rows.emplace_back(nextId++, std::move(row));
}

bool MemoryCursor::Next(Row& row) {
  if (position_ < High()) ++position_;
  if (position_ < low_) position_ = low_;
  if (!OnRow()) return false;
  ++table_->rowReads;
  row = table_->rows[static_cast<size_t>(position_)].second;
  return true;
}

bool MemoryCursor::Prior(Row& row) {
  if (position_ >= low_) --position_;
  if (position_ > High()) position_ = High() - 1;
  if (!OnRow()) return false;
  ++table_->rowReads;
  row = table_->rows[static_cast<size_t>(position_)].second;
  return true;
}

Bookmark MemoryCursor::GetBookmark() {
  if (!OnRow()) throw EDatabaseError("No current record.");
  return std::to_string(table_->rows[static_cast<size_t>(position_)].first);
}

bool MemoryCursor::GoToBookmark(const Bookmark& bookmark) {
  int64_t id = std::stoll(bookmark);
  // The data set mostly asks for the row the cursor stands on or next to;
  // only other requests pay for the search.
  for (int64_t near = position_ - 1; near <= position_ + 1; ++near) {
    if (near >= 0 && near < static_cast<int64_t>(table_->rows.size()) &&
        table_->rows[static_cast<size_t>(near)].first == id) {
      position_ = near;
      return true;
    }
  }
  for (size_t i = 0; i < table_->rows.size(); ++i) {
    if (table_->rows[i].first == id) {
      position_ = static_cast<int64_t>(i);
      return true;
    }
  }
  return false;
}

int MemoryCursor::CompareBookmarks(const Bookmark& a, const Bookmark& b) {
  GoToBookmark(a);
  int64_t first = position_;
  GoToBookmark(b);
  return first < position_ ? -1 : (first > position_ ? 1 : 0);
}

bool MemoryCursor::Current(Row& row) {
  if (!OnRow()) return false;
  row = table_->rows[static_cast<size_t>(position_)].second;
  return true;
}

bool MemoryCursor::GoToRecordNumber(int64_t number) {
  if (number < 1 || number > RecordCount()) return false;
  position_ = low_ + number - 1;
  return true;
}

std::string MemoryCursor::ReadBlob(const Row& row, int fieldNumber) {
  // Blobs are kept whole in the record text of the row: "field=value".
  std::string prefix = std::to_string(fieldNumber) + "=";
  if (row.record.rfind(prefix, 0) == 0) return row.record.substr(prefix.size());
  return {};
}

Row MemoryCursor::Lock() {
  if (!OnRow()) throw EDatabaseError("No current record.");
  ++table_->lockCount;
  return table_->rows[static_cast<size_t>(position_)].second;
}

Row MemoryCursor::BlankRow() {
  Row row;
  row.values.resize(table_->fields.size());
  return row;
}

void MemoryCursor::SortByKey() {
  if (table_->keyFieldCount == 0) return;
  int count = table_->keyFieldCount;
  std::stable_sort(table_->rows.begin(), table_->rows.end(), [count](const auto& a, const auto& b) {
    return CompareKeys(a.second, b.second, count) < 0;
  });
}

void MemoryCursor::Insert(const Row& row) {
  if (table_->readOnly) throw EDatabaseError("Table is read only.");
  for (const auto& [id, existing] : table_->rows)
    if (table_->keyFieldCount > 0 && CompareKeys(existing, row, table_->keyFieldCount) == 0)
      throw EDatabaseError("Key violation.");
  int64_t id = table_->nextId++;
  table_->rows.emplace_back(id, row);
  for (auto& value : table_->rows.back().second.values)
    if (std::holds_alternative<UnreadBlob>(value)) value = FieldValue{};
  SortByKey();
  GoToBookmark(std::to_string(id));
}

void MemoryCursor::Modify(const Row& row) {
  if (!OnRow()) throw EDatabaseError("No current record.");
  int64_t id = table_->rows[static_cast<size_t>(position_)].first;
  bool keyChanged = CompareKeys(table_->rows[static_cast<size_t>(position_)].second, row,
                                table_->keyFieldCount) != 0;
  table_->rows[static_cast<size_t>(position_)].second = row;
  if (!keyChanged) return;
  SortByKey();
  GoToBookmark(std::to_string(id));
}

void MemoryCursor::Delete() {
  if (!OnRow()) throw EDatabaseError("No current record.");
  table_->rows.erase(table_->rows.begin() + position_);
}

int64_t MemoryCursor::FirstAtOrAfter(const Row& key, int fieldCount, bool inclusive) const {
  for (size_t i = 0; i < table_->rows.size(); ++i) {
    int order = CompareKeys(table_->rows[i].second, key, fieldCount);
    if (order > 0 || (inclusive && order == 0)) return static_cast<int64_t>(i);
  }
  return static_cast<int64_t>(table_->rows.size());
}

bool MemoryCursor::FindNearest(const Row& key, int fieldCount) {
  position_ = std::max(low_, FirstAtOrAfter(key, fieldCount, true));
  if (position_ >= High()) {
    position_ = High();
    return false;
  }
  return true;
}

void MemoryCursor::SetRange(const RangeEnd& low, const RangeEnd& high) {
  low_ = low.present ? FirstAtOrAfter(low.key, low.fieldCount, true) : 0;
  highLimit_ = high.present ? FirstAtOrAfter(high.key, high.fieldCount, false) : -1;
  position_ = low_ - 1;
}

void MemoryCursor::ResetRange() {
  low_ = 0;
  highLimit_ = -1;
  position_ = -1;
}

std::unique_ptr<TableCursor> MemoryOpener::Open(const std::string&, const std::string& table) {
  auto found = tables.find(table);
  if (found == tables.end()) throw EDatabaseError("Table does not exist.");
  return std::make_unique<MemoryCursor>(found->second);
}

std::shared_ptr<MemoryTable> NumberedTable(int rowCount) {
  auto table = std::make_shared<MemoryTable>();
  table->fields = {
      {1, "ID", 'I', 0}, {2, "NAME", 'A', 20}, {3, "AMOUNT", 'N', 0}, {4, "NOTE", 'M', 10}};
  table->keyFieldCount = 1;
  for (int i = 1; i <= rowCount; ++i)
    table->AddRow({int64_t{i}, "Name" + std::to_string(i), i * 1.5, UnreadBlob{}});
  return table;
}

}  // namespace data::testing
