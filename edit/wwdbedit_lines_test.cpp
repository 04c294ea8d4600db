// The edit box in its multi-line shape, on a memo written by the store:
// Enter breaks a line only when the box wants returns (otherwise it reaches
// the form's default button), long lines wrap, the vertical scroll bar, and
// the typed lines reaching the field.
#include <gtest/gtest.h>
#include <QApplication>
#include <QDialog>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QVBoxLayout>

#include "app/engine/engine.h"
#include "data/data_source.h"
#include "data/field.h"
#include "data/paradox_table_test_support.h"
#include "edit/edit_test_focus.h"
#include "edit/multi_line_box.h"
#include "edit/wwdbedit.h"
#include "toolkit/scripted_ui.h"

namespace edit {
namespace {

class MultiLineEditTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string why;
    if (!data::testing::StartEngine(&why)) GTEST_SKIP() << "no table engine: " << why;
    engine::Engine::instance().createTable(directory.Database(), "NOTES", "ID\tI*\nNOTE\tM20\n");
    table.SetDatabaseName(directory.Database());
    table.SetTableName("NOTES");
    source.SetDataSet(&table);
    table.Open();
    table.Insert();
    table.FieldByName("ID")->SetAsInteger(1);
    table.FieldByName("NOTE")->SetAsString("first line\r\nsecond line");
    table.Post();

    auto* layout = new QVBoxLayout(&dialog);
    other = new QLineEdit(&dialog);
    box = new TwwDBEdit(&dialog);
    ok = new QPushButton("OK", &dialog);
    layout->addWidget(other);
    layout->addWidget(box);
    layout->addWidget(ok);
    ok->setDefault(true);
    QObject::connect(ok, &QPushButton::clicked, &dialog, &QDialog::accept);
    box->SetDataSource(&source);
    box->SetDataField("NOTE");
    dialog.resize(200, 160);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
  }
  void TearDown() override {
    if (table.Active()) table.Close();
  }

  QPlainTextEdit* Lines() const { return box->findChild<QPlainTextEdit*>(); }
  void Enter() { testing::FocusByTab(box); }

  data::testing::TemporaryDirectory directory;
  data::TwwTable table;
  data::TwwDataSource source;
  toolkit::ScopedScriptedUi ui;
  QDialog dialog;
  QLineEdit* other = nullptr;
  TwwDBEdit* box = nullptr;
  QPushButton* ok = nullptr;
};

TEST_F(MultiLineEditTest, EnterBreaksTheLineAndTheLinesReachTheMemo) {
  box->SetWordWrap(true);
  box->SetWantReturns(true);
  ASSERT_NE(Lines(), nullptr);
  EXPECT_EQ(box->text(), "first line\nsecond line");
  Enter();
  EXPECT_TRUE(Lines()->hasFocus());
  EXPECT_EQ(box->selectedText(), box->text());
  QTest::keyClick(Lines(), Qt::Key_End, Qt::ControlModifier);
  // The row is still browsing: the first key puts it into edit mode.
  EXPECT_EQ(table.State(), data::DataSetState::kBrowse);
  QTest::keyClick(Lines(), Qt::Key_Return);
  QTest::keyClicks(Lines(), "third");
  EXPECT_EQ(box->text(), "first line\nsecond line\nthird");
  EXPECT_TRUE(box->isModified());
  EXPECT_EQ(table.State(), data::DataSetState::kEdit);
  EXPECT_EQ(dialog.result(), QDialog::Rejected);

  other->setFocus(Qt::TabFocusReason);
  QCoreApplication::processEvents();
  table.Post();
  EXPECT_EQ(table.FieldByName("NOTE")->AsString(), "first line\nsecond line\nthird");
  EXPECT_EQ(box->text(), "first line\nsecond line\nthird");
}

TEST_F(MultiLineEditTest, WithoutWantReturnsEnterGoesToTheFormsDefaultButton) {
  box->SetWordWrap(true);
  Enter();
  QTest::keyClick(Lines(), Qt::Key_End, Qt::ControlModifier);
  QTest::keyClick(Lines(), Qt::Key_Return);
  EXPECT_EQ(box->text(), "first line\nsecond line");
  EXPECT_FALSE(box->isModified());
  EXPECT_EQ(table.State(), data::DataSetState::kBrowse);
  EXPECT_EQ(dialog.result(), QDialog::Accepted);
}

