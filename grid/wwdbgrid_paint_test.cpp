// What the cell painter draws, on the recording canvas: title captions, the
// indicator glyphs, text placement by alignment, memo placeholders, the
// highlight and focus mark, and the edges of title cells.
#include <gtest/gtest.h>

#include <QTest>
#include <algorithm>

#include "data/data_set.h"
#include "grid/grid_test_tables.h"
#include "grid/indicator_glyphs.h"
#include "toolkit/inplace_editor.h"
#include "toolkit/recording_canvas.h"

namespace grid {
namespace {

using testing::GridOnTable;
using toolkit::CanvasCall;
using toolkit::RecordingCanvas;

const char kSchema[] = "ID\tI*\nNAME\tA20\nAMOUNT\t$\nNOTE\tM10\n";

class GridPaint : public ::testing::Test {
 protected:
  bool Open() {
    std::string reason;
    if (!fixture.Open("Notes", kSchema, {{"1", "Ann", "12.5", "first note"}, {"2", "Bob", "7", ""}},
                      &reason)) {
      skipReason = reason;
      return false;
    }
    fixture.grid->resize(500, GridOnTable::HeightFor(4));
    return true;
  }
  // The text calls whose box is the cell's rectangle.
  std::vector<CanvasCall> TextsIn(const toolkit::Rect& cell) {
    std::vector<CanvasCall> found;
    for (const CanvasCall& call : canvas.callsOf(CanvasCall::Kind::kTextRect))
      if (call.rect == cell) found.push_back(call);
    return found;
  }
  std::vector<CanvasCall> Paint() {
    canvas.clear();
    fixture.grid->PaintAll(canvas);
    return canvas.calls();
  }

