// Text crossing between a table and the screen: the data layer keeps text as
// the table stores it, 8-bit in the table's code page; the edit controls show
// and take Unicode. Positions in a text differ between the two where the code
// page has characters of more than one byte, so they are converted too.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

namespace data {
class TDataSet;
}

namespace edit {

QString TableTextToScreen(const data::TDataSet* dataSet, std::string_view text);
// None when the table's code page cannot hold a character; error then names it.
std::optional<std::string> ScreenTextToTable(const data::TDataSet* dataSet, const QString& text,
                                             QString* error = nullptr);
// The byte offset in the table's text of the character position in the screen's.
int TableOffset(const data::TDataSet* dataSet, const QString& text, int position);
// The character position in the screen's text of a byte offset in the table's.
int ScreenPosition(const data::TDataSet* dataSet, std::string_view tableText, int offset);

}  // namespace edit
