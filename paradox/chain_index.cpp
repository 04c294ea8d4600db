#include "chain_index.h"

#include <algorithm>
#include <cstring>

#include "error_context.h"
#include "field_codec.h"
#include "pdx_codes.h"

namespace pdx {
namespace {

// Index trees are shallow; a deeper one is damaged.
constexpr int kMaxIndexLevels = 16;

struct IndexWalk {
  BlockFile* index;
  const TableHeader* data;
  std::vector<uint8_t> visited;  // index blocks seen, against cycles
  std::vector<uint8_t> used;     // data blocks named, against duplicates
  ChainIndex* out;
};

pdx_code IndexProblem(const IndexWalk& walk, pdx_code code, const std::string& what) {
  AddErrorContext(code, "File: " + walk.index->path());
  return AddErrorContext(code, what);
}

}  // namespace

void ChainIndex::Add(uint16_t block, int count, const uint8_t* key) {
  if (block >= position_of_block_.size()) position_of_block_.resize(block + 1, kNotInChain);
  position_of_block_[block] = static_cast<uint32_t>(blocks_.size());
  blocks_.push_back(block);
  counts_.push_back(static_cast<uint16_t>(count));
  starts_.push_back(starts_.back() + count);
  keys_.insert(keys_.end(), key, key + key_length_);
}

bool ChainIndex::Apply(const ChainChange& change) {
  if (change.blocks_before != blocks_.size()) return false;
  const size_t key_length = static_cast<size_t>(key_length_);
  size_t lowest = blocks_.size();
  for (const ChainChange::Edit& edit : change.edits) {
    const size_t at = edit.position;
    if (edit.inserted) {
      if (at > blocks_.size()) return false;
      blocks_.insert(blocks_.begin() + at, 0);
      counts_.insert(counts_.begin() + at, 0);
      keys_.insert(keys_.begin() + at * key_length, key_length, 0);
    } else {
      if (at >= blocks_.size()) return false;
      if (blocks_[at] < position_of_block_.size()) position_of_block_[blocks_[at]] = kNotInChain;
      blocks_.erase(blocks_.begin() + at);
      counts_.erase(counts_.begin() + at);
      keys_.erase(keys_.begin() + at * key_length, keys_.begin() + (at + 1) * key_length);
    }
    lowest = std::min(lowest, at);
  }
  for (const ChainChange::Entry& entry : change.entries) {
    const size_t at = entry.position;
    // The index leaves out blocks without records; a writer that keeps one
    // in its chain counts positions differently.
    if (at >= blocks_.size() || entry.count == 0 || entry.first_key.size() < key_length)
      return false;
    blocks_[at] = entry.block;
    counts_[at] = entry.count;
    if (key_length > 0)
      std::memcpy(keys_.data() + at * key_length, entry.first_key.data(), key_length);
    lowest = std::min(lowest, at);
  }
  starts_.resize(blocks_.size() + 1);
  for (size_t at = lowest; at < blocks_.size(); ++at) {
    if (counts_[at] == 0) return false;  // inserted, but never described
    starts_[at + 1] = starts_[at] + counts_[at];
    if (blocks_[at] >= position_of_block_.size())
      position_of_block_.resize(blocks_[at] + 1u, kNotInChain);
    position_of_block_[blocks_[at]] = static_cast<uint32_t>(at);
  }
  return true;
}

size_t ChainIndex::PositionOfRow(int64_t row) const {
  // starts_ is ascending; the block is the last one starting at or before row.
  auto it = std::upper_bound(starts_.begin(), starts_.end() - 1, row);
  return static_cast<size_t>(it - starts_.begin()) - 1;
}

pdx_code ChainIndex::FromDataFile(BlockFile* data, ChainIndex* out) {
  const TableHeader& h = data->header();
  ChainIndex chain;
  chain.key_length_ = h.IsKeyed() ? h.KeyLength() : 0;
  chain.position_of_block_.assign(h.file_blocks + 1u, kNotInChain);
  std::vector<uint8_t> visited(h.file_blocks + 1u, 0);
  std::vector<uint8_t> bytes;
  uint32_t block = h.first_block;
  while (block != 0) {
    uint64_t offset;
    size_t available;
    if (pdx_code rc = data->LocateBlock(block, &offset, &available); rc != PDX_OK) return rc;
    if (visited[block])
      return AddErrorContext(AddErrorContext(PDX_ERR_CORRUPT_FILE, "File: " + data->path()),
                             "the block chain returns to block " + std::to_string(block));
    visited[block] = 1;
    if (pdx_code rc = data->ReadBlockStart(block, kBlockHeaderLength + chain.key_length_, &bytes);
        rc != PDX_OK)
      return rc;
    if (bytes.size() < kBlockHeaderLength + static_cast<size_t>(chain.key_length_))
      return AddErrorContext(AddErrorContext(PDX_ERR_CORRUPT_FILE, "File: " + data->path()),
                             "block " + std::to_string(block) + " is cut short");
    const int count = BlockRecordCount(bytes.data(), h.record_size, h.BlockSize());
    if (kBlockHeaderLength + static_cast<size_t>(count) * h.record_size > available)
      return AddErrorContext(
          AddErrorContext(PDX_ERR_CORRUPT_FILE, "File: " + data->path()),
          "the records of block " + std::to_string(block) + " run past the end of the file");
    if (count > 0)
      chain.Add(static_cast<uint16_t>(block), count, bytes.data() + kBlockHeaderLength);
    block = static_cast<uint32_t>(bytes[0] | (bytes[1] << 8));
  }
  *out = std::move(chain);
  return PDX_OK;
}

static pdx_code WalkIndexBlock(IndexWalk* walk, uint32_t block, int level) {
  const TableHeader& ih = walk->index->header();
  if (block == 0 || block > ih.file_blocks || walk->visited[block])
    return IndexProblem(*walk, PDX_ERR_CORRUPT_INDEX,
                        "index block " + std::to_string(block) + " is out of range or repeated");
  walk->visited[block] = 1;
  BlockView view;
  if (pdx_code rc = walk->index->ReadBlock(block, &view); rc != PDX_OK) return rc;
  // The view stays valid only until the next read, so copy the entries first.
  const int key_length = ih.record_size - 6;
  std::vector<uint8_t> entries(view.Record(0), view.Record(view.count));
  for (int i = 0; i < view.count; ++i) {
    const uint8_t* entry = entries.data() + static_cast<size_t>(i) * ih.record_size;
    // Block numbers are unsigned: tables past 32767 blocks exist.
    const int64_t child = DecodeInteger(entry + key_length, 2) & 0xFFFF;
    const int64_t count = DecodeInteger(entry + key_length + 2, 2);
    if (level > 1) {
      if (child <= 0)
        return IndexProblem(*walk, PDX_ERR_CORRUPT_INDEX, "an index entry names no block");
      if (pdx_code rc = WalkIndexBlock(walk, static_cast<uint32_t>(child), level - 1); rc != PDX_OK)
        return rc;
      continue;
    }
    const TableHeader& dh = *walk->data;
    if (child <= 0 || child > dh.file_blocks || walk->used[child] || count <= 0 ||
        count > dh.RecordsPerBlock())
      return IndexProblem(*walk, PDX_ERR_INDEX_OUT_OF_DATE,
                          "an index entry does not match the data blocks");
    walk->used[child] = 1;
    walk->out->Add(static_cast<uint16_t>(child), static_cast<int>(count), entry);
  }
  return PDX_OK;
}

pdx_code ChainIndex::FromPrimaryIndex(BlockFile* index, const TableHeader& data, ChainIndex* out) {
  const TableHeader& ih = index->header();
  ChainIndex chain;
  chain.key_length_ = data.KeyLength();
  chain.from_primary_index_ = true;
  IndexWalk walk{index, &data, {}, {}, &chain};
  if (ih.kind() != FileKind::kPrimaryIndex || ih.num_fields != data.key_fields ||
      ih.record_size != chain.key_length_ + 6)
    return IndexProblem(walk, PDX_ERR_CORRUPT_INDEX, "the index does not fit the table's key");
  for (int i = 0; i < data.key_fields; ++i) {
    if (ih.fields[i].type != data.fields[i].type || ih.fields[i].length != data.fields[i].length)
      return IndexProblem(walk, PDX_ERR_CORRUPT_INDEX, "the index does not fit the table's key");
  }
  chain.position_of_block_.assign(data.file_blocks + 1u, kNotInChain);
  if (data.record_count > 0) {
    if (ih.index_levels == 0 || ih.index_levels > kMaxIndexLevels)
      return IndexProblem(walk, PDX_ERR_CORRUPT_INDEX, "the index has no usable tree");
    walk.visited.assign(ih.file_blocks + 1u, 0);
    walk.used.assign(data.file_blocks + 1u, 0);
    if (pdx_code rc = WalkIndexBlock(&walk, ih.index_root, ih.index_levels); rc != PDX_OK)
      return rc;
  }
  if (chain.total_rows() != data.record_count ||
      (!chain.blocks_.empty() &&
       (chain.blocks_.front() != data.first_block || chain.blocks_.back() != data.last_block)))
    return IndexProblem(walk, PDX_ERR_INDEX_OUT_OF_DATE, "the index does not match the table");
  *out = std::move(chain);
  return PDX_OK;
}

}  // namespace pdx
