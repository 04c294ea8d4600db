// The table writer's part in keeping memo and blob values: a row's values
// go into the blob file with the row, and the values a row drops are freed.
// The blob file's own layout is blob_writer's business.
#include <algorithm>
#include <cstring>

#include "pdx_codes.h"
#include "table_writer.h"

namespace pdx {
namespace {

bool InBlobFile(const Field& field, const BlobPointer& pointer) {
  return pointer.block_offset != 0 && pointer.length > static_cast<uint32_t>(field.LeaderLength());
}

// Bytes of a graphic or OLE value's prefix, when the stored bytes carry a
// well-formed one (a reader steps over it; values of other writers may lack it).
size_t PrefixOf(const Field& field, const std::string& bytes) {
  if (!HasTypePrefix(field.type) || bytes.size() < kTypePrefixLength) return 0;
  uint8_t prefix[kTypePrefixLength];
  MakeTypePrefix(field.type, static_cast<uint32_t>(bytes.size() - kTypePrefixLength), prefix);
  return std::memcmp(bytes.data(), prefix, kTypePrefixLength) == 0 ? kTypePrefixLength : 0;
}

}  // namespace

pdx_code TableWriter::BlobFileFor(const Field& field, BlobWriter** blobs) {
  if (!blob_writer_) {
    error_ = "Field: " + field.name + "; the table's blob file (.MB) is missing";
    return PDX_ERR_BLOB_FILE_MISSING;
  }
  // The blob file changes with this operation: a failure must roll it back.
  changed_ = operation_changed_ = true;
  *blobs = blob_writer_.get();
  return PDX_OK;
}

pdx_code TableWriter::StoreRowBlobs(const uint8_t* old_row, uint8_t* row,
                                    const PendingBlobs* pending) {
  for (const Field& field : header_.fields) {
    if (!IsBlobType(field.type)) continue;
    if (pdx_code code = StoreFieldBlob(field, old_row, row, pending); code != PDX_OK) return code;
  }
  return PDX_OK;
}

pdx_code TableWriter::StoreFieldBlob(const Field& field, const uint8_t* old_row, uint8_t* row,
                                     const PendingBlobs* pending) {
  uint8_t* at = row + field.offset;
  const size_t leader = static_cast<size_t>(field.LeaderLength());
  const BlobPointer now = ParseBlobPointer(at, field.length);
  BlobPointer before;
  if (old_row != nullptr) before = ParseBlobPointer(old_row + field.offset, field.length);
  const bool had_stored = old_row != nullptr && InBlobFile(field, before);
  if (had_stored &&
      std::memcmp(at + leader, old_row + field.offset + leader, kBlobPointerLength) == 0) {
    // The same value: kept where it is, with the leader as stored.
    std::memcpy(at, old_row + field.offset, leader);
    return PDX_OK;
  }
  BlobWriter* blobs = nullptr;
  std::string bytes;  // what the blob file is to hold, type prefix included
  if (const std::string* value = pending ? pending->Find(field, row) : nullptr) {
    if (pdx_code code = BlobFileFor(field, &blobs); code != PDX_OK) return code;
    if (HasTypePrefix(field.type)) {
      bytes.resize(kTypePrefixLength);
      MakeTypePrefix(field.type, static_cast<uint32_t>(value->size()),
                     reinterpret_cast<uint8_t*>(bytes.data()));
    }
    bytes += *value;
  } else if (now.length <= leader) {
    // The whole value is in the leader; nothing of it in the blob file.
    std::memset(at + now.length, 0, leader - now.length);
    BlobPointer in_leader;
    in_leader.length = now.length;
    StoreBlobPointer(in_leader, at, field.length);
    if (!had_stored) return PDX_OK;
    if (pdx_code code = BlobFileFor(field, &blobs); code != PDX_OK) return code;
    return blobs->Free(before);
  } else if (now.block_offset == 0) {
    error_ = "Field: " + field.name +
             "; the buffer's long value is no longer held (set it again after reading the row)";
    return PDX_ERR_INVALID_PARAMETER;
  } else {
    // A value stored for another row (or before): this row gets a copy of
    // its own, so that no two rows ever share one.
    if (pdx_code code = BlobFileFor(field, &blobs); code != PDX_OK) return code;
    if (pdx_code code = blobs->Read(now, &bytes); code != PDX_OK) {
      error_ = "Field: " + field.name + "; its blob pointer names no stored value";
      return code;
    }
  }
  // The old value goes first, so that a value replaced by one of its size
  // takes its place and the file does not grow.
  if (had_stored)
    if (pdx_code code = blobs->Free(before); code != PDX_OK) return code;
  BlobPointer stored;
  if (pdx_code code = blobs->Store(bytes, &stored); code != PDX_OK) {
    if (code == PDX_ERR_CORRUPT_BLOB) error_ = "the table's blob file (.MB) is damaged";
    return code;
  }
  const size_t skip = PrefixOf(field, bytes);
  std::memset(at, 0, leader);
  std::memcpy(at, bytes.data() + skip, std::min(leader, bytes.size() - skip));
  StoreBlobPointer(stored, at, field.length);
  return PDX_OK;
}

pdx_code TableWriter::FreeRowBlobs(const uint8_t* row) {
  for (const Field& field : header_.fields) {
    if (!IsBlobType(field.type)) continue;
    const BlobPointer pointer = ParseBlobPointer(row + field.offset, field.length);
    // Without a blob file there is nothing to free: the value is lost already.
    if (!InBlobFile(field, pointer) || !blob_writer_) continue;
    BlobWriter* blobs = nullptr;
    if (pdx_code code = BlobFileFor(field, &blobs); code != PDX_OK) return code;
    // A damaged blob file keeps its space rather than stopping the delete.
    if (pdx_code code = blobs->Free(pointer); code != PDX_OK && code != PDX_ERR_CORRUPT_BLOB)
      return code;
  }
  return PDX_OK;
}

}  // namespace pdx
