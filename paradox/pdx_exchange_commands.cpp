#include "pdx_exchange_commands.h"

#include <cstdio>
#include <cstdlib>

#include "export_csv.h"
#include "export_sqlite.h"
#include "import_csv.h"

namespace pdx::tool {
namespace {

int Usage() {
  std::fprintf(stderr,
               "usage: pdx export TABLE --csv FILE|- [--lf] [--no-blobs] [--encoding table]\n"
               "       pdx export TABLE|DIR --sqlite FILE [--table NAME]\n"
               "       pdx import TABLE --csv FILE|- [--encoding table] [--group N] [--no-sync]\n"
               "       (each also takes --progress and --code-page N)\n");
  return kExitFailed;
}

}  // namespace

bool IsExchangeCommand(const std::string& word) {
  return word == "export" || word == "import";
}

int RunExchangeCommand(const std::vector<std::string>& words,
                       const std::vector<std::string>& passwords) {
  const bool is_export = words[0] == "export";
  ExportOptions exporting;
  exporting.passwords = passwords;
  ImportOptions importing;
  importing.write.passwords = passwords;
  std::string csv, sqlite;
  bool keep_code_page = false;
  std::vector<std::string> rest;
  for (size_t i = 1; i < words.size(); ++i) {
    const std::string& word = words[i];
    const bool has_value = i + 1 < words.size();
    if (word == "--csv" && has_value) {
      csv = words[++i];
    } else if (word == "--sqlite" && has_value && is_export) {
      sqlite = words[++i];
    } else if (word == "--table" && has_value && is_export) {
      exporting.table_name = words[++i];
    } else if (word == "--encoding" && has_value) {
      const std::string& encoding = words[++i];
      if (encoding != "table" && encoding != "utf-8" && encoding != "UTF-8") {
        std::fprintf(stderr, "pdx: --encoding is utf-8 (the default) or table\n");
        return kExitFailed;
      }
      keep_code_page = encoding == "table";
    } else if (word == "--code-page" && has_value) {
      exporting.code_page = importing.code_page = std::atoi(words[++i].c_str());
      if (exporting.code_page < 1) return Fail("pdx", "--code-page needs a code page number");
    } else if (word == "--progress") {
      exporting.progress = importing.write.progress = true;
    } else if (word == "--lf" && is_export) {
      exporting.lf = true;
    } else if (word == "--no-blobs" && is_export) {
      exporting.no_blobs = true;
    } else if (word == "--group" && has_value && !is_export) {
      importing.write.group = std::atoi(words[++i].c_str());
      if (importing.write.group < 1) return Fail("pdx", "--group needs a positive number");
    } else if (word == "--no-sync" && !is_export) {
      importing.write.sync = false;
    } else if (word.size() > 2 && word.compare(0, 2, "--") == 0) {
      return Usage();
    } else {
      rest.push_back(word);
    }
  }
  if (rest.size() != 1 || csv.empty() == sqlite.empty()) return Usage();
  if (!is_export) {
    importing.keep_code_page = keep_code_page;
    return ImportCsv(rest[0], csv, importing);
  }
  exporting.keep_code_page = keep_code_page;
  if (!csv.empty()) {
    if (!exporting.table_name.empty()) return Usage();
    return ExportCsv(rest[0], csv, exporting);
  }
  if (keep_code_page) {
    std::fprintf(stderr, "pdx: SQLite text is UTF-8; --encoding table is for CSV files\n");
    return kExitFailed;
  }
  return ExportSqlite(rest[0], sqlite, exporting);
}

}  // namespace pdx::tool
