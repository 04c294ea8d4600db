// pdx export --csv, pdx export --sqlite and pdx import --csv on a keyed
// table (alpha key, long integer, number, date, alpha 40), run as a user
// runs them, with wall-clock and processor time and peak memory; then the
// same rows inserted straight into SQLite, the share of an SQLite export
// that SQLite itself takes. Each is run on a table of ROWS / 10 rows as well,
// to show that peak memory does not grow with the table.
//
//   exchange_bench [ROWS]   (default 1000000)
#include <sqlite3.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "read_table_generator.h"

namespace {

using bench::Clock;
using bench::CpuSeconds;
using bench::Seconds;

struct Run {
  double wall = 0, cpu = 0, peak_mb = 0;
  int status = -1;
};

// Runs the tool with arguments, standard output to /dev/null.
Run Tool(const std::vector<std::string>& arguments) {
  std::fflush(stdout);
  const auto start = Clock::now();
  const pid_t child = fork();
  if (child == 0) {
    if (!freopen("/dev/null", "w", stdout)) _exit(127);
    std::vector<char*> argv{const_cast<char*>("pdx")};
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    execv(PDX_TOOL_PATH, argv.data());
    _exit(127);
  }
  int status = 0;
  struct rusage usage {};
  wait4(child, &status, 0, &usage);
  Run run;
  run.wall = Seconds(start);
  run.cpu = usage.ru_utime.tv_sec + usage.ru_utime.tv_usec / 1e6 + usage.ru_stime.tv_sec +
            usage.ru_stime.tv_usec / 1e6;
  run.peak_mb = usage.ru_maxrss / 1024.0;
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

void Report(const char* what, int64_t rows, const Run& run) {
  std::printf(
      "%-26s %8lld rows: %6.3f s = %5.2f M rows/s (processor %6.3f s = %5.2f M rows/s), "
      "peak memory %5.1f MB, exit %d\n",
      what, static_cast<long long>(rows), run.wall, rows / run.wall / 1e6, run.cpu,
      rows / run.cpu / 1e6, run.peak_mb, run.status);
}

// The rows of the table inserted into a new SQLite file as the export does
// (same pragmas, column types, key and binding), the values made before the
// clock starts: what SQLite itself takes, in wall-clock and processor time.
Run SqliteAlone(const std::string& path, int64_t rows) {
  std::vector<std::string> keys(rows), names(rows), days(rows);
  for (int64_t i = 0; i < rows; ++i) {
    keys[i] = bench::BenchKey(i);
    char name[48], day[16];
    std::snprintf(name, sizeof name, "customer number %lld of the bench",
                  static_cast<long long>(i));
    int64_t y;
    int m, d;
    pdx::CivilFromDayNumber(730000 + i % 3000, &y, &m, &d);
    std::snprintf(day, sizeof day, "%04lld-%02d-%02d", static_cast<long long>(y), m, d);
    names[i] = name;
    days[i] = day;
  }
  const auto start = Clock::now();
  const double cpu = CpuSeconds();
  sqlite3* db = nullptr;
  sqlite3_open(path.c_str(), &db);
  sqlite3_exec(db,
               "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF; BEGIN;"
               "CREATE TABLE big (Key TEXT, Count INTEGER, Amount REAL, Day TEXT, Name TEXT,"
               " PRIMARY KEY (Key))",
               nullptr, nullptr, nullptr);
  sqlite3_stmt* insert = nullptr;
  sqlite3_prepare_v2(db, "INSERT INTO big VALUES (?, ?, ?, ?, ?)", -1, &insert, nullptr);
  for (int64_t i = 0; i < rows; ++i) {
    sqlite3_bind_text(insert, 1, keys[i].data(), keys[i].size(), SQLITE_STATIC);
    sqlite3_bind_int64(insert, 2, i % 2000000000);
    sqlite3_bind_double(insert, 3, static_cast<double>(i) * 1.25);
    sqlite3_bind_text(insert, 4, days[i].data(), days[i].size(), SQLITE_STATIC);
    sqlite3_bind_text(insert, 5, names[i].data(), names[i].size(), SQLITE_STATIC);
    if (sqlite3_step(insert) != SQLITE_DONE) std::fprintf(stderr, "%s\n", sqlite3_errmsg(db));
    sqlite3_reset(insert);
  }
  sqlite3_finalize(insert);
  sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
  sqlite3_close(db);
  Run run;
  run.wall = Seconds(start);
  run.cpu = CpuSeconds() - cpu;
  return run;
}

void Measure(const std::string& dir, int64_t rows) {
  const std::string table = dir + "big" + std::to_string(rows);
  if (!bench::WriteBenchTable(dir, "big" + std::to_string(rows), rows)) std::exit(1);
  const std::string csv = dir + "big.csv", sqlite = dir + "big.sqlite";
  Report("pdx export --csv FILE", rows, Tool({"export", table, "--csv", csv}));
  Report("pdx export --csv - (null)", rows, Tool({"export", table, "--csv", "-"}));
  const Run to_sqlite = Tool({"export", table, "--sqlite", sqlite});
  Report("pdx export --sqlite FILE", rows, to_sqlite);
  std::filesystem::remove(sqlite);
  // In a child of its own: the values it makes beforehand would otherwise
  // stay in this program's memory, which the tools run later start from
  // (a forked child's peak memory counts the pages it shares before exec).
  int fds[2];
  if (pipe(fds) != 0) std::exit(1);
  if (fork() == 0) {
    const Run run = SqliteAlone(sqlite, rows);
    if (write(fds[1], &run, sizeof run) != sizeof run) _exit(1);
    _exit(0);
  }
  Run alone;
  if (read(fds[0], &alone, sizeof alone) != sizeof alone) std::exit(1);
  wait(nullptr);
  close(fds[0]);
  close(fds[1]);
  std::printf("%-26s %8lld rows: %6.3f s (processor %6.3f s = %.0f%% of the export's)\n",
              "  of which SQLite itself", static_cast<long long>(rows), alone.wall, alone.cpu,
              100 * alone.cpu / to_sqlite.cpu);
  std::filesystem::remove(sqlite);
  std::filesystem::remove(table + ".DB");
  std::filesystem::remove(table + ".PX");
  pdx::TableSchema schema;
  std::string error;
  pdx::ParseSchema("Key\tA10*\nCount\tI\nAmount\tN\nDay\tD\nName\tA40\nlevel 5.0\nblocksize 4096\n",
                   &schema, &error);
  pdx::CreateTable(pdx::FileSystem::Default(), dir, "load", schema, &error);
  Report("pdx import --csv FILE", rows, Tool({"import", dir + "load", "--csv", csv}));
  std::filesystem::remove(csv);
  std::filesystem::remove(dir + "load.DB");
  std::filesystem::remove(dir + "load.PX");
}

}  // namespace

int main(int argc, char** argv) {
  const int64_t rows = argc > 1 ? std::atoll(argv[1]) : 1000000;
  char pattern[] = "/tmp/pdx-exchange-XXXXXX";
  const std::string dir = std::string(mkdtemp(pattern)) + "/";
  Measure(dir, rows / 10);
  Measure(dir, rows);
  std::filesystem::remove_all(dir);
  return 0;
}
