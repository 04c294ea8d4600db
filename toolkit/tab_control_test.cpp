#include "tab_control.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>

namespace toolkit {
namespace {

class TabControlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    QFont font("DejaVu Sans");
    font.setPixelSize(11);
    tabs.setFont(font);
    // Narrow enough that the six captions need two or three rows.
    tabs.setGeometry(2, 32, 400, 80);
    tabs.setTabs({"Portfolios", "Portfolio details", "Transactions", "Accounts",
                  "Account Transactions", "Price History"});
    tabs.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&tabs));
  }
  // The row next to the page is the lowest one on screen.
  int lowestTop() const {
    int top = 0;
    for (int i = 0; i < tabs.count(); ++i) top = std::max(top, tabs.tabRect(i).top());
    return top;
  }
  TabControl tabs;
};

TEST_F(TabControlTest, CaptionsWrapOntoRowsThatFillTheWidthAndSitAboveThePage) {
  ASSERT_GE(tabs.rowCount(), 2);
  EXPECT_EQ(tabs.tabIndex(), 0);
  for (int i = 0; i < tabs.count(); ++i) {
    EXPECT_GE(tabs.tabRect(i).left(), 0) << i;
    EXPECT_LE(tabs.tabRect(i).right(), tabs.width() - 1) << i;
    EXPECT_LE(tabs.tabRect(i).bottom(), tabs.displayRect().top()) << i;
  }
  EXPECT_EQ(tabs.tabRect(0).top(), lowestTop());
  EXPECT_GT(tabs.displayRect().height(), 0);
}

TEST_F(TabControlTest, ClickingATabInAnotherRowSelectsItSignalsOnceAndMovesItsRowDown) {
  QSignalSpy changed(&tabs, &TabControl::changed);
  const int last = tabs.count() - 1;
  ASSERT_LT(tabs.tabRect(last).top(), lowestTop()) << "the last tab starts in an upper row";
  QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(last).center());
  EXPECT_EQ(tabs.tabIndex(), last);
  EXPECT_EQ(changed.count(), 1);
  EXPECT_EQ(tabs.tabRect(last).top(), lowestTop());
  EXPECT_LT(tabs.tabRect(0).top(), lowestTop());

  QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.tabRect(last).center());
  QTest::mouseClick(&tabs, Qt::LeftButton, {}, tabs.displayRect().center());
  EXPECT_EQ(changed.count(), 1) << "the selected tab and the page change nothing";
  EXPECT_EQ(tabs.tabIndex(), last);
}

TEST_F(TabControlTest, ArrowKeysMoveTheSelectionAndSignalButSettingFromCodeDoesNot) {
  QSignalSpy changed(&tabs, &TabControl::changed);
  tabs.setFocus();
  QTest::keyClick(&tabs, Qt::Key_Right);
  QTest::keyClick(&tabs, Qt::Key_Right);
  EXPECT_EQ(tabs.tabIndex(), 2);
  EXPECT_EQ(changed.count(), 2);
  QTest::keyClick(&tabs, Qt::Key_Left);
  EXPECT_EQ(tabs.tabIndex(), 1);
  QTest::keyClick(&tabs, Qt::Key_End);
  QTest::keyClick(&tabs, Qt::Key_Right);
  EXPECT_EQ(tabs.tabIndex(), 5);
  EXPECT_EQ(changed.count(), 4) << "no signal past the last tab";

  tabs.setTabIndex(0);
  EXPECT_EQ(changed.count(), 4);
  EXPECT_EQ(tabs.tabRect(0).top(), lowestTop());
  tabs.setTabIndex(9);
  EXPECT_EQ(tabs.tabIndex(), -1);
}

TEST_F(TabControlTest, NarrowingTheControlAddsRowsAndWideningJoinsThem) {
  const int rows = tabs.rowCount();
  tabs.resize(200, 120);
  EXPECT_GT(tabs.rowCount(), rows);
  tabs.resize(2000, 65);
  EXPECT_EQ(tabs.rowCount(), 1);
}

}  // namespace
}  // namespace toolkit
