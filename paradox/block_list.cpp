#include "block_list.h"

#include <algorithm>

namespace pdx {
namespace {

// A chunk splits in two past this many entries; moving this many on an
// insert costs about what finding the chunk does.
constexpr size_t kLargestChunk = 512;

}  // namespace

std::pair<size_t, size_t> BlockList::Find(size_t position) const {
  const size_t chunk =
      static_cast<size_t>(std::upper_bound(starts_.begin(), starts_.end(), position) -
                          starts_.begin()) -
      1;
  return {chunk, position - starts_[chunk]};
}

BlockList::Entry& BlockList::operator[](size_t position) {
  auto [chunk, offset] = Find(position);
  rows_[chunk] = -1;
  return chunks_[chunk][offset];
}

const BlockList::Entry& BlockList::operator[](size_t position) const {
  auto [chunk, offset] = Find(position);
  return chunks_[chunk][offset];
}

void BlockList::RenumberFrom(size_t chunk) {
  starts_.resize(chunks_.size());
  for (size_t k = chunk; k < chunks_.size(); ++k)
    starts_[k] = k == 0 ? 0 : starts_[k - 1] + chunks_[k - 1].size();
}

int64_t BlockList::ChunkRows(size_t chunk) const {
  if (rows_[chunk] < 0) {
    int64_t rows = 0;
    for (const Entry& entry : chunks_[chunk]) rows += entry.count;
    rows_[chunk] = rows;
  }
  return rows_[chunk];
}

void BlockList::insert(size_t position, Entry entry) {
  if (chunks_.empty()) {
    chunks_.emplace_back();
    starts_.push_back(0);
    rows_.push_back(-1);
  }
  // At the end of the list the entry goes into the last chunk.
  auto [chunk, offset] =
      position == size_ ? std::pair{chunks_.size() - 1, chunks_.back().size()} : Find(position);
  std::vector<Entry>& entries = chunks_[chunk];
  entries.insert(entries.begin() + static_cast<std::ptrdiff_t>(offset), std::move(entry));
  ++size_;
  rows_[chunk] = -1;
  if (entries.size() > kLargestChunk) {
    const auto half = static_cast<std::ptrdiff_t>(entries.size() / 2);
    std::vector<Entry> upper(std::make_move_iterator(entries.begin() + half),
                             std::make_move_iterator(entries.end()));
    entries.erase(entries.begin() + half, entries.end());
    chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(chunk) + 1, std::move(upper));
    rows_.insert(rows_.begin() + static_cast<std::ptrdiff_t>(chunk) + 1, -1);
  }
  RenumberFrom(chunk + 1);
}

void BlockList::erase(size_t position) {
  auto [chunk, offset] = Find(position);
  std::vector<Entry>& entries = chunks_[chunk];
  entries.erase(entries.begin() + static_cast<std::ptrdiff_t>(offset));
  --size_;
  rows_[chunk] = -1;
  if (entries.empty()) {
    chunks_.erase(chunks_.begin() + static_cast<std::ptrdiff_t>(chunk));
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(chunk));
  }
  RenumberFrom(chunk);
}

void BlockList::clear() {
  chunks_.clear();
  starts_.clear();
  rows_.clear();
  size_ = 0;
}

bool BlockList::Place(int64_t number, size_t* position, int* slot) const {
  int64_t before = 0;
  for (size_t k = 0; k < chunks_.size(); ++k) {
    if (const int64_t rows = ChunkRows(k); number > before + rows) {
      before += rows;
      continue;
    }
    for (size_t i = 0; i < chunks_[k].size(); ++i) {
      const int count = chunks_[k][i].count;
      if (number <= before + count) {
        *position = starts_[k] + i;
        *slot = static_cast<int>(number - before - 1);
        return true;
      }
      before += count;
    }
  }
  return false;
}

int64_t BlockList::RowsBefore(size_t position) const {
  int64_t rows = 0;
  for (size_t k = 0; k < chunks_.size() && starts_[k] < position; ++k) {
    if (position - starts_[k] >= chunks_[k].size()) {
      rows += ChunkRows(k);
      continue;
    }
    for (size_t i = 0; i < position - starts_[k]; ++i) rows += chunks_[k][i].count;
  }
  return rows;
}

}  // namespace pdx
