// The edit box under an edit mask, on a real table written by the store:
// typing over positions, the value stored without the literals, an
// incomplete value refused when the row takes it, a value the mask cannot
// show, and a malformed mask.
#include <gtest/gtest.h>
#include <QApplication>
#include <QTest>
#include <QVBoxLayout>

#include "data/data_set_error.h"
#include "data/data_source.h"
#include "data/field.h"
#include "data/paradox_table_test_support.h"
#include "edit/edit_test_focus.h"
#include "edit/wwdbedit.h"
#include "edit/wwdbedit_texts.h"
#include "toolkit/scripted_ui.h"

namespace edit {
namespace {

class EditMaskBoxTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto created = data::testing::CreateNumberedTable(directory.Path(), "PLAIN", 2);
    if (!created.created) GTEST_SKIP() << "no table from the store: " << created.reason;
    table.SetDatabaseName(directory.Database());
    table.SetTableName("PLAIN");
    source.SetDataSet(&table);
    table.Open();
    table.Edit();
    table.FieldByName("NAME")->SetAsString("");
    table.Post();

    auto* layout = new QVBoxLayout(&window);
    box = new TwwDBEdit(&window);
    other = new QLineEdit(&window);
    layout->addWidget(box);
    layout->addWidget(other);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    other->setFocus();
    QCoreApplication::processEvents();
  }
  void TearDown() override { table.Close(); }

  void Bind(const std::string& mask) {
    table.FieldByName("NAME")->SetEditMask(mask);
    box->SetDataSource(&source);
    box->SetDataField("NAME");
  }
  void Enter() { testing::FocusByTab(box); }
  // Leaves the box; what the row refuses comes back as the error's text.
  std::string Leave() { return testing::LeaveFor(other); }

  data::testing::TemporaryDirectory directory;
  data::TwwTable table;
  data::TwwDataSource source;
  toolkit::ScopedScriptedUi ui;
  QWidget window;
  TwwDBEdit* box = nullptr;
  QLineEdit* other = nullptr;
};

TEST_F(EditMaskBoxTest, TypingFillsThePositionsAndTheRowKeepsOnlyTheDigits) {
  Bind("(000) 000-0000;0;_");
  EXPECT_EQ(box->text(), "");
  Enter();
  EXPECT_EQ(box->text(), "(___) ___-____");
  QTest::keyClicks(box, "555");
  EXPECT_EQ(box->text(), "(555) ___-____");
  EXPECT_EQ(box->cursorPosition(), 6);
  EXPECT_EQ(table.State(), data::DataSetState::kEdit);
  QTest::keyClick(box, 'x');
  EXPECT_EQ(ui.beeps, 1);
  QTest::keyClicks(box, "1234567");
  EXPECT_EQ(box->text(), "(555) 123-4567");
  QTest::keyClick(box, Qt::Key_Backspace);
  QTest::keyClick(box, '8');
  EXPECT_EQ(box->text(), "(555) 123-4568");
  EXPECT_EQ(Leave(), "");
  EXPECT_FALSE(box->hasFocus());
  table.Post();
  EXPECT_EQ(table.FieldByName("NAME")->AsString(), "5551234568");
  // Left, the box keeps the value's look.
  EXPECT_EQ(box->text(), "(555) 123-4568");

  // The stored digits come back into their places for the next edit.
  Enter();
  EXPECT_EQ(box->text(), "(555) 123-4568");
  EXPECT_EQ(ui.beeps, 1);
}

TEST_F(EditMaskBoxTest, AnIncompleteValueIsRefusedUntilEscapeBringsTheRowsBack) {
  Bind("00-00;1; ");
  Enter();
  QTest::keyClicks(box, "12");
  EXPECT_EQ(box->text(), "12-  ");
  EXPECT_EQ(Leave(), texts::kInvalidInputValue);
  EXPECT_TRUE(box->hasFocus());
  EXPECT_EQ(box->selectedText(), "12-  ");

  QTest::keyClick(box, Qt::Key_Escape);
  EXPECT_EQ(box->text(), "  -  ");
  EXPECT_FALSE(box->isModified());
  EXPECT_EQ(Leave(), "");
  EXPECT_FALSE(box->hasFocus());
  table.Cancel();
  EXPECT_EQ(table.FieldByName("NAME")->AsString(), "");
}

TEST_F(EditMaskBoxTest, AValueTheMaskCannotShowIsEditedAsItStands) {
  table.Edit();
  table.FieldByName("NAME")->SetAsString("Name1");
  table.Post();
  Bind("000;0");
  Enter();
  EXPECT_EQ(box->text(), "Name1");
  box->setCursorPosition(5);
  QTest::keyClicks(box, "x");
  EXPECT_EQ(box->text(), "Name1x");
  EXPECT_EQ(Leave(), "");
  table.Post();
  EXPECT_EQ(table.FieldByName("NAME")->AsString(), "Name1x");
}

TEST_F(EditMaskBoxTest, AMalformedMaskIsReportedOnceAndTheBoxTypesWithoutIt) {
  Bind("00-00;7");
  Enter();
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].kind, toolkit::MessageKind::kWarning);
  EXPECT_NE(ui.shown[0].text.find("00-00;7"), std::string::npos) << ui.shown[0].text;
  QTest::keyClicks(box, "ab");
  EXPECT_EQ(box->text(), "ab");
  EXPECT_EQ(Leave(), "");
  Enter();
  EXPECT_EQ(ui.shown.size(), 1u);
}

TEST(UnboundEditMaskBox, KeepsTheUserInTheBoxWhileRequiredPositionsAreBlank) {
  toolkit::ScopedScriptedUi ui;
  QWidget window;
  auto* layout = new QVBoxLayout(&window);
  auto* box = new TwwDBEdit(&window);
  auto* other = new QLineEdit(&window);
  layout->addWidget(box);
  layout->addWidget(other);
  box->EditMask = ">LL-00";
  box->SetReadOnly(false);
  window.show();
  window.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  box->setFocus();
  QCoreApplication::processEvents();
  QTest::keyClicks(box, "ab1");
  EXPECT_EQ(box->text(), "AB-1_");
  other->setFocus();
  QCoreApplication::processEvents();
  QCoreApplication::processEvents();
  EXPECT_TRUE(box->hasFocus());
  EXPECT_EQ(ui.beeps, 1);
  QTest::keyClick(box, Qt::Key_End);
  QTest::keyClick(box, Qt::Key_Left);
  QTest::keyClick(box, '2');
  other->setFocus();
  QCoreApplication::processEvents();
  EXPECT_FALSE(box->hasFocus());
  EXPECT_EQ(box->text(), "AB-12");
}

}  // namespace
}  // namespace edit
