// Writes the files of a new, empty table from a parsed schema: the data file
// (.DB), for a keyed table its primary index (.PX), for a table with memo or
// blob fields its blob file (.MB), for a table with checks its .VAL file. Header bytes whose
// meaning is unknown get the values engine-written files were seen to carry.
//
// Files are written under temporary names, synced, and renamed into place
// data file last, so a crash never leaves a table whose companions are
// missing or half written.
#pragma once

#include <string>
#include <vector>

#include "file_system.h"
#include "schema.h"
#include "table_header.h"

namespace pdx {

// The header image of a new data file.
std::vector<uint8_t> BuildDataHeader(const TableSchema& schema, const std::string& table_name,
                                     uint32_t update_time);
// The header image of a new primary index for that data file.
std::vector<uint8_t> BuildIndexHeader(const TableSchema& schema, const std::string& table_name);
// The header of a primary index for an existing data file (one that lost its
// .PX): its key fields, block size, sort order and level.
std::vector<uint8_t> BuildIndexHeaderFor(const TableHeader& table, const std::string& table_name);
// The header block of a new blob file (one 4096-byte unit).
std::vector<uint8_t> BuildBlobHeader();
// The validity-check file for the schema's checks. Answers
// PDX_ERR_OUT_OF_RANGE (with *error naming the check) for a minimum,
// maximum or default that is not a value of its field, or a minimum above
// the maximum.
pdx_code BuildValFile(const TableSchema& schema, const std::string& table_name,
                      uint32_t update_time, std::vector<uint8_t>* bytes, std::string* error);

// table: the name without extension ("Portf"); the files are table + ".DB"
// and so on in directory. Answers PDX_ERR_TABLE_EXISTS when a file of that
// name exists (compared without regard to case).
pdx_code CreateTable(FileSystem* fs, const std::string& directory, const std::string& table,
                     const TableSchema& schema, std::string* error);

}  // namespace pdx
