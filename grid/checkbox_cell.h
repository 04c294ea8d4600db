// Check-box cells: the ControlType entry (control_type.h)
// "FIELD;CheckBox;checked value;unchecked value" of a field, and how the box
// is drawn in its cell.
#pragma once

#include <optional>
#include <string>

#include "grid/control_type.h"
#include "intl/international_strings.h"
#include "toolkit/canvas.h"

namespace grid {

struct CheckBoxValues {
  std::string checked;
  std::string unchecked;
};

// None when the field has no check-box entry.
std::optional<CheckBoxValues> CheckBoxFor(const data::TDataSet* dataSet, const data::TField& field);
// Whether a field's text stands for the checked state.
bool IsChecked(const CheckBoxValues& values, const std::string& text);
// A 10 by 10 sunken box centred in cell, ticked or crossed when checked.
void DrawCheckBox(toolkit::Canvas& canvas, const toolkit::Rect& cell, bool checked,
                  intl::TwwCheckBoxInGridStyle style);

}  // namespace grid
