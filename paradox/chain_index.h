// The blocks of a table's record chain in chain order, with the rows before
// each block and (keyed tables) each block's first key: what going to a row
// number, telling a row's number, moving backwards and finding a key need.
//
// It comes from the primary index when that index agrees with the table (one
// leaf entry per data block, with the block's record count and first key:
// cheap, the index is small), else from a walk over the data blocks' headers.
// Blocks without records are left out.
//
// The index's change counter is not trusted to tell a stale index: genuine
// tables carry counters that disagree with sound indexes. Instead the index
// must name each data block once, sum to the table's row count and start and
// end where the chain does; and readers compare every block they visit with
// what the index said of it (count, first key) and fall back to the walk on
// the first difference.
#pragma once

#include <cstdint>
#include <vector>

#include "block_file.h"
#include "chain_change.h"

namespace pdx {

class ChainIndex {
 public:
  static constexpr uint32_t kNotInChain = UINT32_MAX;

  // Walks the data file's chain from its first block: answers
  // PDX_ERR_CORRUPT_FILE for a cycle or a block number out of range.
  static pdx_code FromDataFile(BlockFile* data, ChainIndex* out);
  // Collects the leaf entries of the primary index. Answers
  // PDX_ERR_INDEX_OUT_OF_DATE or PDX_ERR_CORRUPT_INDEX when the index does
  // not describe the data file as it is; the caller then walks the data.
  static pdx_code FromPrimaryIndex(BlockFile* index, const TableHeader& data, ChainIndex* out);

  size_t block_count() const { return blocks_.size(); }
  uint16_t block(size_t position) const { return blocks_[position]; }
  int count(size_t position) const { return counts_[position]; }
  int64_t first_row(size_t position) const { return starts_[position]; }
  int64_t total_rows() const { return starts_.empty() ? 0 : starts_.back(); }
  // The first key of the block at position (key_length bytes), keyed tables.
  const uint8_t* first_key(size_t position) const { return keys_.data() + position * key_length_; }
  int key_length() const { return key_length_; }
  bool from_primary_index() const { return from_primary_index_; }

  uint32_t PositionOfBlock(uint16_t block) const {
    return block < position_of_block_.size() ? position_of_block_[block] : kNotInChain;
  }
  // The position of the block that holds row (0-based, < total_rows()).
  size_t PositionOfRow(int64_t row) const;

  // Appends a block with count records whose first key is key (key_length bytes).
  void Add(uint16_t block, int count, const uint8_t* key);

  // Brings the index up to date with a writer's change. Answers false, and
  // leaves the index unusable, when the change does not fit it (the caller
  // then builds it afresh).
  bool Apply(const ChainChange& change);

 private:
  std::vector<uint16_t> blocks_;
  std::vector<uint16_t> counts_;
  std::vector<int64_t> starts_{0};  // one more than blocks_: the last is the total
  std::vector<uint8_t> keys_;
  std::vector<uint32_t> position_of_block_;
  int key_length_ = 0;
  bool from_primary_index_ = false;
};

}  // namespace pdx
