#include "pending_blobs.h"

#include <algorithm>
#include <cstring>

#include "blob_file.h"
#include "pdx_codes.h"

namespace pdx {

pdx_code PendingBlobs::Put(const Field& field, uint8_t* record, std::string_view value) {
  const uint32_t prefix = HasTypePrefix(field.type) ? kTypePrefixLength : 0;
  if (value.size() > kMaxBlobLength - prefix) return PDX_ERR_OUT_OF_RANGE;
  DropField(record, field);
  const size_t leader = static_cast<size_t>(field.LeaderLength());
  // Every token in use: the caller keeps tens of thousands of long values unstored.
  if (value.size() > leader && held_.size() >= 0xFFFF) return PDX_ERR_NO_MEMORY;
  uint8_t* at = record + field.offset;
  std::memset(at, 0, field.length);
  std::memcpy(at, value.data(), std::min(leader, value.size()));
  BlobPointer pointer;
  if (value.size() <= leader) {
    pointer.length = static_cast<uint32_t>(value.size());
  } else {
    pointer.length = static_cast<uint32_t>(value.size()) + prefix;
    pointer.modification = NextToken();
    held_[pointer.modification] = Held{record, field.offset, std::string(value)};
  }
  StoreBlobPointer(pointer, at, field.length);
  return PDX_OK;
}

bool PendingBlobs::IsToken(const Field& field, const uint8_t* record) {
  const BlobPointer pointer = ParseBlobPointer(record + field.offset, field.length);
  return pointer.block_offset == 0 && pointer.index == 0 && pointer.modification != 0 &&
         pointer.length > static_cast<uint32_t>(field.LeaderLength());
}

const std::string* PendingBlobs::Find(const Field& field, const uint8_t* record) const {
  if (!IsToken(field, record)) return nullptr;
  const BlobPointer pointer = ParseBlobPointer(record + field.offset, field.length);
  auto it = held_.find(pointer.modification);
  if (it == held_.end() || it->second.field_offset != field.offset) return nullptr;
  const uint32_t prefix = HasTypePrefix(field.type) ? kTypePrefixLength : 0;
  if (it->second.value.size() + prefix != pointer.length) return nullptr;
  return &it->second.value;
}

void PendingBlobs::DropHeldIn(const void* record) {
  std::erase_if(held_, [record](const auto& entry) { return entry.second.buffer == record; });
}

void PendingBlobs::DropField(const void* record, const Field& field) {
  std::erase_if(held_, [&](const auto& entry) {
    return entry.second.buffer == record && entry.second.field_offset == field.offset;
  });
}

void PendingBlobs::DropStored(const std::vector<Field>& fields, const uint8_t* record) {
  for (const Field& field : fields)
    if (IsBlobType(field.type) && Find(field, record) != nullptr)
      held_.erase(ParseBlobPointer(record + field.offset, field.length).modification);
}

uint16_t PendingBlobs::NextToken() {
  // Tokens are never 0 (a value in the leader) and never one still held.
  do {
    last_token_ = static_cast<uint16_t>(last_token_ + 1);
  } while (last_token_ == 0 || held_.count(last_token_) != 0);
  return last_token_;
}

}  // namespace pdx
