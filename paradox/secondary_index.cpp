#include "secondary_index.h"

#include <algorithm>
#include <cstring>

#include "byte_order.h"
#include "cipher.h"
#include "field_codec.h"
#include "key_compare.h"
#include "pdx_codes.h"
#include "primary_index_writer.h"
#include "table_files.h"

namespace pdx {
namespace {

constexpr int kBlockHeader = 6;

// Letters a case-insensitive index folds: the ASCII ones, whatever the
// locale of the process (genuine indexes hold them so; how they fold the
// letters of a code page's upper half is not known).
uint8_t AsciiUpper(uint8_t c) {
  return c >= 'a' && c <= 'z' ? static_cast<uint8_t>(c - 'a' + 'A') : c;
}

bool IsIndexFileExtension(const std::string& extension) {
  return (extension[0] == 'X' || extension[0] == 'x') && IsSecondaryIndexExtension(extension);
}

std::string CompanionIndexName(const std::string& x_name) {
  std::string y = x_name;
  char& kind = y[y.size() - 3];
  kind = kind == 'X' ? 'Y' : 'y';
  return y;
}

}  // namespace

std::string SecondaryIndex::WriteRefusal(const TableHeader& table) const {
  const std::string file = FileNameOf(x_path);
  // An index not maintained at each change is brought up to date by the
  // engine that uses it, which itself changes the table without touching
  // it (genuine tables carry such indexes older than their rows): a change
  // leaves it as it is.
  if (!maintained) return {};
  if (!table.IsKeyed()) return "the secondary index " + file + " of an unkeyed table is not kept";
  if (y_path.empty()) return "the secondary index " + file + " has lost its companion file";
  if (!KeysOrderAsBytes(header))
    return "the secondary index " + file + ": " + KeyOrderRefusal(header);
  const size_t m = fields.size();
  if (header.key_fields != m + table.key_fields || header.fields.size() != m + table.key_fields + 1)
    return "the secondary index " + file + " has a layout the store does not know";
  for (size_t i = 0; i < m; ++i) {
    const Field& own = header.fields[i];
    if (fields[i] < 1 || fields[i] > static_cast<int>(table.fields.size()) ||
        table.fields[fields[i] - 1].length != own.length ||
        table.fields[fields[i] - 1].type != own.type)
      return "the secondary index " + file + " names fields the table does not have";
  }
  return {};
}

pdx_code FindSecondaryIndexes(FileSystem* fs, const std::string& db_path, const TableHeader& table,
                              std::vector<SecondaryIndex>* indexes,
                              std::vector<std::string>* unreadable) {
  indexes->clear();
  const std::string directory = DirectoryOf(db_path);
  const std::string stem = FileNameOf(WithoutExtension(db_path));
  std::vector<std::string> names;
  if (pdx_code code = ListTableFiles(fs, directory, stem, &names); code != PDX_OK) return code;
  std::sort(names.begin(), names.end());
  for (const std::string& name : names) {
    if (!IsIndexFileExtension(name.substr(stem.size() + 1))) continue;
    SecondaryIndex index;
    index.x_path = JoinPath(directory, name);
    index.y_path = FindFileNoCase(fs, directory, CompanionIndexName(name));
    index.composite = name[stem.size() + 2] == 'G' || name[stem.size() + 2] == 'g';
    std::unique_ptr<File> file;
    std::string why;
    if (pdx_code code = fs->Open(index.x_path, OpenMode::kRead, &file); code != PDX_OK) {
      unreadable->push_back(name + ": the file cannot be opened");
      continue;
    }
    if (ReadTableHeader(file.get(), &index.header, &why) != PDX_OK) {
      unreadable->push_back(name + ": " + why);
      continue;
    }
    const TableHeader& h = index.header;
    const FileKind kind = h.kind();
    index.maintained = kind == FileKind::kSecondaryDataIncrementing ||
                       kind == FileKind::kCompositeDataIncrementing;
    const int trailing = table.IsKeyed() ? table.key_fields + 1 : 3;
    const int m = static_cast<int>(h.fields.size()) - trailing;
    if (m < 1 || (kind != FileKind::kSecondaryData && kind != FileKind::kCompositeData &&
                  !index.maintained)) {
      unreadable->push_back(name + ": not a secondary index of this table");
      continue;
    }
    for (int i = 0; i < m; ++i) {
      if (h.has_extension) {
        index.fields.push_back(h.fields[i].id & 0x7FFF);
        index.descending.push_back((h.fields[i].id & 0x8000) != 0);
      } else {
        index.fields.push_back(i == 0 ? h.index_field_number : 0);
        index.descending.push_back(false);
      }
    }
    // Index flags: 0x01 ignores case, 0x10 descending, 0x20 unique. Genuine
    // composite indexes with 0x01 hold their alpha values in upper case,
    // ordered as those bytes order (docs/paradox-format-notes.md).
    if (h.has_extension && h.image.size() > 0x55) {
      const uint8_t flags = h.image[0x55];
      index.case_insensitive = (flags & 0x01) != 0;
      index.unique = (flags & 0x20) != 0;
      if (flags & 0x10) std::fill(index.descending.begin(), index.descending.end(), true);
    }
    const int first = index.fields.front();
    index.name = !h.index_name.empty() ? h.index_name
                 : first >= 1 && first <= static_cast<int>(table.fields.size())
                     ? table.fields[first - 1].name
                     : name;
    indexes->push_back(std::move(index));
  }
  return PDX_OK;
}

int CompareIndexRows(const SecondaryIndex& index, const uint8_t* a, const uint8_t* b,
                     size_t fields) {
  const TableHeader& h = index.header;
  for (size_t i = 0; i < fields && i < h.key_fields && i < h.fields.size(); ++i) {
    const Field& f = h.fields[i];
    const uint8_t* pa = a + f.offset;
    const uint8_t* pb = b + f.offset;
    int c = 0;
    if (f.type == FieldType::kAlpha && index.case_insensitive) {
      for (int k = 0; k < f.length && c == 0; ++k) c = AsciiUpper(pa[k]) - AsciiUpper(pb[k]);
    } else {
      c = std::memcmp(pa, pb, f.length);
    }
    if (c != 0) {
      const bool down = i < index.descending.size() && index.descending[i];
      return (c < 0) != down ? -1 : 1;
    }
  }
  return 0;
}

std::string MakeIndexRow(const SecondaryIndex& index, const TableHeader& table, const uint8_t* row,
                         uint16_t block) {
  std::string r(index.header.record_size, '\0');
  size_t at = 0;
  auto put = [&](const Field& f) {
    if (at + f.length <= r.size()) std::memcpy(r.data() + at, row + f.offset, f.length);
    at += f.length;
  };
  for (int field : index.fields) {
    if (field < 1 || field > static_cast<int>(table.fields.size())) continue;
    const Field& f = table.fields[field - 1];
    const size_t start = at;
    put(f);
    // A case-insensitive index holds its alpha values in upper case.
    if (index.case_insensitive && f.type == FieldType::kAlpha)
      for (size_t k = start; k < at && k < r.size(); ++k)
        r[k] = static_cast<char>(AsciiUpper(static_cast<uint8_t>(r[k])));
  }
  for (size_t k = 0; k < table.key_fields && k < table.fields.size(); ++k) put(table.fields[k]);
  if (at + 2 <= r.size()) EncodeInteger(block, reinterpret_cast<uint8_t*>(r.data() + at), 2);
  return r;
}

std::vector<std::string> ExpectedIndexRows(const SecondaryIndex& index, const TableHeader& table,
                                           const std::vector<TableRow>& rows, bool* duplicate) {
  std::vector<std::string> out;
  out.reserve(rows.size());
  for (const TableRow& row : rows) out.push_back(MakeIndexRow(index, table, row.data, row.block));
  const size_t all = index.header.key_fields;
  auto bytes = [](const std::string& s) { return reinterpret_cast<const uint8_t*>(s.data()); };
  std::stable_sort(out.begin(), out.end(), [&](const std::string& a, const std::string& b) {
    return CompareIndexRows(index, bytes(a), bytes(b), all) < 0;
  });
  if (duplicate != nullptr) {
    *duplicate = false;
    for (size_t i = 1; i < out.size() && !*duplicate; ++i)
      *duplicate =
          CompareIndexRows(index, bytes(out[i - 1]), bytes(out[i]), index.fields.size()) == 0;
  }
  return out;
}

bool ReadIndexRows(FileSystem* fs, const SecondaryIndex& index, std::vector<std::string>* rows,
                   std::string* why) {
  rows->clear();
  const TableHeader& h = index.header;
  std::unique_ptr<File> file;
  uint64_t length = 0;
  if (fs->Open(index.x_path, OpenMode::kRead, &file) != PDX_OK || file->Size(&length) != PDX_OK) {
    *why = "the file cannot be read";
    return false;
  }
  const size_t block_size = h.BlockSize();
  std::vector<uint8_t> block(block_size);
  std::vector<bool> seen(h.file_blocks + 1u, false);
  for (uint16_t b = h.first_block; b != 0;) {
    if (b > h.file_blocks || seen[b] || h.BlockOffset(b) + block_size > length) {
      *why = "its block chain is broken at block " + std::to_string(b);
      return false;
    }
    seen[b] = true;
    size_t got = 0;
    if (file->ReadAt(h.BlockOffset(b), block.data(), block_size, &got) != PDX_OK ||
        got != block_size) {
      *why = "block " + std::to_string(b) + " cannot be read";
      return false;
    }
    if (uint32_t key = h.EncryptionKey()) DecryptBlock(key, b, block.data(), block_size);
    const auto last = static_cast<int16_t>(LoadLe16(block.data() + 4));
    const int count = last < 0 ? 0 : last / h.record_size + 1;
    if (kBlockHeader + static_cast<size_t>(count) * h.record_size > block_size) {
      *why = "block " + std::to_string(b) + " has an invalid row count";
      return false;
    }
    for (int i = 0; i < count; ++i)
      rows->emplace_back(reinterpret_cast<const char*>(block.data()) + kBlockHeader +
                             static_cast<size_t>(i) * h.record_size,
                         h.record_size);
    b = LoadLe16(block.data());
  }
  return true;
}

pdx_code WriteSecondaryIndex(SecondaryIndex* index, const std::vector<std::string>& rows, File* y,
                             Transaction* transaction, int x_file, int y_file, std::string* error) {
  TableHeader& h = index->header;
  const size_t block_size = h.BlockSize();
  const size_t per_block = static_cast<size_t>(h.RecordsPerBlock());
  const size_t blocks = (rows.size() + per_block - 1) / per_block;
  if (blocks > 65535) {
    *error = "the secondary index " + FileNameOf(index->x_path) + " has reached 65535 blocks";
    return PDX_ERR_TABLE_FULL;
  }
  transaction->SetSize(x_file, h.header_size + blocks * block_size);
  const int key_length = h.KeyLength();
  BlockList chain;
  std::vector<uint8_t> block(block_size);
  for (size_t b = 0; b < blocks; ++b) {
    const auto number = static_cast<uint16_t>(b + 1);
    const size_t first = b * per_block, n = std::min(per_block, rows.size() - first);
    std::fill(block.begin(), block.end(), 0);
    StoreLe16(block.data(), b + 1 < blocks ? number + 1 : 0);
    StoreLe16(block.data() + 2, b > 0 ? number - 1 : 0);
    StoreLe16(block.data() + 4, static_cast<uint16_t>((n - 1) * h.record_size));
    for (size_t i = 0; i < n; ++i)
      std::memcpy(block.data() + kBlockHeader + i * h.record_size, rows[first + i].data(),
                  h.record_size);
    chain.push_back({number, static_cast<uint16_t>(n), rows[first].substr(0, key_length)});
    if (uint32_t key = h.EncryptionKey()) EncryptBlock(key, number, block.data(), block_size);
    transaction->Write(x_file, h.BlockOffset(number), block.data(), block_size);
  }
  h.record_count = static_cast<uint32_t>(rows.size());
  h.file_blocks = h.used_blocks = static_cast<uint16_t>(blocks);
  h.first_block = blocks > 0 ? 1 : 0;
  h.last_block = static_cast<uint16_t>(blocks);
  h.first_free_block = 0;
  ++h.change_count;
  std::vector<uint8_t> image = h.Serialize();
  image.resize(
      std::min<size_t>(image.size(), h.has_extension ? kExtendedHeaderSize : kFixedHeaderSize));
  transaction->Write(x_file, 0, image.data(), image.size());

  PrimaryIndexWriter primary;
  if (pdx_code code = primary.Load(y, key_length, error); code != PDX_OK) {
    *error = FileNameOf(index->y_path) + ": " + *error;
    return code;
  }
  return primary.Write(chain, h.change_count, transaction, y_file, error);
}

}  // namespace pdx
