#include "cursor.h"

#include <algorithm>
#include <cstring>

#include "byte_order.h"
#include "error_context.h"
#include "pdx_codes.h"

namespace pdx {
namespace {

constexpr int kBookmarkFixedLength = 16;

void StoreLe64(uint8_t* p, int64_t value) {
  StoreLe32(p, static_cast<uint32_t>(value));
  StoreLe32(p + 4, static_cast<uint32_t>(static_cast<uint64_t>(value) >> 32));
}
int64_t LoadLe64(const uint8_t* p) {
  return static_cast<int64_t>(LoadLe32(p) | (static_cast<uint64_t>(LoadLe32(p + 4)) << 32));
}

}  // namespace

pdx_code Cursor::CorruptChain(const std::string& what) {
  AddErrorContext(PDX_ERR_CORRUPT_FILE, "File: " + table_->path());
  return AddErrorContext(PDX_ERR_CORRUPT_FILE, what);
}

pdx_code Cursor::RowGone() {
  AddErrorContext(PDX_ERR_RECORD_NOT_FOUND, "Table: " + table_->path());
  return AddErrorContext(PDX_ERR_RECORD_NOT_FOUND, "the row was deleted since it was read");
}

pdx_code Cursor::SetToBegin() {
  state_ = State::kBegin;
  gap_ = false;
  row_ = -1;
  return PDX_OK;
}

pdx_code Cursor::SetToEnd() {
  state_ = State::kEnd;
  gap_ = false;
  row_ = -1;
  return PDX_OK;
}

pdx_code Cursor::ReadView(const BlockView** view) {
  if (state_ != State::kOnRow) return PDX_ERR_NO_CURRENT_RECORD;
  const BlockCache& cache = table_->data()->cache();
  if (view_generation_ != cache.generation() || view_.data == nullptr) {
    if (pdx_code rc = table_->data()->ReadBlock(block_, &view_); rc != PDX_OK) return rc;
    view_generation_ = cache.generation();
    if (slot_ >= view_.count) return CorruptChain("block " + std::to_string(block_) + " changed");
  }
  *view = &view_;
  return PDX_OK;
}

pdx_code Cursor::EnterBlock(uint16_t block) {
  view_generation_ = UINT64_MAX;
  if (pdx_code rc = table_->data()->ReadBlock(block, &view_); rc != PDX_OK) return rc;
  view_generation_ = table_->data()->cache().generation();
  block_ = block;
  return PDX_OK;
}

pdx_code Cursor::FollowChain(uint16_t next) {
  const int limit = table_->header().file_blocks;
  uint16_t block = next;
  while (block != 0) {
    if (++hops_ > limit) {
      SetToBegin();
      return CorruptChain("the block chain runs in a cycle");
    }
    if (pdx_code rc = EnterBlock(block); rc != PDX_OK) {
      SetToBegin();
      return rc;
    }
    if (view_.count > 0) {
      slot_ = 0;
      state_ = State::kOnRow;
      gap_ = false;
      return PDX_OK;
    }
    block = view_.next;
  }
  SetToEnd();
  return PDX_ERR_EOF;
}

pdx_code Cursor::Next(uint8_t* record) {
  pdx_code rc = Sync();
  if (rc != PDX_OK) return rc;
  if (gap_) {
    // Standing where a deleted row was: the next row is the one named.
    gap_ = false;
    return GetRecord(record);
  }
  switch (state_) {
    case State::kEnd:
      return PDX_ERR_EOF;
    case State::kBegin:
      if (has_range_) {
        if (range_first_ >= range_end_) return SetToEnd(), PDX_ERR_EOF;
        rc = MoveToRow(range_first_);
      } else {
        hops_ = 0;
        rc = FollowChain(table_->header().first_block);
        row_ = rc == PDX_OK ? 0 : -1;
      }
      break;
    case State::kOnRow: {
      const BlockView* view;
      if (rc = View(&view); rc != PDX_OK) return rc;
      const bool same_block = slot_ + 1 < view->count;
      if (same_block) {
        ++slot_;
      } else {
        const int64_t row = row_;
        if (rc = FollowChain(view->next); rc != PDX_OK) return rc;
        row_ = row;
      }
      if (row_ >= 0) ++row_;
      if (has_range_ && row_ >= range_end_) return SetToEnd(), PDX_ERR_EOF;
      // Still in the block just checked, a scan's common case: copied
      // without asking the cache again.
      if (same_block) {
        if (record != nullptr) std::memcpy(record, view->Record(slot_), view->record_size);
        return PDX_OK;
      }
      break;
    }
  }
  if (rc != PDX_OK) return rc;
  return GetRecord(record);
}

pdx_code Cursor::Prior(uint8_t* record) {
  if (pdx_code rc = Sync(); rc != PDX_OK) return rc;
  gap_ = false;  // the row before the gap is the one before the row it names
  int64_t target = 0;
  switch (state_) {
    case State::kBegin:
      return PDX_ERR_BOF;
    case State::kEnd: {
      int64_t count;
      if (pdx_code rc = GetRecordCount(&count); rc != PDX_OK) return rc;
      target = (has_range_ ? range_first_ : 0) + count - 1;
      break;
    }
    case State::kOnRow:
      if (slot_ > 0 && row_ >= 0) {
        if (has_range_ && row_ - 1 < range_first_) return SetToBegin(), PDX_ERR_BOF;
        --slot_;
        --row_;
        return GetRecord(record);
      }
      if (pdx_code rc = CurrentRow(&target); rc != PDX_OK) return rc;
      --target;
      break;
  }
  if (target < (has_range_ ? range_first_ : 0)) return SetToBegin(), PDX_ERR_BOF;
  if (pdx_code rc = MoveToRow(target); rc != PDX_OK) return rc;
  return GetRecord(record);
}

pdx_code Cursor::GetRecord(uint8_t* record) {
  if (pdx_code rc = Sync(); rc != PDX_OK) return rc;
  if (gap_) return RowGone();
  const BlockView* view;
  if (pdx_code rc = View(&view); rc != PDX_OK) return rc;
  if (record != nullptr) std::memcpy(record, view->Record(slot_), view->record_size);
  return PDX_OK;
}

pdx_code Cursor::MoveToRow(int64_t row) {
  const ChainIndex* chain;
  if (pdx_code rc = table_->Chain(&chain); rc != PDX_OK) return rc;
  for (int attempt = 0; attempt < 2; ++attempt) {
    if (row < 0 || row >= chain->total_rows()) return SetToEnd(), PDX_ERR_EOF;
    const size_t position = chain->PositionOfRow(row);
    if (pdx_code rc = EnterBlock(chain->block(position)); rc != PDX_OK) return SetToBegin(), rc;
    if (view_.count == chain->count(position)) {
      slot_ = static_cast<int>(row - chain->first_row(position));
      row_ = row;
      hops_ = 0;
      state_ = State::kOnRow;
      gap_ = false;
      return PDX_OK;
    }
    // The primary index disagrees with the block: trust the blocks.
    if (!chain->from_primary_index()) break;
    if (pdx_code rc = table_->RebuildChainFromData(&chain); rc != PDX_OK) return rc;
  }
  SetToBegin();
  return CorruptChain("block " + std::to_string(block_) +
                      " does not hold the records counted for it");
}

pdx_code Cursor::CurrentRow(int64_t* row) {
  if (state_ != State::kOnRow) return PDX_ERR_NO_CURRENT_RECORD;
  if (row_ < 0) {
    const ChainIndex* chain;
    if (pdx_code rc = table_->Chain(&chain); rc != PDX_OK) return rc;
    uint32_t position = chain->PositionOfBlock(block_);
    if (position == ChainIndex::kNotInChain && chain->from_primary_index()) {
      if (pdx_code rc = table_->RebuildChainFromData(&chain); rc != PDX_OK) return rc;
      position = chain->PositionOfBlock(block_);
    }
    if (position == ChainIndex::kNotInChain)
      return CorruptChain("block " + std::to_string(block_) + " is not in the block chain");
    row_ = chain->first_row(position) + slot_;
  }
  *row = row_;
  return PDX_OK;
}

pdx_code Cursor::GetRecordCount(int64_t* count) {
  if (pdx_code rc = Sync(); rc != PDX_OK) return rc;
  if (has_range_) {
    *count = range_end_ - range_first_;
    return PDX_OK;
  }
  const ChainIndex* chain;
  if (pdx_code rc = table_->Chain(&chain); rc != PDX_OK) return rc;
  *count = chain->total_rows();
  return PDX_OK;
}

pdx_code Cursor::SetToRecordNumber(int64_t number) {
  if (pdx_code rc = Sync(); rc != PDX_OK) return rc;
  int64_t count;
  if (pdx_code rc = GetRecordCount(&count); rc != PDX_OK) return rc;
  if (number < 1) return SetToBegin(), PDX_ERR_BOF;
  if (number > count) return SetToEnd(), PDX_ERR_EOF;
  return MoveToRow((has_range_ ? range_first_ : 0) + number - 1);
}

pdx_code Cursor::GetRecordNumber(int64_t* number) {
  if (pdx_code rc = Sync(); rc != PDX_OK) return rc;
  if (gap_) return RowGone();
  int64_t row;
  if (pdx_code rc = CurrentRow(&row); rc != PDX_OK) return rc;
  *number = row - (has_range_ ? range_first_ : 0) + 1;
  return PDX_OK;
}

pdx_code Cursor::CheckKeyArguments(int fields, int prefix) const {
  const TableHeader& h = table_->header();
  if (!h.IsKeyed())
    return AddErrorContext(PDX_ERR_INVALID_PARAMETER, "Table: " + table_->path() + " has no key");
  if (fields < 1 || fields > h.key_fields || prefix < 0 ||
      (prefix > 0 && h.fields[fields - 1].type != FieldType::kAlpha))
    return AddErrorContext(PDX_ERR_INVALID_PARAMETER, "Table: " + table_->path());
  return PDX_OK;
}

pdx_code Cursor::LowerBound(const uint8_t* key, int fields, int prefix, bool strict, int64_t* row) {
  const ChainIndex* chain;
  if (pdx_code rc = table_->Chain(&chain); rc != PDX_OK) return rc;
  const KeyCompare& compare = table_->key_compare();
  auto before = [&](const uint8_t* candidate) {
    const int c = compare.Compare(candidate, key, fields, prefix);
    return strict ? c <= 0 : c < 0;
  };
  for (int attempt = 0; attempt < 2; ++attempt) {
    const size_t blocks = chain->block_count();
    if (blocks == 0) {
      *row = 0;
      return PDX_OK;
    }
    // The last block whose first key comes before the key holds the answer,
    // or the answer is the next block's first row.
    size_t low = 0, high = blocks;
    while (low < high) {
      const size_t mid = (low + high) / 2;
      if (before(chain->first_key(mid)))
        low = mid + 1;
      else
        high = mid;
    }
    const size_t position = low == 0 ? 0 : low - 1;
    // A block read on the index's word must be as the index describes it.
    auto agrees = [&](size_t at, BlockView* view) {
      return table_->data()->ReadBlock(chain->block(at), view) == PDX_OK &&
             view->count == chain->count(at) &&
             compare.Compare(view->Record(0), chain->first_key(at), table_->header().key_fields,
                             0) == 0;
    };
    BlockView view;
    if (agrees(position, &view)) {
      int first = 0, last = view.count;
      while (first < last) {
        const int mid = (first + last) / 2;
        if (before(view.Record(mid)))
          first = mid + 1;
        else
          last = mid;
      }
      // Past the block's last row the answer is the next block's first row,
      // which holds only if that block starts where the index says.
      BlockView next;
      if (first < view.count || position + 1 == blocks || agrees(position + 1, &next)) {
        *row = chain->first_row(position) + first;
        return PDX_OK;
      }
    }
    if (!chain->from_primary_index()) break;
    if (pdx_code rc = table_->RebuildChainFromData(&chain); rc != PDX_OK) return rc;
  }
  return CorruptChain("a block does not hold the records counted for it");
}

pdx_code Cursor::FindNearest(const uint8_t* key, int fields, int prefix) {
  if (pdx_code rc = Sync(); rc != PDX_OK) return rc;
  if (pdx_code rc = CheckKeyArguments(fields, prefix); rc != PDX_OK) return rc;
  int64_t row, first = 0, end;
  if (pdx_code rc = LowerBound(key, fields, prefix, false, &row); rc != PDX_OK) return rc;
  if (pdx_code rc = RangeLimits(&first, &end); rc != PDX_OK) return rc;
  if (row < first) row = first;
  if (row >= end) return SetToEnd(), PDX_ERR_EOF;
  return MoveToRow(row);
}

pdx_code Cursor::RangeLimits(int64_t* first, int64_t* end) {
  if (has_range_) {
    *first = range_first_;
    *end = range_end_;
    return PDX_OK;
  }
  *first = 0;
  return GetRecordCount(end);
}

pdx_code Cursor::SetRange(const Bound& low, const Bound& high) {
  if (pdx_code rc = Sync(); rc != PDX_OK) return rc;
  for (const Bound* bound : {&low, &high}) {
    if (bound->key.empty()) continue;
    if (pdx_code rc = CheckKeyArguments(bound->fields, bound->prefix); rc != PDX_OK) return rc;
  }
  range_low_ = low;
  range_high_ = high;
  return ApplyRange();
}

pdx_code Cursor::ApplyRange() {
  has_range_ = false;
  int64_t first = 0, end;
  if (pdx_code rc = GetRecordCount(&end); rc != PDX_OK) return rc;
  if (!range_low_.key.empty()) {
    if (pdx_code rc = LowerBound(range_low_.key.data(), range_low_.fields, range_low_.prefix,
                                 !range_low_.inclusive, &first);
        rc != PDX_OK)
      return rc;
  }
  if (!range_high_.key.empty()) {
    if (pdx_code rc = LowerBound(range_high_.key.data(), range_high_.fields, range_high_.prefix,
                                 range_high_.inclusive, &end);
        rc != PDX_OK)
      return rc;
  }
  range_first_ = first;
  range_end_ = std::max(first, end);
  has_range_ = true;
  return SetToBegin();
}

pdx_code Cursor::ResetRange() {
  has_range_ = false;
  range_low_ = range_high_ = Bound();
  return PDX_OK;
}

int Cursor::BookmarkSize() const {
  const TableHeader& h = table_->header();
  return kBookmarkFixedLength + (h.IsKeyed() ? h.KeyLength() : 0);
}

pdx_code Cursor::GetBookmark(uint8_t* bookmark) {
  if (pdx_code rc = Sync(); rc != PDX_OK) return rc;
  if (gap_) return RowGone();
  const BlockView* view;
  if (pdx_code rc = View(&view); rc != PDX_OK) return rc;
  // The row number is stored only when known: finding it may cost building
  // the per-block row index, and keyed tables find and order bookmarks by
  // their key; an unkeyed table's comparison works it out when asked.
  const int64_t row = row_;
  std::memset(bookmark, 0, kBookmarkFixedLength);
  StoreLe16(bookmark, block_);
  StoreLe16(bookmark + 2, static_cast<uint16_t>(slot_));
  StoreLe64(bookmark + 8, row);
  const int key_length = BookmarkSize() - kBookmarkFixedLength;
  std::memcpy(bookmark + kBookmarkFixedLength, view->Record(slot_), key_length);
  return PDX_OK;
}

pdx_code Cursor::SetToBookmark(const uint8_t* bookmark) {
  if (pdx_code rc = Sync(); rc != PDX_OK) return rc;
  const TableHeader& h = table_->header();
  const uint16_t block = LoadLe16(bookmark);
  const int slot = LoadLe16(bookmark + 2);
  int64_t row = -1;
  if (h.IsKeyed()) {
    const uint8_t* key = bookmark + kBookmarkFixedLength;
    // The row is usually where it was; else it is found by its key.
    const size_t mark = ErrorContext().size();
    BlockView view;
    if (block >= 1 && block <= h.file_blocks && table_->data()->ReadBlock(block, &view) == PDX_OK &&
        slot < view.count &&
        table_->key_compare().Compare(view.Record(slot), key, h.key_fields, 0) == 0) {
      TruncateErrorContext(mark);
      if (pdx_code rc = EnterBlock(block); rc != PDX_OK) return rc;
      slot_ = slot;
      row_ = -1;
      hops_ = 0;
      state_ = State::kOnRow;
      gap_ = false;
      if (has_range_) {
        if (pdx_code rc = CurrentRow(&row); rc != PDX_OK) return rc;
      }
    } else {
      TruncateErrorContext(mark);
      if (pdx_code rc = LowerBound(key, h.key_fields, 0, false, &row); rc != PDX_OK) return rc;
      const BlockView* found;
      if (MoveToRow(row) != PDX_OK || View(&found) != PDX_OK ||
          table_->key_compare().Compare(found->Record(slot_), key, h.key_fields, 0) != 0) {
        SetToBegin();
        return PDX_ERR_RECORD_NOT_FOUND;
      }
    }
  } else if (state_ == State::kOnRow && !gap_ && block_ == block && slot_ == slot && !has_range_) {
    return PDX_OK;  // already there, as when a window reads on from its last row
  } else {
    const ChainIndex* chain;
    if (pdx_code rc = table_->Chain(&chain); rc != PDX_OK) return rc;
    const uint32_t position = chain->PositionOfBlock(block);
    if (position == ChainIndex::kNotInChain || slot >= chain->count(position))
      return PDX_ERR_RECORD_NOT_FOUND;
    row = chain->first_row(position) + slot;
    if (pdx_code rc = MoveToRow(row); rc != PDX_OK) return rc;
  }
  if (has_range_ && (row < range_first_ || row >= range_end_)) {
    SetToBegin();
    return PDX_ERR_RECORD_NOT_FOUND;
  }
  return PDX_OK;
}

pdx_code Cursor::BookmarkRow(const uint8_t* bookmark, int64_t* row) {
  if (pdx_code rc = Sync(); rc != PDX_OK) return rc;
  *row = static_cast<int64_t>(LoadLe64(bookmark + 8));
  if (*row >= 0) return PDX_OK;
  const ChainIndex* chain;
  if (pdx_code rc = table_->Chain(&chain); rc != PDX_OK) return rc;
  const uint32_t position = chain->PositionOfBlock(LoadLe16(bookmark));
  if (position == ChainIndex::kNotInChain) return PDX_ERR_RECORD_NOT_FOUND;
  *row = chain->first_row(position) + LoadLe16(bookmark + 2);
  return PDX_OK;
}

pdx_code Cursor::CompareBookmarks(const uint8_t* a, const uint8_t* b, int* order) {
  const TableHeader& h = table_->header();
  int c;
  if (h.IsKeyed()) {
    c = table_->key_compare().Compare(a + kBookmarkFixedLength, b + kBookmarkFixedLength,
                                      h.key_fields, 0);
  } else {
    int64_t ra, rb;
    if (pdx_code rc = BookmarkRow(a, &ra); rc != PDX_OK) return rc;
    if (pdx_code rc = BookmarkRow(b, &rb); rc != PDX_OK) return rc;
    c = ra < rb ? -1 : ra > rb ? 1 : 0;
  }
  *order = c < 0 ? -1 : c > 0 ? 1 : 0;
  return PDX_OK;
}

pdx_code Cursor::Refresh(const ChainChange* own_write) {
  return Reposition(own_write, false);
}

bool Cursor::RowHolds(int64_t row, const std::vector<uint8_t>& record) {
  const BlockView* view;
  if (MoveToRow(row) != PDX_OK || View(&view) != PDX_OK) return false;
  const TableHeader& h = table_->header();
  const uint8_t* at = view->Record(slot_);
  if (h.IsKeyed()) return table_->key_compare().Compare(at, record.data(), h.key_fields, 0) == 0;
  return std::memcmp(at, record.data(), record.size()) == 0;
}

pdx_code Cursor::Reposition(const ChainChange* own_write, bool keep_gap) {
  const State state = state_;
  const bool was_gap = gap_;
  const bool keyed = table_->header().IsKeyed();
  const int64_t count_before = table_->header().record_count;
  std::vector<uint8_t> record, following;
  int64_t row = -1;
  if (state == State::kOnRow) {
    // Only a view still held shows the row as it was; a block read now may
    // already hold what the change put there.
    if (view_.data != nullptr && view_generation_ == cache_->generation() && slot_ < view_.count) {
      record.assign(view_.Record(slot_), view_.Record(slot_) + view_.record_size);
      if (slot_ + 1 < view_.count)
        following.assign(view_.Record(slot_ + 1), view_.Record(slot_ + 1) + view_.record_size);
    }
    if ((!keyed || record.empty()) && CurrentRow(&row) != PDX_OK) row = -1;
  }
  view_generation_ = UINT64_MAX;
  view_.data = nullptr;
  if (pdx_code rc = table_->Refresh(own_write); rc != PDX_OK) return SetToBegin(), rc;
  if (has_range_) {
    if (pdx_code rc = ApplyRange(); rc != PDX_OK) return rc;
  }
  if (state == State::kEnd) return SetToEnd();
  if (state == State::kBegin || (record.empty() && row < 0)) return SetToBegin();
  int64_t first, end;
  if (pdx_code rc = RangeLimits(&first, &end); rc != PDX_OK) return rc;
  if (keyed && !record.empty()) {
    if (pdx_code rc = LowerBound(record.data(), table_->header().key_fields, 0, false, &row);
        rc != PDX_OK)
      return rc;
  }
  bool found = true;
  if (keep_gap && !record.empty()) {
    auto holds = [&](int64_t at, const std::vector<uint8_t>& bytes) {
      return at >= first && at < end && RowHolds(at, bytes);
    };
    if (keyed) {
      found = holds(row, record);
    } else {
      // An unkeyed table's rows keep their numbers but for those deleted
      // before them, at most as many as the table lost: the search costs
      // what changed, not the table's size.
      const int64_t fewer = std::max<int64_t>(0, count_before - table_->header().record_count);
      const int64_t was = row;
      found = false;
      for (int64_t at = was; at >= was - fewer && !found; --at)
        if (holds(at, record)) row = at, found = true;
      // A change that left the count alone rewrote the row in place.
      if (!found && fewer == 0) found = true;
      // Deleted: the gap is before the row that followed it, when known.
      for (int64_t at = was; !found && !following.empty() && at > was - fewer; --at)
        if (holds(at, following)) {
          row = at;
          break;
        }
    }
  }
  if (row < first) row = first;
  if (row >= end) return SetToEnd();
  if (pdx_code rc = MoveToRow(row); rc != PDX_OK) return rc;
  gap_ = keep_gap && (!found || was_gap);
  return PDX_OK;
}

}  // namespace pdx
