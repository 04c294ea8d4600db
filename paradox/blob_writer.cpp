#include "blob_writer.h"

#include <algorithm>
#include <cstring>

#include "byte_order.h"
#include "cipher.h"
#include "pdx_codes.h"

namespace pdx {
namespace {

constexpr uint32_t kDataChunks = kChunksPerUnit - kFirstDataChunk;
constexpr uint32_t kMaxUnits = 65535;
// Record pointers hold a block's offset in 32 bits.
constexpr uint64_t kMaxFileSize = uint64_t{1} << 32;
// Enough for the header and the few blocks one row's values touch; every
// unit is written through to the transaction, so dropping them loses nothing.
constexpr size_t kCachedUnits = 16;
// The header's threshold between small and large values, and its free-space
// hint, which this writer does not keep and so clears.
constexpr size_t kThresholdOffset = 0x13;
constexpr size_t kHintOffset = 0x38;
constexpr size_t kHintLength = 8;
constexpr uint32_t kDefaultThreshold = 2048;

uint8_t Type(BlobBlockType type) {
  return static_cast<uint8_t>(type);
}

struct LiveSlot {
  int slot;
  uint32_t chunk;
  uint32_t chunks;
};

bool IsLive(const BlobSlot& slot) {
  return slot.chunk != 0 && slot.chunks != 0 && slot.last_chunk_bytes != 0;
}

// The live slots of a sub-allocated unit in the order of their data.
std::vector<LiveSlot> LiveSlots(const uint8_t* unit) {
  std::vector<LiveSlot> live;
  for (int i = 0; i < kBlobSlots; ++i) {
    BlobSlot slot = ParseBlobSlot(unit, i);
    if (IsLive(slot)) live.push_back({i, slot.chunk, slot.chunks});
  }
  std::sort(live.begin(), live.end(),
            [](const LiveSlot& a, const LiveSlot& b) { return a.chunk < b.chunk; });
  return live;
}

uint8_t* SlotEntry(uint8_t* unit, int slot) {
  return unit + kSlotTableOffset + kSlotLength * slot;
}

}  // namespace

BlobWriter::BlobWriter(Transaction* transaction, int file, uint32_t key)
    : transaction_(transaction), file_(file), key_(key) {}

void BlobWriter::Reset() {
  scanned_ = false;
  free_blocks_.clear();
  free_by_size_.clear();
  sub_blocks_.clear();
  room_.clear();
  units_.clear();
}

void BlobWriter::AddFree(uint64_t offset, uint32_t units) {
  free_blocks_[offset] = units;
  free_by_size_.emplace(units, offset);
}

void BlobWriter::RemoveFree(uint64_t offset) {
  auto it = free_blocks_.find(offset);
  free_by_size_.erase({it->second, offset});
  free_blocks_.erase(it);
}

void BlobWriter::SetSubBlock(uint64_t offset, const SubBlock& block) {
  DropSubBlock(offset);
  sub_blocks_[offset] = block;
  if (block.free_slots > 0) room_.emplace(block.free_chunks, offset);
}

void BlobWriter::DropSubBlock(uint64_t offset) {
  auto it = sub_blocks_.find(offset);
  if (it == sub_blocks_.end()) return;
  room_.erase({it->second.free_chunks, offset});
  sub_blocks_.erase(it);
}

pdx_code BlobWriter::ReadPlain(uint64_t offset, uint8_t* data, size_t n) {
  const uint64_t start = offset - offset % kCipherChunk;
  const uint64_t end = (offset + n + kCipherChunk - 1) / kCipherChunk * kCipherChunk;
  std::vector<uint8_t> bytes(end - start);
  if (pdx_code code = transaction_->Read(file_, start, bytes.data(), bytes.size()); code != PDX_OK)
    return code;
  if (key_ != 0) DecryptBlobChunks(key_, bytes.data(), bytes.size());
  std::memcpy(data, bytes.data() + (offset - start), n);
  return PDX_OK;
}

// Whole units only, so that every chunk is scrambled whole.
pdx_code BlobWriter::WritePlain(uint64_t offset, const uint8_t* data, size_t n) {
  for (auto it = units_.lower_bound(offset); it != units_.end() && it->first < offset + n;)
    it = units_.erase(it);
  if (key_ == 0) {
    transaction_->Write(file_, offset, data, n);
    return PDX_OK;
  }
  std::vector<uint8_t> cipher(data, data + n);
  EncryptBlobChunks(key_, cipher.data(), cipher.size());
  transaction_->Write(file_, offset, cipher.data(), cipher.size());
  return PDX_OK;
}

pdx_code BlobWriter::Unit(uint64_t offset, std::vector<uint8_t>** unit) {
  auto it = units_.find(offset);
  if (it == units_.end()) {
    if (units_.size() >= kCachedUnits) units_.clear();
    std::vector<uint8_t> bytes(kBlobUnit);
    if (pdx_code code = ReadPlain(offset, bytes.data(), bytes.size()); code != PDX_OK) return code;
    it = units_.emplace(offset, std::move(bytes)).first;
  }
  *unit = &it->second;
  return PDX_OK;
}

pdx_code BlobWriter::PutUnit(uint64_t offset) {
  const std::vector<uint8_t>& unit = units_.at(offset);
  if (key_ == 0) {
    transaction_->Write(file_, offset, unit.data(), unit.size());
    return PDX_OK;
  }
  std::vector<uint8_t> cipher = unit;
  EncryptBlobChunks(key_, cipher.data(), cipher.size());
  transaction_->Write(file_, offset, cipher.data(), cipher.size());
  return PDX_OK;
}

pdx_code BlobWriter::Scan() {
  if (scanned_) return PDX_OK;
  Reset();
  uint64_t size = 0;
  if (pdx_code code = transaction_->Size(file_, &size); code != PDX_OK) return code;
  // A file that does not end on a unit has lost its tail: writing there
  // would build on bytes of unknown meaning.
  if (size < kBlobUnit || size % kBlobUnit != 0 || size > kMaxFileSize) return PDX_ERR_CORRUPT_BLOB;
  std::vector<uint8_t>* header = nullptr;
  if (pdx_code code = Unit(0, &header); code != PDX_OK) return code;
  if ((*header)[0] != Type(BlobBlockType::kHeader) || LoadLe16(header->data() + 1) != 1)
    return PDX_ERR_CORRUPT_BLOB;
  threshold_ = LoadLe16(header->data() + kThresholdOffset);
  if (threshold_ == 0 || threshold_ > kDataChunks * kBlobChunk) threshold_ = kDefaultThreshold;
  for (uint64_t offset = kBlobUnit; offset < size;) {
    uint32_t units = 0;
    if (pdx_code code = ScanBlock(offset, size, &units); code != PDX_OK) return code;
    offset += uint64_t{units} * kBlobUnit;
  }
  end_ = size;
  scanned_ = true;
  return PDX_OK;
}

pdx_code BlobWriter::ScanBlock(uint64_t offset, uint64_t size, uint32_t* units) {
  uint8_t start[kCipherChunk];
  if (pdx_code code = ReadPlain(offset, start, sizeof start); code != PDX_OK) return code;
  *units = LoadLe16(start + 1);
  if (*units == 0 || offset + uint64_t{*units} * kBlobUnit > size) return PDX_ERR_CORRUPT_BLOB;
  switch (static_cast<BlobBlockType>(start[0])) {
    case BlobBlockType::kSingle:
      return PDX_OK;
    case BlobBlockType::kFree:
      AddFree(offset, *units);
      return PDX_OK;
    case BlobBlockType::kSuballocated:
      break;
    default:
      return PDX_ERR_CORRUPT_BLOB;
  }
  if (*units != 1) return PDX_ERR_CORRUPT_BLOB;
  std::vector<uint8_t> unit(kBlobUnit);
  if (pdx_code code = ReadPlain(offset, unit.data(), unit.size()); code != PDX_OK) return code;
  // Values that overlap or leave the block would be overwritten by the
  // next value put there.
  SubBlock block{kBlobSlots, static_cast<int>(kDataChunks)};
  uint32_t next_free = kFirstDataChunk;
  for (const LiveSlot& slot : LiveSlots(unit.data())) {
    if (slot.chunk < next_free || slot.chunk + slot.chunks > kChunksPerUnit)
      return PDX_ERR_CORRUPT_BLOB;
    next_free = slot.chunk + slot.chunks;
    --block.free_slots;
    block.free_chunks -= static_cast<int>(slot.chunks);
  }
  SetSubBlock(offset, block);
  return PDX_OK;
}

pdx_code BlobWriter::NextModification(uint16_t* modification) {
  std::vector<uint8_t>* header = nullptr;
  if (pdx_code code = Unit(0, &header); code != PDX_OK) return code;
  uint16_t next = static_cast<uint16_t>(LoadLe16(header->data() + 3) + 1);
  if (next == 0) next = 1;  // 0 marks a value held in the leader alone
  StoreLe16(header->data() + 3, next);
  std::memset(header->data() + kHintOffset, 0, kHintLength);
  *modification = next;
  return PutUnit(0);
}

pdx_code BlobWriter::Store(std::string_view bytes, BlobPointer* pointer) {
  if (bytes.empty() || bytes.size() > kMaxBlobLength) return PDX_ERR_OUT_OF_RANGE;
  if (pdx_code code = Scan(); code != PDX_OK) return code;
  return bytes.size() <= threshold_ ? StoreSmall(bytes, pointer) : StoreLarge(bytes, pointer);
}

pdx_code BlobWriter::StoreSmall(std::string_view bytes, BlobPointer* pointer) {
  const uint32_t chunks = static_cast<uint32_t>((bytes.size() + kBlobChunk - 1) / kBlobChunk);
  uint16_t modification = 0;
  if (pdx_code code = NextModification(&modification); code != PDX_OK) return code;
  // The block with the least room that is enough, so that roomy blocks
  // stay for larger values.
  uint64_t offset = 0;
  if (auto fit = room_.lower_bound({static_cast<int>(chunks), 0}); fit != room_.end())
    offset = fit->second;
  std::vector<uint8_t>* unit = nullptr;
  if (offset == 0) {
    if (pdx_code code = TakeBlocks(1, &offset); code != PDX_OK) return code;
    if (pdx_code code = Unit(offset, &unit); code != PDX_OK) return code;
    std::fill(unit->begin(), unit->end(), 0);
    (*unit)[0] = Type(BlobBlockType::kSuballocated);
    StoreLe16(unit->data() + 1, 1);
    SetSubBlock(offset, SubBlock{kBlobSlots, static_cast<int>(kDataChunks)});
  } else if (pdx_code code = Unit(offset, &unit); code != PDX_OK) {
    return code;
  }
  // Slots are handed out from the top, as the format's own writer does.
  int slot = kBlobSlots - 1;
  while (IsLive(ParseBlobSlot(unit->data(), slot))) --slot;
  const uint32_t first = MakeRoom(*unit, chunks);
  uint8_t* data = unit->data() + first * kBlobChunk;
  std::memset(data, 0, chunks * kBlobChunk);
  std::memcpy(data, bytes.data(), bytes.size());
  uint8_t* entry = SlotEntry(unit->data(), slot);
  entry[0] = static_cast<uint8_t>(first);
  entry[1] = static_cast<uint8_t>(chunks);
  StoreLe16(entry + 2, modification);
  const uint32_t last = bytes.size() % kBlobChunk;
  entry[4] = static_cast<uint8_t>(last == 0 ? kBlobChunk : last);
  if (pdx_code code = PutUnit(offset); code != PDX_OK) return code;
  SubBlock block = sub_blocks_.at(offset);
  --block.free_slots;
  block.free_chunks -= static_cast<int>(chunks);
  SetSubBlock(offset, block);
  *pointer = BlobPointer{static_cast<uint32_t>(offset), static_cast<uint8_t>(slot),
                         static_cast<uint32_t>(bytes.size()), modification};
  return PDX_OK;
}

uint32_t BlobWriter::MakeRoom(std::vector<uint8_t>& unit, uint32_t count) {
  std::vector<LiveSlot> live = LiveSlots(unit.data());
  uint32_t next_free = kFirstDataChunk;
  for (const LiveSlot& slot : live) {
    if (slot.chunk - next_free >= count) return next_free;
    next_free = slot.chunk + slot.chunks;
  }
  if (kChunksPerUnit - next_free >= count) return next_free;
  // The room is there but scattered: move the values down together. Rows
  // keep naming their slots; only the slots' chunk numbers change.
  next_free = kFirstDataChunk;
  for (const LiveSlot& slot : live) {
    std::memmove(unit.data() + next_free * kBlobChunk, unit.data() + slot.chunk * kBlobChunk,
                 slot.chunks * kBlobChunk);
    SlotEntry(unit.data(), slot.slot)[0] = static_cast<uint8_t>(next_free);
    next_free += slot.chunks;
  }
  return next_free;
}

pdx_code BlobWriter::StoreLarge(std::string_view bytes, BlobPointer* pointer) {
  const uint64_t units = (bytes.size() + kSingleBlobHeader + kBlobUnit - 1) / kBlobUnit;
  uint64_t offset = 0;
  if (pdx_code code = TakeBlocks(static_cast<uint32_t>(units), &offset); code != PDX_OK)
    return code;
  uint16_t modification = 0;
  if (pdx_code code = NextModification(&modification); code != PDX_OK) return code;
  std::vector<uint8_t> block(units * kBlobUnit, 0);
  block[0] = Type(BlobBlockType::kSingle);
  StoreLe16(block.data() + 1, static_cast<uint16_t>(units));
  StoreLe32(block.data() + 3, static_cast<uint32_t>(bytes.size()));
  StoreLe16(block.data() + 7, modification);
  std::memcpy(block.data() + kSingleBlobHeader, bytes.data(), bytes.size());
  if (pdx_code code = WritePlain(offset, block.data(), block.size()); code != PDX_OK) return code;
  *pointer = BlobPointer{static_cast<uint32_t>(offset), kSingleBlobIndex,
                         static_cast<uint32_t>(bytes.size()), modification};
  return PDX_OK;
}

pdx_code BlobWriter::TakeBlocks(uint32_t units, uint64_t* offset) {
  // The smallest free run that is long enough.
  if (auto best = free_by_size_.lower_bound({units, 0}); best != free_by_size_.end()) {
    const auto [length, at] = *best;
    RemoveFree(at);
    *offset = at;
    if (length > units) return MarkFree(at + uint64_t{units} * kBlobUnit, length - units);
    return PDX_OK;
  }
  if (end_ + uint64_t{units} * kBlobUnit > kMaxFileSize) return PDX_ERR_TABLE_FULL;
  *offset = end_;
  end_ += uint64_t{units} * kBlobUnit;
  return PDX_OK;
}

pdx_code BlobWriter::ReleaseBlocks(uint64_t offset, uint32_t units) {
  auto next = free_blocks_.find(offset + uint64_t{units} * kBlobUnit);
  if (next != free_blocks_.end() && units + next->second <= kMaxUnits) {
    units += next->second;
    RemoveFree(next->first);
  }
  auto after = free_blocks_.lower_bound(offset);
  if (after != free_blocks_.begin()) {
    auto before = std::prev(after);
    if (before->first + uint64_t{before->second} * kBlobUnit == offset &&
        before->second + units <= kMaxUnits) {
      offset = before->first;
      units += before->second;
      RemoveFree(before->first);
    }
  }
  if (offset + uint64_t{units} * kBlobUnit == end_) {
    // Free space at the end goes: the file shrinks.
    end_ = offset;
    units_.erase(units_.lower_bound(end_), units_.end());
    transaction_->SetSize(file_, end_);
    return PDX_OK;
  }
  return MarkFree(offset, units);
}

pdx_code BlobWriter::MarkFree(uint64_t offset, uint32_t units) {
  std::vector<uint8_t>* unit = nullptr;
  if (pdx_code code = Unit(offset, &unit); code != PDX_OK) return code;
  std::fill(unit->begin(), unit->end(), 0);
  (*unit)[0] = Type(BlobBlockType::kFree);
  StoreLe16(unit->data() + 1, static_cast<uint16_t>(units));
  AddFree(offset, units);
  return PutUnit(offset);
}

pdx_code BlobWriter::CheckPointer(const BlobPointer& pointer, uint32_t* units,
                                  uint64_t* data_offset) {
  const uint64_t offset = pointer.block_offset;
  if (offset == 0 || offset % kBlobUnit != 0 || offset >= end_ || pointer.length == 0)
    return PDX_ERR_CORRUPT_BLOB;
  std::vector<uint8_t>* unit = nullptr;
  if (pdx_code code = Unit(offset, &unit); code != PDX_OK) return code;
  const uint8_t* u = unit->data();
  *units = LoadLe16(u + 1);
  if (*units == 0 || offset + uint64_t{*units} * kBlobUnit > end_) return PDX_ERR_CORRUPT_BLOB;
  if (pointer.index == kSingleBlobIndex) {
    if (u[0] != Type(BlobBlockType::kSingle) || LoadLe32(u + 3) != pointer.length ||
        LoadLe16(u + 7) != pointer.modification ||
        uint64_t{pointer.length} + kSingleBlobHeader > uint64_t{*units} * kBlobUnit)
      return PDX_ERR_CORRUPT_BLOB;
    *data_offset = offset + kSingleBlobHeader;
    return PDX_OK;
  }
  if (pointer.index >= kBlobSlots || u[0] != Type(BlobBlockType::kSuballocated))
    return PDX_ERR_CORRUPT_BLOB;
  const BlobSlot slot = ParseBlobSlot(u, pointer.index);
  if (!IsLive(slot) || slot.chunk < kFirstDataChunk ||
      uint32_t{slot.chunk} + slot.chunks > kChunksPerUnit || slot.last_chunk_bytes > kBlobChunk ||
      slot.Length() != pointer.length || slot.modification != pointer.modification)
    return PDX_ERR_CORRUPT_BLOB;
  *data_offset = offset + uint64_t{slot.chunk} * kBlobChunk;
  return PDX_OK;
}

pdx_code BlobWriter::Free(const BlobPointer& pointer) {
  if (pdx_code code = Scan(); code != PDX_OK) return code;
  uint32_t units = 0;
  uint64_t data_offset = 0;
  pdx_code code = CheckPointer(pointer, &units, &data_offset);
  if (code == PDX_ERR_CORRUPT_BLOB) return PDX_OK;
  if (code != PDX_OK) return code;
  if (pointer.index == kSingleBlobIndex) return ReleaseBlocks(pointer.block_offset, units);
  std::vector<uint8_t>* unit = nullptr;
  if (code = Unit(pointer.block_offset, &unit); code != PDX_OK) return code;
  uint8_t* entry = SlotEntry(unit->data(), pointer.index);
  const uint32_t chunks = entry[1];
  std::memset(unit->data() + (data_offset - pointer.block_offset), 0, chunks * kBlobChunk);
  std::memset(entry, 0, kSlotLength);
  if (code = PutUnit(pointer.block_offset); code != PDX_OK) return code;
  SubBlock block = sub_blocks_.at(pointer.block_offset);
  ++block.free_slots;
  block.free_chunks += static_cast<int>(chunks);
  if (block.free_slots < kBlobSlots) {
    SetSubBlock(pointer.block_offset, block);
    return PDX_OK;
  }
  DropSubBlock(pointer.block_offset);
  return ReleaseBlocks(pointer.block_offset, 1);
}

pdx_code BlobWriter::Read(const BlobPointer& pointer, std::string* bytes) {
  if (pdx_code code = Scan(); code != PDX_OK) return code;
  uint32_t units = 0;
  uint64_t data_offset = 0;
  if (pdx_code code = CheckPointer(pointer, &units, &data_offset); code != PDX_OK) return code;
  bytes->resize(pointer.length);
  return ReadPlain(data_offset, reinterpret_cast<uint8_t*>(bytes->data()), bytes->size());
}

}  // namespace pdx
