// The in-place editor on store tables through real key strokes: the
// multi-line editor of word-wrapped grids (line breaks typed and kept as the
// field stored them), pasting, which is matched against the field's picture
// as typing is and held to the field's length, and typing under the field's
// edit mask, alike in a cell and in an edit box.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QInputMethodEvent>
#include <QTest>

#include "data/data_set.h"
#include "edit/wwdbedit.h"
#include "grid/grid_test_tables.h"
#include "grid/test_support.h"
#include "toolkit/inplace_editor.h"

namespace grid {
namespace {

using data::DataSetState;
using testing::GridOnTable;
using O = TwwDBGridOption;

class InplaceEditTest : public ::testing::Test {
 protected:
  bool Open(const std::string& schema, const std::vector<std::vector<std::string>>& rows) {
    std::string reason;
    if (!fixture.Open("Notes", schema, rows, &reason)) {
      skipReason = reason;
      return false;
    }
    fixture.grid->resize(400, GridOnTable::HeightFor(5));
    fixture.grid->show();
    fixture.grid->activateWindow();
    if (!QTest::qWaitForWindowActive(fixture.grid.get())) {
      skipReason = "the window could not be activated";
      return false;
    }
    fixture.grid->setFocus();
    testing::TakeLastError();
    return true;
  }
  toolkit::InplaceEditor* Editor() const { return fixture.grid->editor(); }
  void Key(int key, Qt::KeyboardModifiers modifiers = {}) {
    QWidget* target =
        Editor() && Editor()->hasFocus() ? static_cast<QWidget*>(Editor()) : fixture.grid.get();
    QTest::keyClick(target, static_cast<Qt::Key>(key), modifiers);
  }
  void Type(const QString& text) {
    for (QChar c : text) QTest::keyClick(Editor(), c.toLatin1());
  }
  void Paste(const QString& text) {
    QApplication::clipboard()->setText(text);
    Key(Qt::Key_V, Qt::ControlModifier);
  }
  std::string EditorText() const { return Editor()->text().toStdString(); }

