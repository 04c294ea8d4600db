// The data set's ControlType list, as the grid reads it: one line per field,
// "FIELD;Kind;parameters...", parts separated by semicolons. The kinds the
// grid draws itself have their own files: bitmap_cell.h, checkbox_cell.h.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace data {
class TDataSet;
class TField;
}  // namespace data

namespace grid {

// The parts of the field's line of that kind (the name and kind first); none
// when the data set has no such line for the field.
std::optional<std::vector<std::string>> ControlTypeEntry(const data::TDataSet* dataSet,
                                                         const data::TField& field,
                                                         const std::string& kind);
// The kind the list gives the field, empty when none.
std::string ControlTypeKind(const data::TDataSet* dataSet, const data::TField& field);

}  // namespace grid