  GridOnTable fixture;
  RecordingCanvas canvas;
  std::string skipReason;
};

TEST_F(GridPaint, TitlesAndTextPlacement) {
  if (!Open()) GTEST_SKIP() << skipReason;
  TwwDBGrid& grid = *fixture.grid;
  Paint();
  const toolkit::Rect title = grid.cellRect(2, 0);
  const std::vector<CanvasCall> caption = TextsIn(title);
  ASSERT_EQ(1u, caption.size());
  EXPECT_EQ("NAME", caption[0].text);
  // 3 pixels in; a one-line title centred in its 17-pixel row: 17/2 - 13/2 = 2.
  EXPECT_EQ((toolkit::Point{title.left + 3, title.top + 2}), caption[0].from);
  EXPECT_EQ(grid.TitleFont(), caption[0].font);
  EXPECT_EQ(toolkit::clBtnFace, caption[0].brush.color);

  const toolkit::Rect name = grid.cellRect(2, 2);
  ASSERT_EQ(1u, TextsIn(name).size());
  EXPECT_EQ("Bob", TextsIn(name)[0].text);
  EXPECT_EQ((toolkit::Point{name.left + 3, name.top + 2}), TextsIn(name)[0].from);
  // Money is right-aligned: its right end 3 pixels inside the cell.
  const toolkit::Rect amount = grid.cellRect(3, 2);
  const CanvasCall money = TextsIn(amount).at(0);
  EXPECT_EQ(amount.right - 3 - static_cast<int>(money.text.size()) * 6, money.from.x);
}

TEST_F(GridPaint, MultiLineTitlesSplitAtTilde) {
  if (!Open()) GTEST_SKIP() << skipReason;
  TwwDBGrid& grid = *fixture.grid;
  fixture.table.FieldByName("NAME")->SetDisplayLabel("Full~Name");
  Paint();
  EXPECT_EQ("Full~Name", TextsIn(grid.cellRect(2, 0)).at(0).text);
  grid.SetTitleLines(2);
  EXPECT_EQ(13 * 2 + 4, grid.rowHeight(0));
  Paint();
  const toolkit::Rect title = grid.cellRect(2, 0);
  const std::vector<CanvasCall> lines = TextsIn(title);
  ASSERT_EQ(2u, lines.size());
  const int y0 = 30 / 2 - 13 * 2 / 2;
  EXPECT_EQ("Full", lines[0].text);
  EXPECT_EQ(title.top + y0, lines[0].from.y);
  EXPECT_EQ("Name", lines[1].text);
  EXPECT_EQ(title.top + y0 + 13 + 1, lines[1].from.y);
}

TEST_F(GridPaint, IndicatorFollowsTheState) {
  if (!Open()) GTEST_SKIP() << skipReason;
  TwwDBGrid& grid = *fixture.grid;
  Paint();
  std::vector<CanvasCall> glyphs = canvas.callsOf(CanvasCall::Kind::kCopyBitmap);
  ASSERT_EQ(1u, glyphs.size());
  const toolkit::Rect cell = grid.cellRect(0, 1);
  const toolkit::Bitmap& arrow = IndicatorBitmap(IndicatorGlyph::kArrow);
  EXPECT_EQ(arrow, glyphs[0].bitmap);
  EXPECT_EQ(toolkit::RasterOp::kSrcAnd, glyphs[0].op);
  EXPECT_EQ((cell.right - arrow.width) / 2 + 1, glyphs[0].rect.left);
  EXPECT_EQ((cell.top + cell.bottom - arrow.height) / 2, glyphs[0].rect.top);

  QTest::keyClick(&grid, Qt::Key_Insert);
  Paint();
  glyphs = canvas.callsOf(CanvasCall::Kind::kCopyBitmap);
  ASSERT_EQ(1u, glyphs.size());
  EXPECT_EQ(IndicatorBitmap(IndicatorGlyph::kInsert), glyphs[0].bitmap);

  grid.SetIndicatorColor(TIndicatorColor::icYellow);
  Paint();
  glyphs = canvas.callsOf(CanvasCall::Kind::kCopyBitmap);
  ASSERT_EQ(1u, glyphs.size());
  EXPECT_EQ(toolkit::RasterOp::kSrcCopy, glyphs[0].op);
  const auto& pixels = glyphs[0].bitmap.pixels;
  EXPECT_NE(pixels.end(), std::find(pixels.begin(), pixels.end(), 0xffffff00u));
  const std::uint32_t face = 0xff000000u | toolkit::clBtnFace.toRgb().value();
  EXPECT_NE(pixels.end(), std::find(pixels.begin(), pixels.end(), face));
}

TEST_F(GridPaint, MemoCellsShowAPlaceholderOrTheirText) {
  if (!Open()) GTEST_SKIP() << skipReason;
  TwwDBGrid& grid = *fixture.grid;
  Paint();
  EXPECT_EQ("(Memo)", TextsIn(grid.cellRect(4, 1)).at(0).text);
  grid.MemoAttributes.insert(TMemoAttribute::mGridShow);
  Paint();
  EXPECT_EQ("first note", TextsIn(grid.cellRect(4, 1)).at(0).text);
}

TEST_F(GridPaint, CurrentCellIsHighlightedWithAFocusMark) {
  if (!Open()) GTEST_SKIP() << skipReason;
  TwwDBGrid& grid = *fixture.grid;
  Paint();
  const toolkit::Rect current = grid.cellRect(1, 1);
  EXPECT_EQ(toolkit::clHighlight, TextsIn(current).at(0).brush.color);
  EXPECT_EQ(toolkit::clHighlightText, TextsIn(current).at(0).font.color);
  const std::vector<CanvasCall> marks = canvas.callsOf(CanvasCall::Kind::kFocusRect);
  ASSERT_EQ(1u, marks.size());
  EXPECT_EQ(current, marks[0].rect);
  // Another row's cell keeps the window colour.
  EXPECT_EQ(toolkit::clWindow, TextsIn(grid.cellRect(1, 2)).at(0).brush.color);
}

TEST_F(GridPaint, TitleCellsGetLightEdgesOnTheirLeftAndTop) {
  if (!Open()) GTEST_SKIP() << skipReason;
  TwwDBGrid& grid = *fixture.grid;
  Paint();
  const toolkit::Rect title = grid.cellRect(2, 0);
  std::vector<CanvasCall> light;
  for (const CanvasCall& call : canvas.callsOf(CanvasCall::Kind::kLine))
    if (call.pen.color == toolkit::clBtnHighlight && call.from.x >= title.left &&
        call.from.x <= title.right && call.from.y <= title.bottom)
      light.push_back(call);
  ASSERT_EQ(2u, light.size());
  EXPECT_EQ((toolkit::Point{title.left, title.bottom}), light[0].from);
  EXPECT_EQ((toolkit::Point{title.left, title.top}), light[0].to);
  EXPECT_EQ((toolkit::Point{title.left, title.top}), light[1].from);
  EXPECT_EQ((toolkit::Point{title.right, title.top}), light[1].to);
}

TEST(GridPaintClosed, AnInactiveGridHasNoIndicatorGlyph) {
  TwwDBGrid grid;
  grid.SetMeasureCanvas(std::make_unique<RecordingCanvas>());
  grid.resize(200, 100);
  RecordingCanvas canvas;
  grid.PaintAll(canvas);
  EXPECT_TRUE(canvas.callsOf(CanvasCall::Kind::kCopyBitmap).empty());
  EXPECT_TRUE(canvas.callsOf(CanvasCall::Kind::kTextRect).empty());
}

}  // namespace
}  // namespace grid

