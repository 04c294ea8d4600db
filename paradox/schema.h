// A table description in the text form that `pdx create` reads and
// pdx_table_create takes: one field per line ("Name<TAB>A20*"), plus optional
// lines for the level, block size, password and validity checks. Parsing
// checks everything that does not depend on a field's value encoding: types
// allowed at the level, sizes, key layout, record and key sizes against the
// block size. Check values stay text here; the value codec turns them into
// field bytes when the .VAL file is written.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pdx.h"

namespace pdx {

struct SchemaField {
  std::string name;
  char type = 0;  // 'A','D','S','I','$','N','L','M','B','F','O','G','T','@','+','#','Y'
  int size = 0;   // as declared: A20 -> 20, M10 -> 10 (the leader), #2 -> 2 decimals
  bool key = false;
};

struct SchemaCheck {
  int field_index = 0;  // 0-based into TableSchema::fields
  bool required = false;
  std::optional<std::string> minimum;
  std::optional<std::string> maximum;
  std::optional<std::string> default_value;
  std::optional<std::string> picture;
};

struct TableSchema {
  int level = 70;  // times ten: 30, 35, 40, 50, 70
  int block_size = 2048;
  std::string password;  // empty: not protected
  std::vector<SchemaField> fields;
  std::vector<SchemaCheck> checks;  // at most one per field, in field order

  int KeyFieldCount() const;
  // Bytes a field takes in a record (BCD: 17; blobs: leader + 10).
  static int StoredLength(const SchemaField& field);
  int RecordSize() const;
  int KeySize() const;
};

// Parses and validates a schema text. On failure answers an engine code and
// sets *error to a line naming the problem (with its line number).
pdx_code ParseSchema(std::string_view text, TableSchema* schema, std::string* error);

// The lowest level at which each field type exists.
int MinimumLevelForType(char type);

}  // namespace pdx
