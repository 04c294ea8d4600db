// Puts the desktop under the Qt-free services at program start: the message
// box, beep and cursor service, QTimer-based timers, the system colours read
// from the application's palette, the screen metrics and work area, and the
// locale settings of the environment. Needs a QApplication; the answered
// object keeps the services alive and puts the previous ones back when it is
// destroyed.
#pragma once

#include <QPalette>
#include <memory>

#include "toolkit/color.h"
#include "toolkit/qt_timer.h"
#include "toolkit/qt_ui_services.h"
#include "toolkit/screen_metrics.h"

namespace toolkit {

class DesktopServices {
 public:
  DesktopServices();
  ~DesktopServices();
  DesktopServices(const DesktopServices&) = delete;
  DesktopServices& operator=(const DesktopServices&) = delete;

 private:
  std::unique_ptr<QtUiServices> ui_;
  QtTimers timers_;
  TimerFactory* previousTimers_;
};

std::unique_ptr<DesktopServices> installDesktopServices();

// The system colours as a palette shows them.
SystemColors systemColorsFrom(const QPalette& palette);
// The metrics of the primary screen and the application's style.
ScreenMetrics readScreenMetrics();

}  // namespace toolkit