  GridOnTable fixture;
  std::string skipReason;
};

const char kNotes[] = "ID\tI*\nNOTE\tA40\n";

TEST_F(InplaceEditTest, AWordWrappedGridEditsOnSeveralLines) {
  if (!Open(kNotes, {{"1", "first"}, {"2", "second"}})) GTEST_SKIP() << skipReason;
  ASSERT_TRUE(fixture.grid->Options().has(O::dgWordWrap));
  Key(Qt::Key_Right);
  Key(Qt::Key_F2);
  ASSERT_TRUE(Editor()->isVisible());
  EXPECT_TRUE(Editor()->multiLine());
  EXPECT_EQ(QPlainTextEdit::WidgetWidth, Editor()->lineWrapMode());
  const toolkit::Rect cell = fixture.grid->cellRect(fixture.grid->col(), fixture.grid->row());
  EXPECT_EQ(QRect(cell.left, cell.top, cell.width(), cell.height()), Editor()->geometry());
  Type("ly");
  Key(Qt::Key_Return, Qt::ControlModifier);  // a line break, not the grid's Enter
  Type("more");
  EXPECT_EQ("firstly\nmore", EditorText());
  EXPECT_TRUE(Editor()->isVisible());
  Key(Qt::Key_Down);  // still the grid's: posts and moves
  EXPECT_EQ(DataSetState::kBrowse, fixture.table.State());
  EXPECT_EQ("2", fixture.Current("ID"));
  Key(Qt::Key_Up);
  // A text that had no break yet gets the tables' usual CR LF.
  EXPECT_EQ("firstly\r\nmore", fixture.Current("NOTE"));
  // Enter alone toggles the editor as in a one-line grid.
  Key(Qt::Key_Return);
  EXPECT_TRUE(Editor()->isVisible());
  Key(Qt::Key_Return);
  EXPECT_FALSE(Editor()->isVisible());
}

TEST_F(InplaceEditTest, AnEditKeepsTheLineBreaksTheFieldStored) {
  if (!Open(kNotes, {{"1", "one\ntwo"}})) GTEST_SKIP() << skipReason;
  Key(Qt::Key_Right);
  Key(Qt::Key_F2);
  ASSERT_TRUE(Editor()->isVisible());
  EXPECT_EQ("one\ntwo", EditorText());
  Type("!");
  Key(Qt::Key_Left, Qt::ControlModifier);  // writes the text back
  EXPECT_EQ("one\ntwo!", fixture.Current("NOTE"));
}

TEST_F(InplaceEditTest, WithoutWordWrapTheEditorKeepsOneLine) {
  if (!Open(kNotes, {{"1", "first"}})) GTEST_SKIP() << skipReason;
  fixture.grid->SetOptions(fixture.grid->Options().with(O::dgWordWrap, false));
  Key(Qt::Key_Right);
  Key(Qt::Key_F2);
  ASSERT_TRUE(Editor()->isVisible());
  EXPECT_FALSE(Editor()->multiLine());
  Key(Qt::Key_Return, Qt::ControlModifier);  // the grid's Enter: the editor closes
  EXPECT_FALSE(Editor()->isVisible());
  Key(Qt::Key_F2);
  Paste("a\r\nb");  // line breaks become spaces in one line
  EXPECT_EQ("firsta b", EditorText());
  EXPECT_EQ(DataSetState::kEdit, fixture.table.State());
  // Switching word wrap on makes the next editor a multi-line one.
  fixture.grid->SetOptions(fixture.grid->Options().with(O::dgWordWrap));
  EXPECT_FALSE(Editor()->isVisible());
  Key(Qt::Key_F2);
  EXPECT_TRUE(Editor()->multiLine());
}

TEST_F(InplaceEditTest, APasteIsHeldToTheFieldsLength) {
  if (!Open("ID\tI*\nCODE\tA5\n", {{"1", "ab"}})) GTEST_SKIP() << skipReason;
  Key(Qt::Key_Right);
  Key(Qt::Key_F2);
  // Text an input method composes is held to the length too, and puts the
  // record into edit state as typing does.
  QInputMethodEvent tooLong;
  tooLong.setCommitString("cdefgh");
  QApplication::sendEvent(Editor(), &tooLong);
  EXPECT_EQ("ab", EditorText());
  EXPECT_EQ(DataSetState::kBrowse, fixture.table.State());
  QInputMethodEvent composed;
  composed.setCommitString("z");
  QApplication::sendEvent(Editor(), &composed);
  EXPECT_EQ("abz", EditorText());
  EXPECT_EQ(DataSetState::kEdit, fixture.table.State());
  Key(Qt::Key_Backspace);
  Paste("cdefgh");
  EXPECT_EQ("abcde", EditorText());
  Key(Qt::Key_Down);  // appends a new record after posting the first
  Key(Qt::Key_Escape);
  fixture.table.First();
  EXPECT_EQ("abcde", fixture.Current("CODE"));
}

TEST_F(InplaceEditTest, APasteIsMatchedAgainstThePicture) {
  if (!Open("ID\tI*\nPHONE\tA10\ncheck PHONE picture ###-####\n", {{"1", ""}}))
    GTEST_SKIP() << skipReason;
  std::vector<bool> checks;
  fixture.grid->OnCheckValue = [&checks](QObject*, bool passes) { checks.push_back(passes); };
  Key(Qt::Key_Right);
  Key(Qt::Key_F2);
  ASSERT_TRUE(Editor()->isVisible());
  checks.clear();
  Paste("555");  // the literal is filled in, as typing would
  EXPECT_EQ("555-", EditorText());
  ASSERT_FALSE(checks.empty());
  EXPECT_FALSE(checks.back());
  EXPECT_EQ(DataSetState::kEdit, fixture.table.State());
  Paste("1234");
  EXPECT_EQ("555-1234", EditorText());
  EXPECT_TRUE(checks.back());
  // At the end of the text a paste that cannot fit is refused.
  Editor()->selectAll();
  Paste("555x");
  EXPECT_EQ("555-1234", EditorText());
  EXPECT_EQ(1, fixture.ui.beeps);
  // Before other text it goes in unchecked; leaving the column then fails.
  Editor()->setCursorPosition(0);
  Paste("x");
  EXPECT_EQ("x555-1234", EditorText());
  EXPECT_FALSE(checks.back());
  Key(Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ("Invalid input value.  Use escape key to abandon changes", testing::TakeLastError());
  EXPECT_EQ(1, fixture.grid->SelectedIndex());
  Key(Qt::Key_Escape);
  Key(Qt::Key_F2);
  Editor()->selectAll();
  Paste("5551234");  // digits only: the picture puts the hyphen in
  Key(Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ("", testing::TakeLastError());
  EXPECT_EQ("555-1234", fixture.Current("PHONE"));
}

TEST_F(InplaceEditTest, InsertInTheEditorAddsARecordShiftInsertPastes) {
  if (!Open(kNotes, {{"1", "first"}})) GTEST_SKIP() << skipReason;
  Key(Qt::Key_Right);
  Key(Qt::Key_F2);
  ASSERT_TRUE(Editor()->hasFocus());
  QApplication::clipboard()->setText("!");
  Key(Qt::Key_Insert, Qt::ShiftModifier);
  EXPECT_EQ("first!", EditorText());
  Key(Qt::Key_Insert);  // posts the change and starts a new record
  EXPECT_EQ(DataSetState::kInsert, fixture.table.State());
  Key(Qt::Key_Escape);  // the untouched new record goes
  EXPECT_EQ(DataSetState::kBrowse, fixture.table.State());
  EXPECT_EQ("first!", fixture.Current("NOTE"));
}

TEST_F(InplaceEditTest, ANumberColumnRefusesAPasteWithLetters) {
  if (!Open(kNotes, {{"1", "first"}})) GTEST_SKIP() << skipReason;
  Key(Qt::Key_F2);  // ID, a whole number
  ASSERT_TRUE(Editor()->isVisible());
  Paste("2x");
  EXPECT_EQ("1", EditorText());
  EXPECT_EQ(1, fixture.ui.beeps);
  EXPECT_EQ(DataSetState::kBrowse, fixture.table.State());
  Paste("23");
  EXPECT_EQ("123", EditorText());
  EXPECT_EQ(DataSetState::kEdit, fixture.table.State());
}

TEST_F(InplaceEditTest, AReadOnlyGridTakesNoPaste) {
  if (!Open(kNotes, {{"1", "first"}})) GTEST_SKIP() << skipReason;
  fixture.grid->SetReadOnly(true);
  Key(Qt::Key_Right);
  Key(Qt::Key_F2);
  ASSERT_TRUE(Editor()->isVisible());
  Paste("more");
  EXPECT_EQ("first", EditorText());
  EXPECT_EQ(DataSetState::kBrowse, fixture.table.State());
}

// A field with an edit mask and no picture: the cell types, deletes, pastes
// and checks through the same mask as the edit box on that field.
class InplaceEditMaskTest : public InplaceEditTest {
 protected:
  bool OpenPhone(const std::string& phone, const std::string& mask) {
    if (!Open("ID\tI*\nPHONE\tA20\n", {{"1", phone}})) return false;
    fixture.table.FieldByName("PHONE")->SetEditMask(mask);
    Key(Qt::Key_Right);
    Key(Qt::Key_F2);
    return Editor()->isVisible();
  }
};

TEST_F(InplaceEditMaskTest, KeysAreTypedThroughTheMaskAndAnIncompleteValueCannotLeave) {
  if (!OpenPhone("", "000-0000;1;_")) GTEST_SKIP() << skipReason;
  EXPECT_EQ("___-____", EditorText());
  Editor()->setCursorPosition(0);
  Type("555x");  // the literal is stepped over; a letter is refused
  EXPECT_EQ("555-____", EditorText());
  EXPECT_EQ(1, fixture.ui.beeps);
  EXPECT_EQ(DataSetState::kEdit, fixture.table.State());
  Type("123");
  Key(Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ("Invalid input value.  Use escape key to abandon changes", testing::TakeLastError());
  EXPECT_EQ(1, fixture.grid->SelectedIndex());
  Editor()->setCursorPosition(7);
  Key(Qt::Key_Backspace);  // blanks the position, keeps the width
  EXPECT_EQ("555-12__", EditorText());
  Type("34");
  Key(Qt::Key_Left, Qt::ControlModifier);
  EXPECT_EQ("", testing::TakeLastError());
  EXPECT_EQ(0, fixture.grid->SelectedIndex());
  Key(Qt::Key_Down);  // posts
  fixture.table.First();
  EXPECT_EQ("555-1234", fixture.Current("PHONE"));
}

TEST_F(InplaceEditMaskTest, PasteCutAndDeleteKeepThePositions) {
  if (!OpenPhone("5551234", "000-0000;0;_")) GTEST_SKIP() << skipReason;
  EXPECT_EQ("555-1234", EditorText());  // the stored digits shown in the mask
  Editor()->setCursorPosition(0);
  Key(Qt::Key_Delete);
  EXPECT_EQ("_55-1234", EditorText());
  Editor()->selectAll();
  Key(Qt::Key_X, Qt::ControlModifier);  // cut: the positions go blank, literals stay
  EXPECT_EQ("___-____", EditorText());
  EXPECT_EQ("_55-1234", QApplication::clipboard()->text().toStdString());
  Paste("9a87-6543");  // characters no position takes are skipped
  EXPECT_EQ("987-6543", EditorText());
  Key(Qt::Key_Down);
  fixture.table.First();
  EXPECT_EQ("9876543", fixture.Current("PHONE"));  // literals not saved
}

TEST_F(InplaceEditMaskTest, AValueTheMaskCannotShowIsEditedAsItStands) {
  if (!OpenPhone("call after 6", "000-0000;1;_")) GTEST_SKIP() << skipReason;
  EXPECT_EQ("call after 6", EditorText());
  Editor()->setCursorPosition(12);
  Type("pm");
  Key(Qt::Key_Down);
  fixture.table.First();
  EXPECT_EQ("call after 6pm", fixture.Current("PHONE"));
}

TEST_F(InplaceEditMaskTest, AMalformedMaskIsReportedOnceAndLeavesThePlainEditor) {
  if (!OpenPhone("12", "000;2;_")) GTEST_SKIP() << skipReason;
  QTest::qWait(0);  // the warning waits for the focus to settle
  ASSERT_EQ(1u, fixture.ui.shown.size());
  EXPECT_NE(std::string::npos, fixture.ui.shown[0].text.find("000;2;_"));
  Editor()->setCursorPosition(2);
  Type("x");
  EXPECT_EQ("12x", EditorText());
  Key(Qt::Key_Escape);
  Key(Qt::Key_F2);
  QTest::qWait(0);
  EXPECT_EQ(1u, fixture.ui.shown.size());
}

TEST_F(InplaceEditMaskTest, ACellAndAnEditBoxOnTheFieldTypeAlike) {
  if (!OpenPhone("", "!(999) 000-0000;1;_")) GTEST_SKIP() << skipReason;
  auto typeInto = [](QWidget* target) {
    for (char c : std::string("2x1255501")) QTest::keyClick(target, c);
    QTest::keyClick(target, Qt::Key_Backspace);
    QTest::keyClick(target, '9');
  };
  Editor()->setCursorPosition(0);
  typeInto(Editor());
  const std::string inCell = EditorText();
  const int beepsInCell = fixture.ui.beeps;
  Key(Qt::Key_Escape);
  Key(Qt::Key_Escape);
  ASSERT_EQ(DataSetState::kBrowse, fixture.table.State());

  edit::TwwDBEdit box;
  box.SetDataSource(&fixture.source);
  box.SetDataField("PHONE");
  box.show();
  box.activateWindow();
  if (!QTest::qWaitForWindowActive(&box)) GTEST_SKIP() << "the box could not be activated";
  box.setFocus();
  QCoreApplication::processEvents();
  box.setCursorPosition(0);
  typeInto(&box);
  EXPECT_EQ("(212) 555-09__", inCell);
  EXPECT_EQ(inCell, box.text().toStdString());
  EXPECT_EQ(2 * beepsInCell, fixture.ui.beeps);
}

}  // namespace
}  // namespace grid
