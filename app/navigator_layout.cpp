#include "navigator_layout.h"

#include <algorithm>

namespace app {

NavigatorGeometry LayoutNavigator(int width, int height,
                                  const std::array<bool, kNavigatorButtonCount>& visible,
                                  bool aligned) {
  int count = static_cast<int>(std::count(visible.begin(), visible.end(), true));
  count = std::max(count, 1);
  NavigatorGeometry geometry;
  geometry.width = std::max(width, count * kNavigatorMinButtonWidth);
  geometry.height = std::max(height, kNavigatorMinHeight);
  int buttonWidth = geometry.width / count;
  if (!aligned) geometry.width = count * buttonWidth;
  int spare = geometry.width - count * buttonWidth;
  int term = count / 2;
  int left = 0;
  for (int i = 0; i < kNavigatorButtonCount; ++i) {
    ButtonBox& box = geometry.buttons[static_cast<size_t>(i)];
    box.height = geometry.height;
    box.width = buttonWidth;
    if (!visible[static_cast<size_t>(i)]) {
      box.left = geometry.width + 1;
      continue;
    }
    term -= spare;
    if (term < 0) {
      term += count;
      ++box.width;
    }
    box.left = left;
    left += box.width;
  }
  return geometry;
}

}  // namespace app
