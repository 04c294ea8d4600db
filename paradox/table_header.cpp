#include "table_header.h"

#include <algorithm>
#include <cstring>

#include "byte_order.h"
#include "file_system.h"
#include "pdx_codes.h"

namespace pdx {
namespace {

// Bytes of the table-name area in the variable part.
size_t TableNameArea(uint8_t version_id) {
  return version_id >= 12 ? 261 : 79;
}

bool HasFieldNames(FileKind kind) {
  return kind != FileKind::kPrimaryIndex && kind != FileKind::kSecondaryIndex &&
         kind != FileKind::kCompositeIndex;
}

// A NUL-terminated string starting at pos that must end before limit.
bool ReadString(const uint8_t* data, size_t limit, size_t* pos, std::string* out) {
  if (*pos >= limit) return false;
  const void* end = std::memchr(data + *pos, 0, limit - *pos);
  if (end == nullptr) return false;
  size_t length = static_cast<const uint8_t*>(end) - (data + *pos);
  out->assign(reinterpret_cast<const char*>(data + *pos), length);
  *pos += length + 1;
  return true;
}

pdx_code Corrupt(std::string* why, const std::string& reason) {
  *why = reason;
  return PDX_ERR_CORRUPT_HEADER;
}

}  // namespace

int TableHeader::Level() const {
  if (version_id <= 3) return 30;
  if (version_id == 4) return 35;
  if (version_id <= 9) return 40;
  if (version_id <= 11) return 50;
  return 70;
}

uint32_t TableHeader::EncryptionKey() const {
  return encryption1 == kEncryptionMarker && has_extension ? encryption2 : encryption1;
}

int TableHeader::KeyLength() const {
  int length = 0;
  for (size_t i = 0; i < key_fields && i < fields.size(); ++i) length += fields[i].length;
  return length;
}

pdx_code ParseTableHeader(const uint8_t* data, size_t size, uint64_t file_length,
                          TableHeader* header, std::string* why) {
  TableHeader h;
  if (size < kFixedHeaderSize) return Corrupt(why, "the file is shorter than a table header");
  h.record_size = LoadLe16(data + 0x00);
  h.header_size = LoadLe16(data + 0x02);
  h.file_type = data[0x04];
  h.block_size_k = data[0x05];
  h.record_count = LoadLe32(data + 0x06);
  h.used_blocks = LoadLe16(data + 0x0A);
  h.file_blocks = LoadLe16(data + 0x0C);
  h.first_block = LoadLe16(data + 0x0E);
  h.last_block = LoadLe16(data + 0x10);
  h.index_field_number = data[0x15];
  h.index_root = LoadLe16(data + 0x1E);
  h.index_levels = data[0x20];
  h.num_fields = LoadLe16(data + 0x21);
  h.key_fields = LoadLe16(data + 0x23);
  h.encryption1 = LoadLe32(data + 0x25);
  h.sort_order_code = data[0x29];
  h.parent_change_count = data[0x2C];
  h.change_count = data[0x2D];
  h.structure_count = data[0x2E];
  h.write_protected = data[0x38];
  h.version_id = data[0x39];
  h.auto_increment = LoadLe32(data + 0x49);
  h.first_free_block = LoadLe16(data + 0x4D);
  h.real_header_size = LoadLe16(data + 0x51);

  if (h.file_type > 8) return Corrupt(why, "unknown file type " + std::to_string(h.file_type));
  if (h.block_size_k < 1 || h.block_size_k > 32)
    return Corrupt(why, "block size of " + std::to_string(h.block_size_k) + " KB");
  if (h.version_id < 3 || h.version_id > 12)
    return Corrupt(why, "unknown table level code " + std::to_string(h.version_id));
  if (h.header_size < kFixedHeaderSize || h.header_size > size || h.header_size > file_length)
    return Corrupt(why, "header size " + std::to_string(h.header_size) + " does not fit the file");
  if (h.record_size == 0 || h.record_size > h.BlockSize() - 6)
    return Corrupt(why, "record size " + std::to_string(h.record_size) +
                            " does not fit a block of " + std::to_string(h.BlockSize()));
  if (h.num_fields == 0 || h.num_fields > 255)
    return Corrupt(why, "field count " + std::to_string(h.num_fields));
  if (h.key_fields > h.num_fields) return Corrupt(why, "more key fields than fields");
  if (h.first_block > h.file_blocks || h.last_block > h.file_blocks ||
      (h.first_block == 0) != (h.last_block == 0))
    return Corrupt(why, "the block chain's ends lie outside the file");

  const FileKind kind = h.kind();
  h.has_extension = HasFieldNames(kind) && h.version_id >= 5;
  const size_t limit = h.header_size;
  const size_t base = h.has_extension ? kExtendedHeaderSize : kFixedHeaderSize;
  const size_t n = h.num_fields;
  if (h.has_extension) {
    if (limit < kExtendedHeaderSize) return Corrupt(why, "header too short for its level");
    h.encryption2 = LoadLe32(data + 0x5C);
    h.update_time = LoadLe32(data + 0x60);
    h.hi_field_id = LoadLe16(data + 0x64);
    h.code_page = LoadLe16(data + 0x6A);
  }

  if (base + 2 * n > limit) return Corrupt(why, "field descriptors run past the header");
  int offset = 0;
  h.fields.resize(n);
  for (size_t i = 0; i < n; ++i) {
    Field& f = h.fields[i];
    uint8_t code = data[base + 2 * i];
    f.size_byte = data[base + 2 * i + 1];
    if (!FieldTypeFromCode(code, &f.type))
      return Corrupt(
          why, "field " + std::to_string(i + 1) + " has unknown type code " + std::to_string(code));
    f.length = FieldLength(f.type, f.size_byte);
    if (f.length == 0)
      return Corrupt(why, "field " + std::to_string(i + 1) + " has an invalid size " +
                              std::to_string(f.size_byte));
    f.offset = offset;
    f.id = static_cast<uint16_t>(i + 1);
    offset += f.length;
  }
  // Index files append a block number, a count and a reserved word to the key.
  const int expected = h.IsIndexFile() ? offset + 6 : offset;
  if (expected != h.record_size)
    return Corrupt(why, "record size " + std::to_string(h.record_size) +
                            " differs from the fields' total of " + std::to_string(expected));

  size_t pos = base + 2 * n + 4;
  const size_t name_area = TableNameArea(h.version_id);
  if (pos + name_area > limit) return Corrupt(why, "table name runs past the header");
  if (HasFieldNames(kind)) pos += 4 * n;
  if (pos + name_area > limit) return Corrupt(why, "table name runs past the header");
  const auto* name_start = data + pos;
  const void* name_end = std::memchr(name_start, 0, name_area);
  h.table_name.assign(reinterpret_cast<const char*>(name_start),
                      name_end ? static_cast<const uint8_t*>(name_end) - name_start : name_area);
  pos += name_area;

  if (HasFieldNames(kind)) {
    for (size_t i = 0; i < n; ++i) {
      if (!ReadString(data, limit, &pos, &h.fields[i].name))
        return Corrupt(why, "field names run past the header");
    }
    if (h.has_extension) {
      // Field numbers and the sort-order name are found through their stored
      // offsets, not by counting: some files keep other bytes in between.
      size_t numbers = kFixedHeaderSize + LoadLe16(data + 0x66);
      if (numbers >= pos && numbers + 2 * n <= limit) {
        for (size_t i = 0; i < n; ++i) h.fields[i].id = LoadLe16(data + numbers + 2 * i);
      }
      size_t sort_name = kFixedHeaderSize + LoadLe16(data + 0x6E);
      if (sort_name >= pos && sort_name < limit &&
          ReadString(data, limit, &sort_name, &h.sort_order_name) &&
          (kind == FileKind::kCompositeData || kind == FileKind::kCompositeDataIncrementing ||
           kind == FileKind::kSecondaryData || kind == FileKind::kSecondaryDataIncrementing)) {
        ReadString(data, limit, &sort_name, &h.index_name);
      }
    }
  }
  h.image.assign(data, data + h.header_size);
  *header = std::move(h);
  return PDX_OK;
}

std::vector<uint8_t> TableHeader::Serialize() const {
  std::vector<uint8_t> out = image;
  if (out.size() < kFixedHeaderSize) out.resize(kFixedHeaderSize, 0);
  uint8_t* d = out.data();
  StoreLe16(d + 0x00, record_size);
  StoreLe16(d + 0x02, header_size);
  d[0x04] = file_type;
  d[0x05] = block_size_k;
  StoreLe32(d + 0x06, record_count);
  StoreLe16(d + 0x0A, used_blocks);
  StoreLe16(d + 0x0C, file_blocks);
  StoreLe16(d + 0x0E, first_block);
  StoreLe16(d + 0x10, last_block);
  d[0x15] = index_field_number;
  StoreLe16(d + 0x1E, index_root);
  d[0x20] = index_levels;
  StoreLe16(d + 0x21, num_fields);
  StoreLe16(d + 0x23, key_fields);
  StoreLe32(d + 0x25, encryption1);
  d[0x29] = sort_order_code;
  d[0x2C] = parent_change_count;
  d[0x2D] = change_count;
  d[0x2E] = structure_count;
  d[0x38] = write_protected;
  d[0x39] = version_id;
  StoreLe32(d + 0x49, auto_increment);
  StoreLe16(d + 0x4D, first_free_block);
  StoreLe16(d + 0x51, real_header_size);
  if (has_extension && out.size() >= kExtendedHeaderSize) {
    StoreLe32(d + 0x5C, encryption2);
    StoreLe32(d + 0x60, update_time);
    StoreLe16(d + 0x64, hi_field_id);
    StoreLe16(d + 0x6A, code_page);
  }
  return out;
}

pdx_code ReadTableHeader(File* file, TableHeader* header, std::string* why) {
  uint64_t size = 0;
  if (pdx_code code = file->Size(&size); code != PDX_OK) return code;
  uint8_t start[4] = {};
  size_t got = 0;
  if (pdx_code code = file->ReadAt(0, start, 4, &got); code != PDX_OK) return code;
  size_t header_size = std::max<size_t>(LoadLe16(start + 2), kExtendedHeaderSize);
  std::vector<uint8_t> image(std::min<uint64_t>(header_size, size));
  if (pdx_code code = file->ReadAt(0, image.data(), image.size(), &got); code != PDX_OK)
    return code;
  return ParseTableHeader(image.data(), got, size, header, why);
}

}  // namespace pdx
