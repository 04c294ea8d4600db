#include "table_shape.h"

#include <cstring>
#include <memory>
#include <set>

#include "paradox/pdx_codes.h"

namespace pdx::testing {
namespace {

unsigned U16(const std::string& s, size_t at) {
  return static_cast<unsigned char>(s[at]) | (static_cast<unsigned char>(s[at + 1]) << 8);
}
unsigned U32(const std::string& s, size_t at) {
  return U16(s, at) | (U16(s, at + 2) << 16);
}
// A short integer in the record encoding (big-endian, sign bit flipped).
int Short(const std::string& s, size_t at) {
  return static_cast<int16_t>(((static_cast<unsigned char>(s[at]) ^ 0x80) << 8) |
                              static_cast<unsigned char>(s[at + 1]));
}

std::string ReadAll(FileSystem* fs, const std::string& path) {
  std::unique_ptr<File> file;
  if (fs->Open(path, OpenMode::kRead, &file) != PDX_OK) return {};
  uint64_t size = 0;
  file->Size(&size);
  std::string bytes(size, '\0');
  size_t got = 0;
  file->ReadAt(0, bytes.data(), size, &got);
  return bytes;
}

struct Entry {
  std::string key;
  int block, count;
};

// Collects the level-1 entries under an index block, in order.
void Descend(const std::string& px, unsigned header, unsigned block_size, unsigned entry,
             unsigned key_length, int block, int level, std::vector<Entry>* out,
             std::vector<std::string>* problems, int depth = 0) {
  size_t at = header + static_cast<size_t>(block - 1) * block_size;
  if (block < 1 || at + block_size > px.size() || depth > 8) {
    problems->push_back("index block " + std::to_string(block) + " is outside the index");
    return;
  }
  int last = static_cast<int16_t>(U16(px, at + 4));
  int n = last < 0 ? 0 : last / static_cast<int>(entry) + 1;
  for (int e = 0; e < n; ++e) {
    size_t p = at + 6 + e * entry;
    Entry item{px.substr(p, key_length), Short(px, p + key_length) & 0xFFFF,
               Short(px, p + key_length + 2)};
    if (level == 1) {
      out->push_back(item);
    } else {
      size_t before = out->size();
      Descend(px, header, block_size, entry, key_length, item.block, level - 1, out, problems,
              depth + 1);
      if (out->size() > before && (*out)[before].key != item.key)
        problems->push_back("an upper index entry's key is not its child's first key");
    }
  }
}

}  // namespace

TableShape ReadTableShape(FileSystem* fs, const std::string& db_path) {
  TableShape shape;
  auto& problems = shape.problems;
  std::string db = ReadAll(fs, db_path);
  if (db.size() < 0x58) {
    problems.push_back("no header");
    return shape;
  }
  const unsigned record_size = U16(db, 0), header = U16(db, 2), block_size = db[5] * 1024u;
  const unsigned records = U32(db, 6), used = U16(db, 0x0A), file_blocks = U16(db, 0x0C);
  const unsigned first = U16(db, 0x0E), last = U16(db, 0x10), first_free = U16(db, 0x4D);
  const unsigned fields = U16(db, 0x21), key_fields = U16(db, 0x23);
  const bool extended = db[0x39] >= 5;
  if (db.size() != header + static_cast<size_t>(file_blocks) * block_size)
    problems.push_back("file length " + std::to_string(db.size()) + " is not header + blocks");
  unsigned key_length = 0;
  const size_t base = extended ? 0x78 : 0x58;
  for (unsigned f = 0; f < key_fields; ++f) {
    unsigned type = static_cast<unsigned char>(db[base + 2 * f]);
    unsigned size = static_cast<unsigned char>(db[base + 2 * f + 1]);
    key_length += type == 0x17 ? 17 : size;
  }
  (void)fields;

  std::set<unsigned> seen;
  std::vector<Entry> chain;
  unsigned prev = 0;
  for (unsigned b = first; b != 0;) {
    if (b > file_blocks || !seen.insert(b).second) {
      problems.push_back("chain broken at block " + std::to_string(b));
      break;
    }
    size_t at = header + static_cast<size_t>(b - 1) * block_size;
    if (U16(db, at + 2) != prev) problems.push_back("block " + std::to_string(b) + " back link");
    int lastoff = static_cast<int16_t>(U16(db, at + 4));
    int n = lastoff < 0 ? 0 : lastoff / static_cast<int>(record_size) + 1;
    if (n == 0) problems.push_back("empty block " + std::to_string(b) + " in the chain");
    for (int r = 0; r < n; ++r)
      shape.rows.push_back(db.substr(at + 6 + r * record_size, record_size));
    chain.push_back({db.substr(at + 6, key_length), static_cast<int>(b), n});
    prev = b;
    if (U16(db, at) == 0 && b != last) problems.push_back("chain ends before the last block");
    b = U16(db, at);
  }
  shape.blocks_in_chain = static_cast<int>(chain.size());
  if (shape.rows.size() != records)
    problems.push_back("header counts " + std::to_string(records) + " rows, chain holds " +
                       std::to_string(shape.rows.size()));
  if (used != chain.size()) problems.push_back("used block count differs from the chain");
  for (unsigned b = first_free; b != 0 && shape.free_blocks <= int(file_blocks);) {
    if (b > file_blocks || !seen.insert(b).second) {
      problems.push_back("free list broken at block " + std::to_string(b));
      break;
    }
    ++shape.free_blocks;
    b = U16(db, header + static_cast<size_t>(b - 1) * block_size);
  }
  if (chain.size() + shape.free_blocks != file_blocks)
    problems.push_back("blocks neither in the chain nor free");
  if (key_fields == 0) return shape;

  for (size_t i = 1; i < shape.rows.size(); ++i)
    if (shape.rows[i - 1].compare(0, key_length, shape.rows[i], 0, key_length) >= 0)
      problems.push_back("rows " + std::to_string(i) + " and " + std::to_string(i + 1) +
                         " out of key order");
  std::string px = ReadAll(fs, db_path.substr(0, db_path.size() - 3) + ".PX");
  if (px.size() < 0x58) {
    problems.push_back("no primary index");
    return shape;
  }
  if (static_cast<unsigned char>(px[0x2C]) != static_cast<unsigned char>(db[0x2D]))
    problems.push_back("the index's change counter lags the table's");
  std::vector<Entry> entries;
  const unsigned root = U16(px, 0x1E), levels = static_cast<unsigned char>(px[0x20]);
  if (root != 0)
    Descend(px, U16(px, 2), px[5] * 1024u, key_length + 6, key_length, root, levels, &entries,
            &problems);
  if (entries.size() != chain.size()) {
    problems.push_back("index has " + std::to_string(entries.size()) + " entries for " +
                       std::to_string(chain.size()) + " blocks");
    return shape;
  }
  for (size_t i = 0; i < chain.size(); ++i)
    if (entries[i].key != chain[i].key || entries[i].block != chain[i].block ||
        entries[i].count != chain[i].count)
      problems.push_back("index entry " + std::to_string(i + 1) + " does not match its block");
  return shape;
}

}  // namespace pdx::testing
