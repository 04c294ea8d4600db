// Where the tabs of a tab control go: the arithmetic of the multi-row tab
// control, kept apart from the widget so it can be checked by numbers.
//
// Tabs are given by their natural widths. In multi-line mode they fill rows
// greedily in order; when there is more than one row, every row is stretched
// to the full width, its spare pixels shared out from the left. The row that
// holds the selected tab is row 0, the one that touches the page; the other
// rows keep their cyclic order above it. In single-line mode every tab keeps
// its width on one row, shifted left as far as needed to show the selected tab.
#pragma once

#include <vector>

namespace toolkit {

struct TabPlacement {
  int row = 0;  // 0 touches the page; higher rows stand further from it
  int left = 0;
  int width = 0;
};

struct TabLayout {
  int rowCount = 0;
  std::vector<TabPlacement> tabs;  // one per tab, in tab order
};

TabLayout layoutTabs(const std::vector<int>& naturalWidths, int availableWidth, bool multiLine,
                     int selected);

}  // namespace toolkit
