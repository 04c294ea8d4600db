// The indicator column's glyphs, made once and shared by every grid: the
// arrow of a browsed record (WWDBGARROW), the I-beam of one being edited
// (WWDBEDIT) and the star of one being inserted (WWDBINSERT). Black on white,
// so that an AND copy draws only the black; the yellow look is derived from
// them when painting.
#pragma once

#include "toolkit/bitmap.h"
#include "toolkit/color.h"

namespace grid {

enum class IndicatorGlyph { kArrow, kEdit, kInsert };

const toolkit::Bitmap& IndicatorBitmap(IndicatorGlyph glyph);
// The glyph with its black turned yellow and its white turned background.
toolkit::Bitmap YellowIndicator(const toolkit::Bitmap& glyph, toolkit::Color background);

}  // namespace grid
