// One file of the block layout (.DB, .PX, secondary index files): its header
// and its blocks, read through a block cache and decrypted when the file is
// protected. Every block number is checked against the header and the file's
// length before it is read.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "block_cache.h"
#include "file_system.h"
#include "table_header.h"

namespace pdx {

inline constexpr int kBlockHeaderLength = 6;

// A block as read: its links and its records, all checked against its size.
struct BlockView {
  const uint8_t* data = nullptr;
  size_t size = 0;  // less than the block size only for a short last block
  uint16_t next = 0;
  uint16_t prev = 0;
  int count = 0;  // records that the block holds
  int record_size = 0;
  const uint8_t* Record(int i) const { return data + kBlockHeaderLength + i * record_size; }
};

// The number of records a block header declares, or 0 when its last-record
// offset is impossible (such blocks are read as empty).
int BlockRecordCount(const uint8_t* block_header, int record_size, int block_size);

class BlockFile {
 public:
  // Opens path and parses its header. Answers PDX_ERR_CORRUPT_HEADER (with
  // the reason as context) for a damaged header.
  static pdx_code Open(FileSystem* fs, const std::string& path, OpenMode mode, BlockCache* cache,
                       std::unique_ptr<BlockFile>* out);

  const TableHeader& header() const { return header_; }
  // The header's first kExtendedHeaderSize bytes as last read (zeros past a
  // shorter header): equal images mean no writer has been at the file.
  const std::vector<uint8_t>& header_image() const { return header_image_; }
  const std::string& path() const { return path_; }
  File* file() { return file_.get(); }
  uint64_t length() const { return length_; }
  uint32_t cache_id() const { return cache_id_; }
  const BlockCache& cache() const { return *cache_; }
  // The key blocks are decrypted with; 0 for none.
  void set_key(uint32_t key) { key_ = key; }

  // Block (1-based, up to the header's file block count) through the cache.
  // A block whose records do not fit the file answers PDX_ERR_CORRUPT_FILE.
  pdx_code ReadBlock(uint32_t block, BlockView* view);
  // The first n bytes of a block read directly, not through the cache (for
  // walks over every block that must not evict the working set).
  pdx_code ReadBlockStart(uint32_t block, size_t n, std::vector<uint8_t>* bytes);

  // Where block lies in the file and how many of its bytes the file holds.
  pdx_code LocateBlock(uint32_t block, uint64_t* offset, size_t* available);

  // Re-reads the header and the length and forgets cached blocks.
  pdx_code Refresh();

 private:
  BlockFile(std::unique_ptr<File> file, std::string path, BlockCache* cache);
  pdx_code LoadHeader();
  pdx_code Corrupt(pdx_code code, const std::string& what);
  // Reads block and the blocks after it in the file in one call, into the
  // cache; answers false (having cached nothing) when that read fails, so
  // the caller reads the block alone and reports its fault.
  bool ReadAhead(uint32_t block);

  std::unique_ptr<File> file_;
  std::string path_;
  BlockCache* cache_;
  uint32_t cache_id_;
  uint32_t key_ = 0;
  uint64_t length_ = 0;
  TableHeader header_;
  std::vector<uint8_t> header_image_;
  // A scan reads the blocks of a table written in key order one after the
  // other in the file: a miss on the block where the last read ended reads
  // several at once.
  uint32_t next_in_sequence_ = 0;
  std::vector<uint8_t> read_ahead_;
};

}  // namespace pdx
