#include "painter_canvas.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include "font_mapping.h"

namespace toolkit {
namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);

class PainterCanvasTest : public ::testing::Test {
 protected:
  PainterCanvasTest() : image(60, 40, QImage::Format_RGB32) { image.fill(Qt::white); }
  QImage image;

  // The x range of non-white pixels in the rows top..bottom-1, or (-1,-1).
  std::pair<int, int> inkColumns(int top, int bottom) const {
    int first = -1, last = -1;
    for (int x = 0; x < image.width(); ++x)
      for (int y = top; y < bottom; ++y)
        if (image.pixel(x, y) != kWhite) {
          if (first < 0) first = x;
          last = x;
        }
    return {first, last};
  }
};

TEST_F(PainterCanvasTest, LinesStopBeforeTheirEndAndRectanglesStayInside) {
  {
    QPainter painter(&image);
    PainterCanvas canvas(painter);
    canvas.line({2, 1}, {7, 1});
    canvas.line({3, 3}, {3, 3});
    canvas.setBrush({clYellow});
    canvas.rectangle({10, 10, 20, 15});
  }
  EXPECT_EQ(image.pixel(2, 1), kBlack);
  EXPECT_EQ(image.pixel(6, 1), kBlack);
  EXPECT_EQ(image.pixel(7, 1), kWhite);
  EXPECT_EQ(image.pixel(3, 3), kWhite) << "a line to its own start draws nothing";
  EXPECT_EQ(image.pixel(10, 10), kBlack);
  EXPECT_EQ(image.pixel(19, 14), kBlack);
  EXPECT_EQ(image.pixel(20, 14), kWhite);
  EXPECT_EQ(image.pixel(19, 15), kWhite);
  EXPECT_EQ(image.pixel(15, 12), qRgb(255, 255, 0));
}

TEST_F(PainterCanvasTest, TextRectFillsTheWholeBoxAndClipsTheTextToIt) {
  {
    QPainter painter(&image);
    PainterCanvas canvas(painter);
    canvas.setBrush({clSilver});
    canvas.textRect({10, 5, 30, 25}, 12, 7, "WWWWWWWWWW");
  }
  EXPECT_EQ(image.pixel(10, 5), qRgb(192, 192, 192));
  EXPECT_EQ(image.pixel(29, 24), qRgb(192, 192, 192)) << "filled where no text is";
  const auto [first, last] = inkColumns(0, 40);
  EXPECT_EQ(first, 10);
  EXPECT_EQ(last, 29);
}

TEST_F(PainterCanvasTest, AnchorsPutTheTextsEndOrCentreAtX) {
  QPainter painter(&image);
  PainterCanvas canvas(painter);
  canvas.setBrush({clBlack});  // fills exactly the text's box
  const int width = canvas.textWidth("Ab");
  canvas.textOut(50, 0, "Ab", TextAnchor::kRight);
  canvas.textOut(30, 20, "Ab", TextAnchor::kCenter);
  painter.end();
  EXPECT_EQ(inkColumns(0, 10), std::make_pair(50 - width, 49));
  EXPECT_EQ(inkColumns(20, 30).first, 30 - width / 2);
}

TEST_F(PainterCanvasTest, RasterOperationsCombineBitByBit) {
  image.fill(QColor(0x40, 0xC0, 0xF0));
  Bitmap glyph(2, 1);
  glyph.setPixel(0, 0, 0xff000000u);  // black
  glyph.setPixel(1, 0, 0xffffffffu);  // white
  {
    QPainter painter(&image);
    PainterCanvas canvas(painter);
    canvas.copyBitmap({0, 0, 2, 1}, glyph, RasterOp::kSrcAnd);
    canvas.copyBitmap({0, 1, 2, 2}, glyph, RasterOp::kSrcInvert);
    canvas.copyBitmap({0, 2, 2, 3}, glyph, RasterOp::kNotSrcCopy);
    canvas.copyBitmap({0, 3, 4, 5}, glyph, RasterOp::kSrcCopy);  // stretched
  }
  EXPECT_EQ(image.pixel(0, 0), kBlack) << "black AND anything";
  EXPECT_EQ(image.pixel(1, 0), qRgb(0x40, 0xC0, 0xF0)) << "white AND keeps the cell";
  EXPECT_EQ(image.pixel(0, 1), qRgb(0x40, 0xC0, 0xF0));
  EXPECT_EQ(image.pixel(1, 1), qRgb(0xBF, 0x3F, 0x0F));
  EXPECT_EQ(image.pixel(0, 2), kWhite);
  EXPECT_EQ(image.pixel(1, 2), kBlack);
  EXPECT_EQ(image.pixel(1, 4), kBlack);
  EXPECT_EQ(image.pixel(2, 3), kWhite);
}

