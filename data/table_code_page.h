// Which code page a table's text is in, from what its header says and what
// the engine configuration sets for its alias.
#pragma once

#include <string>
#include <string_view>

namespace data {

struct TableTextFacts {
  int level = 70;              // times ten: 30, 35, 40, 50, 70
  int headerCodePage = 0;      // 0 when the header names none (level 3, some writers)
  std::string sortOrderName;   // empty at level 3
  int sortOrderCode = 0;       // header byte 0x29
  int configuredCodePage = 0;  // the alias's CODEPAGE= setting, 0 for none
};

// The alias's setting first (some tables hold text in another page than their
// header says); then the header's code page; then the code page of the sort
// order, by its name, or at level 3 by its code; else 437.
int TableCodePage(const TableTextFacts& facts);

// The code page of a sort order (language driver) by name, 0 when unknown.
int SortOrderCodePageByName(std::string_view name);
// The code page of a level 3 table's sort order code, 0 when unknown or 0.
int SortOrderCodePageByCode(int code);

}  // namespace data
