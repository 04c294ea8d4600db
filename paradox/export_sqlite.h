// pdx export TABLE|DIR --sqlite FILE [--table NAME]: tables into an SQLite
// database, one SQLite table per Paradox table (every .DB file of DIR, or
// TABLE under NAME, by default the table's file name without extension).
//
// Columns are typed: alpha and memo fields TEXT (in UTF-8), short, long,
// autoincrement and logical fields INTEGER (logicals 1 or 0), number, money
// and BCD fields REAL, dates, times and timestamps TEXT in ISO 8601, bytes,
// binary fields and formatted memos BLOB, blank values NULL. The Paradox primary key
// becomes the SQLite primary key. A new FILE appears only when complete;
// an existing one gets the tables in one transaction, and a table of the
// same name there is an error.
//
// Exit status 0 when every table was exported; 1 when, exporting a
// directory, some tables could not be read (each reported with the message
// of `pdx dump`, and left out whole); 2 on failure, when FILE is unchanged.
#pragma once

#include <string>

#include "export_options.h"

namespace pdx::tool {

int ExportSqlite(const std::string& source, const std::string& file, const ExportOptions& options);

}  // namespace pdx::tool
