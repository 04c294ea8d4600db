// pdx export TABLE --csv FILE|-: a table as a CSV file (RFC 4180). The
// first line names the fields; then one line per row in table order. Text
// is converted from the table's code page to UTF-8 (or kept, with
// --encoding table); dates, times and timestamps are ISO 8601, numbers
// have a point and the shortest digits that read back as the same value,
// BCD values their exact decimals, logicals are true or false, memos are
// text, binary values (bytes, binary, OLE, graphic, and formatted memos,
// whose rich text is a binary format) base64, and a blank value an empty
// field. --no-blobs leaves out the binary, OLE and graphic fields.
//
// Exit status 0, or 2 with one message on standard error (the message of
// `pdx dump` for a damaged or protected table); the file then does not
// exist under its name.
#pragma once

#include <string>

#include "export_options.h"

namespace pdx::tool {

int ExportCsv(const std::string& table, const std::string& file, const ExportOptions& options);

}  // namespace pdx::tool
