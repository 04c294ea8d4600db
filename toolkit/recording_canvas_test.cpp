#include "recording_canvas.h"

#include <gtest/gtest.h>

namespace toolkit {
namespace {

using Kind = CanvasCall::Kind;

TEST(FontSpec, StoredHeightsGivePointsAndDevicePixels) {
  FontSpec font = defaultFont();
  EXPECT_EQ(font.pointSize(), 8);
  EXPECT_EQ(characterPixels(font, 96), 11);
  EXPECT_EQ(characterPixels(font, 600), 67) << "8 points at 600 dots per inch";
  EXPECT_EQ(characterPixels(font, 300), 33);
  font.height = -16;
  EXPECT_EQ(font.pointSize(), 12);
  EXPECT_EQ(characterPixels(font, 600), 100);
  font.setPointSize(10);
  EXPECT_EQ(font.height, -13);
  font.height = 0;
  EXPECT_EQ(characterPixels(font, 96), 11);
}

TEST(RecordingCanvas, FixedMetricsFollowTheFontAndTheResolution) {
  RecordingCanvas screen;
  EXPECT_EQ(screen.textWidth("X"), 6);
  EXPECT_EQ(screen.textWidth("Price"), 30);
  EXPECT_EQ(screen.textWidth("\xc3\xa9t\xc3\xa9"), 18) << "code points, not bytes";
  EXPECT_EQ(screen.textHeight("X"), 13);
  EXPECT_EQ(screen.textHeight(""), 13);
  RecordingCanvas printer(600);
  EXPECT_EQ(printer.textWidth("X"), 34);
  EXPECT_EQ(printer.textHeight("X"), 83);
}

TEST(RecordingCanvas, RecordsEachCallWithTheStateInForce) {
  RecordingCanvas canvas;
  FontSpec title = defaultFont();
  title.name = "Arial";
  title.height = -16;
  canvas.setFont(title);
  canvas.setBrush({clBtnFace});
  canvas.textRect({10, 20, 50, 33}, 47, 22, "Qty", TextAnchor::kRight);
  canvas.setPen({clBtnShadow});
  canvas.line({0, 5}, {9, 5});
  canvas.setClip(Rect{1, 2, 3, 4});
  canvas.setClip(std::nullopt);

  ASSERT_EQ(canvas.calls().size(), 4u);
  const CanvasCall& text = canvas.calls()[0];
  EXPECT_EQ(text.kind, Kind::kTextRect);
  EXPECT_EQ(text.rect, (Rect{10, 20, 50, 33}));
  EXPECT_EQ(text.from, (Point{47, 22}));
  EXPECT_EQ(text.anchor, TextAnchor::kRight);
  EXPECT_EQ(text.font, title);
  EXPECT_EQ(text.brush.color, clBtnFace);
  const CanvasCall line = canvas.callsOf(Kind::kLine).at(0);
  EXPECT_EQ(line.to, (Point{9, 5}));
  EXPECT_EQ(line.pen.color, clBtnShadow);
  EXPECT_TRUE(canvas.calls()[3].rect.empty());
}

TEST(RecordingCanvas, DrawTextRecordsItsLinesAndAnswersTheirHeight) {
  RecordingCanvas canvas;
  // 6 pixels a character: 30 pixels hold five.
  const int height = canvas.drawText({0, 0, 30, 100}, "ab cd efgh", TextFormat{});
  const CanvasCall call = canvas.callsOf(Kind::kDrawText).at(0);
  EXPECT_EQ(call.lines, (std::vector<std::string>{"ab cd", "efgh"}));
  EXPECT_EQ(height, 26);
}

TEST(RecordingCanvas, OffscreenSurfacesRecordIntoTheSameLogUnderTheirNumber) {
  RecordingCanvas canvas;
  EXPECT_TRUE(canvas.image().empty());
  auto first = canvas.createOffscreen(40, 18);
  auto second = canvas.createOffscreen(8, 8);
  first->fillRect({0, 0, 40, 18});
  second->textOut(1, 1, "a");
  canvas.copyBitmap({5, 5, 45, 23}, first->image(), RasterOp::kSrcCopy);
  ASSERT_EQ(canvas.calls().size(), 3u);
  EXPECT_EQ(canvas.calls()[0].surface, 1);
  EXPECT_EQ(canvas.calls()[1].surface, 2);
  EXPECT_EQ(canvas.calls()[2].surface, 0);
  EXPECT_EQ(canvas.calls()[2].bitmap.width, 40);
  EXPECT_EQ(canvas.calls()[2].bitmap.height, 18);
}

TEST(Color, SystemColoursResolveThroughTheInstalledScheme) {
  const SystemColors saved = systemColors();
  EXPECT_EQ(clWindow.toRgb(), clWhite);
  EXPECT_EQ(clBtnFace.toRgb(), clSilver);
  EXPECT_EQ(clNavy.toRgb(), clNavy);
  EXPECT_FALSE(clWindow == clWhite) << "a system colour is not its current value";
  SystemColors dark = saved;
  dark.rgb[static_cast<int>(SystemColor::kWindow)] = clBlack;
  setSystemColors(dark);
  EXPECT_EQ(clWindow.toRgb(), clBlack);
  setSystemColors(saved);
}

}  // namespace
}  // namespace toolkit
