// The grid's layout with the recording canvas's fixed metrics (6 by 13
// pixels a character): row heights, column widths from the fields and their
// titles, the buffer that follows the window's height, and the scroll bar.
#include <gtest/gtest.h>

#include <QApplication>
#include <QMouseEvent>
#include <QScrollBar>
#include <QTest>

#include "data/data_set.h"
#include "grid/grid_test_tables.h"
#include "toolkit/recording_canvas.h"

namespace grid {
namespace {

using testing::GridOnTable;

const char kPeople[] = "ID\tI*\nNAME\tA20\nAMOUNT\t$\n";

std::vector<std::vector<std::string>> People(int count) {
  std::vector<std::vector<std::string>> rows;
  for (int i = 1; i <= count; ++i)
    rows.push_back({std::to_string(i), "Name" + std::to_string(i), std::to_string(i * 10)});
  return rows;
}

TEST(GridLayout, ClosedDataSetShowsOneEmptyColumnAndRow) {
  TwwDBGrid grid;
  grid.SetMeasureCanvas(std::make_unique<toolkit::RecordingCanvas>());
  EXPECT_EQ(2, grid.colCount());  // the indicator and one empty column
  EXPECT_EQ(2, grid.rowCount());  // the title and one empty row
  EXPECT_EQ(11, grid.colWidth(0));
  EXPECT_EQ(16, grid.defaultRowHeight());  // 13 + 2 + 1 for the row lines
  EXPECT_EQ(17, grid.rowHeight(0));        // 13 + 4
}

TEST(GridLayout, ColumnsFollowFieldsAndTitles) {
  GridOnTable fixture;
  std::string reason;
  if (!fixture.Open("People", kPeople, People(3), &reason)) GTEST_SKIP() << reason;
  TwwDBGrid& grid = *fixture.grid;
  ASSERT_EQ(4, grid.colCount());
  data::TField* name = fixture.table.FieldByName("NAME");
  EXPECT_EQ(name->DisplayWidth() * 6 + 4, grid.colWidth(2));
  // A short field under a long two-piece title: the wider piece decides.
  data::TField* id = fixture.table.FieldByName("ID");
  id->SetDisplayWidth(1);
  id->SetDisplayLabel("Portfolio~No");
  grid.LayoutChanged();
  EXPECT_EQ(9 * 6 + 4, grid.colWidth(1));
  // Read-only fields are no tab stops.
  name->SetReadOnly(true);
  grid.LayoutChanged();
  EXPECT_FALSE(grid.tabStop(2));
  EXPECT_TRUE(grid.tabStop(3));
}

TEST(GridLayout, HiddenFieldsAndFixedColumns) {
  GridOnTable fixture;
  std::string reason;
  if (!fixture.Open("People", kPeople, People(3), &reason)) GTEST_SKIP() << reason;
  TwwDBGrid& grid = *fixture.grid;
  fixture.table.FieldByName("NAME")->SetVisible(false);
  EXPECT_EQ(3, grid.colCount());
  EXPECT_EQ("AMOUNT", grid.DataLink().Field(1)->FieldName());
  grid.SetFixedCols(1);
  EXPECT_EQ(2, grid.fixedCols());
  // So many fixed columns that none would scroll, or fewer than none: a
  // warning, and the value is not taken.
  for (int wrong : {2, -1}) {
    grid.SetFixedCols(wrong);
    ASSERT_EQ(1u, fixture.ui.shown.size());
    EXPECT_EQ("Invalid value for FixedCols", fixture.ui.shown[0].text);
    EXPECT_EQ(toolkit::MessageKind::kWarning, fixture.ui.shown[0].kind);
    EXPECT_EQ(toolkit::MessageButtons::kOk, fixture.ui.shown[0].buttons);
    fixture.ui.shown.clear();
    EXPECT_EQ(1, grid.FixedCols());
    EXPECT_EQ(2, grid.fixedCols());
  }
  // With the data set closed only the negative count is refused; a count the
  // columns cannot hold leaves only the indicator fixed.
  fixture.table.Close();
  grid.SetFixedCols(5);
  EXPECT_TRUE(fixture.ui.shown.empty());
  fixture.table.Open();
  EXPECT_EQ(1, grid.fixedCols());
}

TEST(GridLayout, FontsFollowTheParentUntilSetByHand) {
  QWidget parent;  // outlives the grid, which leaves it when destroyed
  testing::GridOnTable fixture;
  fixture.grid->setParent(&parent);
  ASSERT_TRUE(fixture.grid->ParentFont());
  QFont larger = parent.font();
  larger.setPixelSize(17);
  larger.setBold(true);
  parent.setFont(larger);
  EXPECT_EQ(-17, fixture.grid->Font().height);
  EXPECT_TRUE(fixture.grid->Font().bold);
  EXPECT_EQ(fixture.grid->Font(), fixture.grid->TitleFont());
  // A title font of its own ends the following: the grid keeps both fonts.
  toolkit::FontSpec title = fixture.grid->TitleFont();
  title.height = -9;
  fixture.grid->SetTitleFont(title);
  EXPECT_FALSE(fixture.grid->ParentFont());
  larger.setPixelSize(21);
  parent.setFont(larger);
  EXPECT_EQ(-17, fixture.grid->Font().height);
  EXPECT_EQ(-9, fixture.grid->TitleFont().height);
  // Following again takes the parent's font for both at once.
  fixture.grid->SetParentFont(true);
  EXPECT_EQ(-21, fixture.grid->Font().height);
  EXPECT_EQ(-21, fixture.grid->TitleFont().height);
  // So does a font set on the grid itself, which leaves the title alone.
  toolkit::FontSpec own = fixture.grid->Font();
  own.height = -12;
  fixture.grid->SetFont(own);
  EXPECT_FALSE(fixture.grid->ParentFont());
  EXPECT_EQ(-21, fixture.grid->TitleFont().height);
}

TEST(GridLayout, TheCornerButtonSetsTheIndicatorColumnAndStaysInTheCorner) {
  GridOnTable fixture;
  std::string reason;
  if (!fixture.Open("People", kPeople, People(3), &reason)) GTEST_SKIP() << reason;
  TwwDBGrid& grid = *fixture.grid;
  grid.show();
  auto* button = new TwwIButton(&grid);
  button->setGeometry(4, 3, 20, 30);
  EXPECT_EQ(nullptr, grid.IndicatorButton());  // not before its settings are read
  EXPECT_EQ(11, grid.colWidth(0));
  button->Loaded();
  EXPECT_EQ(button, grid.IndicatorButton());
  EXPECT_EQ(QPoint(0, 0), button->pos());
  EXPECT_EQ(19, grid.colWidth(0));
  // The title row is as tall as the button, less the row line.
  EXPECT_EQ(29, grid.rowHeight(0));
  button->resize(16, 10);
  EXPECT_EQ(15, grid.colWidth(0));
  button->move(7, 7);
  EXPECT_EQ(QPoint(0, 0), button->pos());
  delete button;
  EXPECT_EQ(nullptr, grid.IndicatorButton());
  grid.LayoutChanged();
  EXPECT_EQ(11, grid.colWidth(0));
}

TEST(GridLayout, BufferHoldsOnlyWholeRowsAndFollowsTheHeight) {
  GridOnTable fixture;
  std::string reason;
  if (!fixture.Open("People", kPeople, People(50), &reason)) GTEST_SKIP() << reason;
  TwwDBGrid& grid = *fixture.grid;
  grid.resize(400, GridOnTable::HeightFor(7, true));
  EXPECT_EQ(7, grid.DataLink().BufferCount());
  EXPECT_EQ(8, grid.rowCount());
  grid.resize(400, GridOnTable::HeightFor(10));
  EXPECT_EQ(10, grid.DataLink().BufferCount());
  EXPECT_EQ(11, grid.rowCount());
}

TEST(GridLayout, ColumnResizeWritesCharactersBack) {
  GridOnTable fixture;
  std::string reason;
  if (!fixture.Open("People", kPeople, People(3), &reason)) GTEST_SKIP() << reason;
  TwwDBGrid& grid = *fixture.grid;
  grid.resize(600, GridOnTable::HeightFor(5));
  // Drag the line right of NAME's title 31 pixels to the left.
  const toolkit::Rect title = grid.cellRect(2, 0);
  QTest::mousePress(&grid, Qt::LeftButton, {}, QPoint(title.right, 5));
  // QTest's own move goes through the cursor, which the headless platform
  // does not deliver.
  const QPoint to(title.right - 31, 5);
  QMouseEvent move(QEvent::MouseMove, to, grid.mapToGlobal(to), Qt::NoButton, Qt::LeftButton, {});
  QApplication::sendEvent(&grid, &move);
  QTest::mouseRelease(&grid, Qt::LeftButton, {}, QPoint(title.right - 31, 5));
  const int pixels = title.width() - 31;
  EXPECT_EQ((pixels + 3 - 3) / 6, fixture.table.FieldByName("NAME")->DisplayWidth());
  EXPECT_EQ(fixture.table.FieldByName("NAME")->DisplayWidth() * 6 + 4, grid.colWidth(2));
}

TEST(GridLayout, DraggingATitleMovesItsField) {
  GridOnTable fixture;
  std::string reason;
  if (!fixture.Open("People", kPeople, People(3), &reason)) GTEST_SKIP() << reason;
  TwwDBGrid& grid = *fixture.grid;
  grid.resize(600, GridOnTable::HeightFor(5));
  int from = -1, to = -1;
  grid.OnColumnMoved = [&](TwwCustomDBGrid&, int fromIndex, int toIndex) {
    from = fromIndex;
    to = toIndex;
  };
  const toolkit::Rect amount = grid.cellRect(3, 0);
  const toolkit::Rect id = grid.cellRect(1, 0);
  QTest::mousePress(&grid, Qt::LeftButton, {}, QPoint(amount.left + 10, 5));
  QTest::mouseRelease(&grid, Qt::LeftButton, {}, QPoint(id.left + 10, 5));
  EXPECT_EQ(2, from);
  EXPECT_EQ(0, to);
  EXPECT_EQ(0, fixture.table.FieldByName("AMOUNT")->Index());
  EXPECT_EQ("AMOUNT", grid.DataLink().Field(0)->FieldName());
  EXPECT_EQ("ID", grid.DataLink().Field(1)->FieldName());
}

TEST(GridLayout, ScrollBarOfASequencedTable) {
  GridOnTable fixture;
  std::string reason;
  if (!fixture.Open("One", kPeople, People(1), &reason)) GTEST_SKIP() << reason;
  TwwDBGrid& grid = *fixture.grid;
  EXPECT_EQ(200, grid.verticalBar()->maximum());
  EXPECT_EQ(0, grid.verticalBar()->sliderPosition());
  QTest::keyClick(&grid, Qt::Key_Down);  // appends: the end of the data set
  EXPECT_EQ(200, grid.verticalBar()->sliderPosition());
}

TEST(GridLayout, ScrollBarPositionInTheMiddle) {
  GridOnTable fixture;
  std::string reason;
  if (!fixture.Open("People", kPeople, People(21), &reason)) GTEST_SKIP() << reason;
  TwwDBGrid& grid = *fixture.grid;
  grid.resize(400, GridOnTable::HeightFor(5));
  for (int i = 0; i < 10; ++i) QTest::keyClick(&grid, Qt::Key_Down);
  EXPECT_EQ("11", fixture.Current("ID"));
  EXPECT_EQ(10 * 200 / 20, grid.verticalBar()->sliderPosition());
}

}  // namespace
}  // namespace grid
