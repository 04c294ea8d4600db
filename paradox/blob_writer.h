// Stores, frees and reads back values in a table's blob file (.MB) inside
// the table writer's transaction, so the journal covers every byte it
// changes and a failed or interrupted change leaves the blob file as it was,
// together with the data file and the index.
//
// Values up to the header's small-blob threshold (2048 bytes) share
// sub-allocated blocks: one unit, up to 64 slots, data in 16-byte chunks.
// Longer values get a block of their own, of whole units. Free room in
// sub-allocated blocks and free blocks are reused before the file grows; a
// block whose last value goes becomes free and merges with free neighbours,
// and free space at the end of the file is cut off. Every store increments
// the header's modification number and stamps the value with it.
//
// What is free is learnt by walking the file on first need and then kept up
// to date; Reset forgets it (after a rollback, or when another program has
// written). Changed units go to the transaction at once (scrambled under the
// table's key for a protected table), so reads through it are always
// current; the writer keeps a small cache of units in the clear. A unit
// taken from the cache is changed and put back before the next is taken.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "blob_file.h"
#include "journal.h"

namespace pdx {

class BlobWriter {
 public:
  // file: the blob file's index in the transaction's files; key: the
  // table's cipher key, 0 for a table without password.
  BlobWriter(Transaction* transaction, int file, uint32_t key);

  void Reset();
  // Writes bytes (a graphic or OLE value with its type prefix) as a new
  // value; *pointer receives its block, slot, length and modification.
  // PDX_ERR_CORRUPT_BLOB when the file's blocks do not add up.
  pdx_code Store(std::string_view bytes, BlobPointer* pointer);
  // Frees the value pointer names. A pointer that names no live value of
  // its length and modification number is left alone: the space it names
  // is not that row's to give away.
  pdx_code Free(const BlobPointer& pointer);
  // The whole stored value pointer names, type prefix included;
  // PDX_ERR_CORRUPT_BLOB when it names no live value.
  pdx_code Read(const BlobPointer& pointer, std::string* bytes);

 private:
  struct SubBlock {
    int free_slots = 0;
    int free_chunks = 0;
  };

  void AddFree(uint64_t offset, uint32_t units);
  void RemoveFree(uint64_t offset);
  void SetSubBlock(uint64_t offset, const SubBlock& block);
  void DropSubBlock(uint64_t offset);
  pdx_code Scan();
  pdx_code ScanBlock(uint64_t offset, uint64_t size, uint32_t* units);
  pdx_code ReadPlain(uint64_t offset, uint8_t* data, size_t n);
  pdx_code WritePlain(uint64_t offset, const uint8_t* data, size_t n);
  pdx_code Unit(uint64_t offset, std::vector<uint8_t>** unit);
  pdx_code PutUnit(uint64_t offset);
  pdx_code NextModification(uint16_t* modification);

  pdx_code StoreSmall(std::string_view bytes, BlobPointer* pointer);
  pdx_code StoreLarge(std::string_view bytes, BlobPointer* pointer);
  // A run of units: a free block (its rest stays free) or the end of the file.
  pdx_code TakeBlocks(uint32_t units, uint64_t* offset);
  pdx_code ReleaseBlocks(uint64_t offset, uint32_t units);
  pdx_code MarkFree(uint64_t offset, uint32_t units);
  // The chunk at which count free chunks start in a sub-allocated unit,
  // moving the values in it together when the room is scattered.
  uint32_t MakeRoom(std::vector<uint8_t>& unit, uint32_t count);
  // Checks that pointer names a live value, as a reader would; *units is
  // its block's length, *data_offset where its bytes start.
  pdx_code CheckPointer(const BlobPointer& pointer, uint32_t* units, uint64_t* data_offset);

  Transaction* transaction_;
  int file_;
  uint32_t key_;
  bool scanned_ = false;
  uint64_t end_ = 0;
  uint32_t threshold_ = 0;
  std::map<uint64_t, uint32_t> free_blocks_;              // offset -> units
  std::set<std::pair<uint32_t, uint64_t>> free_by_size_;  // units, offset
  std::map<uint64_t, SubBlock> sub_blocks_;
  std::set<std::pair<int, uint64_t>> room_;  // free chunks, offset: blocks with a free slot
  std::map<uint64_t, std::vector<uint8_t>> units_;
};

}  // namespace pdx
