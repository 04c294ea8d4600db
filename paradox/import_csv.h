// pdx import TABLE --csv FILE|-: rows of a CSV file (RFC 4180) inserted
// into a table. The first record names the fields (without regard to case,
// in any order; fields it leaves out are blank); the values read as
// `pdx export --csv` writes them: text in UTF-8 (or in the table's code
// page with --encoding table; --code-page N for a table whose text is in
// another code page than its header names), ISO 8601 dates, times and timestamps (date
// and time joined by T or a space), numbers with a point, true or false
// (also T/F, 1/0), binary values in base64.
//
// Rows go through the table's validity checks and key, in groups as with
// `pdx insert` (--group N, --progress, --no-sync). A refused row, among
// them text with a character the table's code page cannot hold, is
// reported with the line it starts on and the others go on. Exit status 0
// when every row was written, 1 when some were refused, 2 on failure.
#pragma once

#include <string>

#include "row_loader.h"

namespace pdx::tool {

struct ImportOptions {
  WriteOptions write;
  bool keep_code_page = false;  // the CSV's text is in the table's code page
  int code_page = 0;            // the table's text is in code page N, not the header's
};

int ImportCsv(const std::string& table, const std::string& file, const ImportOptions& options);

}  // namespace pdx::tool
