#include "primary_index_writer.h"

#include <algorithm>
#include <cstring>
#include <tuple>

#include "byte_order.h"
#include "cipher.h"
#include "field_codec.h"

namespace pdx {
namespace {

constexpr int kBlockHeader = 6;
constexpr uint32_t kMaxBlocks = 65535;

// Index entries hold block numbers as short integers do (big-endian, top
// bit flipped) but unsigned: blocks past 32767 exist in large tables.
void StoreIndexBlockNumber(uint8_t* at, uint16_t block) {
  at[0] = static_cast<uint8_t>((block >> 8) ^ 0x80);
  at[1] = static_cast<uint8_t>(block);
}

}  // namespace

pdx_code PrimaryIndexWriter::Load(File* px, int key_length, std::string* error) {
  key_length_ = key_length;
  Reset();
  std::string why;
  if (pdx_code code = ReadTableHeader(px, &header_, &why); code != PDX_OK) {
    *error = "primary index: " + why;
    return PDX_ERR_CORRUPT_INDEX;
  }
  if (header_.record_size != key_length + 6) {
    *error = "the primary index does not match the table's key";
    return PDX_ERR_CORRUPT_INDEX;
  }
  uint64_t size = 0;
  if (pdx_code code = px->Size(&size); code != PDX_OK) return code;
  image_.assign(size > header_.header_size ? size - header_.header_size : 0, 0);
  size_t got = 0;
  if (pdx_code code = px->ReadAt(header_.header_size, image_.data(), image_.size(), &got);
      code != PDX_OK)
    return code;
  const size_t block_size = header_.BlockSize();
  image_.resize(image_.size() / block_size * block_size);
  if (uint32_t key = header_.EncryptionKey())
    for (size_t at = 0; at < image_.size(); at += block_size)
      DecryptBlock(key, static_cast<uint32_t>(at / block_size + 1), image_.data() + at, block_size);
  return PDX_OK;
}

size_t PrimaryIndexWriter::EntriesPerBlock() const {
  return (header_.BlockSize() - kBlockHeader) / (static_cast<size_t>(key_length_) + 6);
}

size_t PrimaryIndexWriter::LeafOf(size_t chain_index) const {
  size_t start = 0;
  for (size_t k = 0; k < leaves_.size(); ++k) {
    if (chain_index < start + leaves_[k].size || k + 1 == leaves_.size()) return k;
    start += leaves_[k].size;
  }
  return 0;
}

void PrimaryIndexWriter::Touched(size_t chain_index) {
  if (!leaves_.empty()) leaves_[LeafOf(chain_index)].dirty = true;
}

void PrimaryIndexWriter::Inserted(size_t chain_index) {
  if (leaves_.empty()) return;  // laid out afresh when written
  const size_t k = LeafOf(chain_index);
  Leaf& leaf = leaves_[k];
  leaf.dirty = true;
  if (++leaf.size <= EntriesPerBlock()) return;
  // A full leaf splits; the new half goes into a new block of the file, so
  // no other block's place changes.
  levels_.clear();
  Leaf upper;
  upper.block = ++file_blocks_;
  upper.size = leaf.size - leaf.size / 2;
  upper.dirty = true;
  leaf.size /= 2;
  leaves_.insert(leaves_.begin() + k + 1, upper);
  if (k + 2 < leaves_.size()) leaves_[k + 2].dirty = true;  // its back link
}

void PrimaryIndexWriter::Erased(size_t chain_index) {
  if (leaves_.empty()) return;
  const size_t k = LeafOf(chain_index);
  if (--leaves_[k].size > 0) {
    leaves_[k].dirty = true;
    return;
  }
  // An emptied leaf drops out of its level; its neighbours' links change.
  levels_.clear();
  leaves_.erase(leaves_.begin() + k);
  if (k > 0) leaves_[k - 1].dirty = true;
  if (k < leaves_.size()) leaves_[k].dirty = true;
}

void PrimaryIndexWriter::LayOutAfresh(size_t chain_entries) {
  // Leaves full, numbered from 1, upper levels after them.
  upper_blocks_.clear();
  levels_.clear();
  const size_t per_block = EntriesPerBlock();
  for (size_t first = 0; first < chain_entries; first += per_block) {
    Leaf leaf;
    leaf.block = static_cast<uint16_t>(leaves_.size() + 1);
    leaf.size = std::min(per_block, chain_entries - first);
    leaf.dirty = true;
    leaves_.push_back(leaf);
  }
  file_blocks_ = static_cast<uint16_t>(leaves_.size());
}

void PrimaryIndexWriter::PutBlock(uint16_t number, const Entry* entries, size_t n, uint16_t next,
                                  uint16_t prev) {
  const size_t block_size = header_.BlockSize();
  const size_t entry = static_cast<size_t>(key_length_) + 6;
  scratch_.assign(block_size, 0);
  uint8_t* data = scratch_.data();
  StoreLe16(data, next);
  StoreLe16(data + 2, prev);
  StoreLe16(data + 4, static_cast<uint16_t>((n - 1) * entry));
  for (size_t e = 0; e < n; ++e) {
    uint8_t* out = data + kBlockHeader + e * entry;
    std::memcpy(out, entries[e].key, key_length_);
    StoreIndexBlockNumber(out + key_length_, entries[e].block);
    EncodeInteger(std::min(entries[e].count, kMaxIndexCount), out + key_length_ + 2, 2);
    EncodeInteger(0, out + key_length_ + 4, 2);
  }
  const size_t at = static_cast<size_t>(number - 1) * block_size;
  if (image_.size() < at + block_size) image_.resize(at + block_size);
  if (std::memcmp(image_.data() + at, data, block_size) == 0) return;
  std::memcpy(image_.data() + at, data, block_size);
  if (uint32_t key = header_.EncryptionKey()) EncryptBlock(key, number, data, block_size);
  transaction_->Write(file_, header_.header_size + at, data, block_size);
}

void PrimaryIndexWriter::RewriteChangedLeaves(const BlockList& chain) {
  std::vector<Entry> entries;
  size_t start = 0;
  for (size_t k = 0; k < leaves_.size(); ++k) {
    Leaf& leaf = leaves_[k];
    if (leaf.dirty) {
      entries.clear();
      leaf.sum = 0;
      for (size_t i = start; i < start + leaf.size; ++i) {
        entries.push_back({chain[i].first_key.data(), chain[i].block, chain[i].count});
        leaf.sum += chain[i].count;
      }
      leaf.first_key = chain[start].first_key;
      changed_leaves_.push_back(k);
      PutBlock(leaf.block, entries.data(), leaf.size,
               k + 1 < leaves_.size() ? leaves_[k + 1].block : 0, k > 0 ? leaves_[k - 1].block : 0);
      leaf.dirty = false;
    }
    start += leaf.size;
  }
}

pdx_code PrimaryIndexWriter::RebuildUpperLevels(std::string* error) {
  const size_t per_block = EntriesPerBlock();
  level_count_ = leaves_.empty() ? 0 : 1;
  root_ = leaves_.empty() ? 0 : leaves_.front().block;
  upper_used_ = 0;
  upper_entries_ = 0;
  levels_.clear();
  level_blocks_.clear();
  std::vector<UpperEntry> level;
  level.reserve(leaves_.size());
  for (const Leaf& leaf : leaves_) level.push_back({leaf.first_key, leaf.block, leaf.sum});
  std::vector<Entry> entries;
  while (level.size() > 1) {
    ++level_count_;
    const size_t count = (level.size() + per_block - 1) / per_block;
    while (upper_blocks_.size() < upper_used_ + count) {
      if (file_blocks_ >= kMaxBlocks) {
        levels_.clear();
        *error = "the primary index has reached 65535 blocks";
        return PDX_ERR_TABLE_FULL;
      }
      upper_blocks_.push_back(++file_blocks_);
    }
    std::vector<UpperEntry> above;
    std::vector<uint16_t> blocks(
        upper_blocks_.begin() + static_cast<std::ptrdiff_t>(upper_used_),
        upper_blocks_.begin() + static_cast<std::ptrdiff_t>(upper_used_ + count));
    for (size_t b = 0; b < count; ++b) {
      const size_t first = b * per_block, n = std::min(per_block, level.size() - first);
      entries.clear();
      int64_t sum = 0;
      for (size_t i = first; i < first + n; ++i) {
        entries.push_back({level[i].key.data(), level[i].block, level[i].sum});
        sum += level[i].sum;
      }
      PutBlock(blocks[b], entries.data(), n, b + 1 < count ? blocks[b + 1] : 0,
               b > 0 ? blocks[b - 1] : 0);
      above.push_back({level[first].key, blocks[b], sum});
      root_ = blocks[b];
    }
    upper_used_ += count;
    upper_entries_ += static_cast<uint32_t>(level.size());
    levels_.push_back(std::move(level));
    level_blocks_.push_back(std::move(blocks));
    level = std::move(above);
  }
  // A single leaf is its own root: nothing above it to keep.
  if (!levels_.empty()) levels_.push_back(std::move(level));
  return PDX_OK;
}

void PrimaryIndexWriter::UpdateUpperLevels() {
  const size_t per_block = EntriesPerBlock();
  std::vector<size_t> changed;  // ascending positions in the level being walked
  for (size_t k : changed_leaves_) {
    levels_[0][k] = {leaves_[k].first_key, leaves_[k].block, leaves_[k].sum};
    changed.push_back(k);
  }
  std::vector<Entry> entries;
  for (size_t i = 0; i + 1 < levels_.size() && !changed.empty(); ++i) {
    const std::vector<UpperEntry>& level = levels_[i];
    const std::vector<uint16_t>& blocks = level_blocks_[i];
    std::vector<size_t> above;
    for (size_t k : changed)
      if (above.empty() || above.back() != k / per_block) above.push_back(k / per_block);
    for (size_t b : above) {
      const size_t first = b * per_block, n = std::min(per_block, level.size() - first);
      entries.clear();
      int64_t sum = 0;
      for (size_t e = first; e < first + n; ++e) {
        entries.push_back({level[e].key.data(), level[e].block, level[e].sum});
        sum += level[e].sum;
      }
      PutBlock(blocks[b], entries.data(), n, b + 1 < blocks.size() ? blocks[b + 1] : 0,
               b > 0 ? blocks[b - 1] : 0);
      levels_[i + 1][b] = {level[first].key, blocks[b], sum};
    }
    changed = std::move(above);
  }
}

pdx_code PrimaryIndexWriter::Write(const BlockList& chain, uint16_t table_change_count,
                                   Transaction* transaction, int file, std::string* error) {
  transaction_ = transaction;
  file_ = file;
  if (leaves_.empty() && !chain.empty()) LayOutAfresh(chain.size());
  if (leaves_.empty()) file_blocks_ = 0, upper_blocks_.clear();
  changed_leaves_.clear();
  RewriteChangedLeaves(chain);
  if (levels_.empty()) {
    if (pdx_code code = RebuildUpperLevels(error); code != PDX_OK) return code;
  } else {
    UpdateUpperLevels();
  }
  const uint16_t root = root_;
  const uint8_t levels = level_count_;
  const uint32_t total_entries = static_cast<uint32_t>(chain.size()) + upper_entries_;
  const size_t upper_used = upper_used_;
  const size_t size = static_cast<size_t>(file_blocks_) * header_.BlockSize();
  if (size != image_.size()) {
    // Blocks past the last one in use (after a fresh layout) are cut off;
    // blocks that fell out of use stay, unreferenced, until then.
    transaction_->SetSize(file_, header_.header_size + size);
    image_.resize(size);
  }
  header_.record_count = total_entries;
  header_.file_blocks = file_blocks_;
  header_.used_blocks = static_cast<uint16_t>(leaves_.size() + upper_used);
  header_.first_block = leaves_.empty() ? 0 : leaves_.front().block;
  header_.last_block = leaves_.empty() ? 0 : leaves_.back().block;
  header_.index_root = root;
  header_.index_levels = levels;
  header_.parent_change_count = static_cast<uint8_t>(table_change_count);
  ++header_.change_count;
  std::vector<uint8_t> image = header_.Serialize();
  image.resize(kFixedHeaderSize);
  transaction_->Write(file_, 0, image.data(), image.size());
  return PDX_OK;
}

}  // namespace pdx
