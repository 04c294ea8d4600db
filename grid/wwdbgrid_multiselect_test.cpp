// Marking records under dgMultiSelect with real clicks and keys on a store
// table: Ctrl+click and Ctrl+Space toggle, Shift ranges, the veto of
// OnMultiSelectRecord, auto-unselect, and marked rows drawn highlighted.
#include <gtest/gtest.h>

#include <QTest>

#include "data/data_set.h"
#include "grid/grid_test_tables.h"
#include "toolkit/recording_canvas.h"

namespace grid {
namespace {

using testing::GridOnTable;
using O = TwwDBGridOption;

class GridMultiSelect : public ::testing::Test {
 protected:
  bool Open() {
    std::vector<std::vector<std::string>> rows;
    for (int i = 1; i <= 8; ++i) rows.push_back({std::to_string(i), "Name" + std::to_string(i)});
    std::string reason;
    if (!fixture.Open("People", "ID\tI*\nNAME\tA20\n", rows, &reason)) {
      skipReason = reason;
      return false;
    }
    grid().SetOptions(grid().Options().with(O::dgMultiSelect));
    grid().resize(300, GridOnTable::HeightFor(8));
    grid().show();
    return true;
  }
  TwwDBGrid& grid() { return *fixture.grid; }
  void Click(int row, Qt::KeyboardModifiers modifiers = {}) {
    const toolkit::Rect cell = grid().cellRect(1, row);
    QTest::mouseClick(&grid(), Qt::LeftButton, modifiers, QPoint(cell.left + 3, cell.top + 3));
  }
  // The IDs of the marked records, in the order they were marked.
  std::vector<std::string> Marked() {
    std::vector<std::string> ids;
    const data::Bookmark current = fixture.table.GetBookmark();
    for (const data::Bookmark& bookmark : grid().SelectedList()) {
      fixture.table.GotoBookmark(bookmark);
      ids.push_back(fixture.Current("ID"));
    }
    fixture.table.GotoBookmark(current);
    return ids;
  }
  // The brush of a data row's first cell as painted.
  toolkit::Color RowBrush(int row) {
    toolkit::RecordingCanvas canvas;
    grid().PaintAll(canvas);
    const toolkit::Rect cell = grid().cellRect(1, row);
    for (const toolkit::CanvasCall& call : canvas.calls())
      if (call.kind == toolkit::CanvasCall::Kind::kTextRect && call.rect == cell)
        return call.brush.color;
    return toolkit::Color{};
  }

  GridOnTable fixture;
  std::string skipReason;
};

TEST_F(GridMultiSelect, CtrlClickAndCtrlSpaceToggleMarksThatAreDrawn) {
  if (!Open()) GTEST_SKIP() << skipReason;
  Click(2, Qt::ControlModifier);
  Click(4, Qt::ControlModifier);
  EXPECT_EQ((std::vector<std::string>{"2", "4"}), Marked());
  EXPECT_EQ("4", fixture.Current("ID"));
  EXPECT_TRUE(grid().IsSelectedRecord());
  Click(2, Qt::ControlModifier);  // a second Ctrl+click unmarks
  EXPECT_EQ((std::vector<std::string>{"4"}), Marked());
  QTest::keyClick(&grid(), Qt::Key_Space, Qt::ControlModifier);  // on record 2 now
  EXPECT_EQ((std::vector<std::string>{"4", "2"}), Marked());
  // The marks are the highlight: the current row is not, unless marked.
  EXPECT_EQ(toolkit::clHighlight, RowBrush(4));
  EXPECT_EQ(toolkit::clHighlight, RowBrush(2));
  EXPECT_EQ(toolkit::clWindow, RowBrush(3));
  QTest::keyClick(&grid(), Qt::Key_Down);
  EXPECT_EQ(toolkit::clWindow, RowBrush(3));
  // A plain click keeps the marks unless msoAutoUnselect is set.
  Click(6);
  EXPECT_EQ(2u, grid().SelectedList().size());
  grid().MultiSelectOptions.insert(TwwMultiSelectOption::msoAutoUnselect);
  Click(7);
  EXPECT_TRUE(grid().SelectedList().empty());
}

TEST_F(GridMultiSelect, ShiftMarksRangesAndTheHandlerMayRefuse) {
  if (!Open()) GTEST_SKIP() << skipReason;
  Click(3, Qt::ShiftModifier);  // without msoShiftSelect Shift marks nothing
  EXPECT_TRUE(grid().SelectedList().empty());
  grid().MultiSelectOptions.insert(TwwMultiSelectOption::msoShiftSelect);
  Click(6, Qt::ShiftModifier);
  EXPECT_EQ((std::vector<std::string>{"3", "4", "5", "6"}), Marked());
  EXPECT_EQ("6", fixture.Current("ID"));
  Click(1, Qt::ShiftModifier);  // backwards, from 6: only the new ones are added
  EXPECT_EQ((std::vector<std::string>{"3", "4", "5", "6", "2", "1"}), Marked());
  EXPECT_EQ("1", fixture.Current("ID"));
  grid().UnselectAll();
  // Record 8 refuses to be marked.
  grid().OnMultiSelectRecord = [this](TwwDBGrid&, bool selecting, bool& accept) {
    accept = !(selecting && fixture.Current("ID") == "8");
  };
  fixture.table.Last();
  fixture.table.MoveBy(-1);
  QTest::keyClick(&grid(), Qt::Key_Down, Qt::ShiftModifier);
  EXPECT_EQ((std::vector<std::string>{"7"}), Marked());
  EXPECT_EQ("8", fixture.Current("ID"));
  QTest::keyClick(&grid(), Qt::Key_Down, Qt::ShiftModifier);  // never appends
  EXPECT_EQ(data::DataSetState::kBrowse, fixture.table.State());
  EXPECT_EQ(8, fixture.table.RecordCountTotal());
}

TEST_F(GridMultiSelect, MarksGoWithTheirRecordsAndTheTable) {
  if (!Open()) GTEST_SKIP() << skipReason;
  Click(2, Qt::ControlModifier);
  Click(3, Qt::ControlModifier);
  grid().SetOptions(grid().Options().with(O::dgConfirmDelete, false));
  QTest::keyClick(&grid(), Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(7, fixture.table.RecordCountTotal());
  EXPECT_EQ((std::vector<std::string>{"2"}), Marked());
  EXPECT_EQ(toolkit::clHighlight, RowBrush(2));
  ASSERT_EQ(1u, grid().SelectedList().size());
  fixture.table.Close();
  EXPECT_TRUE(grid().SelectedList().empty());
}

}  // namespace
}  // namespace grid
