// Keeps one secondary index (a .X file and its .Y) in step with its table,
// row by row. The table writer reports each row it places, removes or moves
// to another block of the table; this writer changes only the .X blocks
// those rows live in (splitting and merging them as the table writer does
// its own) and, through a PrimaryIndexWriter, the .Y entries of those
// blocks. A change so costs a few blocks, whatever the table's size.
//
// The .X file's chain (each block's number, row count and first key) is
// held in memory, read when the writer loads. Blocks read or changed stay
// in memory until Write puts the changed ones into the table writer's
// transaction; a failed or abandoned transaction is followed by Load.
// Not thread-safe; one per index of a table writer.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "block_buffers.h"
#include "block_list.h"
#include "file_system.h"
#include "journal.h"
#include "primary_index_writer.h"
#include "secondary_index.h"
#include "table_header.h"

namespace pdx {

class SecondaryIndexWriter {
 public:
  // index: as found beside the table (its header the .X file's as on disk);
  // table: the table's header; x and y: the index files open for writing,
  // which outlive this writer.
  pdx_code Load(const SecondaryIndex& index, const TableHeader& table, File* x, File* y,
                std::string* error);

  // The index checked against the table as Load walks both: Load notes
  // each .X row and whether the rows ascend; ExpectRow notes each table
  // row's entry; Verify then tells whether the two are the same rows (by
  // count and an order-free digest of the rows, block hints aside), or why
  // not.
  void ExpectRow(const uint8_t* table_row);
  // PDX_OK, or the engine code with *why: out of date, or holding letters
  // whose folding is not known (Unfoldable).
  pdx_code Verify(std::string* why) const;

  // Whether the index holds a row with row's indexed values other than the
  // one of the table row replaced (null: none); for unique indexes.
  pdx_code Repeats(const uint8_t* row, const uint8_t* replaced, bool* repeats);
  // Empty when the index can hold row exactly; otherwise why not (a
  // case-insensitive index folds only ASCII letters for sure).
  std::string Unfoldable(const uint8_t* row) const;
  // Whether the index holds a and b (table rows of the same key) alike.
  bool SameEntry(const uint8_t* a, const uint8_t* b) const;

  // The table row was placed in block, is about to leave the table, or was
  // moved into block.
  pdx_code Inserted(const uint8_t* row, uint16_t block);
  pdx_code Removed(const uint8_t* row);
  pdx_code Moved(const uint8_t* row, uint16_t block);

  // Puts the changed .X blocks, the .X header and the .Y's changes into
  // transaction as file numbers x_file and y_file; nothing when nothing
  // changed.
  pdx_code Write(Transaction* transaction, int x_file, int y_file, std::string* error);
  // Lets go of the blocks read but not changed.
  void ReleaseClean();
  size_t HeldBytes() const { return blocks_.size() * header().BlockSize(); }

  const SecondaryIndex& index() const { return index_; }
  // Why the last call failed.
  const std::string& last_error() const { return error_; }

 private:
  using BlockInfo = BlockList::Entry;

  pdx_code ReadBlock(uint16_t block, std::vector<uint8_t>** data);
  std::vector<uint8_t>& DirtyBlock(uint16_t block);
  pdx_code NewBlock(uint16_t* block);
  void FreeBlock(uint16_t block);
  pdx_code Relink(size_t chain_index);
  int Count(const std::vector<uint8_t>& block) const;
  void SetCount(std::vector<uint8_t>& block, int count) const;
  uint8_t* Row(std::vector<uint8_t>& block, int i) const;
  int Compare(const uint8_t* a, const uint8_t* b) const;

  // Where the .X row (or key) belongs: chain index and slot; *found when a
  // row of that key is there.
  pdx_code FindSlot(const uint8_t* key, size_t* chain_index, int* slot, bool* found);
  // Where an index row the table holds stands; an index that lacks it is out
  // of date.
  pdx_code FindRow(const std::string& row, size_t* chain_index, int* slot);
  // The row before (chain_index, slot), or null at the start.
  pdx_code RowBefore(size_t chain_index, int slot, const uint8_t** row);
  pdx_code RowAtOrAfter(size_t chain_index, int slot, const uint8_t** row);
  pdx_code InsertAt(size_t chain_index, int slot, const uint8_t* row);
  pdx_code RemoveAt(size_t chain_index, int slot);

  // The .X file's header, as this writer has it.
  TableHeader& header() { return index_.header; }
  const TableHeader& header() const { return index_.header; }

  SecondaryIndex index_;
  TableHeader table_;
  File* x_ = nullptr;
  uint32_t key_ = 0;  // the .X file's cipher key, 0 when not scrambled
  int key_length_ = 0;
  BlockList chain_;
  BlockBuffers blocks_;
  PrimaryIndexWriter primary_;
  bool changed_ = false;
  std::string error_;
  // Load's account of the .X rows and of the table rows it was given.
  uint64_t stored_digest_ = 0, expected_digest_ = 0;
  uint64_t expected_rows_ = 0;
  bool out_of_order_ = false;
  std::string unfoldable_;  // why a table row cannot be held exactly
};

}  // namespace pdx
