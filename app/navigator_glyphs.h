// The navigator's ten glyphs, drawn here: each bitmap holds the normal and
// the disabled image side by side on an olive ground that the lower-left
// pixel makes clear. Named "DBN_FIRST" ... "DBN_REFRESH".
#pragma once

#include <QImage>
#include <string>

namespace app {

// An empty image for a name that is not one of the ten.
QImage NavigatorGlyph(const std::string& resourceName);

}  // namespace app
