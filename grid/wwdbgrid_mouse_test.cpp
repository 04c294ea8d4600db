// Clicks on the grid's cells: the first click of a window that is not active
// yet still moves to the clicked row, and the editor a click shows sits over
// the clicked cell, not at the grid's corner.
#include <gtest/gtest.h>

#include <QApplication>
#include <QTest>

#include "grid/grid_test_tables.h"
#include "grid/test_support.h"
#include "toolkit/inplace_editor.h"

namespace grid {
namespace {

using testing::GridOnTable;

const char kNames[] = "ID\tI*\nNAME\tA20\n";

class GridMouse : public ::testing::Test {
 protected:
  bool Open() {
    std::vector<std::vector<std::string>> rows;
    for (int i = 1; i <= 5; ++i) rows.push_back({std::to_string(i), "Name" + std::to_string(i)});
    if (!fixture.Open("Names", kNames, rows, &skipReason)) return false;
    fixture.grid->resize(300, GridOnTable::HeightFor(5));
    testing::TakeLastError();
    return true;
  }
  // The middle of a cell, by column and grid row (row 0 is the titles).
  QPoint CellCentre(int col, int row) const {
    const toolkit::Rect r = fixture.grid->cellRect(col, row);
    return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
  }

  GridOnTable fixture;
  std::string skipReason;
};

TEST_F(GridMouse, AClickWhileAnotherWindowIsActiveStillMovesToTheRow) {
  if (!Open()) GTEST_SKIP() << skipReason;
  QWidget other;
  other.show();
  other.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
  ASSERT_FALSE(fixture.grid->hasFocus());

  QTest::mouseClick(fixture.grid.get(), Qt::LeftButton, {}, CellCentre(2, 4));
  EXPECT_EQ("4", fixture.Current("ID"));
  EXPECT_EQ("", testing::TakeLastError());
}

TEST_F(GridMouse, AClickOnTheCurrentCellShowsTheEditorOverThatCell) {
  if (!Open()) GTEST_SKIP() << skipReason;
  QTest::mouseClick(fixture.grid.get(), Qt::LeftButton, {}, CellCentre(2, 3));
  ASSERT_EQ("3", fixture.Current("ID"));
  QTest::mouseClick(fixture.grid.get(), Qt::LeftButton, {}, CellCentre(2, 3));
  toolkit::InplaceEditor* editor = fixture.grid->editor();
  ASSERT_TRUE(editor && editor->isVisible());
  const toolkit::Rect cell = fixture.grid->cellRect(2, 3);
  EXPECT_EQ(QRect(cell.left, cell.top, cell.width(), cell.height()), editor->geometry());
  EXPECT_EQ("Name3", editor->text().toStdString());
}

}  // namespace
}  // namespace grid
