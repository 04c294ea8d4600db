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
  void Enter() {
    box->setFocus(Qt::TabFocusReason);
    QCoreApplication::processEvents();
  }

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

}  // namespace
}  // namespace edit
