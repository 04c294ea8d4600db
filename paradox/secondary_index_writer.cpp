#include "secondary_index_writer.h"

#include <algorithm>
#include <cstring>

#include "byte_order.h"
#include "cipher.h"
#include "field_codec.h"
#include "pdx_codes.h"
#include "table_files.h"

namespace pdx {
namespace {

constexpr int kBlockHeader = 6;
constexpr uint32_t kMaxBlocks = 65535;

// A row's digest (FNV-1a, then mixed), summed over a set of rows: equal
// sums say, but for odds of one in 2^64, that two sets hold the same rows.
uint64_t Digest(const uint8_t* bytes, size_t n) {
  uint64_t h = 0xcbf29ce484222325ull;
  for (size_t i = 0; i < n; ++i) h = (h ^ bytes[i]) * 0x100000001b3ull;
  h ^= h >> 33;
  h *= 0xff51afd7ed558ccdull;
  return h ^ (h >> 33);
}

}  // namespace

pdx_code SecondaryIndexWriter::Load(const SecondaryIndex& index, const TableHeader& table, File* x,
                                    File* y, std::string* error) {
  index_ = index;
  table_ = table;
  x_ = x;
  blocks_.Clear();
  chain_.clear();
  changed_ = false;
  stored_digest_ = expected_digest_ = expected_rows_ = 0;
  out_of_order_ = false;
  unfoldable_.clear();
  const std::string name = FileNameOf(index.x_path);
  std::string why;
  // The header as it is now: the one found with the table may be older.
  if (ReadTableHeader(x, &header(), &why) != PDX_OK) {
    *error = "the secondary index " + name + ": " + why;
    return PDX_ERR_CORRUPT_INDEX;
  }
  key_ = header().EncryptionKey();
  key_length_ = header().KeyLength();
  std::vector<bool> seen(header().file_blocks + 1u, false);
  uint64_t rows = 0;
  std::string last_key;  // of the rows walked so far
  for (uint16_t b = header().first_block; b != 0;) {
    if (b > header().file_blocks || seen[b]) {
      *error =
          "the secondary index " + name + " has a broken block chain at block " + std::to_string(b);
      return PDX_ERR_CORRUPT_INDEX;
    }
    seen[b] = true;
    std::vector<uint8_t>* data = nullptr;
    if (pdx_code code = ReadBlock(b, &data); code != PDX_OK) {
      *error = "the secondary index " + name + ": block " + std::to_string(b) + " cannot be read";
      return code;
    }
    const int count = Count(*data);
    if (count < 0) {
      *error = "the secondary index " + name + ": block " + std::to_string(b) +
               " has an invalid row count";
      return PDX_ERR_CORRUPT_INDEX;
    }
    chain_.push_back({b, static_cast<uint16_t>(count),
                      std::string(reinterpret_cast<const char*>(Row(*data, 0)), key_length_)});
    rows += static_cast<uint64_t>(count);
    for (int i = 0; i < count; ++i) {
      const uint8_t* row = Row(*data, i);
      stored_digest_ += Digest(row, key_length_);
      const uint8_t* before = i > 0 ? Row(*data, i - 1)
                              : !last_key.empty()
                                  ? reinterpret_cast<const uint8_t*>(last_key.data())
                                  : nullptr;
      if (before != nullptr && Compare(before, row) >= 0) out_of_order_ = true;
    }
    if (count > 0)
      last_key.assign(reinterpret_cast<const char*>(Row(*data, count - 1)), key_length_);
    const uint16_t next = LoadLe16(data->data());
    blocks_.Release(b);
    b = next;
  }
  blocks_.Clear();
  header().record_count = static_cast<uint32_t>(rows);
  header().used_blocks = static_cast<uint16_t>(chain_.size());
  if (pdx_code code = primary_.Load(y, key_length_, error); code != PDX_OK) {
    *error = FileNameOf(index.y_path) + ": " + *error;
    return code;
  }
  return PDX_OK;
}

int SecondaryIndexWriter::Count(const std::vector<uint8_t>& block) const {
  const auto last = static_cast<int16_t>(LoadLe16(block.data() + 4));
  const int rs = header().record_size;
  if (last < 0) return last == -rs ? 0 : -1;
  if (last % rs != 0 || last / rs >= header().RecordsPerBlock()) return -1;
  return last / rs + 1;
}

void SecondaryIndexWriter::SetCount(std::vector<uint8_t>& block, int count) const {
  StoreLe16(block.data() + 4, static_cast<uint16_t>((count - 1) * header().record_size));
}

uint8_t* SecondaryIndexWriter::Row(std::vector<uint8_t>& block, int i) const {
  return block.data() + kBlockHeader + static_cast<size_t>(i) * header().record_size;
}

int SecondaryIndexWriter::Compare(const uint8_t* a, const uint8_t* b) const {
  return CompareIndexRows(index_, a, b, header().key_fields);
}

pdx_code SecondaryIndexWriter::ReadBlock(uint16_t block, std::vector<uint8_t>** data) {
  BlockBuffers::Buffer* buffer = blocks_.Find(block);
  if (buffer == nullptr) {
    const size_t size = header().BlockSize();
    buffer = &blocks_.Hold(block);
    buffer->data.resize(size);
    size_t got = 0;
    if (pdx_code code = x_->ReadAt(header().BlockOffset(block), buffer->data.data(), size, &got);
        code != PDX_OK || got != size) {
      blocks_.Release(block);
      return code != PDX_OK ? code : pdx_code{PDX_ERR_CORRUPT_INDEX};
    }
    if (key_) DecryptBlock(key_, block, buffer->data.data(), size);
  }
  *data = &buffer->data;
  return PDX_OK;
}

std::vector<uint8_t>& SecondaryIndexWriter::DirtyBlock(uint16_t block) {
  BlockBuffers::Buffer& buffer = blocks_.Hold(block);
  buffer.dirty = true;
  changed_ = true;
  return buffer.data;
}

pdx_code SecondaryIndexWriter::NewBlock(uint16_t* block) {
  if (uint16_t free = header().first_free_block; free != 0) {
    std::vector<uint8_t>* data = nullptr;
    if (pdx_code code = ReadBlock(free, &data); code != PDX_OK) return code;
    const uint16_t next = LoadLe16(data->data());
    if (next > header().file_blocks) {
      error_ = "the free-block list of " + FileNameOf(index_.x_path) + " is broken";
      return PDX_ERR_CORRUPT_INDEX;
    }
    header().first_free_block = next;
    *block = free;
  } else {
    if (header().file_blocks >= kMaxBlocks) {
      error_ = "the secondary index " + FileNameOf(index_.x_path) + " has reached 65535 blocks";
      return PDX_ERR_TABLE_FULL;
    }
    *block = ++header().file_blocks;
    blocks_.Hold(*block).data.assign(header().BlockSize(), 0);
  }
  std::vector<uint8_t>& data = DirtyBlock(*block);
  std::fill(data.begin(), data.end(), 0);
  SetCount(data, 0);
  ++header().used_blocks;
  return PDX_OK;
}

void SecondaryIndexWriter::FreeBlock(uint16_t block) {
  std::vector<uint8_t>& data = DirtyBlock(block);
  std::fill(data.begin(), data.end(), 0);
  StoreLe16(data.data(), header().first_free_block);
  SetCount(data, 0);
  header().first_free_block = block;
  --header().used_blocks;
}

pdx_code SecondaryIndexWriter::Relink(size_t chain_index) {
  const size_t from = chain_index == 0 ? 0 : chain_index - 1;
  for (size_t i = from; i <= chain_index + 1 && i < chain_.size(); ++i) {
    std::vector<uint8_t>* data = nullptr;
    if (pdx_code code = ReadBlock(chain_[i].block, &data); code != PDX_OK) return code;
    const uint16_t next = i + 1 < chain_.size() ? chain_[i + 1].block : 0;
    const uint16_t prev = i > 0 ? chain_[i - 1].block : 0;
    if (LoadLe16(data->data()) != next || LoadLe16(data->data() + 2) != prev) {
      std::vector<uint8_t>& d = DirtyBlock(chain_[i].block);
      StoreLe16(d.data(), next);
      StoreLe16(d.data() + 2, prev);
    }
  }
  header().first_block = chain_.empty() ? 0 : chain_.front().block;
  header().last_block = chain_.empty() ? 0 : chain_.back().block;
  return PDX_OK;
}

pdx_code SecondaryIndexWriter::FindSlot(const uint8_t* key, size_t* chain_index, int* slot,
                                        bool* found) {
  *chain_index = 0;
  *slot = 0;
  *found = false;
  if (chain_.empty()) return PDX_OK;
  // The last block whose first key is at or before the key.
  const size_t after = chain_.PartitionPoint([&](const BlockInfo& info) {
    return Compare(reinterpret_cast<const uint8_t*>(info.first_key.data()), key) <= 0;
  });
  const size_t i = after == 0 ? 0 : after - 1;
  std::vector<uint8_t>* data = nullptr;
  if (pdx_code code = ReadBlock(chain_[i].block, &data); code != PDX_OK) return code;
  int low = 0, high = chain_[i].count;
  while (low < high) {
    const int middle = (low + high) / 2;
    if (Compare(Row(*data, middle), key) < 0)
      low = middle + 1;
    else
      high = middle;
  }
  *chain_index = i;
  *slot = low;
  *found = low < chain_[i].count && Compare(Row(*data, low), key) == 0;
  return PDX_OK;
}

pdx_code SecondaryIndexWriter::RowBefore(size_t i, int slot, const uint8_t** row) {
  *row = nullptr;
  while (slot == 0) {
    if (i == 0) return PDX_OK;
    --i;
    slot = chain_[i].count;
  }
  std::vector<uint8_t>* data = nullptr;
  if (pdx_code code = ReadBlock(chain_[i].block, &data); code != PDX_OK) return code;
  *row = Row(*data, slot - 1);
  return PDX_OK;
}

pdx_code SecondaryIndexWriter::RowAtOrAfter(size_t i, int slot, const uint8_t** row) {
  *row = nullptr;
  while (i < chain_.size() && slot >= chain_[i].count) ++i, slot = 0;
  if (i >= chain_.size()) return PDX_OK;
  std::vector<uint8_t>* data = nullptr;
  if (pdx_code code = ReadBlock(chain_[i].block, &data); code != PDX_OK) return code;
  *row = Row(*data, slot);
  return PDX_OK;
}

pdx_code SecondaryIndexWriter::Repeats(const uint8_t* table_row, const uint8_t* replaced,
                                       bool* repeats) {
  *repeats = false;
  const std::string row = MakeIndexRow(index_, table_, table_row, 0);
  const std::string own = replaced ? MakeIndexRow(index_, table_, replaced, 0) : std::string();
  const auto* wanted = reinterpret_cast<const uint8_t*>(row.data());
  size_t i = 0;
  int slot = 0;
  bool found = false;
  if (pdx_code code = FindSlot(wanted, &i, &slot, &found); code != PDX_OK) return code;
  // Rows of equal indexed values are neighbours in the index; the row's own
  // entry, when it is replaced, may stand between it and another.
  const uint8_t* around[2] = {};
  if (pdx_code code = RowBefore(i, slot, &around[0]); code != PDX_OK) return code;
  if (pdx_code code = RowAtOrAfter(i, slot, &around[1]); code != PDX_OK) return code;
  const size_t m = index_.fields.size();
  for (const uint8_t* other : around) {
    if (other == nullptr || CompareIndexRows(index_, other, wanted, m) != 0) continue;
    if (replaced && std::memcmp(other, own.data(), key_length_) == 0) continue;
    *repeats = true;
  }
  return PDX_OK;
}

void SecondaryIndexWriter::ExpectRow(const uint8_t* table_row) {
  if (unfoldable_.empty()) unfoldable_ = Unfoldable(table_row);
  const std::string row = MakeIndexRow(index_, table_, table_row, 0);
  expected_digest_ += Digest(reinterpret_cast<const uint8_t*>(row.data()), key_length_);
  ++expected_rows_;
}

pdx_code SecondaryIndexWriter::Verify(std::string* why) const {
  if (!unfoldable_.empty()) {
    *why = unfoldable_;
    return PDX_ERR_NOT_SUPPORTED;
  }
  if (out_of_order_ || expected_rows_ != header().record_count ||
      expected_digest_ != stored_digest_) {
    *why =
        "the secondary index " + FileNameOf(index_.x_path) + " is out of date; changes are refused";
    return PDX_ERR_INDEX_OUT_OF_DATE;
  }
  return PDX_OK;
}

std::string SecondaryIndexWriter::Unfoldable(const uint8_t* row) const {
  if (!index_.case_insensitive) return {};
  for (int field : index_.fields) {
    const Field& f = table_.fields[field - 1];
    if (f.type != FieldType::kAlpha) continue;
    for (int k = 0; k < f.length; ++k)
      if (row[f.offset + k] >= 0x80)
        return "the secondary index " + FileNameOf(index_.x_path) + " ignores case in " + f.name +
               ", and how it folds letters outside ASCII is not known";
  }
  return {};
}

bool SecondaryIndexWriter::SameEntry(const uint8_t* a, const uint8_t* b) const {
  return MakeIndexRow(index_, table_, a, 0) == MakeIndexRow(index_, table_, b, 0);
}

pdx_code SecondaryIndexWriter::Inserted(const uint8_t* table_row, uint16_t block) {
  const std::string row = MakeIndexRow(index_, table_, table_row, block);
  const auto* bytes = reinterpret_cast<const uint8_t*>(row.data());
  if (chain_.empty()) {
    uint16_t first = 0;
    if (pdx_code code = NewBlock(&first); code != PDX_OK) return code;
    chain_.push_back({first, 0, {}});
    primary_.Inserted(0);
    if (pdx_code code = Relink(0); code != PDX_OK) return code;
    return InsertAt(0, 0, bytes);
  }
  size_t i = 0;
  int slot = 0;
  bool found = false;
  if (pdx_code code = FindSlot(bytes, &i, &slot, &found); code != PDX_OK) return code;
  if (found) {
    error_ = "the secondary index " + FileNameOf(index_.x_path) + " already holds the row";
    return PDX_ERR_INDEX_OUT_OF_DATE;
  }
  return InsertAt(i, slot, bytes);
}

pdx_code SecondaryIndexWriter::FindRow(const std::string& row, size_t* chain_index, int* slot) {
  bool found = false;
  if (pdx_code code =
          FindSlot(reinterpret_cast<const uint8_t*>(row.data()), chain_index, slot, &found);
      code != PDX_OK)
    return code;
  if (found) return PDX_OK;
  error_ = "the secondary index " + FileNameOf(index_.x_path) + " lacks a row of the table";
  return PDX_ERR_INDEX_OUT_OF_DATE;
}

pdx_code SecondaryIndexWriter::Removed(const uint8_t* table_row) {
  const std::string row = MakeIndexRow(index_, table_, table_row, 0);
  size_t i = 0;
  int slot = 0;
  if (pdx_code code = FindRow(row, &i, &slot); code != PDX_OK) return code;
  return RemoveAt(i, slot);
}

pdx_code SecondaryIndexWriter::Moved(const uint8_t* table_row, uint16_t block) {
  const std::string row = MakeIndexRow(index_, table_, table_row, block);
  size_t i = 0;
  int slot = 0;
  if (pdx_code code = FindRow(row, &i, &slot); code != PDX_OK) return code;
  // The hint, the field after the key, names the table block.
  std::vector<uint8_t>* data = nullptr;
  if (pdx_code code = ReadBlock(chain_[i].block, &data); code != PDX_OK) return code;
  if (std::memcmp(Row(*data, slot) + key_length_, row.data() + key_length_, 2) != 0)
    std::memcpy(Row(DirtyBlock(chain_[i].block), slot) + key_length_, row.data() + key_length_, 2);
  return PDX_OK;
}

pdx_code SecondaryIndexWriter::InsertAt(size_t i, int slot, const uint8_t* row) {
  const int capacity = header().RecordsPerBlock();
  const int rs = header().record_size;
  const int count = chain_[i].count;
  std::vector<uint8_t>* unused = nullptr;
  if (pdx_code code = ReadBlock(chain_[i].block, &unused); code != PDX_OK) return code;
  if (count < capacity) {
    std::vector<uint8_t>& data = DirtyBlock(chain_[i].block);
    std::memmove(Row(data, slot + 1), Row(data, slot), static_cast<size_t>(count - slot) * rs);
    std::memcpy(Row(data, slot), row, rs);
    SetCount(data, count + 1);
    ++chain_[i].count;
    if (slot == 0) chain_[i].first_key.assign(reinterpret_cast<const char*>(row), key_length_);
    primary_.Touched(i);
    ++header().record_count;
    return PDX_OK;
  }
  if (slot == count) {
    // After the last row of a full block: the next block when it has room,
    // else a new one, so that rows added in order fill their blocks.
    if (i + 1 < chain_.size() && chain_[i + 1].count < capacity) return InsertAt(i + 1, 0, row);
    uint16_t block = 0;
    if (pdx_code code = NewBlock(&block); code != PDX_OK) return code;
    chain_.insert(i + 1, BlockInfo{block, 0, {}});
    primary_.Inserted(i + 1);
    if (pdx_code code = Relink(i + 1); code != PDX_OK) return code;
    return InsertAt(i + 1, 0, row);
  }
  // A full block splits: its upper half moves to a new block after it.
  uint16_t block = 0;
  if (pdx_code code = NewBlock(&block); code != PDX_OK) return code;
  const int half = count / 2;
  std::vector<uint8_t>& old_data = DirtyBlock(chain_[i].block);
  std::vector<uint8_t>& new_data = DirtyBlock(block);
  std::memcpy(Row(new_data, 0), Row(old_data, half), static_cast<size_t>(count - half) * rs);
  std::memset(Row(old_data, half), 0, static_cast<size_t>(count - half) * rs);
  SetCount(new_data, count - half);
  SetCount(old_data, half);
  chain_[i].count = static_cast<uint16_t>(half);
  primary_.Touched(i);
  chain_.insert(i + 1,
                BlockInfo{block, static_cast<uint16_t>(count - half),
                          std::string(reinterpret_cast<char*>(Row(new_data, 0)), key_length_)});
  primary_.Inserted(i + 1);
  if (pdx_code code = Relink(i + 1); code != PDX_OK) return code;
  return slot <= half ? InsertAt(i, slot, row) : InsertAt(i + 1, slot - half, row);
}

pdx_code SecondaryIndexWriter::RemoveAt(size_t i, int slot) {
  const int rs = header().record_size;
  std::vector<uint8_t>& data = DirtyBlock(chain_[i].block);
  int count = chain_[i].count;
  std::memmove(Row(data, slot), Row(data, slot + 1), static_cast<size_t>(count - slot - 1) * rs);
  std::memset(Row(data, count - 1), 0, rs);
  --count;
  SetCount(data, count);
  chain_[i].count = static_cast<uint16_t>(count);
  primary_.Touched(i);
  if (slot == 0 && count > 0)
    chain_[i].first_key.assign(reinterpret_cast<char*>(Row(data, 0)), key_length_);
  --header().record_count;

  if (count == 0 && chain_.size() == 1) {
    FreeBlock(chain_[0].block);
    chain_.clear();
    primary_.Reset();
    return Relink(0);
  }
  if (count == 0 && i > 0) {
    FreeBlock(chain_[i].block);
    primary_.Erased(i);
    chain_.erase(i);
    return Relink(i - 1);
  }
  // As in the table: the head block stays and takes in the next block's
  // rows; two neighbours that fill at most half a block together merge.
  const int capacity = header().RecordsPerBlock();
  if (i + 1 >= chain_.size() || (count > 0 && count + chain_[i + 1].count > capacity / 2))
    return PDX_OK;
  const size_t absorbed = i + 1;
  std::vector<uint8_t>* next = nullptr;
  if (pdx_code code = ReadBlock(chain_[absorbed].block, &next); code != PDX_OK) return code;
  std::vector<uint8_t>& here = DirtyBlock(chain_[i].block);
  const int moving = chain_[absorbed].count;
  std::memcpy(Row(here, count), Row(*next, 0), static_cast<size_t>(moving) * rs);
  SetCount(here, count + moving);
  if (count == 0) chain_[i].first_key = chain_[absorbed].first_key;
  chain_[i].count = static_cast<uint16_t>(count + moving);
  FreeBlock(chain_[absorbed].block);
  primary_.Touched(i);
  primary_.Erased(absorbed);
  chain_.erase(absorbed);
  return Relink(i);
}

pdx_code SecondaryIndexWriter::Write(Transaction* transaction, int x_file, int y_file,
                                     std::string* error) {
  if (!changed_) {
    blocks_.Clear();
    return PDX_OK;
  }
  const size_t block_size = header().BlockSize();
  std::vector<uint8_t> cipher;
  for (uint16_t block : blocks_.Dirty()) {
    const std::vector<uint8_t>& data = blocks_.Find(block)->data;
    const uint8_t* bytes = data.data();
    if (key_) {
      cipher = data;
      EncryptBlock(key_, block, cipher.data(), block_size);
      bytes = cipher.data();
    }
    transaction->Write(x_file, header().BlockOffset(block), bytes, block_size);
    blocks_.Release(block);
  }
  blocks_.Clear();
  ++header().change_count;
  std::vector<uint8_t> image = header().Serialize();
  image.resize(std::min<size_t>(image.size(),
                                header().has_extension ? kExtendedHeaderSize : kFixedHeaderSize));
  transaction->Write(x_file, 0, image.data(), image.size());
  changed_ = false;
  if (pdx_code code = primary_.Write(chain_, header().change_count, transaction, y_file, error);
      code != PDX_OK) {
    *error = FileNameOf(index_.y_path) + ": " + *error;
    return code;
  }
  return PDX_OK;
}

void SecondaryIndexWriter::ReleaseClean() {
  if (changed_) return;  // held until Write
  blocks_.Clear();
}

}  // namespace pdx
