// The pdx tool's commands that move data between tables and other formats:
//
//   pdx export TABLE --csv FILE|-      [--lf] [--no-blobs] [--encoding table]
//   pdx export TABLE|DIR --sqlite FILE [--table NAME]
//   pdx import TABLE --csv FILE|-      [--encoding table] [--group N] [--no-sync]
//
// each with --progress and --code-page N.
//
// export_csv.h, export_sqlite.h and import_csv.h describe each.
#pragma once

#include <string>
#include <vector>

namespace pdx::tool {

bool IsExchangeCommand(const std::string& word);
// words: the command, its options and arguments (passwords already taken out).
int RunExchangeCommand(const std::vector<std::string>& words,
                       const std::vector<std::string>& passwords);

}  // namespace pdx::tool
