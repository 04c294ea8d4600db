// Moving and editing through the grid with real key strokes on store tables:
// appending at the end and dropping the untouched new record, Esc, deleting,
// Tab wrapping, Home on a one-field table, and the picture check on leaving a
// column.
#include <gtest/gtest.h>

#include <QTest>

#include "data/data_set.h"
#include "grid/grid_test_tables.h"
#include "grid/test_support.h"
#include "toolkit/inplace_editor.h"

namespace grid {
namespace {

using data::DataSetState;
using testing::GridOnTable;
using testing::TakeLastError;

const char kPeople[] = "ID\tI*\nNAME\tA20\nAMOUNT\t$\n";

std::vector<std::vector<std::string>> People(int count) {
  std::vector<std::vector<std::string>> rows;
  for (int i = 1; i <= count; ++i)
    rows.push_back({std::to_string(i), "Name" + std::to_string(i), std::to_string(i * 10)});
  return rows;
}

class GridKeys : public ::testing::Test {
 protected:
  bool Open(int rows, const std::string& schema = kPeople) {
    std::vector<std::vector<std::string>> data = People(rows);
    if (schema != kPeople)
      for (auto& row : data) row.resize(1);
    std::string reason;
    if (!fixture.Open("People", schema, data, &reason)) {
      skipReason = reason;
      return false;
    }
    fixture.grid->resize(400, GridOnTable::HeightFor(5));
    TakeLastError();
    return true;
  }
  void Key(int key, Qt::KeyboardModifiers modifiers = {}) {
    QWidget* target = fixture.grid->editor() && fixture.grid->editor()->hasFocus()
                          ? static_cast<QWidget*>(fixture.grid->editor())
                          : fixture.grid.get();
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
  }
  void Type(const QString& text) {
    for (QChar c : text) {
      QWidget* target = fixture.grid->editor() && fixture.grid->editor()->isVisible()
                            ? static_cast<QWidget*>(fixture.grid->editor())
                            : fixture.grid.get();
      QTest::keyClick(target, c.toLatin1());
    }
  }
  DataSetState State() const { return fixture.table.State(); }

