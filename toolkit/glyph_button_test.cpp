#include "glyph_button.h"

#include <gtest/gtest.h>

#include <QDialog>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include "bevel_panel.h"

namespace toolkit {
namespace {

QImage redAndBlueGlyph() {
  QImage bitmap(32, 16, QImage::Format_RGB32);
  bitmap.fill(qRgb(128, 128, 0));
  for (int y = 4; y < 12; ++y)
    for (int x = 4; x < 12; ++x) {
      bitmap.setPixel(x, y, qRgb(255, 0, 0));
      bitmap.setPixel(16 + x, y, qRgb(0, 0, 255));
    }
  return bitmap;
}

TEST(GlyphButton, DrawsTheNormalImageWhenEnabledAndTheGreyedOneWhenDisabled) {
  QWidget window;
  GlyphButton button(&window);
  button.setGeometry(0, 0, 75, 25);
  button.setText("Print");
  button.setGlyph(redAndBlueGlyph());
  window.show();
  const QPoint centre = button.currentLayout().glyph + QPoint(8, 8);
  EXPECT_EQ(button.grab().toImage().pixel(centre), qRgb(255, 0, 0));
  button.setEnabled(false);
  EXPECT_EQ(button.grab().toImage().pixel(centre), qRgb(0, 0, 255));
  // The olive ground is clear: the button's face shows through.
  const QPoint ground = button.currentLayout().glyph + QPoint(1, 14);
  EXPECT_NE(button.grab().toImage().pixel(ground), qRgb(128, 128, 0));
}

TEST(GlyphButton, AccessKeyOfTheCaptionClicksIt) {
  QWidget window;
  GlyphButton button(&window);
  button.setText("&Print");
  window.show();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
  QSignalSpy clicked(&button, &QPushButton::clicked);
  QTest::keyClick(&window, Qt::Key_P, Qt::AltModifier);
  // An access key shows the press before it clicks.
  EXPECT_TRUE(QTest::qWaitFor([&] { return clicked.count() == 1; }));
}

TEST(GlyphButton, CloseKindClosesItsWindowAndOkAndCancelEndADialog) {
  QWidget window;
  GlyphButton close(&window);
  close.setKind(ButtonKind::kClose);
  EXPECT_EQ(close.text(), "&Close");
  EXPECT_TRUE(close.hasGlyph());
  window.show();
  close.click();
  EXPECT_FALSE(window.isVisible());

  QDialog dialog;
  GlyphButton ok(&dialog);
  ok.setKind(ButtonKind::kOk);
  GlyphButton cancel(&dialog);
  cancel.setKind(ButtonKind::kCancel);
  QTimer::singleShot(0, &ok, &QPushButton::click);
  EXPECT_EQ(dialog.exec(), QDialog::Accepted);
  QTimer::singleShot(0, [&] { QTest::keyClick(&dialog, Qt::Key_Escape); });
  EXPECT_EQ(dialog.exec(), QDialog::Rejected);
  EXPECT_TRUE(cancel.isCancel());
}

TEST(BevelPanel, RaisedIsLightAboveAndLeftAndShadowedBelowAndRight) {
  BevelPanel panel;
  panel.resize(40, 30);
  panel.setBevelWidth(2);
  const QImage raised = panel.grab().toImage();
  const QRgb light = panel.palette().color(QPalette::Light).rgb();
  const QRgb shadow = panel.palette().color(QPalette::Dark).rgb();
  EXPECT_EQ(raised.pixel(0, 10), light);
  EXPECT_EQ(raised.pixel(1, 10), light);
  EXPECT_EQ(raised.pixel(20, 0), light);
  EXPECT_EQ(raised.pixel(39, 10), shadow);
  EXPECT_EQ(raised.pixel(20, 28), shadow);
  EXPECT_EQ(raised.pixel(20, 10), panel.palette().color(QPalette::Button).rgb());
  EXPECT_EQ(panel.clientArea(), QRect(2, 2, 36, 26));

  panel.setBevelOuter(Bevel::kLowered);
  panel.setBevelInner(Bevel::kRaised);
  panel.setBorderWidth(1);
  const QImage lowered = panel.grab().toImage();
  EXPECT_EQ(lowered.pixel(0, 10), shadow);
  EXPECT_EQ(lowered.pixel(2, 10), panel.palette().color(QPalette::Button).rgb());
  EXPECT_EQ(lowered.pixel(3, 10), light);
  EXPECT_EQ(panel.clientArea(), QRect(5, 5, 30, 20));
}

}  // namespace
}  // namespace toolkit
