// The header shared by data files (.DB), primary indexes (.PX) and secondary
// index files: parsed in one place, checked against the file's length, and
// written back by patching the documented fields into the original image so
// that bytes of unknown meaning survive a rewrite. The offset of every field
// we rely on is spelled out once, in ParseTableHeader and Serialize
// (table_header.cpp).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "field_type.h"
#include "pdx.h"

namespace pdx {

class File;

enum class FileKind : uint8_t {
  kKeyedData = 0,
  kPrimaryIndex = 1,
  kUnkeyedData = 2,
  kSecondaryData = 3,
  kSecondaryIndex = 4,
  kSecondaryDataIncrementing = 5,
  kCompositeData = 6,
  kCompositeIndex = 7,
  kCompositeDataIncrementing = 8,
};

inline constexpr uint32_t kEncryptionMarker = 0xFF00FF00;
// Primary index entries keep their row counts in short integers; a count
// above this (the upper levels of a table with more rows than that under one
// entry) is stored as this.
inline constexpr int64_t kMaxIndexCount = 32767;
inline constexpr size_t kFixedHeaderSize = 0x58;
inline constexpr size_t kExtendedHeaderSize = 0x78;

struct TableHeader {
  uint16_t record_size = 0;
  uint16_t header_size = 0;
  uint8_t file_type = 0;
  uint8_t block_size_k = 0;
  uint32_t record_count = 0;  // index files: entries in all levels
  uint16_t used_blocks = 0;
  uint16_t file_blocks = 0;
  uint16_t first_block = 0;
  uint16_t last_block = 0;
  uint16_t index_root = 0;
  uint8_t index_levels = 0;
  uint16_t num_fields = 0;
  uint16_t key_fields = 0;
  uint32_t encryption1 = 0;
  uint8_t sort_order_code = 0;
  uint8_t parent_change_count = 0;  // 0x2C
  uint8_t change_count = 0;         // 0x2D, bumped on every data change
  uint8_t structure_count = 0;      // 0x2E, bumped on every structure change
  uint8_t write_protected = 0;
  uint8_t version_id = 0;
  uint32_t auto_increment = 0;
  uint16_t first_free_block = 0;
  uint16_t real_header_size = 0;
  uint8_t index_field_number = 0;  // secondary data files only

  bool has_extension = false;
  uint32_t encryption2 = 0;
  uint32_t update_time = 0;
  uint16_t hi_field_id = 0;
  uint16_t code_page = 0;

  std::string table_name;       // as stored, e.g. "CUST.DB"
  std::string sort_order_name;  // empty where the file names none
  std::string index_name;       // composite secondary data files
  std::vector<Field> fields;

  // The header as read (header_size bytes), the base that Serialize patches.
  std::vector<uint8_t> image;

  FileKind kind() const { return static_cast<FileKind>(file_type); }
  bool IsIndexFile() const {
    return kind() == FileKind::kPrimaryIndex || kind() == FileKind::kSecondaryIndex ||
           kind() == FileKind::kCompositeIndex;
  }
  bool IsKeyed() const { return kind() == FileKind::kKeyedData && key_fields > 0; }
  int BlockSize() const { return block_size_k * 1024; }
  // 30, 35, 40, 50 or 70.
  int Level() const;
  // The password checksum, 0 when the file is not protected.
  uint32_t EncryptionKey() const;
  int RecordsPerBlock() const { return (BlockSize() - 6) / record_size; }
  uint64_t BlockOffset(uint32_t block) const {
    return header_size + static_cast<uint64_t>(block - 1) * BlockSize();
  }
  int KeyLength() const;

  // The image with the scalar fields above stored back into it.
  std::vector<uint8_t> Serialize() const;
};

// Parses a header image. file_length bounds every size read from it.
// Answers PDX_ERR_CORRUPT_HEADER with the reason in *why.
pdx_code ParseTableHeader(const uint8_t* data, size_t size, uint64_t file_length,
                          TableHeader* header, std::string* why);

// Reads and parses the header at the start of file (a data or index file).
pdx_code ReadTableHeader(File* file, TableHeader* header, std::string* why);

}  // namespace pdx
