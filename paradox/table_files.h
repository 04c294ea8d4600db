// The files that make up one table, and how their names are found.
//
// A table NAME is the data file NAME.DB with companions beside it that share
// its stem: NAME.PX (primary index), NAME.MB (blob file), NAME.VAL (validity
// checks), NAME.Xnn/.Ynn and NAME.XGn/.YGn (secondary indexes, nn and n in
// hexadecimal), and two of ours or of other engines: NAME.JNL (this store's
// journal) and NAME.LCK (another engine's lock file). Names written by old
// programs come in any case, so every lookup here ignores case; the data
// file's own spelling of the stem is the one used for files made anew.
#pragma once

#include <string>
#include <vector>

#include "file_system.h"

namespace pdx {

inline constexpr char kDataExtension[] = ".DB";
inline constexpr char kPrimaryIndexExtension[] = ".PX";
inline constexpr char kBlobExtension[] = ".MB";
inline constexpr char kChecksExtension[] = ".VAL";
inline constexpr char kJournalExtension[] = ".JNL";
inline constexpr char kForeignLockExtension[] = ".LCK";

// "dir/Name.DB" -> "dir" ("." for a bare name, "/" for a file in the root).
std::string DirectoryOf(const std::string& path);
// "dir/Name.DB" -> "Name.DB".
std::string FileNameOf(const std::string& path);
// "dir/Name.DB" -> "dir/Name": the path without the last extension.
std::string WithoutExtension(const std::string& path);
// The table's name as a user gives it ("Name" or "Name.db") -> "Name".
std::string TableStem(const std::string& name);
// "Name" or "Name.db" -> the data file's name, "Name.DB" when none was given.
std::string DataFileName(const std::string& name);
// A table argument "dir/Name" split into its directory and its name; a bare
// name is in "./", which holds a slash as a database directory must.
void SplitTablePath(const std::string& path, std::string* directory, std::string* name);

// The companion of the data file at db_path with the given extension
// (".PX", ...), found without regard to case; empty when absent.
std::string FindCompanion(FileSystem* fs, const std::string& db_path, const std::string& extension);
// Where a companion of ours goes (the journal): the data file's stem as it
// is spelled on disk, with the extension.
std::string CompanionPath(const std::string& db_path, const std::string& extension);

// Secondary index extensions: "Xnn"/"Ynn" (one field, nn its number in
// hexadecimal) and "XGn"/"YGn" (composite), in any case, without the dot.
bool IsSecondaryIndexExtension(const std::string& extension);

// The names of every file in directory that belongs to table stem (stem.*,
// any case), in directory order.
pdx_code ListTableFiles(FileSystem* fs, const std::string& directory, const std::string& stem,
                        std::vector<std::string>* names);

}  // namespace pdx
