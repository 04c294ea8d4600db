// The one place where the grid turns a table's 8-bit text into screen text
// and back: cells, titles and the in-place editor all go through here, so the
// table's code page decides how its letters look.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace data {
class TDataSet;
}

namespace grid {

// UTF-8 for the canvas.
std::string screenText(const data::TDataSet* dataSet, std::string_view tableText);
QString editorText(const data::TDataSet* dataSet, std::string_view tableText);
// The table's bytes for what the user typed; false (with the reason) when a
// character has no place in the table's code page.
bool tableText(const data::TDataSet* dataSet, const QString& text, std::string* out,
               QString* error);

}  // namespace grid
