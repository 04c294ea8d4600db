// The writing side of the interface, for the entry points that live with
// the rest of the table handling (creating and deleting tables).
#pragma once

#include <string>

#include "pdx.h"

namespace pdx::api {

// table: a name with or without ".DB". Errors carry their context lines.
pdx_code CreateTableFromSchema(const std::string& directory, const std::string& table,
                               const std::string& schema_text);
// Removes the data file and every companion file of the table.
pdx_code DeleteTableFiles(const std::string& directory, const std::string& table);

}  // namespace pdx::api
