#include "create_table.h"

#include <algorithm>

#include <ctime>
#include <tuple>

#include "blob_file.h"
#include "byte_order.h"
#include "cipher.h"
#include "field_codec.h"
#include "field_type.h"
#include "pdx_codes.h"
#include "table_files.h"
#include "table_header.h"
#include "val_file.h"

namespace pdx {
namespace {

// New tables sort alpha keys byte by byte, the one collation known exactly.
constexpr char kSortOrderName[] = "ascii";
constexpr uint8_t kSortOrderCode = 0x00;
constexpr uint16_t kCodePage = 850;
constexpr size_t kHeaderUnit = 0x800;
// Engine-written files start their data change counter at 2 or more; an
// index is ignored unless it is.
constexpr uint8_t kFirstChangeCount = 2;

uint8_t VersionId(int level) {
  switch (level) {
    case 30:
      return 3;
    case 35:
      return 4;
    case 40:
      return 9;
    case 50:
      return 0x0B;
    default:
      return 0x0C;
  }
}

size_t TableNameArea(int level) {
  return level >= 70 ? 261 : 79;
}

uint8_t SizeByte(const SchemaField& field) {
  if (field.type == '#') return static_cast<uint8_t>(field.size);
  return static_cast<uint8_t>(TableSchema::StoredLength(field));
}

uint8_t TypeCode(char letter) {
  FieldType type{};
  FieldTypeFromLetter(letter, &type);
  return static_cast<uint8_t>(type);
}

void PutName(std::vector<uint8_t>* out, size_t at, const std::string& name, size_t area) {
  for (size_t i = 0; i < name.size() && i + 1 < area; ++i) (*out)[at + i] = name[i];
}

size_t RoundUpToHeaderUnit(size_t n) {
  return (n + kHeaderUnit - 1) / kHeaderUnit * kHeaderUnit;
}

}  // namespace

std::vector<uint8_t> BuildDataHeader(const TableSchema& schema, const std::string& table_name,
                                     uint32_t update_time) {
  const bool extended = schema.level >= 40;
  const size_t n = schema.fields.size();
  const size_t base = extended ? kExtendedHeaderSize : kFixedHeaderSize;
  const size_t name_area = TableNameArea(schema.level);
  size_t names_length = 0;
  for (const SchemaField& f : schema.fields) names_length += f.name.size() + 1;
  const size_t table_name_at = base + 2 * n + 4 + 4 * n;
  const size_t names_at = table_name_at + name_area;
  const size_t numbers_at = names_at + names_length;
  const size_t sort_name_at = numbers_at + 2 * n;
  const size_t real_size = extended ? sort_name_at + sizeof(kSortOrderName) : numbers_at;

  std::vector<uint8_t> h(RoundUpToHeaderUnit(real_size), 0);
  uint8_t* d = h.data();
  StoreLe16(d + 0x00, static_cast<uint16_t>(schema.RecordSize()));
  StoreLe16(d + 0x02, static_cast<uint16_t>(h.size()));
  d[0x04] = schema.KeyFieldCount() > 0 ? 0 : 2;
  d[0x05] = static_cast<uint8_t>(schema.block_size / 1024);
  d[0x12] = 3;
  StoreLe16(d + 0x21, static_cast<uint16_t>(n));
  StoreLe16(d + 0x23, static_cast<uint16_t>(schema.KeyFieldCount()));
  const uint32_t key = PasswordChecksum(schema.password);
  StoreLe32(d + 0x25, extended ? kEncryptionMarker : key);
  d[0x29] = kSortOrderCode;
  d[0x2D] = kFirstChangeCount;
  d[0x2E] = 1;
  // Pointers of the engine's memory: file offsets of what they pointed at.
  StoreLe32(d + 0x30, static_cast<uint32_t>(table_name_at));
  StoreLe32(d + 0x34, static_cast<uint32_t>(base));
  d[0x39] = VersionId(schema.level);
  d[0x3E] = 0x1F;
  d[0x3F] = 0x0F;
  StoreLe16(d + 0x51, static_cast<uint16_t>(real_size));
  d[0x56] = 0x20;
  if (extended) {
    StoreLe16(d + 0x58, static_cast<uint16_t>(0x0100 + d[0x39]));
    StoreLe16(d + 0x5A, static_cast<uint16_t>(0x0100 + d[0x39]));
    StoreLe32(d + 0x5C, key);
    StoreLe32(d + 0x60, update_time);
    StoreLe16(d + 0x64, static_cast<uint16_t>(n + 1));
    StoreLe16(d + 0x66, static_cast<uint16_t>(numbers_at - kFixedHeaderSize));
    StoreLe16(d + 0x6A, kCodePage);
    d[0x6C] = 1;
    d[0x6D] = 1;
    StoreLe16(d + 0x6E, static_cast<uint16_t>(sort_name_at - kFixedHeaderSize));
    StoreLe16(d + 0x70, 1);
  }
  for (size_t i = 0; i < n; ++i) {
    d[base + 2 * i] = TypeCode(schema.fields[i].type);
    d[base + 2 * i + 1] = SizeByte(schema.fields[i]);
  }
  StoreLe32(d + base + 2 * n, static_cast<uint32_t>(table_name_at));
  size_t name_at = names_at;
  for (size_t i = 0; i < n; ++i) {
    StoreLe32(d + base + 2 * n + 4 + 4 * i, static_cast<uint32_t>(name_at));
    PutName(&h, name_at, schema.fields[i].name, schema.fields[i].name.size() + 1);
    name_at += schema.fields[i].name.size() + 1;
  }
  PutName(&h, table_name_at, table_name + kDataExtension, name_area);
  if (extended) {
    for (size_t i = 0; i < n; ++i) StoreLe16(d + numbers_at + 2 * i, static_cast<uint16_t>(i + 1));
    PutName(&h, sort_name_at, kSortOrderName, sizeof(kSortOrderName));
  }
  return h;
}

namespace {

// A primary index header for keys of the given descriptors (type code, size
// byte) and total size.
std::vector<uint8_t> IndexHeader(const std::vector<std::pair<uint8_t, uint8_t>>& keys,
                                 size_t key_size, uint8_t block_size_k, uint8_t sort_order_code,
                                 int level, uint8_t version_id, uint8_t parent_change_count,
                                 const std::string& table_name) {
  const size_t n = keys.size();
  const size_t name_area = TableNameArea(level);
  const size_t real_size = kFixedHeaderSize + 2 * n + 4 + name_area;
  std::vector<uint8_t> h(RoundUpToHeaderUnit(real_size), 0);
  uint8_t* d = h.data();
  StoreLe16(d + 0x00, static_cast<uint16_t>(key_size + 6));
  StoreLe16(d + 0x02, static_cast<uint16_t>(h.size()));
  d[0x04] = static_cast<uint8_t>(FileKind::kPrimaryIndex);
  d[0x05] = block_size_k;
  d[0x12] = 4;
  StoreLe16(d + 0x21, static_cast<uint16_t>(n));
  d[0x29] = sort_order_code;
  d[0x2C] = parent_change_count;  // in step with the data file's change counter
  d[0x2D] = 1;
  StoreLe32(d + 0x30, static_cast<uint32_t>(kFixedHeaderSize + 2 * n + 4));
  d[0x39] = version_id;
  StoreLe16(d + 0x51, static_cast<uint16_t>(real_size));
  for (size_t i = 0; i < n; ++i) {
    d[kFixedHeaderSize + 2 * i] = keys[i].first;
    d[kFixedHeaderSize + 2 * i + 1] = keys[i].second;
  }
  StoreLe32(d + kFixedHeaderSize + 2 * n, static_cast<uint32_t>(kFixedHeaderSize + 2 * n + 4));
  PutName(&h, kFixedHeaderSize + 2 * n + 4, table_name + kPrimaryIndexExtension, name_area);
  return h;
}

}  // namespace

std::vector<uint8_t> BuildIndexHeader(const TableSchema& schema, const std::string& table_name) {
  std::vector<std::pair<uint8_t, uint8_t>> keys;
  for (size_t i = 0; i < schema.KeyFieldCount(); ++i)
    keys.emplace_back(TypeCode(schema.fields[i].type), SizeByte(schema.fields[i]));
  return IndexHeader(keys, schema.KeySize(), static_cast<uint8_t>(schema.block_size / 1024),
                     kSortOrderCode, schema.level, VersionId(schema.level), kFirstChangeCount,
                     table_name);
}

std::vector<uint8_t> BuildIndexHeaderFor(const TableHeader& table, const std::string& table_name) {
  std::vector<std::pair<uint8_t, uint8_t>> keys;
  for (size_t i = 0; i < table.key_fields && i < table.fields.size(); ++i)
    keys.emplace_back(static_cast<uint8_t>(table.fields[i].type), table.fields[i].size_byte);
  return IndexHeader(keys, static_cast<size_t>(table.KeyLength()), table.block_size_k,
                     table.sort_order_code, table.Level(), table.version_id, table.change_count,
                     table_name);
}

std::vector<uint8_t> BuildBlobHeader() {
  std::vector<uint8_t> h(kBlobUnit, 0);
  uint8_t* d = h.data();
  d[0x00] = static_cast<uint8_t>(BlobBlockType::kHeader);
  StoreLe16(d + 0x01, 1);
  StoreLe16(d + 0x03, 1);  // modification count
  const uint8_t constant[] = {0x82, 0x73, 0x02, 0x00, 0x29, 0x00};
  for (size_t i = 0; i < sizeof(constant); ++i) d[0x05 + i] = constant[i];
  StoreLe16(d + 0x0B, kBlobUnit);
  StoreLe16(d + 0x0D, kBlobUnit);
  d[0x10] = kBlobChunk;
  StoreLe16(d + 0x11, kBlobSlots);
  StoreLe16(d + 0x13, 0x0800);
  StoreLe16(d + 0x29, 0x02A1);
  return h;
}

pdx_code BuildValFile(const TableSchema& schema, const std::string& table_name,
                      uint32_t update_time, std::vector<uint8_t>* bytes, std::string* error) {
  ValFile val;
  val.header[0] = 1;  // the data file's structure counter
  if (schema.level == 30) {
    // Level 3.0 engines read the short form: a count, no footer, fields by
    // their position in the table.
    val.level3 = true;
    val.header[1] = kValLevel3Marker;
  } else {
    val.header[1] = VersionId(schema.level);
    StoreLe32(val.header.data() + 3, update_time);
    StoreLe16(val.header.data() + 7, static_cast<uint16_t>(schema.fields.size() + 1));
  }
  val.key_field_count = static_cast<uint16_t>(schema.KeyFieldCount());
  val.table_name.assign(79, '\0');
  val.table_name.replace(0, std::min<size_t>(table_name.size() + 3, 78),
                         table_name + kDataExtension);
  val.table_name.resize(79, '\0');
  for (size_t i = 0; i < schema.fields.size(); ++i)
    val.fields.push_back({static_cast<uint16_t>(i + 1), TypeCode(schema.fields[i].type),
                          SizeByte(schema.fields[i]), schema.fields[i].name});
  for (const SchemaCheck& check : schema.checks) {
    const SchemaField& declared = schema.fields[check.field_index];
    Field field;
    FieldTypeFromLetter(declared.type, &field.type);
    field.size_byte = SizeByte(declared);
    field.length = TableSchema::StoredLength(declared);
    ValCheck record;
    record.field_index = static_cast<uint8_t>(check.field_index);
    record.required = check.required ? 1 : 0;
    for (auto [text, what, value, marker] :
         {std::tuple{&check.minimum, "min", &record.minimum, &record.minimum_marker},
          std::tuple{&check.maximum, "max", &record.maximum, &record.maximum_marker},
          std::tuple{&check.default_value, "default", &record.default_value,
                     &record.default_marker}}) {
      if (!*text) continue;
      std::vector<uint8_t> bytes_of_value(field.length, 0);
      if (ParseFieldText(field, **text, bytes_of_value.data()) != PDX_OK ||
          IsBlank(bytes_of_value.data(), bytes_of_value.size())) {
        *error =
            "check " + declared.name + " " + what + " " + **text + ": not a value of the field";
        return PDX_ERR_OUT_OF_RANGE;
      }
      *value = std::move(bytes_of_value);
      *marker = 1;
    }
    // Stored values compare like the values themselves.
    if (record.minimum && record.maximum && *record.minimum > *record.maximum) {
      *error = "check " + declared.name + ": the minimum lies above the maximum";
      return PDX_ERR_OUT_OF_RANGE;
    }
    if (check.picture) {
      record.SetPicture(*check.picture);
      record.picture_marker = 1;
    }
    val.checks.push_back(std::move(record));
  }
  // Records in field order, which level-3 readers are known to take.
  if (val.level3)
    std::stable_sort(
        val.checks.begin(), val.checks.end(),
        [](const ValCheck& a, const ValCheck& b) { return a.field_index < b.field_index; });
  *bytes = SerializeValFile(val);
  return PDX_OK;
}

pdx_code CreateTable(FileSystem* fs, const std::string& directory, const std::string& table,
                     const TableSchema& schema, std::string* error) {
  if (table.empty() || table.find('/') != std::string::npos ||
      table.size() + 3 > TableNameArea(schema.level) - 1) {
    *error = "\"" + table + "\" is not a valid table name";
    return PDX_ERR_INVALID_TABLE_NAME;
  }
  struct Part {
    std::string extension;
    std::vector<uint8_t> bytes;
  };
  std::vector<Part> parts;
  bool has_blobs = false;
  for (const SchemaField& f : schema.fields) {
    FieldType type{};
    FieldTypeFromLetter(f.type, &type);
    has_blobs = has_blobs || IsBlobType(type);
  }
  if (schema.KeyFieldCount() > 0)
    parts.push_back({kPrimaryIndexExtension, BuildIndexHeader(schema, table)});
  if (has_blobs) {
    std::vector<uint8_t> blob = BuildBlobHeader();
    if (uint32_t key = PasswordChecksum(schema.password))
      EncryptBlobChunks(key, blob.data(), blob.size());
    parts.push_back({kBlobExtension, std::move(blob)});
  }
  const uint32_t now = static_cast<uint32_t>(std::time(nullptr));
  if (!schema.checks.empty()) {
    std::vector<uint8_t> val;
    if (pdx_code code = BuildValFile(schema, table, now, &val, error); code != PDX_OK) return code;
    parts.push_back({kChecksExtension, std::move(val)});
  }
  // The data file comes last: a table exists once its data file does.
  parts.push_back({kDataExtension, BuildDataHeader(schema, table, now)});

  for (const Part& part : parts) {
    if (!FindFileNoCase(fs, directory, table + part.extension).empty()) {
      *error = "table \"" + table + "\" already exists";
      return PDX_ERR_TABLE_EXISTS;
    }
  }
  std::vector<std::string> written;
  auto undo = [&] {
    for (const std::string& path : written) fs->Remove(path);
  };
  for (const Part& part : parts) {
    std::string path = JoinPath(directory, table + part.extension);
    std::string temporary = path + ".new";
    std::unique_ptr<File> file;
    fs->Remove(temporary);
    pdx_code code = fs->Open(temporary, OpenMode::kCreate, &file);
    if (code == PDX_OK) code = file->WriteAt(0, part.bytes.data(), part.bytes.size());
    if (code == PDX_OK) code = file->Sync();
    file.reset();
    if (code == PDX_OK) code = fs->Rename(temporary, path);
    if (code != PDX_OK) {
      fs->Remove(temporary);
      undo();
      *error = "cannot write " + path;
      return code;
    }
    written.push_back(path);
  }
  return fs->SyncDirectory(directory);
}

}  // namespace pdx
