// Single-row changes to a keyed table that carries secondary indexes: one on
// an alpha field and a composite one on a long integer and a date. The
// table is loaded in random key order at two sizes (10,000 rows and ROWS, by default
// 1,000,000), the indexes are made over the rows, and then each size takes
// inserts at random keys, modifies of indexed values (key kept) and
// deletes of random rows, each its own transaction, syncing off so that the
// disk's sync time does not hide the work. A change's cost must not grow
// with the table: the ratio of the two sizes' times is printed.
//
//   secondary_index_bench [ROWS] [OPERATIONS]
#include <stdlib.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "paradox/create_table.h"
#include "paradox/field_codec.h"
#include "paradox/pdx_codes.h"
#include "paradox/schema.h"
#include "paradox/secondary_index_create.h"
#include "paradox/table_writer.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kSchema[] = "Key\tI*\nName\tA20\nCount\tI\nDay\tD\nText\tA30\n";
constexpr int kRecordSize = 4 + 20 + 4 + 4 + 30;

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

std::vector<uint8_t> Row(long key, std::mt19937& random) {
  std::vector<uint8_t> row(kRecordSize, 0);
  pdx::EncodeInteger(key, row.data(), 4);
  char name[24];
  std::snprintf(name, sizeof name, "name %08u", static_cast<unsigned>(random() % 100000000));
  std::memcpy(row.data() + 4, name, std::strlen(name));
  pdx::EncodeInteger(static_cast<int64_t>(random() % 5000), row.data() + 24, 4);
  pdx::EncodeInteger(730000 + static_cast<int64_t>(random() % 3000), row.data() + 28, 4);
  std::memcpy(row.data() + 32, "made by the benchmark", 21);
  return row;
}

struct Figures {
  double insert = 0, modify = 0, remove = 0;  // seconds per change
};

bool Build(const std::string& directory, long rows) {
  pdx::FileSystem* fs = pdx::FileSystem::Default();
  pdx::TableSchema schema;
  std::string error;
  if (pdx::ParseSchema(kSchema, &schema, &error) != PDX_OK ||
      pdx::CreateTable(fs, directory, "Indexed", schema, &error) != PDX_OK) {
    std::fprintf(stderr, "cannot create the table: %s\n", error.c_str());
    return false;
  }
  const std::string db = directory + "/Indexed.DB";
  std::unique_ptr<pdx::TableWriter> writer;
  if (pdx::TableWriter::Open(fs, db, &writer, &error) != PDX_OK) return false;
  writer->set_sync(false);
  std::mt19937 random(5);
  // Rows in random key order, so that blocks are as full as a table's
  // blocks become in use, at either size: an insert then splits a block as
  // often in the small table as in the large one.
  std::vector<long> keys(rows);
  for (long i = 0; i < rows; ++i) keys[i] = 2 * i;  // even keys: odd ones are free
  std::shuffle(keys.begin(), keys.end(), random);
  auto start = Clock::now();
  writer->BeginBatch();
  for (long key : keys) {
    std::vector<uint8_t> row = Row(key, random);
    writer->Insert(row.data(), nullptr);
    if (writer->BatchBytes() > (64 << 20)) writer->CommitBatch(), writer->BeginBatch();
  }
  if (writer->CommitBatch() != PDX_OK) return false;
  writer.reset();
  const double load = Seconds(start);
  start = Clock::now();
  for (const pdx::NewSecondaryIndex& index :
       {pdx::NewSecondaryIndex{{2}, false, "", false, false},
        pdx::NewSecondaryIndex{{3, 4}, true, "CountDay", false, false}}) {
    if (pdx::CreateSecondaryIndex(fs, db, index, nullptr, &error) != PDX_OK) {
      std::fprintf(stderr, "cannot make an index: %s\n", error.c_str());
      return false;
    }
  }
  std::printf("%ld rows: loaded in %.2f s, both indexes made in %.2f s\n", rows, load,
              Seconds(start));
  return true;
}

bool Measure(const std::string& directory, long rows, int operations, Figures* figures) {
  std::unique_ptr<pdx::TableWriter> writer;
  std::string error;
  auto start = Clock::now();
  if (pdx::TableWriter::Open(pdx::FileSystem::Default(), directory + "/Indexed.DB", &writer,
                             &error) != PDX_OK) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return false;
  }
  std::printf("%ld rows: writer opened (indexes verified against the rows) in %.2f s\n", rows,
              Seconds(start));
  writer->set_sync(false);
  std::mt19937 random(17);
  int failed = 0;
  start = Clock::now();
  for (int i = 0; i < operations; ++i) {
    std::vector<uint8_t> row = Row(2 * static_cast<long>(random() % rows) + 1, random);
    const pdx_code code = writer->Insert(row.data(), nullptr);  // a key drawn twice is refused
    failed += code != PDX_OK && code != PDX_ERR_KEY_VIOLATION;
  }
  figures->insert = Seconds(start) / operations;
  start = Clock::now();
  for (int i = 0; i < operations; ++i) {
    const int64_t number = 1 + random() % writer->RecordCount();
    std::vector<uint8_t> row(kRecordSize);
    writer->Read(number, row.data());
    const std::vector<uint8_t> fresh = Row(0, random);
    std::memcpy(row.data() + 4, fresh.data() + 4, 28);  // name, count and day: every index
    failed += writer->Modify(number, row.data(), nullptr) != PDX_OK;
  }
  figures->modify = Seconds(start) / operations;
  start = Clock::now();
  for (int i = 0; i < operations; ++i)
    failed += writer->Delete(1 + random() % writer->RecordCount()) != PDX_OK;
  figures->remove = Seconds(start) / operations;
  if (failed > 0)
    std::fprintf(stderr, "%d changes failed: %s\n", failed, writer->last_error().c_str());
  std::printf("%ld rows: insert %.3f ms, modify %.3f ms (with its read), delete %.3f ms\n", rows,
              figures->insert * 1e3, figures->modify * 1e3, figures->remove * 1e3);
  return failed == 0;
}

}  // namespace

int main(int argc, char** argv) {
  const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
  const int operations = argc > 2 ? std::atoi(argv[2]) : 2000;
  const std::filesystem::path base = std::filesystem::temp_directory_path() /
                                     ("secondary_index_bench." + std::to_string(getpid()));
  Figures small, large;
  bool ok = true;
  for (long size : {10000L, rows}) {
    const std::string directory = (base / std::to_string(size)).string();
    std::filesystem::create_directories(directory);
    ok = ok && Build(directory, size) &&
         Measure(directory, size, operations, size == rows ? &large : &small);
  }
  std::filesystem::remove_all(base);
  if (!ok) return 1;
  std::printf("ratio %ld rows / 10000 rows: insert %.2f, modify %.2f, delete %.2f\n", rows,
              large.insert / small.insert, large.modify / small.modify,
              large.remove / small.remove);
  return 0;
}
