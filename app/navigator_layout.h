// Where the navigator's buttons go: every visible button gets the bar's full
// height and an equal share of its width; when the bar is aligned to its
// parent and the width does not divide evenly, the spare pixels are spread one
// each over the buttons. Qt-free, so the arithmetic is tested exactly.
#pragma once

#include <array>

namespace app {

inline constexpr int kNavigatorButtonCount = 10;
inline constexpr int kNavigatorMinButtonWidth = 20;
inline constexpr int kNavigatorMinHeight = 18;

struct ButtonBox {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
};

struct NavigatorGeometry {
  int width = 0;   // the bar's width after the layout
  int height = 0;  // the bar's height after the layout
  std::array<ButtonBox, kNavigatorButtonCount> buttons;
};

NavigatorGeometry LayoutNavigator(int width, int height,
                                  const std::array<bool, kNavigatorButtonCount>& visible,
                                  bool aligned);

}  // namespace app
