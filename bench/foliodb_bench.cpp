// The sample database at a large scale: writes make_foliodb's six tables at
// SCALE (default 100: UpdateSh 2,000,000 rows) into DIRECTORY (default a
// temporary directory, removed afterwards), timed, then reads every table
// back: the full table check, and every row against the table's own
// validity checks. Exit status 0 when every table is sound and every row
// valid, 1 otherwise.
//
//   foliodb_bench [SCALE] [DIRECTORY]
#include <stdlib.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "foliodb_data.h"
#include "foliodb_schemas.h"
#include "foliodb_writer.h"
#include "paradox/cursor.h"
#include "paradox/error_context.h"
#include "paradox/file_system.h"
#include "paradox/pdx_codes.h"
#include "paradox/record_checks.h"
#include "paradox/table.h"
#include "paradox/table_check.h"

namespace {

using bench::Clock;
using bench::Seconds;

// Checks one table; answers its number of rows, or -1 after printing why it
// is not sound.
int64_t CheckOneTable(const std::string& directory, const char* name) {
  pdx::FileSystem* fs = pdx::FileSystem::Default();
  std::unique_ptr<pdx::Table> table;
  if (pdx::Table::Open(fs, directory, name, {}, &table) != PDX_OK) {
    std::printf("%s: cannot be opened\n", name);
    return -1;
  }
  std::vector<std::string> problems;
  if (pdx::CheckTable(fs, table.get(), &problems) != PDX_OK || !problems.empty()) {
    std::printf("%s: not sound\n", name);
    for (const std::string& problem : problems) std::printf("  %s\n", problem.c_str());
    return -1;
  }
  const std::vector<pdx::FieldCheck>* checks = nullptr;
  if (table->Checks(&checks) != PDX_OK) {
    std::printf("%s: its validity checks cannot be read\n", name);
    return -1;
  }
  pdx::Cursor cursor(table.get());
  std::vector<uint8_t> record(table->header().record_size);
  int64_t rows = 0;
  pdx_code code = cursor.SetToBegin();
  while (code == PDX_OK && (code = cursor.Next(record.data())) == PDX_OK) {
    ++rows;
    std::string field;
    if (pdx_code invalid = pdx::CheckRecord(table->fields(), *checks, record.data(), &field);
        invalid != PDX_OK) {
      std::printf("%s row %lld: %s %s\n", name, static_cast<long long>(rows),
                  pdx::CodeText(invalid), field.c_str());
      return -1;
    }
  }
  if (code != PDX_ERR_EOF) {
    std::printf("%s: reading stopped at row %lld: %s\n", name, static_cast<long long>(rows),
                pdx::CodeText(code));
    return -1;
  }
  return rows;
}

}  // namespace

int main(int argc, char** argv) {
  const int scale = argc > 1 ? std::atoi(argv[1]) : 100;
  std::string directory;
  bool temporary = false;
  if (argc > 2) {
    directory = argv[2];
    std::filesystem::create_directories(directory);
  } else {
    std::string pattern = (std::filesystem::temp_directory_path() / "foliodb-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
      std::perror("foliodb_bench: temporary directory");
      return 1;
    }
    directory = pattern;
    temporary = true;
  }

  const Clock::time_point start = Clock::now();
  std::string error;
  const bool written = foliodb::WriteFolioDb(directory, scale, &error);
  const double write_seconds = Seconds(start);
  int status = 0;
  if (!written) {
    std::printf("scale %d: %s\n", scale, error.c_str());
    status = 1;
  } else {
    std::printf("scale %d written in %.1f s\n", scale, write_seconds);
    const Clock::time_point check_start = Clock::now();
    for (const foliodb::TableSchemaText* table :
         {&foliodb::kPortf, &foliodb::kPortfDet, &foliodb::kSectrans, &foliodb::kAccount,
          &foliodb::kAcctr, &foliodb::kUpdateSh}) {
      const int64_t rows = CheckOneTable(directory, table->name);
      if (rows < 0) {
        status = 1;
      } else {
        std::printf("  %-9s %9lld rows, sound, every row valid\n", table->name,
                    static_cast<long long>(rows));
      }
    }
    std::printf("checked in %.1f s\n", Seconds(check_start));
  }
  if (temporary) std::filesystem::remove_all(directory);
  return status;
}
