// Where a glyph button puts its glyph and caption inside its face.
//
// Margin is the gap between the face's edge (on the glyph's side) and the
// glyph, -1 to centre glyph and caption together; Spacing is the gap between
// glyph and caption, -1 to share the free space out evenly: with both -1 the
// three gaps are equal, with only Spacing -1 the caption is centred in the
// room the glyph leaves. A button without glyph or caption uses no spacing.
#pragma once

#include <QRect>

namespace toolkit {

enum class GlyphPlacement { kGlyphLeft, kGlyphRight, kGlyphTop, kGlyphBottom };

struct GlyphLayout {
  QPoint glyph;   // top-left of the glyph
  QRect caption;  // the caption's box, exactly its size
};

GlyphLayout layoutGlyphAndCaption(const QRect& face, QSize glyph, QSize caption,
                                  GlyphPlacement placement, int margin, int spacing);

}  // namespace toolkit