namespace grid {
namespace {

TEST(GridCheckBox, ABooleanShownAsACheckBoxTogglesWithSpace) {
  testing::GridOnTable fixture;
  fixture.table.ControlType = {"PAID;CheckBox;Yes;No"};
  std::string reason;
  if (!fixture.Open("Bills", "ID\tI*\nPAID\tA3\n", {{"1", "Yes"}, {"2", "No"}}, &reason))
    GTEST_SKIP() << reason;
  TwwDBGrid& grid = *fixture.grid;
  grid.resize(300, testing::GridOnTable::HeightFor(3));
  auto boxes = [&grid] {
    toolkit::RecordingCanvas canvas;
    grid.PaintAll(canvas);
    std::vector<toolkit::Rect> found;
    for (const toolkit::CanvasCall& call : canvas.callsOf(toolkit::CanvasCall::Kind::kFillRect))
      if (call.rect.width() == 10 && call.rect.height() == 10) found.push_back(call.rect);
    // Ticks: black strokes rising to the right.
    int ticks = 0;
    for (const toolkit::CanvasCall& call : canvas.callsOf(toolkit::CanvasCall::Kind::kLine))
      if (call.pen.color == toolkit::clBlack && call.to.y < call.from.y && call.to.x > call.from.x)
        ++ticks;
    return std::make_pair(found, ticks);
  };
  auto [found, ticks] = boxes();
  ASSERT_EQ(2u, found.size());
  const toolkit::Rect cell = grid.cellRect(2, 1);
  EXPECT_EQ((cell.left + cell.right - 10) / 2, found[0].left);
  EXPECT_EQ((cell.top + cell.bottom - 10) / 2, found[0].top);
  EXPECT_EQ(2, ticks);  // one tick of two strokes: only the first row is checked
  QTest::keyClick(&grid, Qt::Key_Right);
  QTest::keyClick(&grid, Qt::Key_Space);
  EXPECT_EQ("No", fixture.Current("PAID"));
  QTest::keyClick(&grid, Qt::Key_Down);
  fixture.table.First();
  EXPECT_EQ("No", fixture.Current("PAID"));
}

TEST(GridCheckBox, AClickTogglesTheCurrentCellOrAnyWithSingleClick) {
  testing::GridOnTable fixture;
  fixture.table.ControlType = {"PAID;CheckBox;Yes;No"};
  std::string reason;
  if (!fixture.Open("Bills", "ID\tI*\nPAID\tA3\n", {{"1", "Yes"}, {"2", "No"}, {"3", "No"}},
                    &reason))
    GTEST_SKIP() << reason;
  TwwDBGrid& grid = *fixture.grid;
  grid.resize(300, testing::GridOnTable::HeightFor(4));
  grid.show();
  auto click = [&grid](int row) {
    const toolkit::Rect cell = grid.cellRect(2, row);
    QTest::mouseClick(&grid, Qt::LeftButton, {}, QPoint(cell.left + 3, cell.top + 3));
  };
  click(2);  // the first click only makes the cell current
  EXPECT_EQ("2", fixture.Current("ID"));
  EXPECT_EQ("No", fixture.Current("PAID"));
  EXPECT_EQ(data::DataSetState::kBrowse, fixture.table.State());
  click(2);
  EXPECT_EQ("Yes", fixture.Current("PAID"));
  EXPECT_EQ(data::DataSetState::kEdit, fixture.table.State());
  EXPECT_FALSE(grid.editor() && grid.editor()->isVisible());
  grid.EditControlOptions.insert(TwwEditControlOption::ecoCheckboxSingleClick);
  click(3);  // posts row 2 on the way, then toggles row 3 at once
  EXPECT_EQ("3", fixture.Current("ID"));
  EXPECT_EQ("Yes", fixture.Current("PAID"));
  fixture.table.Cancel();
  fixture.table.First();
  fixture.table.Next();
  EXPECT_EQ("Yes", fixture.Current("PAID"));
  // A read-only grid shows the box but never changes it.
  grid.SetReadOnly(true);
  click(1);
  EXPECT_EQ("Yes", fixture.Current("PAID"));
  EXPECT_EQ(data::DataSetState::kBrowse, fixture.table.State());
}

}  // namespace
}  // namespace grid
