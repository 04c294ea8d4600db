#include "glyph_layout.h"

#include <gtest/gtest.h>

namespace toolkit {
namespace {

const QRect kFace(0, 0, 75, 25);
const QSize kGlyph(16, 16);
const QSize kCaption(30, 13);

TEST(GlyphLayout, CentredBlockOfGlyphSpacingAndCaption) {
  const GlyphLayout layout =
      layoutGlyphAndCaption(kFace, kGlyph, kCaption, GlyphPlacement::kGlyphLeft, -1, 4);
  // 75 - (16 + 4 + 30) = 25 spare, (25 + 1) / 2 = 13 before the glyph.
  EXPECT_EQ(layout.glyph, QPoint(13, 5));
  EXPECT_EQ(layout.caption, QRect(QPoint(33, 6), kCaption));
}

TEST(GlyphLayout, FixedMarginWithSharedSpacingAndThreeEqualGaps) {
  const GlyphLayout margin2 =
      layoutGlyphAndCaption(kFace, kGlyph, kCaption, GlyphPlacement::kGlyphLeft, 2, -1);
  // Room after the glyph: 75 - 2 - 16 - 30 = 27, spacing (27 + 1) / 2 = 14.
  EXPECT_EQ(margin2.glyph.x(), 2);
  EXPECT_EQ(margin2.caption.left(), 32);
  const GlyphLayout even =
      layoutGlyphAndCaption(kFace, kGlyph, kCaption, GlyphPlacement::kGlyphLeft, -1, -1);
  EXPECT_EQ(even.glyph.x(), 9);
  EXPECT_EQ(even.caption.left(), 34);
}

TEST(GlyphLayout, GlyphRightAndGlyphTopMirrorAndTurnTheAxis) {
  const GlyphLayout right =
      layoutGlyphAndCaption(kFace, kGlyph, kCaption, GlyphPlacement::kGlyphRight, 2, 4);
  EXPECT_EQ(right.glyph.x(), 75 - 2 - 16);
  EXPECT_EQ(right.caption.right() + 1, 75 - 2 - 16 - 4);
  const GlyphLayout top = layoutGlyphAndCaption(QRect(10, 10, 40, 50), kGlyph, kCaption,
                                                GlyphPlacement::kGlyphTop, -1, 4);
  // 50 - (16 + 4 + 13) = 17, (17 + 1) / 2 = 9.
  EXPECT_EQ(top.glyph, QPoint(10 + 12, 10 + 9));
  EXPECT_EQ(top.caption.top(), 10 + 9 + 16 + 4);
  EXPECT_EQ(top.caption.left(), 10 + 5);
}

TEST(GlyphLayout, CaptionAloneIsCentredWithoutSpacing) {
  const GlyphLayout layout =
      layoutGlyphAndCaption(kFace, QSize(), kCaption, GlyphPlacement::kGlyphLeft, -1, 4);
  EXPECT_EQ(layout.caption.left(), 23);
}

}  // namespace
}  // namespace toolkit
