// Table text and Qt's strings: the edge where the table's 8-bit text meets
// widgets, the clipboard and the printer.
#pragma once

#include <QString>
#include <optional>
#include <string>
#include <string_view>

#include "toolkit/text_codec.h"

namespace toolkit {

// Never fails; bytes the code page does not define show as U+FFFD.
QString tableTextToQString(const TextCodec& codec, std::string_view tableText);

// The table's bytes for text typed or pasted; nullopt when the code page
// cannot hold a character of it, with the message naming that character in
// *error (when given). Nothing is replaced silently.
std::optional<std::string> qStringToTableText(const TextCodec& codec, const QString& text,
                                              QString* error);

}  // namespace toolkit
