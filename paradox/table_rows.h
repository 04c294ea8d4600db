// A table's rows as the export commands read them: the table opened for
// reading as `pdx dump` opens it (with the same one-line errors), rows in
// table order, and each field's value typed for the formats it goes to.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "cursor.h"
#include "pdx_codes.h"
#include "table.h"

namespace pdx::tool {

enum class ValueKind : uint8_t {
  kBlank,
  kInteger,  // S I +: integer
  kLogical,  // L: integer 0 or 1
  kReal,     // N $: real; also a timestamp no calendar can show
  kDecimal,  // #: text, the exact decimal; real, the nearest double
  kDate,     // D, T, @: text in ISO 8601 (YYYY-MM-DD, HH:MM:SS.mmm,
  kTime,     //   YYYY-MM-DDTHH:MM:SS.mmm)
  kTimestamp,
  kText,  // A M: text in the table's code page
  // Y B O G, and F: a formatted memo is binary (text runs among font
  // tables and NUL bytes), which no code page conversion may touch.
  kBytes,  // text holds the bytes
};

struct Value {
  ValueKind kind = ValueKind::kBlank;
  int64_t integer = 0;
  double real = 0;
  std::string_view text;
};

// A table argument's directory as the C interface takes it, which reads a
// name without a '/' as an alias: "." and "data" become "./" and "./data".
// Export uses it as well, so that its messages name files as dump's do.
std::string DirectoryArgument(const std::string& directory);

class TableRows {
 public:
  // path: the table as the user names it (directory and name, ".DB" may be
  // left out). On failure *error is the line `pdx dump` reports after the
  // table's name: the engine's text, its context and code.
  static pdx_code Open(const std::string& path, const std::vector<std::string>& passwords,
                       std::unique_ptr<TableRows>* rows, std::string* error);

  const std::vector<Field>& fields() const { return table_->fields(); }
  int key_fields() const { return table_->header().IsKeyed() ? table_->header().key_fields : 0; }
  int code_page() const { return table_->header().code_page; }
  int64_t row_count() const { return table_->header().record_count; }
  const std::vector<SecondaryIndex>& secondary_indexes() { return table_->SecondaryIndexes(); }
  // The table's file name without its extension ("PORTF" for PORTF.DB).
  std::string stem() const;

  // The next row: PDX_OK, PDX_ERR_EOF after the last, or a failure that
  // error() then describes.
  pdx_code Next();
  // The value of field index (0-based) of the current row, valid until the
  // next call for the same field or the next row.
  pdx_code Get(size_t index, Value* value);
  // The one-line text of the failure just answered, as `pdx dump` gives it.
  std::string error(pdx_code code) const;

 private:
  TableRows() = default;
  pdx_code ReadBlob(const Field& field, std::string* bytes);

  std::unique_ptr<Table> table_;
  std::unique_ptr<Cursor> cursor_;
  std::vector<uint8_t> record_;
  std::vector<std::string> scratch_;  // per field: text made for its value
};

}  // namespace pdx::tool
