// The writing commands of the pdx tool:
//
//   pdx create SCHEMA TABLE   a new table from a schema text file
//   pdx insert TABLE          rows in the dump format from standard input
//   pdx update TABLE          rows from standard input replace the rows with
//                             their keys (fields not in the input keep their values)
//   pdx delete TABLE KEY...   removes the rows with these keys (a key of
//                             several fields: their values separated by tabs)
//
// Input rows are in the dump format, the first line naming the fields. A
// refused row is reported on standard error with its line number and the
// engine's text, and the others go on. Options of insert and update:
// --group N commits every N rows as one transaction (default 100000; each
// group happens whole or not at all; a group commits early once it holds
// 64 MB of blocks), --progress prints the number of rows
// committed after each commit, --no-sync skips syncing (for measurements).
//
// Exit status: 0 when every row was written, 1 when some were refused, 2
// when the table could not be written at all.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

#include "row_loader.h"

namespace pdx::tool {

bool IsWriteCommand(const std::string& word);
// words: the command, its options and arguments (passwords already taken out).
int RunWriteCommand(const std::vector<std::string>& words,
                    const std::vector<std::string>& passwords);

int CreateCommand(const std::string& schema_file, const std::string& directory,
                  const std::string& name);
int InsertCommand(const std::string& directory, const std::string& name,
                  const WriteOptions& options, std::FILE* input);
int UpdateCommand(const std::string& directory, const std::string& name,
                  const WriteOptions& options, std::FILE* input);
int DeleteCommand(const std::string& directory, const std::string& name,
                  const WriteOptions& options, const std::vector<std::string>& keys);

}  // namespace pdx::tool
