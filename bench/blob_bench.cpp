// The store's blob writer on a keyed table (alpha key, memo with a leader of
// 20 bytes, binary blob with none):
//   - a load of ROWS rows in transactions of 1,000, each row with a memo of
//     50 to 1,500 bytes (sub-allocated) and every tenth with a 20 KB blob;
//   - replacing a memo by one of its size, by a larger one, by a shorter
//     one, and writing a 1 MB blob, each one transaction, syncing off and on;
//   - the blob file's size before and after the replacements.
//
//   blob_bench [ROWS] [OPERATIONS]
#include <stdlib.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "paradox/create_table.h"
#include "paradox/pdx_codes.h"
#include "paradox/pending_blobs.h"
#include "paradox/schema.h"
#include "paradox/table_writer.h"

namespace {

using bench::Clock;
using bench::Seconds;

size_t NoteSize(long n) {
  return 50 + (n * 37) % 1450;
}

class Bench {
 public:
  explicit Bench(const std::string& directory) : directory_(directory) {}

  bool Create() {
    pdx::TableSchema schema;
    std::string error;
    if (pdx::ParseSchema("Key\tA10*\nNote\tM20\nData\tB10\n", &schema, &error) != PDX_OK ||
        pdx::CreateTable(pdx::FileSystem::Default(), directory_, "Blobs", schema, &error) !=
            PDX_OK ||
        pdx::TableWriter::Open(pdx::FileSystem::Default(), directory_ + "/Blobs.DB", &writer_,
                               &error) != PDX_OK) {
      std::fprintf(stderr, "%s\n", error.c_str());
      return false;
    }
    return true;
  }

  std::vector<uint8_t> Row(long n, size_t note, size_t data) {
    const std::vector<pdx::Field>& fields = writer_->header().fields;
    std::vector<uint8_t> row(writer_->header().record_size, 0);
    std::snprintf(reinterpret_cast<char*>(row.data()), 11, "K%09ld", n);
    pending_.Put(fields[1], row.data(), std::string(note, static_cast<char>('a' + n % 26)));
    if (data > 0) pending_.Put(fields[2], row.data(), std::string(data, static_cast<char>(n)));
    return row;
  }

  void Load(long rows) {
    writer_->set_sync(false);
    size_t bytes = 0;
    auto start = Clock::now();
    writer_->BeginBatch();
    for (long n = 0; n < rows; ++n) {
      const size_t note = NoteSize(n), data = n % 10 == 0 ? 20000 : 0;
      std::vector<uint8_t> row = Row(n, note, data);
      writer_->Insert(row.data(), nullptr, &pending_);
      pending_.DropBuffer(row.data());
      bytes += note + data;
      if (n % 1000 == 999) writer_->CommitBatch(), writer_->BeginBatch();
    }
    writer_->CommitBatch();
    const double seconds = Seconds(start);
    std::printf("load, syncing off: %ld rows in %.2f s = %.0f rows/s, %.1f MB/s of values\n", rows,
                seconds, rows / seconds, bytes / seconds / 1e6);
  }

  // Each operation replaces the memo of a random row (one transaction);
  // size(n) gives its new length.
  template <typename Size>
  double Replace(long rows, int operations, Size size) {
    std::mt19937 random(operations);
    auto start = Clock::now();
    for (int i = 0; i < operations; ++i) {
      const long n = random() % rows;
      std::vector<uint8_t> key = Row(n, 0, 0), row = Row(n, size(n), 0);
      int64_t number = 0;
      bool found = false;
      writer_->Locate(key.data(), &number, &found);
      writer_->Modify(number, row.data(), nullptr, &pending_);
      pending_.DropBuffer(row.data());
    }
    return Seconds(start) / operations * 1e3;
  }

  void Operations(long rows, int operations, bool sync) {
    writer_->set_sync(sync);
    const uintmax_t before = BlobFileSize();
    const double same = Replace(rows, operations, NoteSize);
    const uintmax_t after = BlobFileSize();
    const double large = Replace(rows, operations, [](long n) { return 3000 + n % 5000; });
    const double shorter = Replace(rows, operations, [](long n) { return 30 + n % 300; });
    auto start = Clock::now();
    const int big = std::max(1, operations / 20);
    for (int i = 0; i < big; ++i) {
      std::vector<uint8_t> row = Row(rows + big_rows_++, 10, 1 << 20);
      writer_->Insert(row.data(), nullptr, &pending_);
      pending_.DropBuffer(row.data());
    }
    const double megabyte = Seconds(start) / big * 1e3;
    std::printf(
        "syncing %s: replace a memo by one of its size %.3f ms (blob file %ju -> %ju bytes), "
        "by a larger one %.3f ms, by a shorter one %.3f ms; insert a 1 MB blob %.2f ms\n",
        sync ? "on " : "off", same, before, after, large, shorter, megabyte);
  }

  uintmax_t BlobFileSize() const { return std::filesystem::file_size(directory_ + "/Blobs.MB"); }

 private:
  std::string directory_;
  std::unique_ptr<pdx::TableWriter> writer_;
  pdx::PendingBlobs pending_;
  long big_rows_ = 0;  // rows with a 1 MB blob, after the loaded ones
};

}  // namespace

int main(int argc, char** argv) {
  const long rows = argc > 1 ? std::atol(argv[1]) : 100000;
  const int operations = argc > 2 ? std::atoi(argv[2]) : 2000;
  std::string pattern = (std::filesystem::temp_directory_path() / "pdxblobXXXXXX").string();
  const std::string directory = mkdtemp(pattern.data());
  {
    Bench bench(directory);
    if (bench.Create()) {
      bench.Load(rows);
      bench.Operations(rows, operations, false);
      bench.Operations(rows, operations / 10, true);
    }
  }
  std::filesystem::remove_all(directory);
  return 0;
}
