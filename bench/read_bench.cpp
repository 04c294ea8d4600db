// The store's read side on a generated keyed table of 1,000,000 rows (and,
// for comparison, of 10,000): open plus the first 30 rows, a full scan
// decoding every field, pdx dump to /dev/null with its peak memory, random
// finds of the nearest key and random moves to a record number.
//
//   read_bench [ROWS]   (default 1000000)
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "paradox/pdx.h"
#include "paradox/pdx_codes.h"
#include "pdx_check.h"
#include "read_table_generator.h"

namespace {

using bench::Check;
using bench::Clock;
using bench::CpuSeconds;
using bench::Seconds;

// Best of several runs of opening the table and reading its first 30 rows.
double OpenFirstRows(pdx_session* session, const std::string& dir) {
  double best = 1e9;
  std::vector<uint8_t> record(66);
  for (int run = 0; run < 20; ++run) {
    const auto start = Clock::now();
    pdx_cursor* cursor;
    Check(pdx_table_open(session, dir.c_str(), "big", PDX_OPEN_READ_ONLY, &cursor), "open");
    for (int i = 0; i < 30; ++i) Check(pdx_next(cursor, record.data()), "next");
    best = std::min(best, Seconds(start));
    pdx_cursor_close(cursor);
  }
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  const int64_t rows = argc > 1 ? std::atoll(argv[1]) : 1000000;
  char pattern[] = "/tmp/read_bench.XXXXXX";
  const std::string dir = std::string(mkdtemp(pattern)) + "/";
  const std::string small = dir + "small/";
  std::filesystem::create_directory(small);
  auto start = Clock::now();
  if (!bench::WriteBenchTable(dir, "big", rows) || !bench::WriteBenchTable(small, "big", 10000))
    return 1;
  std::printf("generated %lld rows in %.2f s\n", static_cast<long long>(rows), Seconds(start));

  pdx_init(PDX_INTERFACE_VERSION, "0009");
  pdx_session* session;
  Check(pdx_session_open("bench", &session), "session");

  const double open_big = OpenFirstRows(session, dir);
  const double open_small = OpenFirstRows(session, small);
  std::printf("open + first 30 rows: %.3f ms (10,000-row table: %.3f ms)\n", open_big * 1e3,
              open_small * 1e3);

  pdx_cursor* cursor;
  Check(pdx_table_open(session, dir.c_str(), "big", PDX_OPEN_READ_ONLY, &cursor), "open");
  std::vector<uint8_t> record(66);
  start = Clock::now();
  double cpu = CpuSeconds();
  int64_t scanned = 0, sum = 0;
  char text[64];
  size_t length;
  double number;
  int64_t integer;
  int blank;
  while (pdx_next(cursor, record.data()) == PDX_OK) {
    pdx_get_bytes(cursor, record.data(), 1, text, sizeof text, &length);
    pdx_get_int(cursor, record.data(), 2, &integer, &blank);
    sum += integer;
    pdx_get_double(cursor, record.data(), 3, &number, &blank);
    pdx_get_int(cursor, record.data(), 4, &integer, &blank);
    sum += integer;
    pdx_get_bytes(cursor, record.data(), 5, text, sizeof text, &length);
    sum += static_cast<int64_t>(length);
    ++scanned;
  }
  double scan = Seconds(start);
  cpu = CpuSeconds() - cpu;
  std::printf(
      "full scan decoding every field: %lld rows in %.3f s = %.1f M rows/s "
      "(processor time %.3f s = %.1f M rows/s; check %lld)\n",
      static_cast<long long>(scanned), scan, scanned / scan / 1e6, cpu, scanned / cpu / 1e6,
      static_cast<long long>(sum % 1000));

  std::mt19937_64 random(42);
  const int kProbes = 10000;
  std::vector<uint8_t> key(66);
  start = Clock::now();
  cpu = CpuSeconds();
  for (int i = 0; i < kProbes; ++i) {
    const int64_t row = static_cast<int64_t>(random() % rows);
    pdx_init_record(cursor, key.data());
    std::string text_key = bench::BenchKey(row);
    if (i % 2 == 1) text_key.back() = '1';  // between two rows
    pdx_put_bytes(cursor, key.data(), 1, text_key.data(), text_key.size());
    pdx_code rc = pdx_find_nearest(cursor, key.data(), 1, 0);
    if (rc != PDX_OK && rc != PDX_ERR_EOF) Check(rc, "find");
    if (rc == PDX_OK) Check(pdx_get_record(cursor, record.data()), "get");
  }
  const double find = Seconds(start) / kProbes;
  const double find_cpu = (CpuSeconds() - cpu) / kProbes;
  start = Clock::now();
  cpu = CpuSeconds();
  for (int i = 0; i < kProbes; ++i) {
    Check(pdx_set_to_record_number(cursor, 1 + static_cast<int64_t>(random() % rows)), "goto");
    Check(pdx_get_record(cursor, record.data()), "get");
  }
  const double go = Seconds(start) / kProbes;
  const double go_cpu = (CpuSeconds() - cpu) / kProbes;
  std::printf(
      "random find nearest: %.2f us each (processor %.2f us); random go to record number: %.2f us "
      "each (processor %.2f us)\n",
      find * 1e6, find_cpu * 1e6, go * 1e6, go_cpu * 1e6);
  pdx_cursor_close(cursor);
  pdx_exit();

  // The tool, as a user runs it, with its peak memory.
  std::fflush(stdout);
  start = Clock::now();
  pid_t child = fork();
  if (child == 0) {
    freopen("/dev/null", "w", stdout);
    execl(PDX_TOOL_PATH, "pdx", "dump", (dir + "big.DB").c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  int status;
  struct rusage usage;
  wait4(child, &status, 0, &usage);
  const double dump = Seconds(start);
  const double dump_cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 +
                          usage.ru_stime.tv_sec + usage.ru_stime.tv_usec / 1e6;
  std::printf(
      "pdx dump > /dev/null: %.3f s = %.2f M rows/s (processor time %.3f s = %.2f M rows/s), "
      "peak memory %.1f MB, exit %d\n",
      dump, rows / dump / 1e6, dump_cpu, rows / dump_cpu / 1e6, usage.ru_maxrss / 1024.0,
      WEXITSTATUS(status));
  std::filesystem::remove_all(dir);
  return 0;
}
