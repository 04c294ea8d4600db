// Makes a new secondary index for an existing keyed table: its .X file
// (one row per table row: the indexed fields, the key, the block hint) and
// its .Y file, filled from the table's rows. The files are written under
// temporary names and renamed into place, the .Y first, so a crash leaves
// either no index or a whole one. The caller holds no writer on the table;
// this takes the table's write lock while it reads the rows.
//
// Only tables whose keys order as bytes (the "ascii" sort order, no
// password) take a new index here: the index inherits the table's order.
#pragma once

#include <string>
#include <vector>

#include "file_system.h"
#include "pdx_codes.h"

namespace pdx {

struct NewSecondaryIndex {
  std::vector<int> fields;  // 1-based table field numbers, none of them a blob
  bool composite = false;   // stored as .XGn/.YGn (else .Xnn/.Ynn, nn the field in hex)
  std::string name;         // a composite index's name
  bool descending = false;  // level-7 tables only
  bool unique = false;      // level-7 tables only
  // Alpha values held in upper case and ordered so (composite, level 4 on).
  bool case_insensitive = false;
};

// *x_path (when not null): the new .X file.
pdx_code CreateSecondaryIndex(FileSystem* fs, const std::string& db_path,
                              const NewSecondaryIndex& request, std::string* x_path,
                              std::string* error);

}  // namespace pdx
