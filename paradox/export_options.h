// What the export commands of the pdx tool share: their options and
// progress reports.
//
//   pdx export TABLE --csv FILE|-  [--lf] [--no-blobs] [--encoding table] [--code-page N]
//   pdx export TABLE|DIR --sqlite FILE [--table NAME] [--code-page N]
//
// (both with --progress). --code-page N reads the tables' text in code page
// N, for tables whose header names another than the one they were written in.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace pdx::tool {

struct ExportOptions {
  std::vector<std::string> passwords;
  bool lf = false;              // CSV lines end with LF alone instead of CR LF
  bool no_blobs = false;        // binary, OLE and graphic fields left out of the CSV
  bool keep_code_page = false;  // CSV text in the table's code page, not UTF-8
  int code_page = 0;            // the text's code page, when not the header's (0)
  bool progress = false;        // rows exported so far, on standard error
  std::string table_name;       // SQLite: the name of the table made
};

// Progress on standard error every kProgressRows rows and at the end:
// "pdx: TABLE: 200000 of 1000000 rows".
inline constexpr int64_t kProgressRows = 100000;
inline void ReportProgress(const std::string& table, int64_t done, int64_t total) {
  std::fprintf(stderr, "pdx: %s: %lld of %lld rows\n", table.c_str(), static_cast<long long>(done),
               static_cast<long long>(total));
}

}  // namespace pdx::tool
