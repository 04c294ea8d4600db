// Custom edit cells on a store table: a data-aware edit box on the form,
// bound to the cell's field, edits the cell over it; Down posts and moves as
// in the grid's own editor; a box bound to another field is not used.
#include <gtest/gtest.h>

#include <QTest>

#include "data/data_set.h"
#include "edit/wwdbedit.h"
#include "grid/grid_test_tables.h"
#include "toolkit/inplace_editor.h"

namespace grid {
namespace {

class GridCustomEdit : public ::testing::Test {
 protected:
  bool Open(const std::string& boundField) {
    fixture.table.ControlType = {"NAME;CustomEdit;edName"};
    std::string reason;
    if (!fixture.Open("People", "ID\tI*\nNAME\tA20\n", {{"1", "Ann"}, {"2", "Bo"}}, &reason)) {
      skipReason = reason;
      return false;
    }
    control = new edit::TwwDBEdit(&form);
    control->setObjectName("edName");
    control->SetDataSource(&fixture.source);
    control->SetDataField(boundField);
    control->hide();
    return testing::ShowOnForm(form, *fixture.grid, &skipReason);
  }

  QWidget form;  // outlives the grid, which leaves it when destroyed
  testing::GridOnTable fixture;
  edit::TwwDBEdit* control = nullptr;
  std::string skipReason;
};

TEST_F(GridCustomEdit, TheBoundControlEditsTheCellAndDownPosts) {
  if (!Open("NAME")) GTEST_SKIP() << skipReason;
  QTest::keyClick(fixture.grid.get(), Qt::Key_F2);
  ASSERT_TRUE(control->isVisible());
  EXPECT_TRUE(control->hasFocus());
  EXPECT_FALSE(fixture.grid->editor() && fixture.grid->editor()->isVisible());
  const toolkit::Rect cell = fixture.grid->cellRect(2, 1);
  EXPECT_EQ(QRect(cell.left, cell.top, cell.width(), cell.height()), control->geometry());
  EXPECT_EQ("Ann", control->text().toStdString());
  QTest::keyClick(control, Qt::Key_End);
  QTest::keyClicks(control, "ie");
  EXPECT_EQ(data::DataSetState::kEdit, fixture.table.State());
  QTest::keyClick(control, Qt::Key_Down);  // the grid's: posts and moves
  EXPECT_EQ(data::DataSetState::kBrowse, fixture.table.State());
  EXPECT_EQ("2", fixture.Current("ID"));
  EXPECT_FALSE(control->isVisible());
  EXPECT_TRUE(fixture.grid->hasFocus());
  fixture.table.First();
  EXPECT_EQ("Annie", fixture.Current("NAME"));
  // A typed character opens it too, starting its text.
  QTest::keyClick(fixture.grid.get(), Qt::Key_Z);
  ASSERT_TRUE(control->isVisible());
  EXPECT_EQ("z", control->text().toStdString());
  QTest::keyClick(control, Qt::Key_Return);  // Enter closes it again
  EXPECT_FALSE(control->isVisible());
}

TEST_F(GridCustomEdit, AControlBoundToAnotherFieldIsNotUsed) {
  if (!Open("ID")) GTEST_SKIP() << skipReason;
  QTest::keyClick(fixture.grid.get(), Qt::Key_F2);
  EXPECT_FALSE(control->isVisible());
  EXPECT_EQ(data::DataSetState::kBrowse, fixture.table.State());
  // The cell is the grid's own editor's then.
  ASSERT_TRUE(fixture.grid->editor() && fixture.grid->editor()->isVisible());
  EXPECT_EQ("Ann", fixture.grid->editor()->text().toStdString());
}

}  // namespace
}  // namespace grid
