#include "glyph_layout.h"

namespace toolkit {

namespace {

// Positions along one axis: the glyph's and the caption's offset from the
// face's start, measured as if the glyph came first.
struct AxisPlacement {
  int glyph;
  int caption;
};

AxisPlacement placeAlong(int room, int glyph, int caption, int margin, int spacing) {
  if (glyph == 0 || caption == 0) spacing = 0;
  if (margin < 0) {
    if (spacing < 0) {
      margin = (room - glyph - caption) / 3;
      spacing = margin;
    } else {
      margin = (room - (glyph + spacing + caption) + 1) / 2;
    }
  } else if (spacing < 0) {
    spacing = (room - margin - glyph - caption + 1) / 2;
  }
  return {margin, margin + glyph + spacing};
}

}  // namespace

GlyphLayout layoutGlyphAndCaption(const QRect& face, QSize glyph, QSize caption,
                                  GlyphPlacement placement, int margin, int spacing) {
  glyph = glyph.expandedTo(QSize(0, 0));
  caption = caption.expandedTo(QSize(0, 0));
  const bool horizontal =
      placement == GlyphPlacement::kGlyphLeft || placement == GlyphPlacement::kGlyphRight;
  const bool glyphFirst =
      placement == GlyphPlacement::kGlyphLeft || placement == GlyphPlacement::kGlyphTop;
  const int room = horizontal ? face.width() : face.height();
  const int glyphLength = horizontal ? glyph.width() : glyph.height();
  const int captionLength = horizontal ? caption.width() : caption.height();
  AxisPlacement along = placeAlong(room, glyphLength, captionLength, margin, spacing);
  if (!glyphFirst) {
    along.glyph = room - along.glyph - glyphLength;
    along.caption = room - along.caption - captionLength;
  }

  const int crossRoom = horizontal ? face.height() : face.width();
  const int glyphCross = ((crossRoom - (horizontal ? glyph.height() : glyph.width())) + 1) / 2;
  const int captionCross =
      ((crossRoom - (horizontal ? caption.height() : caption.width())) + 1) / 2;

  GlyphLayout layout;
  if (horizontal) {
    layout.glyph = face.topLeft() + QPoint(along.glyph, glyphCross);
    layout.caption = QRect(face.topLeft() + QPoint(along.caption, captionCross), caption);
  } else {
    layout.glyph = face.topLeft() + QPoint(glyphCross, along.glyph);
    layout.caption = QRect(face.topLeft() + QPoint(captionCross, along.caption), caption);
  }
  return layout;
}

}  // namespace toolkit
