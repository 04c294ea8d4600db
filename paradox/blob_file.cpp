#include "blob_file.h"

#include <algorithm>
#include <cstring>

#include "byte_order.h"
#include "cipher.h"
#include "pdx_codes.h"

namespace pdx {
namespace {

// Enough for the header, a sub-allocated block being read and the head and
// tail of a large value; a scan of every blob of a table touches each block
// once, so more would not help.
constexpr size_t kCachedUnits = 8;

constexpr uint8_t kGraphicPrefix[] = {0x01, 0x00, 0x00, 0x01};
constexpr uint8_t kOlePrefix[] = {0x01, 0x00, 0x00, 0x02};

}  // namespace

BlobPointer ParseBlobPointer(const uint8_t* field, size_t field_length) {
  const uint8_t* p = field + field_length - kBlobPointerLength;
  uint32_t location = LoadLe32(p);
  BlobPointer pointer;
  pointer.block_offset = location & ~0xFFu;
  pointer.index = static_cast<uint8_t>(location);
  pointer.length = LoadLe32(p + 4);
  pointer.modification = LoadLe16(p + 8);
  return pointer;
}

void StoreBlobPointer(const BlobPointer& pointer, uint8_t* field, size_t field_length) {
  uint8_t* p = field + field_length - kBlobPointerLength;
  StoreLe32(p, pointer.block_offset | pointer.index);
  StoreLe32(p + 4, pointer.length);
  StoreLe16(p + 8, pointer.modification);
}

bool HasTypePrefix(FieldType type) {
  return type == FieldType::kGraphic || type == FieldType::kOle;
}

void MakeTypePrefix(FieldType type, uint32_t length, uint8_t* prefix) {
  std::memcpy(prefix, type == FieldType::kGraphic ? kGraphicPrefix : kOlePrefix, 4);
  StoreLe32(prefix + 4, length);
}

BlobSlot ParseBlobSlot(const uint8_t* unit, int slot) {
  const uint8_t* p = unit + kSlotTableOffset + kSlotLength * slot;
  return BlobSlot{p[0], p[1], LoadLe16(p + 2), p[4]};
}

BlobFile::BlobFile(std::unique_ptr<File> file, uint32_t key) : file_(std::move(file)), key_(key) {}

pdx_code BlobFile::Open() {
  cache_.clear();
  if (pdx_code code = file_->Size(&size_)) return code;
  const uint8_t* header;
  if (size_ < kBlobUnit) return PDX_ERR_CORRUPT_BLOB;
  if (pdx_code code = ReadUnit(0, &header)) return code;
  if (header[0] != static_cast<uint8_t>(BlobBlockType::kHeader) || LoadLe16(header + 1) != 1) {
    return PDX_ERR_CORRUPT_BLOB;
  }
  modification_count_ = LoadLe16(header + 3);
  return PDX_OK;
}

pdx_code BlobFile::Refresh() {
  return Open();
}

pdx_code BlobFile::FetchUnit(uint64_t offset, const CachedUnit** unit) {
  ++use_clock_;
  for (CachedUnit& cached : cache_) {
    if (cached.offset == offset && !cached.bytes.empty()) {
      cached.last_use = use_clock_;
      *unit = &cached;
      return PDX_OK;
    }
  }
  CachedUnit* slot;
  if (cache_.size() < kCachedUnits) {
    slot = &cache_.emplace_back();
  } else {
    slot = &*std::min_element(cache_.begin(), cache_.end(),
                              [](const auto& a, const auto& b) { return a.last_use < b.last_use; });
  }
  slot->bytes.resize(kBlobUnit);
  slot->offset = offset;
  size_t got = 0;
  if (pdx_code code = file_->ReadAt(offset, slot->bytes.data(), kBlobUnit, &got)) {
    slot->bytes.clear();
    return code;
  }
  // A file shorter than a whole unit is damaged or being cut; the part that
  // is there is still usable, and callers check extents against valid.
  std::fill(slot->bytes.begin() + got, slot->bytes.end(), 0);
  if (key_ != 0) DecryptBlobChunks(key_, slot->bytes.data(), kBlobUnit);
  slot->valid = got;
  slot->last_use = use_clock_;
  *unit = slot;
  return PDX_OK;
}

pdx_code BlobFile::ReadUnit(uint64_t offset, const uint8_t** unit) {
  if (offset % kBlobUnit != 0 || offset >= size_) return PDX_ERR_CORRUPT_BLOB;
  const CachedUnit* cached;
  if (pdx_code code = FetchUnit(offset, &cached)) return code;
  *unit = cached->bytes.data();
  return PDX_OK;
}

pdx_code BlobFile::ReadBlockHeader(uint64_t offset, BlobBlockHeader* header) {
  const uint8_t* unit;
  if (pdx_code code = ReadUnit(offset, &unit)) return code;
  header->type = unit[0];
  header->units = LoadLe16(unit + 1);
  if (header->units == 0 || offset + uint64_t{header->units} * kBlobUnit > size_) {
    return PDX_ERR_CORRUPT_BLOB;
  }
  return PDX_OK;
}

// Large reads bypass the cache: whole units go straight into the caller's
// buffer in one call (and are decrypted there, since every chunk of the blob
// file is scrambled alike); only partial units at either end are cached.
pdx_code BlobFile::ReadRange(uint64_t offset, uint8_t* data, size_t n) {
  while (n > 0) {
    uint64_t unit_start = offset - offset % kBlobUnit;
    if (offset == unit_start && n >= kBlobUnit) {
      size_t whole = n - n % kBlobUnit;
      size_t got = 0;
      if (pdx_code code = file_->ReadAt(offset, data, whole, &got)) return code;
      if (got != whole) return PDX_ERR_CORRUPT_BLOB;
      if (key_ != 0) DecryptBlobChunks(key_, data, whole);
      offset += whole;
      data += whole;
      n -= whole;
      continue;
    }
    const CachedUnit* unit;
    if (pdx_code code = FetchUnit(unit_start, &unit)) return code;
    size_t within = static_cast<size_t>(offset - unit_start);
    size_t take = std::min<size_t>(n, kBlobUnit - within);
    if (within + take > unit->valid) return PDX_ERR_CORRUPT_BLOB;
    std::memcpy(data, unit->bytes.data() + within, take);
    offset += take;
    data += take;
    n -= take;
  }
  return PDX_OK;
}

pdx_code BlobFile::LocateSingle(const BlobPointer& pointer, BlobExtent* extent) {
  BlobBlockHeader header;
  if (pdx_code code = ReadBlockHeader(pointer.block_offset, &header)) return code;
  if (header.type != static_cast<uint8_t>(BlobBlockType::kSingle)) return PDX_ERR_CORRUPT_BLOB;
  const uint8_t* unit;
  if (pdx_code code = ReadUnit(pointer.block_offset, &unit)) return code;
  uint32_t stored_length = LoadLe32(unit + 3);
  uint16_t stored_modification = LoadLe16(unit + 7);
  if (stored_length != pointer.length || stored_modification != pointer.modification) {
    return PDX_ERR_CORRUPT_BLOB;
  }
  if (uint64_t{pointer.length} + kSingleBlobHeader > uint64_t{header.units} * kBlobUnit) {
    return PDX_ERR_CORRUPT_BLOB;
  }
  extent->offset = pointer.block_offset + kSingleBlobHeader;
  extent->length = pointer.length;
  return PDX_OK;
}

pdx_code BlobFile::LocateInSlot(const BlobPointer& pointer, BlobExtent* extent) {
  if (pointer.index >= kBlobSlots) return PDX_ERR_CORRUPT_BLOB;
  BlobBlockHeader header;
  if (pdx_code code = ReadBlockHeader(pointer.block_offset, &header)) return code;
  if (header.type != static_cast<uint8_t>(BlobBlockType::kSuballocated)) {
    return PDX_ERR_CORRUPT_BLOB;
  }
  const uint8_t* unit;
  if (pdx_code code = ReadUnit(pointer.block_offset, &unit)) return code;
  BlobSlot slot = ParseBlobSlot(unit, pointer.index);
  if (slot.chunk < kFirstDataChunk || slot.chunks == 0 ||
      uint32_t{slot.chunk} + slot.chunks > kChunksPerUnit || slot.last_chunk_bytes == 0 ||
      slot.last_chunk_bytes > kBlobChunk) {
    return PDX_ERR_CORRUPT_BLOB;
  }
  if (slot.Length() != pointer.length || slot.modification != pointer.modification) {
    return PDX_ERR_CORRUPT_BLOB;
  }
  extent->offset = pointer.block_offset + uint64_t{slot.chunk} * kBlobChunk;
  extent->length = pointer.length;
  return PDX_OK;
}

pdx_code BlobFile::Locate(FieldType type, const BlobPointer& pointer, BlobExtent* extent) {
  if (pointer.block_offset == 0 || pointer.block_offset % kBlobUnit != 0) {
    return PDX_ERR_CORRUPT_BLOB;
  }
  BlobExtent found;
  pdx_code code = pointer.index == kSingleBlobIndex ? LocateSingle(pointer, &found)
                                                    : LocateInSlot(pointer, &found);
  if (code != PDX_OK) return code;
  if (HasTypePrefix(type) && found.length >= kTypePrefixLength) {
    uint8_t prefix[kTypePrefixLength];
    if (pdx_code read = ReadRange(found.offset, prefix, sizeof prefix)) return read;
    const uint8_t* expected = type == FieldType::kGraphic ? kGraphicPrefix : kOlePrefix;
    if (std::memcmp(prefix, expected, 4) == 0 &&
        LoadLe32(prefix + 4) == found.length - kTypePrefixLength) {
      found.offset += kTypePrefixLength;
      found.length -= kTypePrefixLength;
      found.prefix = kTypePrefixLength;
    }
  }
  *extent = found;
  return PDX_OK;
}

pdx_code BlobFile::Read(const BlobExtent& extent, uint64_t offset, void* data, size_t n) {
  if (offset > extent.length || n > extent.length - offset) return PDX_ERR_INVALID_PARAMETER;
  return ReadRange(extent.offset + offset, static_cast<uint8_t*>(data), n);
}

pdx_code LocateBlobValue(BlobFile* blob_file, const Field& field, const uint8_t* record,
                         BlobValue* value) {
  const uint8_t* bytes = record + field.offset;
  BlobPointer pointer = ParseBlobPointer(bytes, field.length);
  *value = BlobValue{};
  value->length = pointer.length;
  if (pointer.length <= static_cast<uint32_t>(field.LeaderLength())) return PDX_OK;
  if (blob_file == nullptr) return PDX_ERR_BLOB_FILE_MISSING;
  value->in_leader = false;
  if (pdx_code code = blob_file->Locate(field.type, pointer, &value->extent)) return code;
  value->length = value->extent.length;
  return PDX_OK;
}

pdx_code ReadBlobValue(BlobFile* blob_file, const Field& field, const uint8_t* record,
                       const BlobValue& value, uint64_t offset, void* data, size_t n, size_t* got) {
  *got = 0;
  if (offset >= value.length) return PDX_OK;
  size_t take = static_cast<size_t>(std::min<uint64_t>(n, value.length - offset));
  if (value.in_leader) {
    std::memcpy(data, record + field.offset + offset, take);
  } else {
    if (blob_file == nullptr) return PDX_ERR_BLOB_FILE_MISSING;
    if (pdx_code code = blob_file->Read(value.extent, offset, data, take)) return code;
  }
  *got = take;
  return PDX_OK;
}

}  // namespace pdx
