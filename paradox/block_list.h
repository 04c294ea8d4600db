// The blocks of a table's chain in chain order, as a table writer keeps
// them: each block's number, row count and first key. Indexed like a
// vector, but kept in chunks of a few hundred entries, so that inserting or
// removing a block (every split and merge of a bulk load) moves a chunk's
// entries, not the whole chain's.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace pdx {

class BlockList {
 public:
  struct Entry {
    uint16_t block = 0;
    uint16_t count = 0;
    std::string first_key;
  };

  size_t size() const { return size_; }
  bool empty() const { return size_ == 0; }
  // An entry to change (its count may change through it).
  Entry& operator[](size_t position);
  const Entry& operator[](size_t position) const;
  Entry& front() { return (*this)[0]; }
  Entry& back() { return (*this)[size_ - 1]; }

  void insert(size_t position, Entry entry);
  void push_back(Entry entry) { insert(size_, std::move(entry)); }
  void erase(size_t position);
  void clear();

  // The first position whose entry is not before(entry); the entries must
  // be partitioned by before (all that are come first).
  template <typename Before>
  size_t PartitionPoint(Before before) const;
  // The position of the block holding row number (1-based) and the row's
  // slot in it; false past the last row.
  bool Place(int64_t number, size_t* position, int* slot) const;
  // The rows in the blocks before position.
  int64_t RowsBefore(size_t position) const;

 private:
  // Chunk and offset of a position (< size_).
  std::pair<size_t, size_t> Find(size_t position) const;
  void RenumberFrom(size_t chunk);

  // The rows of a chunk, summed again when an entry of it was handed out
  // for change since.
  int64_t ChunkRows(size_t chunk) const;

  std::vector<std::vector<Entry>> chunks_;
  std::vector<size_t> starts_;         // the position of each chunk's first entry
  mutable std::vector<int64_t> rows_;  // per chunk: its rows, or -1 when unknown
  size_t size_ = 0;
};

template <typename Before>
size_t BlockList::PartitionPoint(Before before) const {
  // The chunks whose first entry is before come first, likewise within one.
  size_t low = 0, high = chunks_.size();
  while (low < high) {
    const size_t middle = (low + high) / 2;
    if (before(chunks_[middle].front()))
      low = middle + 1;
    else
      high = middle;
  }
  if (low == 0) return 0;
  const std::vector<Entry>& chunk = chunks_[low - 1];
  size_t first = 1, last = chunk.size();
  while (first < last) {
    const size_t middle = (first + last) / 2;
    if (before(chunk[middle]))
      first = middle + 1;
    else
      last = middle;
  }
  return starts_[low - 1] + first;
}

}  // namespace pdx
