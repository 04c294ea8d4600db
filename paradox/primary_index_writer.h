// Keeps a keyed table's primary index (.PX) in step with its block chain.
//
// The index is one entry per data block (its first key, its number, its row
// count) in level-1 blocks ("leaves"), and above them levels of one entry
// per block of the level below, up to a single root. Leaves keep their place
// in the file: one that fills up splits into a new block at the end of the
// file, so a change rewrites only the leaves whose entries changed. The
// upper levels are laid out again, in blocks of their own, when leaves come
// or go; otherwise only the entries above a changed leaf are made again.
// Blocks are written only where they differ from the file.
//
// The table writer tells this writer which chain entries an operation
// touched, inserted or erased (in the order it did so), then has it write
// the index into the operation's transaction. Not thread-safe; one per
// table writer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "block_list.h"
#include "file_system.h"
#include "journal.h"
#include "pdx_codes.h"
#include "table_header.h"

namespace pdx {

class PrimaryIndexWriter {
 public:
  // Reads the index's header and blocks (unscrambled) from px; key_length
  // is the table's. The next Write lays the index out afresh and writes the
  // blocks where they differ from what was read.
  pdx_code Load(File* px, int key_length, std::string* error);
  // Lays the index out afresh at the next Write (a table emptied, a model
  // reloaded).
  void Reset() {
    leaves_.clear();
    levels_.clear();
  }

  // The chain entry at chain_index changed, was inserted, or is about to be
  // erased.
  void Touched(size_t chain_index);
  void Inserted(size_t chain_index);
  void Erased(size_t chain_index);

  // Writes the changed blocks and the header into transaction's file
  // number file. table_change_count: the data file's change count after
  // this change, which the index header records as its parent's.
  pdx_code Write(const BlockList& chain, uint16_t table_change_count, Transaction* transaction,
                 int file, std::string* error);

  const TableHeader& header() const { return header_; }

 private:
  struct Leaf {
    uint16_t block = 0;
    size_t size = 0;  // chain entries it holds
    bool dirty = false;
    std::string first_key;
    int64_t sum = 0;  // rows in its blocks
  };
  struct Entry {
    const char* key;
    uint16_t block;
    int64_t count;
  };

  size_t EntriesPerBlock() const;
  size_t LeafOf(size_t chain_index) const;
  void LayOutAfresh(size_t chain_entries);
  // Writes each leaf whose entries changed, and notes its first key and sum
  // for the level above.
  void RewriteChangedLeaves(const BlockList& chain);
  // Makes the levels above the leaves again, up to the root.
  pdx_code RebuildUpperLevels(std::string* error);
  // Makes again only the upper blocks above the leaves changed_leaves_
  // names; the leaves themselves have kept their number and order.
  void UpdateUpperLevels();
  // Makes one index block and writes it where it differs from the file.
  void PutBlock(uint16_t number, const Entry* entries, size_t n, uint16_t next, uint16_t prev);

  TableHeader header_;
  int key_length_ = 0;
  std::vector<uint8_t> image_;          // the index blocks as last written, unscrambled
  std::vector<Leaf> leaves_;            // empty: lay the index out afresh
  std::vector<uint16_t> upper_blocks_;  // blocks the upper levels use, in order
  uint16_t file_blocks_ = 0;
  // The upper levels as last made: levels_[0] one entry per leaf, levels_[i]
  // one per block of upper level i, whose blocks are level_blocks_[i - 1].
  // Empty when they must be made again (leaves came or went).
  struct UpperEntry {
    std::string key;
    uint16_t block;
    int64_t sum;
  };
  std::vector<std::vector<UpperEntry>> levels_;
  std::vector<std::vector<uint16_t>> level_blocks_;
  std::vector<size_t> changed_leaves_;  // by the Write under way
  uint16_t root_ = 0;
  uint8_t level_count_ = 0;
  uint32_t upper_entries_ = 0;  // entries above the leaves' level
  size_t upper_used_ = 0;
  std::vector<uint8_t> scratch_;  // the block PutBlock makes
  // The transaction and file of the Write under way.
  Transaction* transaction_ = nullptr;
  int file_ = 0;
};

}  // namespace pdx
