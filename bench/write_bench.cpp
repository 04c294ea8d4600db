// The store's write side on a keyed table of 1,000,000 rows (alpha key,
// long integer, number, date, alpha 40):
//   - building it through `pdx insert`, in key order and in random order;
//   - inserting a row at a random key, modifying a row, deleting a row, each
//     one transaction, with syncing off and on, through the writer and
//     through the C interface as the program calls it;
//   - what one sync costs on this disk.
//
//   write_bench [ROWS] [OPERATIONS]
#include <fcntl.h>
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
#include "paradox/pdx.h"
#include "paradox/pdx_codes.h"
#include "paradox/schema.h"
#include "paradox/table_writer.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kSchema[] = "Key\tA10*\nCount\tI\nValue\tN\nDay\tD\nText\tA40\n";

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

std::string Key(long n) {
  char key[24];
  std::snprintf(key, sizeof key, "K%09ld", n);
  return key;
}

void WriteInput(const std::string& path, long rows, bool shuffled) {
  std::vector<long> order(rows);
  for (long i = 0; i < rows; ++i) order[i] = i;
  if (shuffled) std::shuffle(order.begin(), order.end(), std::mt19937(3));
  std::FILE* out = std::fopen(path.c_str(), "w");
  std::fprintf(out, "Key\tCount\tValue\tDay\tText\n");
  for (long i : order)
    std::fprintf(out, "%s\t%ld\t%.3f\t2001-%02ld-%02ld\tdescription of row %ld\n",
                 Key(2 * i).c_str(), i, i * 0.25, 1 + i % 12, 1 + i % 28, i);
  std::fclose(out);
}

bool Create(const std::string& directory, const std::string& name) {
  pdx::TableSchema schema;
  std::string error;
  if (pdx::ParseSchema(kSchema, &schema, &error) != PDX_OK ||
      pdx::CreateTable(pdx::FileSystem::Default(), directory, name, schema, &error) != PDX_OK) {
    std::fprintf(stderr, "cannot create %s: %s\n", name.c_str(), error.c_str());
    return false;
  }
  return true;
}

void Load(const std::string& directory, const std::string& name, const std::string& input,
          long rows, const char* what) {
  if (!Create(directory, name)) return;
  // pdx insert's own grouping: what a user's bulk load gets.
  std::string command =
      std::string(PDX_TOOL_PATH) + " insert " + directory + "/" + name + " < " + input;
  auto start = Clock::now();
  int status = std::system(command.c_str());
  double seconds = Seconds(start);
  std::printf("pdx insert, %s: %ld rows in %.2f s = %.0f rows/s (status %d)\n", what, rows, seconds,
              rows / seconds, status);
}

std::vector<uint8_t> Row(long n) {
  std::vector<uint8_t> row(10 + 4 + 8 + 4 + 40, 0);
  std::string key = Key(n);
  std::memcpy(row.data(), key.data(), key.size());
  pdx::EncodeInteger(n % 100000, row.data() + 10, 4);
  pdx::EncodeDouble(n * 0.5, row.data() + 14);
  pdx::EncodeInteger(730000 + n % 3000, row.data() + 22, 4);
  std::memcpy(row.data() + 26, "inserted by the benchmark", 25);
  return row;
}

void WriterOperations(const std::string& db, long rows, int operations, bool sync) {
  std::unique_ptr<pdx::TableWriter> writer;
  std::string error;
  if (pdx::TableWriter::Open(pdx::FileSystem::Default(), db, &writer, &error) != PDX_OK) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return;
  }
  writer->set_sync(sync);
  std::mt19937 random(sync ? 17 : 11);
  auto start = Clock::now();
  for (int i = 0; i < operations; ++i) {
    std::vector<uint8_t> row = Row(2 * static_cast<long>(random() % rows) + 1);  // odd: new
    writer->Insert(row.data(), nullptr);
  }
  double insert = Seconds(start) / operations;
  start = Clock::now();
  for (int i = 0; i < operations; ++i) {
    int64_t number = 1 + random() % writer->RecordCount();
    std::vector<uint8_t> row(writer->header().record_size);
    writer->Read(number, row.data());
    pdx::EncodeInteger(i, row.data() + 10, 4);
    writer->Modify(number, row.data(), nullptr);
  }
  double modify = Seconds(start) / operations;
  start = Clock::now();
  for (int i = 0; i < operations; ++i) writer->Delete(1 + random() % writer->RecordCount());
  double remove = Seconds(start) / operations;
  std::printf("writer, sync %s: insert %.3f ms, modify %.3f ms (with its read), delete %.3f ms\n",
              sync ? "on " : "off", insert * 1e3, modify * 1e3, remove * 1e3);
}

