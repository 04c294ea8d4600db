// Table text (8-bit, in the code page of the data set's table) to and from
// what the screen shows. Every label and value of the record view crosses
// here.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace data {
class TDataSet;
}

namespace recordview {

QString ShownText(const data::TDataSet& dataSet, std::string_view tableText);
// Throws, naming the character, when the table's code page cannot hold the
// text; nothing is replaced silently.
std::string TableText(const data::TDataSet& dataSet, const QString& shown);

}  // namespace recordview
