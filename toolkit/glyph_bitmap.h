// Glyph bitmaps of buttons: one bitmap holds NumGlyphs images of equal width
// side by side (normal, greyed for the disabled state, then optionally pressed
// and held down). The colour of the bitmap's lower-left pixel is transparent
// in every image.
#pragma once

#include <QColor>
#include <QImage>
#include <vector>

namespace toolkit {

struct GlyphImages {
  QImage normal;
  QImage disabled;
  QImage pressed;  // the normal image when the bitmap has none
  QImage down;     // the normal image when the bitmap has none
};

// numGlyphs is clamped to 1..4 and to the bitmap's width. With one image the
// greyed image is made from it (see greyedGlyph).
GlyphImages splitGlyph(const QImage& bitmap, int numGlyphs);

// The bitmap with every pixel of the lower-left pixel's colour made clear.
QImage withTransparentColour(const QImage& bitmap);

// A disabled look for a glyph that brings none: its dark pixels become an
// embossed shadow (highlight one pixel down and right, then shadow).
QImage greyedGlyph(const QImage& glyph, QColor highlight, QColor shadow);

}  // namespace toolkit