TEST_F(MultiLineEditTest, LongLinesWrapAndTheScrollBarShowsOnlyWhenAskedFor) {
  box->SetWordWrap(true);
  box->resize(80, 60);
  table.Edit();
  table.FieldByName("NOTE")->SetAsString(std::string(10, 'w') + " " + std::string(10, 'w') + " " +
                                         std::string(10, 'w'));
  QCoreApplication::processEvents();
  ASSERT_EQ(Lines()->document()->blockCount(), 1);
  EXPECT_GT(Lines()->document()->firstBlock().layout()->lineCount(), 1);
  EXPECT_FALSE(Lines()->verticalScrollBar()->isVisible());

  box->SetShowVertScrollBar(true);
  QCoreApplication::processEvents();
  EXPECT_TRUE(Lines()->verticalScrollBar()->isVisible());

  // Back to one line: the same box, the same text, nothing lost.
  box->SetWordWrap(false);
  box->SetShowVertScrollBar(false);
  EXPECT_EQ(Lines(), nullptr);
  EXPECT_FALSE(box->MultiLine());
  EXPECT_EQ(box->TableText(), table.FieldByName("NOTE")->AsString());
  table.Cancel();
}

TEST_F(MultiLineEditTest, AReadOnlyMemoTakesNoKeysInTheMultiLineBox) {
  table.FieldByName("NOTE")->SetReadOnly(true);
  box->SetWantReturns(true);
  Enter();
  QTest::keyClicks(Lines(), "x");
  QTest::keyClick(Lines(), Qt::Key_Return);
  EXPECT_EQ(box->text(), "first line\nsecond line");
  EXPECT_EQ(table.State(), data::DataSetState::kBrowse);
}

TEST_F(MultiLineEditTest, TheMultiLineBoxHidesAPasswordAndAlignsAsTheValue) {
  table.FieldByName("NOTE")->SetAlignment(data::TAlignment::taRightJustify);
  box->PasswordChar = QChar('*');
  box->SetWordWrap(true);
  auto* lines = dynamic_cast<MultiLineBox*>(Lines());
  ASSERT_NE(lines, nullptr);
  Enter();
  EXPECT_EQ(lines->ShownText(), QString(22, '*'));
  EXPECT_EQ(lines->document()->defaultTextOption().alignment(), Qt::AlignRight);
  // What is painted shows no letter of the text: the box looks the same as
  // one holding a text of as many other characters.
  const QImage hidden = lines->viewport()->grab().toImage();
  table.Edit();
  table.FieldByName("NOTE")->SetAsString("xxxxxxxxxx\r\nxxxxxxxxxxx");
  QCoreApplication::processEvents();
  ASSERT_NE(box->text(), "first line\nsecond line");
  EXPECT_EQ(lines->viewport()->grab().toImage(), hidden);
  box->PasswordChar = QChar();  // taken up when the box is entered again
  other->setFocus(Qt::TabFocusReason);
  QCoreApplication::processEvents();
  Enter();
  EXPECT_EQ(lines->ShownText(), box->text());
  EXPECT_NE(lines->viewport()->grab().toImage(), hidden);
}

// An unbound box under an edit mask in its multi-line shape: only the mask
// changes the text, so it keeps one character per position.
TEST_F(MultiLineEditTest, UnderAnEditMaskNoKeyShiftsThePositions) {
  TwwDBEdit masked(&dialog);
  masked.EditMask = "000-000;1;_";
  masked.SetWantReturns(true);
  masked.show();
  masked.setFocus(Qt::TabFocusReason);
  QCoreApplication::processEvents();
  ASSERT_EQ(masked.text(), "___-___");
  masked.setCursorPosition(0);
  auto* lines = masked.findChild<QPlainTextEdit*>();
  ASSERT_NE(lines, nullptr);
  QTest::keyClicks(lines, "1234");
  EXPECT_EQ(masked.text(), "123-4__");
  const int beeps = ui.beeps;
  QTest::keyClick(lines, Qt::Key_Return);
  QTest::keyClick(lines, Qt::Key_Z, Qt::ControlModifier);
  masked.setCursorPosition(0);
  QTest::keyClick(lines, Qt::Key_Delete, Qt::ControlModifier);
  EXPECT_EQ(masked.text(), "123-4__");
  EXPECT_EQ(ui.beeps, beeps + 3);
}

}  // namespace
}  // namespace edit
