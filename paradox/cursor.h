// A position in a table's rows, in table order (the block chain's order,
// which is key order for keyed tables), optionally limited to a key range.
//
// Moving forward follows the blocks' links and needs nothing else, so a scan
// reads each block once. Row numbers, moving backward, finding keys and
// ranges use the table's chain index, built on first need.
#pragma once

#include <cstdint>
#include <vector>

#include "pdx_codes.h"
#include "table.h"

namespace pdx {

class Cursor {
 public:
  explicit Cursor(Table* table) : table_(table), cache_(&table->data()->cache()) {}

  Table* table() { return table_; }
  int record_size() const { return table_->header().record_size; }

  pdx_code SetToBegin();
  pdx_code SetToEnd();
  // Move one row and copy it into record (may be null).
  pdx_code Next(uint8_t* record);
  pdx_code Prior(uint8_t* record);
  pdx_code GetRecord(uint8_t* record);
  bool on_row() const { return state_ == State::kOnRow; }

  // 1-based within the range when one is set.
  pdx_code SetToRecordNumber(int64_t number);
  pdx_code GetRecordNumber(int64_t* number);
  pdx_code GetRecordCount(int64_t* count);

  pdx_code FindNearest(const uint8_t* key, int fields, int prefix);
  struct Bound {
    std::vector<uint8_t> key;  // a record buffer; empty: no bound
    int fields = 0;
    int prefix = 0;
    bool inclusive = true;
  };
  pdx_code SetRange(const Bound& low, const Bound& high);
  pdx_code ResetRange();
  bool has_range() const { return has_range_; }

  int BookmarkSize() const;
  pdx_code GetBookmark(uint8_t* bookmark);
  pdx_code SetToBookmark(const uint8_t* bookmark);
  pdx_code CompareBookmarks(const uint8_t* a, const uint8_t* b, int* order);
  // The row number a bookmark names (stored, or worked out from its block).
  pdx_code BookmarkRow(const uint8_t* bookmark, int64_t* row);

  // Re-reads the table and finds the current row again (by its key, or by
  // its number in an unkeyed table); a row gone since lands the cursor on
  // the row after it. own_write: see Table::Refresh.
  pdx_code Refresh(const ChainChange* own_write = nullptr);
  // Re-reads the table when a writer of this process changed it since the
  // cursor last looked (another cursor's, or this one's), and finds the
  // current row again. A row gone since leaves the cursor in its place,
  // between its neighbours: the next move reaches them, while reading it
  // answers PDX_ERR_RECORD_NOT_FOUND. Every move starts with it; without
  // a change it costs one load.
  pdx_code Sync() { return table_->ChangedInProcess() ? Follow() : PDX_OK; }
  // As Sync, but the table is read again even when this process did not
  // change it (another program may have).
  pdx_code Reread() { return Follow(); }

 private:
  enum class State { kBegin, kOnRow, kEnd };

  pdx_code CheckKeyArguments(int fields, int prefix) const;
  // The current row's block; a scan asks for it twice per row, and it is
  // almost always still the one read before.
  pdx_code View(const BlockView** view) {
    if (state_ == State::kOnRow && view_.data != nullptr &&
        view_generation_ == cache_->generation()) {
      *view = &view_;
      return PDX_OK;
    }
    return ReadView(view);
  }
  pdx_code ReadView(const BlockView** view);
  pdx_code EnterBlock(uint16_t block);
  pdx_code FollowChain(uint16_t next);
  pdx_code MoveToRow(int64_t row);
  pdx_code CurrentRow(int64_t* row);
  // The first row whose key is after (strict) or at the key.
  pdx_code LowerBound(const uint8_t* key, int fields, int prefix, bool strict, int64_t* row);
  pdx_code RangeLimits(int64_t* low, int64_t* high);
  pdx_code ApplyRange();
  pdx_code CorruptChain(const std::string& what);
  // Refresh's work; keep_gap: a row gone leaves the cursor between its
  // neighbours instead of on the next row.
  pdx_code Reposition(const ChainChange* own_write, bool keep_gap);
  pdx_code Follow() { return Reposition(nullptr, true); }
  // Keyed: the row at row has key's key fields. Unkeyed: all its bytes.
  bool RowHolds(int64_t row, const std::vector<uint8_t>& record);
  pdx_code RowGone();

  Table* table_;
  const BlockCache* cache_;  // the table's, asked on every move whether view_ still holds
  State state_ = State::kBegin;
  uint16_t block_ = 0;
  int slot_ = 0;
  int64_t row_ = -1;  // 0-based in the whole table; -1 while unknown
  int hops_ = 0;      // blocks followed since the position was fixed, against cycles
  // The row the cursor stood on was deleted (or its key changed) through
  // another cursor: the position is just before the row it names.
  bool gap_ = false;
  BlockView view_;
  uint64_t view_generation_ = UINT64_MAX;

  bool has_range_ = false;
  Bound range_low_, range_high_;
  int64_t range_first_ = 0, range_end_ = 0;  // rows [first, end)
};

}  // namespace pdx
