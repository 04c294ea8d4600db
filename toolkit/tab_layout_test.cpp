#include "tab_layout.h"

#include <gtest/gtest.h>

namespace toolkit {
namespace {

TEST(TabLayout, WrapsGreedilyAndStretchesEveryRowToTheFullWidth) {
  // 40+50+30 fit in 130; 60 starts a second row with 70.
  const TabLayout layout = layoutTabs({40, 50, 30, 60, 70}, 130, true, 0);
  ASSERT_EQ(layout.rowCount, 2);
  // Row of the selected tab 0 touches the page. 10 spare pixels over 3 tabs:
  // 4, 3, 3 from the left.
  EXPECT_EQ(layout.tabs[0].row, 0);
  EXPECT_EQ(layout.tabs[0].left, 0);
  EXPECT_EQ(layout.tabs[0].width, 44);
  EXPECT_EQ(layout.tabs[1].left, 44);
  EXPECT_EQ(layout.tabs[1].width, 53);
  EXPECT_EQ(layout.tabs[2].left, 97);
  EXPECT_EQ(layout.tabs[2].width, 33);
  EXPECT_EQ(layout.tabs[3].row, 1);
  EXPECT_EQ(layout.tabs[3].width + layout.tabs[4].width, 130);
  EXPECT_EQ(layout.tabs[4].left + layout.tabs[4].width, 130);
}

TEST(TabLayout, RowOfTheSelectedTabMovesNextToThePageKeepingCyclicOrder) {
  // Three rows of one tab each.
  const std::vector<int> widths{80, 80, 80};
  const TabLayout second = layoutTabs(widths, 100, true, 1);
  ASSERT_EQ(second.rowCount, 3);
  EXPECT_EQ(second.tabs[1].row, 0);
  EXPECT_EQ(second.tabs[2].row, 1);
  EXPECT_EQ(second.tabs[0].row, 2);
  const TabLayout none = layoutTabs(widths, 100, true, -1);
  EXPECT_EQ(none.tabs[0].row, 0);
}

TEST(TabLayout, OneRowKeepsNaturalWidthsAndAnOversizedTabGetsARowOfItsOwn) {
  const TabLayout oneRow = layoutTabs({20, 30}, 200, true, 1);
  EXPECT_EQ(oneRow.rowCount, 1);
  EXPECT_EQ(oneRow.tabs[1].left, 20);
  EXPECT_EQ(oneRow.tabs[1].width, 30);
  const TabLayout oversized = layoutTabs({20, 300, 20}, 100, true, 0);
  EXPECT_EQ(oversized.rowCount, 3);
  EXPECT_EQ(oversized.tabs[1].width, 300);
  EXPECT_TRUE(layoutTabs({}, 100, true, -1).tabs.empty());
}

TEST(TabLayout, SingleLineShiftsJustEnoughToShowTheSelectedTab) {
  const TabLayout start = layoutTabs({50, 50, 50, 50}, 120, false, 0);
  EXPECT_EQ(start.rowCount, 1);
  EXPECT_EQ(start.tabs[0].left, 0);
  const TabLayout end = layoutTabs({50, 50, 50, 50}, 120, false, 3);
  EXPECT_EQ(end.tabs[3].left + end.tabs[3].width, 120);
  EXPECT_EQ(end.tabs[0].left, -80);
}

}  // namespace
}  // namespace toolkit
