// Reading memo and blob values: from the leader kept in the record, or from
// the table's blob file (.MB).
//
// The blob file is a run of blocks, each a whole number of 4096-byte units
// starting with its type and length: the header block at offset 0, blocks
// holding one large blob, blocks sub-allocated into 16-byte chunks for up to
// 64 small blobs, and free blocks. A record names its blob by a 10-byte
// pointer after the leader: the block's offset and a slot (0xFF for a
// single-blob block), the value's length and a modification number that the
// blob file repeats beside the value.
//
// Every pointer is checked against the block it names and every size against
// the file before anything is allocated or read; a pointer that does not name
// a live blob of its length answers PDX_ERR_CORRUPT_BLOB. Reads go through a
// small cache of units, so memory stays bounded whatever the file holds.
//
// The layout constants and block parsers are public so that a writer can
// allocate blocks and slots beside this reader without a second copy of them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "field_type.h"
#include "file_system.h"

namespace pdx {

inline constexpr uint32_t kBlobUnit = 4096;
inline constexpr uint32_t kBlobChunk = 16;
inline constexpr int kBlobSlots = 64;
inline constexpr uint8_t kSingleBlobIndex = 0xFF;
// A single-blob block: type, units, length (u32), modification number (u16).
inline constexpr uint32_t kSingleBlobHeader = 9;
// A sub-allocated block: slot table at 0x0C, five bytes per slot; data chunks
// from chunk 21 (offset 0x150) to the end of the unit.
inline constexpr uint32_t kSlotTableOffset = 0x0C;
inline constexpr uint32_t kSlotLength = 5;
inline constexpr uint32_t kFirstDataChunk = 0x150 / kBlobChunk;
inline constexpr uint32_t kChunksPerUnit = kBlobUnit / kBlobChunk;
// Graphic and OLE values start with a prefix in the blob file (01 00 00 01
// or 01 00 00 02, then the length of what follows) that the leader and the
// value seen by callers leave out.
inline constexpr uint32_t kTypePrefixLength = 8;
// A single-blob block is at most 65535 units long.
inline constexpr uint32_t kMaxBlobLength = 65535u * kBlobUnit - kSingleBlobHeader;

enum class BlobBlockType : uint8_t { kHeader = 0, kSingle = 2, kSuballocated = 3, kFree = 4 };

// The 10 bytes after a blob field's leader.
struct BlobPointer {
  uint32_t block_offset = 0;  // file offset of the block, a multiple of kBlobUnit
  uint8_t index = 0;          // kSingleBlobIndex, or a slot 0..63
  uint32_t length = 0;        // bytes of the stored value; 0 is blank
  uint16_t modification = 0;
};

// field points at the whole field (leader and pointer), field_length >= 10.
BlobPointer ParseBlobPointer(const uint8_t* field, size_t field_length);
void StoreBlobPointer(const BlobPointer& pointer, uint8_t* field, size_t field_length);

// Graphic and OLE values: whether the type stores a prefix, and the prefix
// of a value of length bytes (the prefix not counted).
bool HasTypePrefix(FieldType type);
void MakeTypePrefix(FieldType type, uint32_t length, uint8_t* prefix);

struct BlobBlockHeader {
  uint8_t type = 0;
  uint32_t units = 0;  // block length in kBlobUnit
};

struct BlobSlot {
  uint8_t chunk = 0;   // data offset in chunks from the block start; 0 = unused
  uint8_t chunks = 0;  // chunks allocated
  uint16_t modification = 0;
  uint8_t last_chunk_bytes = 0;  // 1..16; 0 = deleted
  uint32_t Length() const {
    return chunks == 0 ? 0 : (chunks - 1u) * kBlobChunk + last_chunk_bytes;
  }
};

// Slot i of a sub-allocated block, from the block's first unit.
BlobSlot ParseBlobSlot(const uint8_t* unit, int slot);

// Where a value's bytes lie in the blob file, after any type prefix.
struct BlobExtent {
  uint64_t offset = 0;
  uint32_t length = 0;
  uint32_t prefix = 0;  // bytes of type prefix skipped before offset
};

class BlobFile {
 public:
  // key: the table's password checksum, 0 when it is not protected (the
  // whole blob file is then scrambled under it).
  BlobFile(std::unique_ptr<File> file, uint32_t key);

  // Reads the file's size and checks its header block. PDX_ERR_CORRUPT_BLOB
  // when the file is too short or the header is not one.
  pdx_code Open();
  // Forgets cached units and re-reads the size, for files that other
  // programs changed.
  pdx_code Refresh();

  uint64_t size() const { return size_; }
  uint16_t modification_count() const { return modification_count_; }

  // The block header at offset (a multiple of kBlobUnit), with its length
  // checked against the file.
  pdx_code ReadBlockHeader(uint64_t offset, BlobBlockHeader* header);
  // The first unit of the block at offset (decrypted), valid until the next
  // call on this object.
  pdx_code ReadUnit(uint64_t offset, const uint8_t** unit);

  // Checks that pointer names a live blob of its length and modification
  // number in a block of the right kind, and says where its bytes are. For
  // graphic and OLE fields a well-formed type prefix is stepped over.
  pdx_code Locate(FieldType type, const BlobPointer& pointer, BlobExtent* extent);
  // Copies n bytes from offset within the extent; n and offset must lie in it.
  pdx_code Read(const BlobExtent& extent, uint64_t offset, void* data, size_t n);

 private:
  struct CachedUnit {
    uint64_t offset = 0;
    uint64_t last_use = 0;
    size_t valid = 0;
    std::vector<uint8_t> bytes;
  };
  pdx_code FetchUnit(uint64_t offset, const CachedUnit** unit);
  pdx_code ReadRange(uint64_t offset, uint8_t* data, size_t n);
  pdx_code LocateSingle(const BlobPointer& pointer, BlobExtent* extent);
  pdx_code LocateInSlot(const BlobPointer& pointer, BlobExtent* extent);

  std::unique_ptr<File> file_;
  uint32_t key_;
  uint64_t size_ = 0;
  uint16_t modification_count_ = 0;
  uint64_t use_clock_ = 0;
  std::vector<CachedUnit> cache_;
};

// The value of a blob field as callers see it: held whole in the leader, or
// in the blob file (blob_file may be null when the table has none: values
// that need it then answer PDX_ERR_BLOB_FILE_MISSING).
struct BlobValue {
  bool in_leader = true;
  uint32_t length = 0;  // 0: blank
  BlobExtent extent;    // when not in the leader
};

pdx_code LocateBlobValue(BlobFile* blob_file, const Field& field, const uint8_t* record,
                         BlobValue* value);
// Copies up to n bytes from offset of the value; *got receives the count.
pdx_code ReadBlobValue(BlobFile* blob_file, const Field& field, const uint8_t* record,
                       const BlobValue& value, uint64_t offset, void* data, size_t n, size_t* got);

}  // namespace pdx
