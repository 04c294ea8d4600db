#include "grid/checkbox_cell.h"

#include <algorithm>
#include <cctype>

#include "grid/control_type.h"

namespace grid {

namespace {

std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

void Line(toolkit::Canvas& canvas, toolkit::Color color, toolkit::Point from, toolkit::Point to) {
  canvas.setPen(toolkit::Pen{color});
  canvas.line(from, to);
}

}  // namespace

std::optional<CheckBoxValues> CheckBoxFor(const data::TDataSet* dataSet,
                                          const data::TField& field) {
  const std::optional<std::vector<std::string>> parts =
      ControlTypeEntry(dataSet, field, "CheckBox");
  if (!parts) return std::nullopt;
  CheckBoxValues values;
  values.checked = parts->size() > 2 ? (*parts)[2] : "True";
  values.unchecked = parts->size() > 3 ? (*parts)[3] : "False";
  return values;
}

bool IsChecked(const CheckBoxValues& values, const std::string& text) {
  return Lower(text) == Lower(values.checked);
}

void DrawCheckBox(toolkit::Canvas& canvas, const toolkit::Rect& cell, bool checked,
                  intl::TwwCheckBoxInGridStyle style) {
  canvas.fillRect(cell);
  const int l = (cell.left + cell.right - 10) / 2;
  const int t = (cell.top + cell.bottom - 10) / 2;
  const int r = l + 10;
  const int b = t + 10;
  canvas.setBrush(toolkit::Brush{toolkit::clWindow});
  canvas.fillRect({l, t, r, b});
  // Sunken: dark above and left, light below and right, two pixels deep.
  Line(canvas, toolkit::clGray, {l, b - 1}, {l, t});
  Line(canvas, toolkit::clGray, {l, t}, {r, t});
  Line(canvas, toolkit::clWhite, {l, b - 1}, {r, b - 1});
  Line(canvas, toolkit::clWhite, {r - 1, t}, {r - 1, b});
  Line(canvas, toolkit::clBlack, {l + 1, b - 2}, {l + 1, t + 1});
  Line(canvas, toolkit::clBlack, {l + 1, t + 1}, {r - 1, t + 1});
  Line(canvas, toolkit::clGrayText, {l + 1, b - 2}, {r - 1, b - 2});
  Line(canvas, toolkit::clGrayText, {r - 2, t + 1}, {r - 2, b - 1});
  if (!checked) return;
  if (style == intl::TwwCheckBoxInGridStyle::cbStyleXmark) {
    Line(canvas, toolkit::clBlack, {l + 3, t + 3}, {r - 2, b - 2});
    Line(canvas, toolkit::clBlack, {r - 4, t + 3}, {l + 1, b - 2});
    return;
  }
  for (int dy = 0; dy < 2; ++dy) {
    Line(canvas, toolkit::clBlack, {l + 3, t + 4 + dy}, {l + 5, t + 6 + dy});
    Line(canvas, toolkit::clBlack, {l + 5, t + 6 + dy}, {r - 2, t + 2 + dy});
  }
}

}  // namespace grid
