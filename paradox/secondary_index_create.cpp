#include "secondary_index_create.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "byte_order.h"
#include "cipher.h"
#include "create_table.h"
#include "journal.h"
#include "key_compare.h"
#include "locking.h"
#include "schema.h"
#include "secondary_index.h"
#include "table_files.h"
#include "table_header.h"

namespace pdx {
namespace {

constexpr int kBlockHeader = 6;
constexpr char kHintName[] = "Blk Num";

// The table's rows with the blocks that hold them, in chain order.
pdx_code ReadRows(File* db, const TableHeader& h, std::vector<std::string>* rows,
                  std::vector<uint16_t>* blocks, std::string* error) {
  const size_t block_size = h.BlockSize();
  std::vector<uint8_t> block(block_size);
  std::vector<bool> seen(h.file_blocks + 1u, false);
  for (uint16_t b = h.first_block; b != 0;) {
    size_t got = 0;
    if (b > h.file_blocks || seen[b] ||
        db->ReadAt(h.BlockOffset(b), block.data(), block_size, &got) != PDX_OK ||
        got != block_size) {
      *error = "the table's block chain is broken at block " + std::to_string(b);
      return PDX_ERR_CORRUPT_FILE;
    }
    seen[b] = true;
    const auto last = static_cast<int16_t>(LoadLe16(block.data() + 4));
    const int count = last < 0 ? 0 : last / h.record_size + 1;
    if (kBlockHeader + static_cast<size_t>(count) * h.record_size > block_size) {
      *error = "block " + std::to_string(b) + " of the table has an invalid row count";
      return PDX_ERR_CORRUPT_FILE;
    }
    for (int i = 0; i < count; ++i) {
      rows->emplace_back(reinterpret_cast<const char*>(block.data()) + kBlockHeader +
                             static_cast<size_t>(i) * h.record_size,
                         h.record_size);
      blocks->push_back(b);
    }
    b = LoadLe16(block.data());
  }
  return PDX_OK;
}

// The first free name of the index's files ("X02", "XG0", ...), without the kind letter.
std::string FreeSuffix(FileSystem* fs, const std::string& db_path,
                       const NewSecondaryIndex& request) {
  char suffix[4];
  if (!request.composite) {
    std::snprintf(suffix, sizeof suffix, "%02X", request.fields.front() & 0xFF);
    return suffix;
  }
  for (int n = 0; n < 16; ++n) {
    std::snprintf(suffix, sizeof suffix, "G%X", n);
    if (FindCompanion(fs, db_path, std::string(".X") + suffix).empty()) return suffix;
  }
  return {};
}

std::vector<uint8_t> BuildXHeader(const TableHeader& table, const NewSecondaryIndex& request,
                                  const std::string& stem) {
  TableSchema schema;
  schema.level = table.Level();
  schema.block_size = table.BlockSize();
  auto add = [&](const Field& f, const std::string& name) {
    schema.fields.push_back({name, FieldTypeLetter(f.type), f.DeclaredSize(), true});
  };
  for (int field : request.fields) add(table.fields[field - 1], table.fields[field - 1].name);
  for (size_t k = 0; k < table.key_fields; ++k) add(table.fields[k], table.fields[k].name);
  schema.fields.push_back({kHintName, 'S', 0, false});
  std::vector<uint8_t> image = BuildDataHeader(schema, stem, table.update_time);
  uint8_t* d = image.data();
  d[0x04] = static_cast<uint8_t>(request.composite ? FileKind::kCompositeDataIncrementing
                                                   : FileKind::kSecondaryDataIncrementing);
  d[0x15] = static_cast<uint8_t>(request.fields.front());
  d[0x2C] = 0xFF;
  d[0x2E] = table.structure_count;
  if (table.has_extension) {
    // The first entries of the field-number array name the table's fields.
    const size_t numbers_at = kFixedHeaderSize + LoadLe16(d + 0x66);
    for (size_t i = 0; i < request.fields.size(); ++i)
      StoreLe16(d + numbers_at + 2 * i, static_cast<uint16_t>(request.fields[i]));
    d[0x55] = static_cast<uint8_t>((request.case_insensitive ? 0x01 : 0) |
                                   (request.descending ? 0x10 : 0) | (request.unique ? 0x20 : 0));
    // The index's name follows the sort order's.
    const size_t name_at = kFixedHeaderSize + LoadLe16(d + 0x6E) + std::strlen("ascii") + 1;
    if (request.composite && name_at + request.name.size() + 1 <= image.size()) {
      std::memcpy(d + name_at, request.name.data(), request.name.size());
      StoreLe16(d + 0x51, static_cast<uint16_t>(name_at + request.name.size() + 1));
    }
  }
  return image;
}

pdx_code WriteNewFile(FileSystem* fs, const std::string& path, const std::vector<uint8_t>& bytes) {
  std::unique_ptr<File> file;
  pdx_code code = fs->Open(path, OpenMode::kCreate, &file);
  if (code == PDX_OK) code = file->WriteAt(0, bytes.data(), bytes.size());
  if (code == PDX_OK) code = file->Sync();
  return code;
}

}  // namespace

pdx_code CreateSecondaryIndex(FileSystem* fs, const std::string& db_path,
                              const NewSecondaryIndex& request, std::string* x_path,
                              std::string* error) {
  std::unique_ptr<File> db;
  TableHeader table;
  std::string why;
  if (fs->Open(db_path, OpenMode::kReadWrite, &db) != PDX_OK ||
      ReadTableHeader(db.get(), &table, &why) != PDX_OK) {
    *error = "cannot read the table " + db_path + (why.empty() ? "" : ": " + why);
    return PDX_ERR_FILE_NOT_FOUND;
  }
  if (!table.IsKeyed() || !KeysOrderAsBytes(table) || table.EncryptionKey() != 0) {
    *error = "a new secondary index needs a keyed table in the ascii sort order, without password";
    return PDX_ERR_NOT_SUPPORTED;
  }
  if (request.fields.empty() || request.fields.size() > 16 ||
      (request.fields.size() > 1 && !request.composite) ||
      (!table.has_extension && request.composite) ||
      (request.case_insensitive && !request.composite) ||
      ((request.descending || request.unique) && table.Level() < 70)) {
    *error = "this table cannot take such an index";
    return PDX_ERR_INVALID_PARAMETER;
  }
  for (int field : request.fields)
    if (field < 1 || field > static_cast<int>(table.fields.size()) ||
        IsBlobType(table.fields[field - 1].type)) {
      *error = "no field " + std::to_string(field) + " to index";
      return PDX_ERR_INVALID_PARAMETER;
    }
  const std::string suffix = FreeSuffix(fs, db_path, request);
  const std::string x = CompanionPath(db_path, ".X" + suffix);
  const std::string y = CompanionPath(db_path, ".Y" + suffix);
  if (suffix.empty() || fs->Exists(x) || fs->Exists(y)) {
    *error = "the table already has that index";
    return PDX_ERR_TABLE_EXISTS;
  }
  if (pdx_code code = AcquireWriteLock(db.get()); code != PDX_OK) {
    *error = "another program keeps writing " + db_path;
    return code;
  }
  const std::string stem = FileNameOf(WithoutExtension(db_path));
  const std::string x_new = x + ".new", y_new = y + ".new";
  SecondaryIndex index;
  index.fields = request.fields;
  index.descending.assign(request.fields.size(), request.descending);
  index.composite = request.composite;
  index.unique = request.unique;
  index.case_insensitive = request.case_insensitive;
  index.maintained = true;
  index.x_path = x;
  index.y_path = y;
  std::vector<std::string> rows;
  std::vector<uint16_t> blocks;
  pdx_code code = ReadRows(db.get(), table, &rows, &blocks, error);
  std::vector<uint8_t> x_image = BuildXHeader(table, request, stem);
  if (code == PDX_OK && (code = ParseTableHeader(x_image.data(), x_image.size(), x_image.size(),
                                                 &index.header, &why)) != PDX_OK)
    *error = "the new index's header: " + why;
  std::vector<TableRow> table_rows;
  for (size_t i = 0; i < rows.size(); ++i)
    table_rows.push_back({blocks[i], reinterpret_cast<const uint8_t*>(rows[i].data())});
  bool duplicate = false;
  const std::vector<std::string> expected =
      code == PDX_OK ? ExpectedIndexRows(index, table, table_rows, &duplicate)
                     : std::vector<std::string>();
  if (code == PDX_OK && duplicate && request.unique) {
    *error = "Key violation.";
    code = PDX_ERR_KEY_VIOLATION;
  }
  std::vector<uint8_t> y_image = BuildIndexHeaderFor(index.header, stem);
  y_image[0x04] = static_cast<uint8_t>(request.composite ? FileKind::kCompositeIndex
                                                         : FileKind::kSecondaryIndex);
  if (code == PDX_OK) code = WriteNewFile(fs, x_new, x_image);
  if (code == PDX_OK) code = WriteNewFile(fs, y_new, y_image);
  if (code == PDX_OK) {
    std::unique_ptr<File> x_file, y_file;
    code = fs->Open(x_new, OpenMode::kReadWrite, &x_file);
    if (code == PDX_OK) code = fs->Open(y_new, OpenMode::kReadWrite, &y_file);
    if (code == PDX_OK) {
      // The files are not in place yet: nothing reads the journal of this
      // transaction but the commit itself.
      Journal journal(fs, x + ".jnl");
      Transaction transaction(&journal, {x_file.get(), y_file.get()});
      code = WriteSecondaryIndex(&index, expected, y_file.get(), &transaction, 0, 1, error);
      if (code == PDX_OK) code = transaction.Commit();
      journal.RemoveIfEmpty();
    }
  }
  if (code == PDX_OK) code = fs->Rename(y_new, y);
  if (code == PDX_OK) code = fs->Rename(x_new, x);
  if (code == PDX_OK) code = fs->SyncDirectory(DirectoryOf(x));
  if (code != PDX_OK) {
    fs->Remove(x_new);
    fs->Remove(y_new);
    if (error->empty()) *error = "cannot write the new index " + x;
  } else if (x_path != nullptr) {
    *x_path = x;
  }
  ReleaseWriteLock(db.get());
  return code;
}

}  // namespace pdx
