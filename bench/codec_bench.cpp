// The text codec's decoding speed on the alpha column of a generated table of
// 1,000,000 rows: the column is read through the store once, then decoded
// to UTF-8 as the screen would ask for it, value by value, in several code
// pages. The column is measured twice: as written (plain ASCII names), and
// with every letter moved above 127, so that single-byte pages decode real
// national letters (Cyrillic in 866 and 1251, accented letters in 1252).
//
//   codec_bench [ROWS]   (default 1000000)
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench_clock.h"
#include "paradox/pdx.h"
#include "paradox/pdx_codes.h"
#include "pdx_check.h"
#include "read_table_generator.h"
#include "toolkit/text_codec.h"

namespace {

using bench::Check;
using bench::CpuSeconds;

// The Name column (field 5) of every row, as the store hands it out.
std::vector<std::string> ReadColumn(const std::string& dir) {
  pdx_init(PDX_INTERFACE_VERSION, "0009");
  pdx_session* session;
  Check(pdx_session_open("bench", &session), "session");
  pdx_cursor* cursor;
  Check(pdx_table_open(session, dir.c_str(), "big", PDX_OPEN_READ_ONLY, &cursor), "open");
  pdx_cursor_info info;
  Check(pdx_cursor_info_get(cursor, &info), "info");
  std::vector<char> record(static_cast<size_t>(info.record_size));
  std::vector<std::string> column;
  column.reserve(static_cast<size_t>(info.record_count));
  char text[256];
  while (pdx_next(cursor, record.data()) == PDX_OK) {
    size_t length = 0;
    Check(pdx_get_bytes(cursor, record.data(), 5, text, sizeof text, &length), "get");
    column.emplace_back(text, length);
  }
  pdx_exit();
  return column;
}

// Best of three runs: megabytes of table text decoded per processor second.
double DecodeRate(const toolkit::TextCodec& codec, const std::vector<std::string>& column,
                  size_t bytes, size_t* utf8Bytes) {
  double best = 1e9;
  for (int run = 0; run < 3; ++run) {
    size_t out = 0;
    const double start = CpuSeconds();
    for (const std::string& value : column) out += codec.toUtf8(value).size();
    best = std::min(best, CpuSeconds() - start);
    *utf8Bytes = out;
  }
  return static_cast<double>(bytes) / 1e6 / best;
}

}  // namespace

int main(int argc, char** argv) {
  const int64_t rows = argc > 1 ? std::atoll(argv[1]) : 1000000;
  char pattern[] = "/tmp/codec_bench.XXXXXX";
  const std::string dir = std::string(mkdtemp(pattern)) + "/";
  if (!bench::WriteBenchTable(dir, "big", rows)) return 1;
  const std::vector<std::string> ascii = ReadColumn(dir);
  std::filesystem::remove_all(dir);

  std::vector<std::string> national = ascii;
  for (std::string& value : national)
    for (char& c : value)
      if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z')) c = static_cast<char>(c | 0x80);
  size_t bytes = 0;
  for (const std::string& value : ascii) bytes += value.size();
  std::printf("%zu rows, alpha column of %.1f MB\n", ascii.size(), bytes / 1e6);

  for (int page : {437, 866, 1251, 1252, 932}) {
    const auto codec = toolkit::TextCodec::forCodePage(page);
    size_t asciiOut = 0, nationalOut = 0;
    const double asciiRate = DecodeRate(*codec, ascii, bytes, &asciiOut);
    const double nationalRate = DecodeRate(*codec, national, bytes, &nationalOut);
    std::printf("code page %4d: %7.0f MB/s plain, %7.0f MB/s national letters (%.1f MB UTF-8)\n",
                page, asciiRate, nationalRate, nationalOut / 1e6);
  }
  return 0;
}
