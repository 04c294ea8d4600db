#include "glyph_bitmap.h"

#include <gtest/gtest.h>

namespace toolkit {
namespace {

const QRgb kOlive = qRgb(128, 128, 0);
const QRgb kRed = qRgb(255, 0, 0);
const QRgb kGrey = qRgb(128, 128, 128);

// Two 4x3 images side by side on olive: a red pixel at (1,1) in the normal
// one, a grey pixel at (2,1) in the greyed one, and a red pixel in the top
// left corner of the greyed image to show only the lower-left colour is clear.
QImage twoImageBitmap() {
  QImage bitmap(8, 3, QImage::Format_RGB32);
  bitmap.fill(kOlive);
  bitmap.setPixel(1, 1, kRed);
  bitmap.setPixel(4 + 2, 1, kGrey);
  bitmap.setPixel(4, 0, kRed);
  return bitmap.convertToFormat(QImage::Format_Indexed8);  // as a 16-colour bitmap loads
}

TEST(GlyphBitmap, SplitsSideBySideImagesAndClearsTheLowerLeftColour) {
  const GlyphImages images = splitGlyph(twoImageBitmap(), 2);
  ASSERT_EQ(images.normal.size(), QSize(4, 3));
  ASSERT_EQ(images.disabled.size(), QSize(4, 3));
  EXPECT_EQ(images.normal.pixel(1, 1), kRed | 0xff000000);
  EXPECT_EQ(qAlpha(images.normal.pixel(0, 0)), 0);
  EXPECT_EQ(qAlpha(images.normal.pixel(3, 2)), 0);
  EXPECT_EQ(images.disabled.pixel(2, 1), kGrey | 0xff000000);
  EXPECT_EQ(images.disabled.pixel(0, 0), kRed | 0xff000000);
  EXPECT_EQ(qAlpha(images.disabled.pixel(1, 1)), 0);
  EXPECT_EQ(images.pressed, images.normal);
}

TEST(GlyphBitmap, TheTransparentColourIsTheLowerLeftPixelWhateverItIs) {
  QImage bitmap(2, 2, QImage::Format_RGB32);
  bitmap.fill(kOlive);
  bitmap.setPixel(0, 1, kRed);
  const QImage clear = withTransparentColour(bitmap);
  EXPECT_EQ(qAlpha(clear.pixel(0, 1)), 0);
  EXPECT_EQ(qAlpha(clear.pixel(1, 1)), 255);
}

TEST(GlyphBitmap, OneImageGetsAGreyedImageMadeFromItsDarkPixels) {
  QImage bitmap(4, 4, QImage::Format_RGB32);
  bitmap.fill(Qt::white);
  bitmap.setPixel(1, 1, qRgb(0, 0, 0));
  bitmap.setPixel(0, 3, qRgb(0, 255, 0));  // lower-left: the clear colour
  const GlyphImages images = splitGlyph(bitmap, 1);
  EXPECT_EQ(images.disabled.pixel(1, 1), QColor(128, 128, 128).rgba());
  EXPECT_EQ(images.disabled.pixel(2, 2), QColor(Qt::white).rgba());
  EXPECT_EQ(qAlpha(images.disabled.pixel(3, 0)), 0) << "light pixels leave no trace";
}

TEST(GlyphBitmap, MoreImagesThanPixelsOrNoneAreClamped) {
  QImage bitmap(3, 2, QImage::Format_RGB32);
  bitmap.fill(kOlive);
  EXPECT_EQ(splitGlyph(bitmap, 9).normal.width(), 1);
  EXPECT_EQ(splitGlyph(bitmap, 0).normal.width(), 3);
  EXPECT_TRUE(splitGlyph(QImage(), 2).normal.isNull());
}

}  // namespace
}  // namespace toolkit
