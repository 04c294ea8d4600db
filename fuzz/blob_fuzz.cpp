// Input: one byte of options (bit 0: the blob file is scrambled), one byte
// giving the number of record pointers (at most 16), the pointers (a type
// code and the 10 bytes after a leader each), then the blob file image.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <vector>

#include "paradox/blob_file.h"
#include "paradox/cipher.h"
#include "paradox/pdx_codes.h"

namespace {

class ImageFile final : public pdx::File {
 public:
  explicit ImageFile(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  pdx_code ReadAt(uint64_t offset, void* data, size_t n, size_t* got) override {
    *got = offset >= bytes_.size() ? 0 : std::min<uint64_t>(n, bytes_.size() - offset);
    if (*got) std::memcpy(data, bytes_.data() + offset, *got);
    return PDX_OK;
  }
  pdx_code WriteAt(uint64_t, const void*, size_t) override { return PDX_ERR_WRITE; }
  pdx_code Size(uint64_t* size) override {
    *size = bytes_.size();
    return PDX_OK;
  }
  pdx_code Truncate(uint64_t) override { return PDX_ERR_WRITE; }
  pdx_code Sync() override { return PDX_OK; }
  pdx_code TryLock(uint64_t, uint64_t, pdx::LockKind) override { return PDX_OK; }
  pdx_code Unlock(uint64_t, uint64_t) override { return PDX_OK; }

 private:
  std::vector<uint8_t> bytes_;
};

constexpr size_t kPointerBytes = 11;
constexpr uint32_t kKey = 0x0A25E09A;

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  bool scrambled = data[0] & 1;
  size_t pointers = std::min<size_t>(data[1] % 17, (size - 2) / kPointerBytes);
  const uint8_t* pointer_bytes = data + 2;
  const uint8_t* image = pointer_bytes + pointers * kPointerBytes;
  std::vector<uint8_t> blob_file(image, data + size);
  if (scrambled) pdx::EncryptBlobChunks(kKey, blob_file.data(), blob_file.size());

  pdx::BlobFile blobs(std::make_unique<ImageFile>(std::move(blob_file)), scrambled ? kKey : 0);
  if (blobs.Open() != PDX_OK) return 0;
  for (uint64_t offset = pdx::kBlobUnit; offset < blobs.size();) {
    pdx::BlobBlockHeader header;
    if (blobs.ReadBlockHeader(offset, &header) != PDX_OK) break;
    offset += uint64_t{header.units} * pdx::kBlobUnit;
  }
  for (size_t i = 0; i < pointers; ++i) {
    const uint8_t* p = pointer_bytes + i * kPointerBytes;
    pdx::Field field;
    if (!pdx::FieldTypeFromCode(p[0], &field.type) || !pdx::IsBlobType(field.type)) {
      field.type = pdx::FieldType::kMemo;
    }
    field.length = pdx::kBlobPointerLength;
    pdx::BlobValue value;
    if (pdx::LocateBlobValue(&blobs, field, p + 1, &value) != PDX_OK) continue;
    if (value.extent.offset + value.length > blobs.size()) std::abort();
    std::vector<uint8_t> bytes(value.length);
    size_t got = 0;
    if (pdx::ReadBlobValue(&blobs, field, p + 1, value, 0, bytes.data(), bytes.size(), &got) ==
            PDX_OK &&
        got != bytes.size()) {
      std::abort();
    }
  }
  return 0;
}
