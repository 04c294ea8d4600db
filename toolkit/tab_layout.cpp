#include "tab_layout.h"

#include <algorithm>

namespace toolkit {

namespace {

// Rows of tab indices in order; a tab wider than the space gets a row alone.
std::vector<std::vector<int>> wrapIntoRows(const std::vector<int>& widths, int available) {
  std::vector<std::vector<int>> rows;
  int used = 0;
  for (int i = 0; i < static_cast<int>(widths.size()); ++i) {
    if (rows.empty() || (used + widths[i] > available && !rows.back().empty())) {
      rows.emplace_back();
      used = 0;
    }
    rows.back().push_back(i);
    used += widths[i];
  }
  return rows;
}

TabLayout singleLine(const std::vector<int>& widths, int available, int selected) {
  TabLayout layout;
  layout.rowCount = widths.empty() ? 0 : 1;
  int left = 0;
  for (int width : widths) {
    layout.tabs.push_back({0, left, width});
    left += width;
  }
  if (selected >= 0 && selected < static_cast<int>(widths.size())) {
    const TabPlacement& shown = layout.tabs[selected];
    const int shift = std::min(shown.left, std::max(0, shown.left + shown.width - available));
    for (TabPlacement& tab : layout.tabs) tab.left -= shift;
  }
  return layout;
}

}  // namespace

TabLayout layoutTabs(const std::vector<int>& naturalWidths, int availableWidth, bool multiLine,
                     int selected) {
  if (!multiLine) return singleLine(naturalWidths, availableWidth, selected);

  const std::vector<std::vector<int>> rows = wrapIntoRows(naturalWidths, availableWidth);
  TabLayout layout;
  layout.rowCount = static_cast<int>(rows.size());
  layout.tabs.resize(naturalWidths.size());
  int selectedRow = 0;
  for (int r = 0; r < layout.rowCount; ++r) {
    if (std::find(rows[r].begin(), rows[r].end(), selected) != rows[r].end()) selectedRow = r;
  }
  for (int r = 0; r < layout.rowCount; ++r) {
    const std::vector<int>& row = rows[r];
    int used = 0;
    for (int i : row) used += naturalWidths[i];
    const int spare = layout.rowCount > 1 ? std::max(0, availableWidth - used) : 0;
    const int count = static_cast<int>(row.size());
    int left = 0;
    for (int k = 0; k < count; ++k) {
      const int width = naturalWidths[row[k]] + spare / count + (k < spare % count ? 1 : 0);
      layout.tabs[row[k]] = {(r - selectedRow + layout.rowCount) % layout.rowCount, left, width};
      left += width;
    }
  }
  return layout;
}

}  // namespace toolkit
