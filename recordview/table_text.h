// Table text (8-bit, in the table's code page) to and from what the screen
// shows. Every label and value of the record view crosses here, so the
// conversion has one home.
#pragma once

#include <QString>
#include <string>

namespace recordview {

QString ShownText(const std::string& tableText);
std::string TableText(const QString& shown);

}  // namespace recordview
