// The glyphs of the standard button kinds (OK, Cancel, Help, Close), drawn
// here rather than shipped: each bitmap holds the normal and the greyed image
// side by side on an olive ground that the lower-left pixel makes clear.
#pragma once

#include <QImage>

namespace toolkit {

enum class ButtonKind { kCustom, kOk, kCancel, kHelp, kClose };

// An empty image for kCustom.
QImage standardGlyph(ButtonKind kind);

}  // namespace toolkit