TEST_F(PainterCanvasTest, ClearPixelsAreSkippedAndAFocusMarkTwiceLeavesNoTrace) {
  Bitmap clearAndRed(2, 1);
  clearAndRed.setPixel(0, 0, 0x00000000u);
  clearAndRed.setPixel(1, 0, 0xffff0000u);
  {
    QPainter painter(&image);
    PainterCanvas canvas(painter);
    canvas.copyBitmap({0, 0, 2, 1}, clearAndRed);
    canvas.setBrush({clGreen});
    canvas.fillRect({20, 20, 40, 30});
    canvas.focusRect({20, 20, 40, 30});
  }
  EXPECT_EQ(image.pixel(0, 0), kWhite);
  EXPECT_EQ(image.pixel(1, 0), qRgb(255, 0, 0));
  int marked = 0;
  for (int x = 20; x < 40; ++x) marked += image.pixel(x, 20) != qRgb(0, 128, 0);
  EXPECT_EQ(marked, 10) << "every other pixel of the top edge";
  {
    QPainter painter(&image);
    PainterCanvas canvas(painter);
    canvas.focusRect({20, 20, 40, 30});
  }
  for (int x = 20; x < 40; ++x) EXPECT_EQ(image.pixel(x, 20), qRgb(0, 128, 0)) << x;
}

TEST_F(PainterCanvasTest, OffscreenSurfaceStartsWhiteAndHandsItsPixelsOver) {
  QPainter painter(&image);
  PainterCanvas canvas(painter);
  auto offscreen = canvas.createOffscreen(4, 3);
  offscreen->setBrush({clNavy});
  offscreen->fillRect({1, 1, 3, 2});
  const Bitmap pixels = offscreen->image();
  ASSERT_EQ(pixels.width, 4);
  EXPECT_EQ(pixels.pixel(0, 0), 0xffffffffu);
  EXPECT_EQ(pixels.pixel(1, 1), 0xff000080u);
  canvas.copyBitmap({10, 10, 14, 13}, pixels);
  painter.end();
  EXPECT_EQ(image.pixel(11, 11), qRgb(0, 0, 128));
  EXPECT_TRUE(canvas.image().empty());
}

TEST(FontMapping, StoredFacesMapToInstalledFacesKeepingPixelSizes) {
  const QFont sans = qtFont(defaultFont());
  EXPECT_EQ(sans.family(), "DejaVu Sans");
  EXPECT_EQ(sans.pixelSize(), 11);
  FontSpec courier = defaultFont();
  courier.name = "Courier New";
  courier.bold = true;
  const QFont mono = qtFont(courier, 600);
  EXPECT_EQ(mono.family(), "DejaVu Sans Mono");
  EXPECT_EQ(mono.pixelSize(), 67);
  EXPECT_TRUE(mono.bold());
  EXPECT_EQ(familyFor("No Such Face At All"), "DejaVu Sans");
  EXPECT_EQ(qtColor(clNavy), QColor(0, 0, 128));
}

TEST(FontMapping, ApplyingAStoredFontSetsFaceSizeAndTextColourButKeepsGreyedText) {
  QWidget widget;
  const QColor greyed = widget.palette().color(QPalette::Disabled, QPalette::WindowText);
  FontSpec navy = defaultFont();
  navy.color = clNavy;
  navy.italic = true;
  applyFont(widget, navy);
  EXPECT_EQ(widget.font().pixelSize(), 11);
  EXPECT_TRUE(widget.font().italic());
  EXPECT_EQ(widget.palette().color(QPalette::Active, QPalette::WindowText), QColor(0, 0, 128));
  EXPECT_EQ(widget.palette().color(QPalette::Inactive, QPalette::Text), QColor(0, 0, 128));
  EXPECT_EQ(widget.palette().color(QPalette::Disabled, QPalette::WindowText), greyed);
}

}  // namespace
}  // namespace toolkit
