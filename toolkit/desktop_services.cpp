#include "desktop_services.h"

#include <QApplication>
#include <QMenuBar>
#include <QScreen>
#include <QStyle>

#include "toolkit/system_locale.h"

namespace toolkit {

namespace {
Color colorOf(const QColor& color) {
  return Color::rgb(color.red(), color.green(), color.blue());
}

Rect rectOf(const QRect& rect) {
  return {rect.left(), rect.top(), rect.left() + rect.width(), rect.top() + rect.height()};
}
}  // namespace

SystemColors systemColorsFrom(const QPalette& palette) {
  SystemColors colors = SystemColors::classic();
  auto set = [&](SystemColor which, QPalette::ColorRole role,
                 QPalette::ColorGroup group = QPalette::Active) {
    colors.rgb[static_cast<int>(which)] = colorOf(palette.color(group, role));
  };
  set(SystemColor::kBtnFace, QPalette::Button);
  set(SystemColor::kBtnHighlight, QPalette::Light);
  set(SystemColor::kBtnShadow, QPalette::Dark);
  set(SystemColor::kBtnText, QPalette::ButtonText);
  set(SystemColor::kWindow, QPalette::Base);
  set(SystemColor::kWindowText, QPalette::Text);
  set(SystemColor::kWindowFrame, QPalette::Shadow);
  set(SystemColor::kHighlight, QPalette::Highlight);
  set(SystemColor::kHighlightText, QPalette::HighlightedText);
  set(SystemColor::kGrayText, QPalette::Text, QPalette::Disabled);
  set(SystemColor::k3DDkShadow, QPalette::Shadow);
  set(SystemColor::k3DLight, QPalette::Midlight);
  set(SystemColor::kInfoBk, QPalette::ToolTipBase);
  set(SystemColor::kInfoText, QPalette::ToolTipText);
  return colors;
}

ScreenMetrics readScreenMetrics() {
  ScreenMetrics metrics;
  if (const QScreen* screen = QGuiApplication::primaryScreen()) {
    metrics.screen = rectOf(screen->geometry());
    metrics.workArea = rectOf(screen->availableGeometry());
  }
  const QStyle* style = QApplication::style();
  metrics.captionHeight = style->pixelMetric(QStyle::PM_TitleBarHeight);
  metrics.dialogFrameWidth = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth);
  metrics.dialogFrameHeight = metrics.dialogFrameWidth;
  const int scrollBar = style->pixelMetric(QStyle::PM_ScrollBarExtent);
  metrics.verticalScrollBarWidth = scrollBar;
  metrics.horizontalScrollBarHeight = scrollBar;
  const int thumb = std::max(scrollBar, style->pixelMetric(QStyle::PM_ScrollBarSliderMin));
  metrics.horizontalThumbWidth = thumb;
  metrics.verticalThumbHeight = thumb;
  QMenuBar menuBar;
  menuBar.addMenu(QStringLiteral("File"));
  metrics.menuBarHeight = menuBar.sizeHint().height();
  return metrics;
}

DesktopServices::DesktopServices()
    : ui_(installQtUiServices()), previousTimers_(setTimers(&timers_)) {
  setSystemColors(systemColorsFrom(QApplication::palette()));
  setScreenMetrics(readScreenMetrics());
  setLocaleSettings(systemLocaleSettings());
}

DesktopServices::~DesktopServices() {
  setTimers(previousTimers_);
}

std::unique_ptr<DesktopServices> installDesktopServices() {
  return std::make_unique<DesktopServices>();
}

}  // namespace toolkit
