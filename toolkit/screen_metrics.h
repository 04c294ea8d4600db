// The screen's sizes that layouts ask for: the desktop work area (the screen
// less task bars and panels), window caption, menu bar and dialog frame
// sizes, and scroll-bar sizes, all in 96-dpi pixels (Qt scales them for dense
// screens). The classic desktop's values until the program installs the
// machine's (toolkit_qt reads them from the screen and the style). Qt-free.
#pragma once

#include "toolkit/canvas.h"

namespace toolkit {

struct ScreenMetrics {
  Rect screen{0, 0, 1024, 768};
  Rect workArea{0, 0, 1024, 740};
  int pixelsPerInch = 96;
  int captionHeight = 19;
  int menuBarHeight = 19;
  int dialogFrameWidth = 3;
  int dialogFrameHeight = 3;
  int verticalScrollBarWidth = 16;
  int horizontalScrollBarHeight = 16;
  int horizontalThumbWidth = 16;
  int verticalThumbHeight = 16;
};

const ScreenMetrics& screenMetrics();
void setScreenMetrics(const ScreenMetrics& metrics);

}  // namespace toolkit
