#include "block_file.h"

#include <algorithm>
#include <atomic>
#include <cstring>

#include "byte_order.h"
#include "cipher.h"
#include "error_context.h"
#include "pdx_codes.h"

namespace pdx {
namespace {
std::atomic<uint32_t> next_cache_id{1};
}

int BlockRecordCount(const uint8_t* block_header, int record_size, int block_size) {
  const auto last = static_cast<int16_t>(LoadLe16(block_header + 4));
  if (last < 0 || last % record_size != 0 || last > block_size - kBlockHeaderLength - record_size)
    return 0;
  return last / record_size + 1;
}

BlockFile::BlockFile(std::unique_ptr<File> file, std::string path, BlockCache* cache)
    : file_(std::move(file)), path_(std::move(path)), cache_(cache), cache_id_(next_cache_id++) {}

pdx_code BlockFile::Open(FileSystem* fs, const std::string& path, OpenMode mode, BlockCache* cache,
                         std::unique_ptr<BlockFile>* out) {
  std::unique_ptr<File> file;
  if (pdx_code rc = fs->Open(path, mode, &file); rc != PDX_OK)
    return AddErrorContext(rc, "File: " + path);
  std::unique_ptr<BlockFile> block_file(new BlockFile(std::move(file), path, cache));
  if (pdx_code rc = block_file->LoadHeader(); rc != PDX_OK) return rc;
  *out = std::move(block_file);
  return PDX_OK;
}

pdx_code BlockFile::Corrupt(pdx_code code, const std::string& what) {
  AddErrorContext(code, "File: " + path_);
  return AddErrorContext(code, what);
}

pdx_code BlockFile::LoadHeader() {
  if (file_->Size(&length_) != PDX_OK) return Corrupt(PDX_ERR_READ, "cannot tell the file's size");
  uint8_t start[4];
  size_t got = 0;
  if (file_->ReadAt(0, start, sizeof start, &got) != PDX_OK)
    return Corrupt(PDX_ERR_READ, "cannot read the header");
  if (got < sizeof start)
    return Corrupt(PDX_ERR_CORRUPT_HEADER, "the file is shorter than a table header");
  // The header's own size bounds the read; ParseTableHeader checks it further.
  size_t header_size = LoadLe16(start + 2);
  if (header_size < kFixedHeaderSize || header_size > length_)
    return Corrupt(PDX_ERR_CORRUPT_HEADER,
                   "header size " + std::to_string(header_size) + " does not fit the file");
  std::vector<uint8_t> image(header_size);
  if (file_->ReadAt(0, image.data(), header_size, &got) != PDX_OK || got != header_size)
    return Corrupt(PDX_ERR_READ, "cannot read the header");
  std::string why;
  if (ParseTableHeader(image.data(), image.size(), length_, &header_, &why) != PDX_OK)
    return Corrupt(PDX_ERR_CORRUPT_HEADER, why);
  image.resize(kExtendedHeaderSize, 0);
  header_image_ = std::move(image);
  return PDX_OK;
}

pdx_code BlockFile::Refresh() {
  cache_->DropFile(cache_id_);
  return LoadHeader();
}

pdx_code BlockFile::LocateBlock(uint32_t block, uint64_t* offset, size_t* available) {
  if (block == 0 || block > header_.file_blocks)
    return Corrupt(PDX_ERR_CORRUPT_FILE, "block number " + std::to_string(block) +
                                             " lies outside the file's " +
                                             std::to_string(header_.file_blocks) + " blocks");
  *offset = header_.BlockOffset(block);
  if (*offset + kBlockHeaderLength > length_)
    return Corrupt(PDX_ERR_CORRUPT_FILE,
                   "block " + std::to_string(block) + " lies beyond the end of the file");
  *available = static_cast<size_t>(std::min<uint64_t>(header_.BlockSize(), length_ - *offset));
  return PDX_OK;
}

pdx_code BlockFile::ReadBlock(uint32_t block, BlockView* view) {
  size_t size = 0;
  const uint8_t* data = cache_->Find(cache_id_, block, &size);
  if (data == nullptr && block == next_in_sequence_ && ReadAhead(block))
    data = cache_->Find(cache_id_, block, &size);
  if (data == nullptr) {
    next_in_sequence_ = block + 1;
    uint64_t offset;
    if (pdx_code rc = LocateBlock(block, &offset, &size); rc != PDX_OK) return rc;
    uint8_t* buffer = cache_->Insert(cache_id_, block, size);
    size_t got = 0;
    if (file_->ReadAt(offset, buffer, size, &got) != PDX_OK || got != size) {
      cache_->Drop(cache_id_, block);
      return Corrupt(PDX_ERR_READ, "cannot read block " + std::to_string(block));
    }
    if (key_ != 0) DecryptBlock(key_, block, buffer, size);
    data = buffer;
  }
  const int record_size = header_.record_size;
  view->data = data;
  view->size = size;
  view->next = LoadLe16(data);
  view->prev = LoadLe16(data + 2);
  view->count = BlockRecordCount(data, record_size, header_.BlockSize());
  view->record_size = record_size;
  if (kBlockHeaderLength + static_cast<size_t>(view->count) * record_size > size)
    return Corrupt(PDX_ERR_CORRUPT_FILE, "the records of block " + std::to_string(block) +
                                             " run past the end of the file");
  return PDX_OK;
}

bool BlockFile::ReadAhead(uint32_t block) {
  // 16 blocks a call, but never more than a quarter of the cache, so that a
  // scan does not push out what the other cursors work on.
  constexpr uint32_t kReadAheadBlocks = 16;
  const size_t block_size = header_.BlockSize();
  if (block == 0 || block > header_.file_blocks || block_size == 0) return false;
  const uint32_t fits = static_cast<uint32_t>(cache_->budget() / 4 / block_size);
  const uint32_t count =
      std::min({kReadAheadBlocks, fits, static_cast<uint32_t>(header_.file_blocks - block + 1)});
  if (count < 2) return false;
  const uint64_t offset = header_.BlockOffset(block);
  if (offset >= length_) return false;
  const size_t bytes =
      static_cast<size_t>(std::min<uint64_t>(count * block_size, length_ - offset));
  read_ahead_.resize(bytes);
  size_t got = 0;
  if (file_->ReadAt(offset, read_ahead_.data(), bytes, &got) != PDX_OK || got != bytes)
    return false;
  // The requested block last: a cache insert may move earlier entries out.
  const uint32_t blocks = static_cast<uint32_t>((bytes + block_size - 1) / block_size);
  for (uint32_t i = blocks; i-- > 0;) {
    const uint32_t number = block + i;
    size_t cached = 0;
    if (i > 0 && cache_->Find(cache_id_, number, &cached) != nullptr) continue;
    const size_t size = std::min(block_size, bytes - i * block_size);
    if (size < kBlockHeaderLength) continue;
    uint8_t* buffer = cache_->Insert(cache_id_, number, size);
    std::memcpy(buffer, read_ahead_.data() + i * block_size, size);
    if (key_ != 0) DecryptBlock(key_, number, buffer, size);
  }
  next_in_sequence_ = block + blocks;
  return true;
}

pdx_code BlockFile::ReadBlockStart(uint32_t block, size_t n, std::vector<uint8_t>* bytes) {
  uint64_t offset;
  size_t available;
  if (pdx_code rc = LocateBlock(block, &offset, &available); rc != PDX_OK) return rc;
  // Decryption works on whole chunks, so read the chunks that hold n bytes.
  size_t want = key_ != 0 ? (n + kCipherChunk - 1) / kCipherChunk * kCipherChunk : n;
  want = std::min(want, available);
  bytes->resize(want);
  size_t got = 0;
  if (file_->ReadAt(offset, bytes->data(), want, &got) != PDX_OK || got != want)
    return Corrupt(PDX_ERR_READ, "cannot read block " + std::to_string(block));
  if (key_ != 0) DecryptBlock(key_, block, bytes->data(), want);
  return PDX_OK;
}

}  // namespace pdx
