// A font as forms store it: a face name, a height in pixels at 96 dots per
// inch (negative: the characters' height; positive: the whole cell's height,
// leading included; 0: the default 8 points), colour and style. Qt-free; the
// Qt part maps the face name to a font the machine has (font_mapping.h).
#pragma once

#include <string>

#include "toolkit/color.h"

namespace toolkit {

struct FontSpec {
  std::string name = "MS Sans Serif";
  int height = -11;
  Color color = clWindowText;
  bool bold = false;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  // Kept for the forms' sake; text is Unicode, so nothing depends on it.
  int charset = 1;

  // Whole points, as the height is rounded to when a form shows it.
  int pointSize() const;
  void setPointSize(int points);

  friend bool operator==(const FontSpec&, const FontSpec&) = default;
};

// The toolkit's default font: "MS Sans Serif", 8 points (height -11).
FontSpec defaultFont();

// The height of the font's characters in device pixels at pixelsPerInch.
// At 96 the stored height is kept exactly; on any other device the font keeps
// its whole point size (8 points are 8 points on paper), so -11 becomes 67
// pixels at 600 dots per inch. A positive (cell) height counts four fifths as
// character height.
int characterPixels(const FontSpec& font, int pixelsPerInch);

}  // namespace toolkit
