// The memo dialog driven as a user would: its keys, the question before
// changes are dropped, writing back into the field, the read-only look, the
// user buttons and the window's placement.
#include "grid/wwmemo.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QTest>
#include <QTimer>

#include "data/data_set.h"
#include "grid/grid_test_tables.h"
#include "toolkit/bevel_panel.h"
#include "toolkit/glyph_button.h"
#include "toolkit/scripted_ui.h"

namespace grid {
namespace {

using testing::GridOnTable;

// Runs body on the memo window once it is shown modally.
void WhenShown(const std::function<void(TwwMemoDlg&)>& body) {
  QTimer::singleShot(0, [body] {
    auto* window = qobject_cast<TwwMemoDlg*>(QApplication::activeModalWidget());
    ASSERT_NE(nullptr, window);
    body(*window);
  });
}

const char kSchema[] = "ID\tI*\nNOTE\tM10\n";

class MemoFromGrid : public ::testing::Test {
 protected:
  bool Open() {
    if (!fixture.Open("Notes", kSchema, {{"1", "first note"}}, &skipReason)) return false;
    fixture.grid->resize(400, GridOnTable::HeightFor(3));
    QTest::keyClick(fixture.grid.get(), Qt::Key_Right);
    return true;
  }
  GridOnTable fixture;
  std::string skipReason;
};

TEST_F(MemoFromGrid, CtrlEnterWritesTheTextAndLeavesTheRecordInEdit) {
  if (!Open()) GTEST_SKIP() << skipReason;
  bool closedWithCancel = true;
  fixture.grid->OnMemoClose = [&](TwwDBGrid&, bool cancel) { closedWithCancel = cancel; };
  WhenShown([](TwwMemoDlg& window) {
    EXPECT_EQ("NOTE", window.windowTitle().toStdString());
    EXPECT_EQ("first note", window.Memo->toPlainText().toStdString());
    QTest::keyClick(window.Memo, Qt::Key_End, Qt::ControlModifier);
    QTest::keyClicks(window.Memo, " and more");
    QTest::keyClick(window.Memo, Qt::Key_Return, Qt::ControlModifier);
  });
  QTest::keyClick(fixture.grid.get(), Qt::Key_F2);
  EXPECT_FALSE(closedWithCancel);
  EXPECT_TRUE(fixture.ui.shown.empty());
  EXPECT_EQ(data::DataSetState::kEdit, fixture.table.State());
  EXPECT_EQ("first note and more", fixture.Current("NOTE"));
}

TEST_F(MemoFromGrid, EscAfterTypingAsksAndNoKeepsTheWindow) {
  if (!Open()) GTEST_SKIP() << skipReason;
  bool stillOpenAfterNo = false;
  WhenShown([&](TwwMemoDlg& window) {
    QTest::keyClicks(window.Memo, "typed");
    fixture.ui.answers = {toolkit::MessageResult::kNo, toolkit::MessageResult::kYes};
    QTest::keyClick(window.Memo, Qt::Key_Escape);
    stillOpenAfterNo = window.isVisible();
    QTest::keyClick(window.Memo, Qt::Key_Escape);
  });
  QTest::keyClick(fixture.grid.get(), Qt::Key_F2);
  EXPECT_TRUE(stillOpenAfterNo);
  ASSERT_EQ(2u, fixture.ui.shown.size());
  EXPECT_EQ("Changes have been made!  Are you sure you wish to cancel?", fixture.ui.shown[0].text);
  EXPECT_EQ(toolkit::MessageButtons::kYesNo, fixture.ui.shown[0].buttons);
  EXPECT_EQ(data::DataSetState::kBrowse, fixture.table.State());
  EXPECT_EQ("first note", fixture.Current("NOTE"));
}

TEST_F(MemoFromGrid, AReadOnlyGridShowsOnlyACentredOk) {
  if (!Open()) GTEST_SKIP() << skipReason;
  fixture.grid->SetReadOnly(true);
  WhenShown([](TwwMemoDlg& window) {
    EXPECT_TRUE(window.Memo->isReadOnly());
    EXPECT_FALSE(window.CancelBtn->isVisible());
    EXPECT_TRUE(window.OKBtn->isVisible());
    EXPECT_EQ(window.Memo->width() / 2 + window.Memo->x() - window.CancelBtn->width() / 2,
              window.OKBtn->x());
    QTest::mouseClick(window.OKBtn, Qt::LeftButton);
  });
  bool closedWithCancel = true;
  fixture.grid->OnMemoClose = [&](TwwDBGrid&, bool cancel) { closedWithCancel = cancel; };
  QTest::keyClick(fixture.grid.get(), Qt::Key_F2);
  EXPECT_FALSE(closedWithCancel);
  EXPECT_EQ(data::DataSetState::kBrowse, fixture.table.State());
}

TEST_F(MemoFromGrid, DoubleClickOnAMemoOpensOnlyTheDialog) {
  if (!Open()) GTEST_SKIP() << skipReason;
  int doubleClicks = 0;
  fixture.grid->OnDblClick = [&](TwwCustomDBGrid&) { ++doubleClicks; };
  int opened = 0;
  fixture.grid->OnMemoOpen = [&](TwwDBGrid&, TwwMemoDialog&) { ++opened; };
  WhenShown([](TwwMemoDlg& window) { QTest::keyClick(window.Memo, Qt::Key_F2); });
  const toolkit::Rect memo = fixture.grid->cellRect(2, 1);
  QTest::mouseDClick(fixture.grid.get(), Qt::LeftButton, {}, QPoint(memo.left + 5, memo.top + 5));
  EXPECT_EQ(1, opened);
  EXPECT_EQ(0, doubleClicks);
  const toolkit::Rect id = fixture.grid->cellRect(1, 1);
  QTest::mouseDClick(fixture.grid.get(), Qt::LeftButton, {}, QPoint(id.left + 5, id.top + 5));
  EXPECT_EQ(1, doubleClicks);
  EXPECT_EQ(1, opened);
}

TEST(MemoDialog, OnlyTheSecondUserButton) {
  toolkit::ScopedScriptedUi ui;
  TwwMemoDialog dialog;
  dialog.UserButton2Caption = "Stamp";
  int clicks = 0;
  dialog.OnUserButton2Click = [&](TwwMemoDlg&, QPlainTextEdit& memo) {
    ++clicks;
    memo.setPlainText("stamped");
  };
  WhenShown([](TwwMemoDlg& window) {
    EXPECT_FALSE(window.UserButton1->isVisible());
    EXPECT_TRUE(window.UserButton2->isVisible());
    EXPECT_EQ(15, window.UserButton2->x());
    EXPECT_EQ(114, window.UserButtonPanel->width());
    QTest::mouseClick(window.UserButton2, Qt::LeftButton);
    EXPECT_TRUE(window.isVisible());
    QTest::mouseClick(window.OKBtn, Qt::LeftButton);
  });
  EXPECT_TRUE(dialog.Execute());
  EXPECT_EQ(1, clicks);
}

TEST(MemoDialog, PositiveLeftPlacesTheWindow) {
  toolkit::ScopedScriptedUi ui;
  TwwMemoDialog dialog;
  dialog.DlgLeft = 100;
  dialog.DlgTop = 0;
  dialog.DlgWidth = 400;
  dialog.DlgHeight = 300;
  QRect placed;
  WhenShown([&](TwwMemoDlg& window) {
    placed = window.geometry();
    QTest::keyClick(window.Memo, Qt::Key_Escape);
  });
  EXPECT_FALSE(dialog.Execute());
  EXPECT_EQ(QRect(100, 0, 400, 300), placed);
  EXPECT_TRUE(ui.shown.empty());  // nothing typed: no question
}

}  // namespace
}  // namespace grid