  GridOnTable fixture;
  std::string skipReason;
};

TEST_F(GridKeys, DownAtTheEndAppendsOnceAndUpDropsIt) {
  if (!Open(3)) GTEST_SKIP() << skipReason;
  Key(Qt::Key_Down);
  Key(Qt::Key_Down);
  EXPECT_EQ("3", fixture.Current("ID"));
  Key(Qt::Key_Down);
  EXPECT_EQ(DataSetState::kInsert, State());
  EXPECT_EQ(4, fixture.grid->DataLink().RecordCount());
  Key(Qt::Key_Down);  // the untouched new record stays
  EXPECT_EQ(DataSetState::kInsert, State());
  EXPECT_EQ(4, fixture.grid->DataLink().RecordCount());
  Key(Qt::Key_Up);
  EXPECT_EQ(DataSetState::kBrowse, State());
  EXPECT_EQ("3", fixture.Current("ID"));
  EXPECT_EQ(3, fixture.table.RecordCountTotal());
}

TEST_F(GridKeys, TypingEditsTheCellAndDownPosts) {
  if (!Open(3)) GTEST_SKIP() << skipReason;
  Key(Qt::Key_Right);  // NAME
  Type("Zed");
  EXPECT_EQ(DataSetState::kEdit, State());
  Key(Qt::Key_Down);
  EXPECT_EQ(DataSetState::kBrowse, State());
  Key(Qt::Key_Up);
  EXPECT_EQ("Zed", fixture.Current("NAME"));
}

TEST_F(GridKeys, EscRestoresTheCellThenAsksBeforeDiscarding) {
  if (!Open(3)) GTEST_SKIP() << skipReason;
  Key(Qt::Key_Right);
  Type("Zed");
  Key(Qt::Key_Escape);  // the typed text goes, the record stays in edit
  EXPECT_TRUE(fixture.ui.shown.empty());
  EXPECT_EQ("Name1", fixture.Current("NAME"));
  // Change the record itself, then Esc twice: the second asks.
  Key(Qt::Key_F2);  // the caret at the end of the text
  Type("Q");
  Key(Qt::Key_Right);
  ASSERT_EQ("Name1Q", fixture.Current("NAME"));
  fixture.ui.answers.push_back(toolkit::MessageResult::kNo);
  Key(Qt::Key_Escape);
  ASSERT_EQ(1u, fixture.ui.shown.size());
  EXPECT_EQ("Discard changes to this record?", fixture.ui.shown[0].text);
  EXPECT_EQ(toolkit::MessageButtons::kYesNo, fixture.ui.shown[0].buttons);
  EXPECT_EQ(DataSetState::kEdit, State());
  fixture.ui.answers.push_back(toolkit::MessageResult::kYes);
  Key(Qt::Key_Escape);
  EXPECT_EQ(DataSetState::kBrowse, State());
  EXPECT_EQ("Name1", fixture.Current("NAME"));
}

TEST_F(GridKeys, CtrlDeleteAsksUnlessConfirmationIsOff) {
  if (!Open(3)) GTEST_SKIP() << skipReason;
  fixture.ui.answers.push_back(toolkit::MessageResult::kCancel);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  ASSERT_EQ(1u, fixture.ui.shown.size());
  EXPECT_EQ("Delete record?", fixture.ui.shown[0].text);
  EXPECT_EQ(3, fixture.table.RecordCountTotal());
  fixture.grid->SetOptions(fixture.grid->Options().with(TwwDBGridOption::dgConfirmDelete, false));
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(1u, fixture.ui.shown.size());
  EXPECT_EQ(2, fixture.table.RecordCountTotal());
  EXPECT_EQ("2", fixture.Current("ID"));
  fixture.grid->SetReadOnly(true);
  Key(Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(2, fixture.table.RecordCountTotal());
}

TEST_F(GridKeys, TabPastTheLastColumnOfTheLastRecordAppends) {
  if (!Open(2)) GTEST_SKIP() << skipReason;
  Key(Qt::Key_Down);
  Key(Qt::Key_Tab);
  Key(Qt::Key_Tab);
  EXPECT_EQ(2, fixture.grid->SelectedIndex());
  Key(Qt::Key_Tab);
  EXPECT_EQ(DataSetState::kInsert, State());
  EXPECT_EQ(0, fixture.grid->SelectedIndex());
  // Backwards from the first column of the untouched new record: it goes.
  Key(Qt::Key_Tab, Qt::ShiftModifier);
  EXPECT_EQ(DataSetState::kBrowse, State());
  EXPECT_EQ(2, fixture.grid->SelectedIndex());
  EXPECT_EQ("2", fixture.Current("ID"));
}

TEST_F(GridKeys, TabSkipsReadOnlyColumns) {
  if (!Open(2)) GTEST_SKIP() << skipReason;
  fixture.table.FieldByName("NAME")->SetReadOnly(true);
  fixture.grid->LayoutChanged();
  Key(Qt::Key_Tab);
  EXPECT_EQ(2, fixture.grid->SelectedIndex());
}

TEST_F(GridKeys, HomeOnAOneFieldTableGoesToTheFirstRecord) {
  if (!Open(4, "ID\tI*\n")) GTEST_SKIP() << skipReason;
  Key(Qt::Key_Down);
  Key(Qt::Key_Down);
  EXPECT_EQ("3", fixture.Current("ID"));
  Key(Qt::Key_Home);
  EXPECT_EQ("1", fixture.Current("ID"));
  Key(Qt::Key_End);
  EXPECT_EQ("4", fixture.Current("ID"));
}

TEST_F(GridKeys, PageDownAndCtrlMovesFollowTheVisibleRows) {
  if (!Open(30)) GTEST_SKIP() << skipReason;
  Key(Qt::Key_PageDown);
  EXPECT_EQ("6", fixture.Current("ID"));
  EXPECT_EQ(5, fixture.grid->row());
  Key(Qt::Key_Up, Qt::ControlModifier);
  EXPECT_EQ("2", fixture.Current("ID"));
  Key(Qt::Key_Down, Qt::ControlModifier);
  EXPECT_EQ("6", fixture.Current("ID"));
  Key(Qt::Key_End, Qt::ControlModifier);
  EXPECT_EQ("30", fixture.Current("ID"));
  EXPECT_EQ(5, fixture.grid->row());
  Key(Qt::Key_Home, Qt::ControlModifier);
  EXPECT_EQ("1", fixture.Current("ID"));
  EXPECT_EQ(1, fixture.grid->row());
}

TEST_F(GridKeys, APictureFailureKeepsTheColumn) {
  std::string reason;
  if (!testing::CreateTable(fixture.directory.Database(), "Coded",
                            "ID\tI*\nCODE\tA5\ncheck CODE picture ###\n", {{"1", "123"}}, &reason))
    GTEST_SKIP() << reason;
  fixture.table.SetDatabaseName(fixture.directory.Database());
  fixture.table.SetTableName("Coded");
  fixture.table.Open();
  fixture.grid->show();
  fixture.grid->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(fixture.grid.get()));
  fixture.grid->setFocus();
  Key(Qt::Key_Right);
  Key(Qt::Key_F2);
  ASSERT_TRUE(fixture.grid->editor()->isVisible());
  Key(Qt::Key_Backspace);
  EXPECT_EQ("12", fixture.grid->editor()->text().toStdString());
  Type("x");  // not a digit: refused with a beep
  EXPECT_EQ("12", fixture.grid->editor()->text().toStdString());
  EXPECT_EQ(1, fixture.ui.beeps);
  Key(Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ("Invalid input value.  Use escape key to abandon changes", TakeLastError());
  EXPECT_EQ(1, fixture.grid->SelectedIndex());
  EXPECT_EQ("12", fixture.grid->editor()->selectedText().toStdString());
  Type("789");  // the selection is replaced and the picture is whole again
  Key(Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ("", TakeLastError());
  EXPECT_EQ(0, fixture.grid->SelectedIndex());
  EXPECT_EQ("789", fixture.Current("CODE"));
}

}  // namespace
}  // namespace grid
