// Combo cells on a store table: Alt+Down drops the named combo box's list
// over the cell, a choice is written into the field as an edit, Esc leaves
// the field alone; a cell without a combo box keeps Alt+Down as Down.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QTest>

#include "data/data_set.h"
#include "grid/grid_test_tables.h"

namespace grid {
namespace {

class GridCombo : public ::testing::Test {
 protected:
  bool Open() {
    fixture.table.ControlType = {"STRATEGY;Combo;cbStrategy"};
    std::string reason;
    if (!fixture.Open("Portf", "ID\tI*\nSTRATEGY\tA10\n", {{"1", "Income"}, {"2", "Value"}},
                      &reason)) {
      skipReason = reason;
      return false;
    }
    combo = new QComboBox(&form);
    combo->setObjectName("cbStrategy");
    combo->addItems({"Income", "Growth", "Value"});
    combo->hide();
    return testing::ShowOnForm(form, *fixture.grid, &skipReason);
  }
  void AltDown() { QTest::keyClick(fixture.grid.get(), Qt::Key_Down, Qt::AltModifier); }

  QWidget form;  // outlives the grid, which leaves it when destroyed
  testing::GridOnTable fixture;
  QComboBox* combo = nullptr;
  std::string skipReason;
};

TEST_F(GridCombo, AChoiceFromTheDroppedListGoesIntoTheField) {
  if (!Open()) GTEST_SKIP() << skipReason;
  AltDown();
  ASSERT_TRUE(combo->isVisible());
  EXPECT_TRUE(combo->view()->isVisible());
  EXPECT_EQ("Income", combo->currentText().toStdString());
  const toolkit::Rect cell = fixture.grid->cellRect(2, 1);
  EXPECT_EQ(QRect(cell.left, cell.top, cell.width(), cell.height()), combo->geometry());
  QTest::keyClick(combo->view(), Qt::Key_Down);
  QTest::keyClick(combo->view(), Qt::Key_Return);
  QTest::qWait(10);
  EXPECT_EQ("Growth", fixture.Current("STRATEGY"));
  EXPECT_EQ(data::DataSetState::kEdit, fixture.table.State());
  EXPECT_FALSE(combo->isVisible());
  // The form's focus is back on the grid (once the popup lets the form be
  // active again).
  EXPECT_EQ(fixture.grid.get(), form.focusWidget());
  QTest::keyClick(fixture.grid.get(), Qt::Key_Down);  // posts
  fixture.table.First();
  EXPECT_EQ("Growth", fixture.Current("STRATEGY"));
}

TEST_F(GridCombo, ANewRecordStaysWhileItsListIsDropped) {
  if (!Open()) GTEST_SKIP() << skipReason;
  QTest::keyClick(fixture.grid.get(), Qt::Key_Insert);
  ASSERT_EQ(data::DataSetState::kInsert, fixture.table.State());
  AltDown();
  ASSERT_TRUE(combo->view()->isVisible());
  EXPECT_EQ(data::DataSetState::kInsert, fixture.table.State());
  QTest::keyClick(combo->view(), Qt::Key_Return);
  QTest::qWait(10);
  EXPECT_EQ(data::DataSetState::kInsert, fixture.table.State());
  EXPECT_EQ("Income", fixture.Current("STRATEGY"));
}

TEST_F(GridCombo, EscClosesTheListAndLeavesTheField) {
  if (!Open()) GTEST_SKIP() << skipReason;
  AltDown();
  ASSERT_TRUE(combo->view()->isVisible());
  QTest::keyClick(combo->view(), Qt::Key_Escape);
  QTest::qWait(10);
  EXPECT_FALSE(combo->isVisible());
  EXPECT_EQ("Income", fixture.Current("STRATEGY"));
  EXPECT_EQ(data::DataSetState::kBrowse, fixture.table.State());
  // The ID column has no combo box: Alt+Down moves down as Down does.
  QTest::keyClick(fixture.grid.get(), Qt::Key_Left);
  AltDown();
  EXPECT_EQ("2", fixture.Current("ID"));
}

}  // namespace
}  // namespace grid
