#include "desktop_services.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QSignalSpy>
#include <QTest>

#include "toolkit/locale_settings.h"

namespace toolkit {
namespace {

TEST(DesktopServices, PaletteColoursBecomeTheSystemColours) {
  QPalette palette;
  palette.setColor(QPalette::Button, QColor(1, 2, 3));
  palette.setColor(QPalette::Base, QColor(255, 255, 255));
  palette.setColor(QPalette::Highlight, QColor(0, 0, 128));
  palette.setColor(QPalette::Disabled, QPalette::Text, QColor(9, 9, 9));
  const SystemColors colors = systemColorsFrom(palette);
  EXPECT_EQ(colors.rgb[static_cast<int>(SystemColor::kBtnFace)], Color::rgb(1, 2, 3));
  EXPECT_EQ(colors.rgb[static_cast<int>(SystemColor::kWindow)], clWhite);
  EXPECT_EQ(colors.rgb[static_cast<int>(SystemColor::kHighlight)], clNavy);
  EXPECT_EQ(colors.rgb[static_cast<int>(SystemColor::kGrayText)], Color::rgb(9, 9, 9));
}

TEST(DesktopServices, InstallsTheServicesAndPutsThePreviousOnesBack) {
  UiServices* ui = &toolkit::ui();
  TimerFactory* factory = &timers();
  {
    auto services = installDesktopServices();
    EXPECT_NE(&toolkit::ui(), ui);
    EXPECT_NE(&timers(), factory);
    EXPECT_EQ(clBtnFace.toRgb(),
              Color::rgb(QApplication::palette().color(QPalette::Button).red(),
                         QApplication::palette().color(QPalette::Button).green(),
                         QApplication::palette().color(QPalette::Button).blue()));
    const ScreenMetrics& metrics = screenMetrics();
    EXPECT_GT(metrics.workArea.width(), 0);
    EXPECT_LE(metrics.workArea.height(), metrics.screen.height());
    EXPECT_GT(metrics.menuBarHeight, 0);

    // A Qt timer ticks on the event loop.
    auto timer = timers().createTimer();
    int ticks = 0;
    timer->onTimeout = [&] { ++ticks; };
    timer->setSingleShot(true);
    timer->start(1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ticks == 1; }));
  }
  EXPECT_EQ(&toolkit::ui(), ui);
  EXPECT_EQ(&timers(), factory);
  setSystemColors(SystemColors::classic());
  setLocaleSettings(LocaleSettings{});
}

}  // namespace
}  // namespace toolkit
