// Writes the keyed table the read benchmark measures: rows (key A10, count I,
// amount N, day D, name A40) in key order, packed into full blocks, with a
// primary index of as many levels as the row count needs. The empty table
// comes from the store's own table creation; blocks and index are written
// here directly, which is far quicker than inserting a million rows.
#pragma once

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "paradox/block_file.h"
#include "paradox/byte_order.h"
#include "paradox/create_table.h"
#include "paradox/field_codec.h"
#include "paradox/pdx_codes.h"
#include "paradox/schema.h"

namespace bench {

inline std::string BenchKey(int64_t row) {
  char key[16];
  std::snprintf(key, sizeof key, "K%09lld", static_cast<long long>(2 * row));
  return key;
}

// Fills one record of the benchmark table for row.
inline void FillBenchRecord(int64_t row, uint8_t* record) {
  std::memset(record, 0, 66);
  std::string key = BenchKey(row);
  std::memcpy(record, key.data(), key.size());
  pdx::EncodeInteger(row % 2000000000, record + 10, 4);
  pdx::EncodeDouble(static_cast<double>(row) * 1.25, record + 14);
  pdx::EncodeInteger(730000 + row % 3000, record + 22, 4);
  char name[41];
  std::snprintf(name, sizeof name, "customer number %lld of the bench",
                static_cast<long long>(row));
  std::memcpy(record + 26, name, std::strlen(name));
}

inline void StoreHeader(const pdx::BlockFile& file, pdx::File* out, const pdx::TableHeader& h) {
  std::vector<uint8_t> image = h.Serialize();
  out->WriteAt(0, image.data(), image.size());
  (void)file;
}

// Writes directory/name.DB and .PX with rows rows; answers false on failure.
inline bool WriteBenchTable(const std::string& directory, const std::string& name, int64_t rows) {
  pdx::FileSystem* fs = pdx::FileSystem::Default();
  pdx::TableSchema schema;
  std::string error;
  if (pdx::ParseSchema("Key\tA10*\nCount\tI\nAmount\tN\nDay\tD\nName\tA40\nlevel 5.0\n"
                       "blocksize 4096\n",
                       &schema, &error) != PDX_OK ||
      pdx::CreateTable(fs, directory, name, schema, &error) != PDX_OK) {
    std::fprintf(stderr, "cannot create the table: %s\n", error.c_str());
    return false;
  }
  pdx::BlockCache cache;
  std::unique_ptr<pdx::BlockFile> data, index;
  if (pdx::BlockFile::Open(fs, directory + "/" + name + ".DB", pdx::OpenMode::kReadWrite, &cache,
                           &data) != PDX_OK ||
      pdx::BlockFile::Open(fs, directory + "/" + name + ".PX", pdx::OpenMode::kReadWrite, &cache,
                           &index) != PDX_OK)
    return false;

  // Data blocks, written 256 at a time.
  pdx::TableHeader dh = data->header();
  const int per_block = dh.RecordsPerBlock();
  const int64_t blocks = (rows + per_block - 1) / per_block;
  if (blocks > 65535) return false;
  const int block_size = dh.BlockSize();
  struct Leaf {
    std::vector<uint8_t> key;
    int64_t child, count;
  };
  std::vector<Leaf> entries;
  std::vector<uint8_t> run;
  int64_t row = 0;
  for (int64_t b = 1; b <= blocks; ++b) {
    const size_t at = run.size();
    run.resize(at + block_size, 0);
    uint8_t* block = run.data() + at;
    const int count = static_cast<int>(std::min<int64_t>(per_block, rows - row));
    pdx::StoreLe16(block, b == blocks ? 0 : static_cast<uint16_t>(b + 1));
    pdx::StoreLe16(block + 2, static_cast<uint16_t>(b - 1));
    pdx::StoreLe16(block + 4, static_cast<uint16_t>((count - 1) * dh.record_size));
    for (int i = 0; i < count; ++i) FillBenchRecord(row + i, block + 6 + i * dh.record_size);
    entries.push_back({std::vector<uint8_t>(block + 6, block + 16), b, count});
    row += count;
    if (run.size() >= 256u * block_size || b == blocks) {
      const int64_t first = b - static_cast<int64_t>(run.size() / block_size) + 1;
      if (data->file()->WriteAt(dh.BlockOffset(static_cast<uint32_t>(first)), run.data(),
                                run.size()) != PDX_OK)
        return false;
      run.clear();
    }
  }
  dh.record_count = static_cast<uint32_t>(rows);
  dh.used_blocks = dh.file_blocks = static_cast<uint16_t>(blocks);
  dh.first_block = blocks > 0 ? 1 : 0;
  dh.last_block = static_cast<uint16_t>(blocks);
  StoreHeader(*data, data->file(), dh);

  // The index: level 1 has one entry per data block, each higher level one
  // per block of the level below, until one block (the root) remains.
  pdx::TableHeader ih = index->header();
  const int index_block_size = ih.BlockSize();
  const int per_index_block = (index_block_size - 6) / ih.record_size;
  int64_t next_block = 1, total_entries = 0;
  int levels = 0;
  while (!entries.empty()) {
    ++levels;
    std::vector<Leaf> parents;
    const int64_t level_blocks =
        (static_cast<int64_t>(entries.size()) + per_index_block - 1) / per_index_block;
    for (int64_t k = 0; k < level_blocks; ++k) {
      std::vector<uint8_t> block(index_block_size, 0);
      const int64_t first = k * per_index_block;
      const int count = static_cast<int>(
          std::min<int64_t>(per_index_block, static_cast<int64_t>(entries.size()) - first));
      const int64_t number = next_block + k;
      pdx::StoreLe16(block.data(), k + 1 == level_blocks ? 0 : static_cast<uint16_t>(number + 1));
      pdx::StoreLe16(block.data() + 2, k == 0 ? 0 : static_cast<uint16_t>(number - 1));
      pdx::StoreLe16(block.data() + 4, static_cast<uint16_t>((count - 1) * ih.record_size));
      int64_t sum = 0;
      for (int i = 0; i < count; ++i) {
        const Leaf& e = entries[first + i];
        uint8_t* out = block.data() + 6 + i * ih.record_size;
        std::memcpy(out, e.key.data(), 10);
        pdx::EncodeInteger(e.child, out + 10, 2);
        pdx::EncodeInteger(std::min<int64_t>(e.count, 32767), out + 12, 2);
        pdx::EncodeInteger(0, out + 14, 2);
        sum += e.count;
      }
      if (index->file()->WriteAt(ih.BlockOffset(static_cast<uint32_t>(number)), block.data(),
                                 block.size()) != PDX_OK)
        return false;
      parents.push_back({entries[first].key, number, sum});
    }
    total_entries += static_cast<int64_t>(entries.size());
    next_block += level_blocks;
    if (level_blocks == 1) break;
    entries = std::move(parents);
  }
  ih.record_count = static_cast<uint32_t>(total_entries);
  ih.used_blocks = ih.file_blocks = static_cast<uint16_t>(next_block - 1);
  ih.first_block = 1;
  ih.last_block = static_cast<uint16_t>(next_block - 1);
  ih.index_root = static_cast<uint16_t>(next_block - 1);
  ih.index_levels = static_cast<uint8_t>(levels);
  ih.parent_change_count = dh.change_count;
  StoreHeader(*index, index->file(), ih);
  return true;
}

}  // namespace bench
