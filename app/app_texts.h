// The two text rules of the application object, kept Qt-free so that they
// are tested on their own.
#pragma once

#include <string>

namespace app {

// The title from the program file's name: the part after the last '/' and
// before the first '.', every letter but the first turned to lower case
// ("/usr/bin/VINDRAL.bin" gives "Vindral").
std::string applicationTitle(const std::string& programPath);

// The error box's text: "." is appended unless the message is empty or its
// last character sorts at or before "." (".", "!", ")", a space...).
std::string withFullStop(const std::string& message);

}  // namespace app