void InterfaceOperations(const std::string& directory, long rows, int operations) {
  pdx_init(PDX_INTERFACE_VERSION, "0009");
  pdx_session* session = nullptr;
  pdx_session_open("bench", &session);
  pdx_cursor* cursor = nullptr;
  if (pdx_table_open(session, directory.c_str(), "Ordered", PDX_OPEN_READ_WRITE, &cursor) != PDX_OK)
    return;
  static unsigned seed = 23;  // each run inserts keys of its own
  std::mt19937 random(seed++);
  auto start = Clock::now();
  for (int i = 0; i < operations; ++i) {
    std::vector<uint8_t> row = Row(2 * static_cast<long>(random() % rows) + 1);
    pdx_insert_record(cursor, row.data());
  }
  double insert = Seconds(start) / operations;
  std::vector<uint8_t> row(10 + 4 + 8 + 4 + 40);
  int64_t count = 0;
  pdx_get_record_count(cursor, &count);
  start = Clock::now();
  for (int i = 0; i < operations; ++i) {
    pdx_set_to_record_number(cursor, 1 + random() % count);
    pdx_lock_record(cursor, row.data());
    pdx::EncodeInteger(i, row.data() + 10, 4);
    pdx_modify_record(cursor, row.data());
  }
  double modify = Seconds(start) / operations;
  start = Clock::now();
  for (int i = 0; i < operations; ++i) {
    pdx_set_to_record_number(cursor, 1 + random() % (count - i));
    pdx_delete_record(cursor);
  }
  double remove = Seconds(start) / operations;
  const char* no_sync = std::getenv("PDX_NO_SYNC");
  std::printf(
      "interface, sync %s: insert %.3f ms, go-to + lock + modify %.3f ms, go-to + delete %.3f ms\n",
      no_sync && *no_sync == '1' ? "off" : "on ", insert * 1e3, modify * 1e3, remove * 1e3);
  pdx_exit();
}

void SyncCost(const std::string& directory) {
  std::string path = directory + "/sync.probe";
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT, 0644);
  char block[4096] = {};
  const int n = 50;
  auto start = Clock::now();
  for (int i = 0; i < n; ++i) {
    block[0] = static_cast<char>(i);
    if (::pwrite(fd, block, sizeof block, 0) != sizeof block) break;
    ::fdatasync(fd);
  }
  std::printf("one 4 KB write + fdatasync: %.3f ms\n", Seconds(start) / n * 1e3);
  ::close(fd);
  ::unlink(path.c_str());
}

}  // namespace

int main(int argc, char** argv) {
  const long rows = argc > 1 ? std::atol(argv[1]) : 1000000;
  const int operations = argc > 2 ? std::atoi(argv[2]) : 2000;
  std::string pattern = (std::filesystem::temp_directory_path() / "pdxbenchXXXXXX").string();
  const std::string directory = mkdtemp(pattern.data());
  WriteInput(directory + "/ordered.txt", rows, false);
  WriteInput(directory + "/shuffled.txt", rows, true);
  Load(directory, "Ordered", directory + "/ordered.txt", rows, "key order");
  Load(directory, "Shuffled", directory + "/shuffled.txt", rows, "random order");
  WriterOperations(directory + "/Ordered.DB", rows, operations, false);
  WriterOperations(directory + "/Ordered.DB", rows, operations / 10, true);
  setenv("PDX_NO_SYNC", "1", 1);
  InterfaceOperations(directory, rows, operations);
  unsetenv("PDX_NO_SYNC");
  InterfaceOperations(directory, rows, operations / 10);
  SyncCost(directory);
  std::filesystem::remove_all(directory);
  return 0;
}
