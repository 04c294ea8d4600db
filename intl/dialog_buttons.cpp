#include "intl/dialog_buttons.h"

#include <QGuiApplication>
#include <QImage>
#include <QPalette>
#include <QScreen>
#include <QWidget>
#include <cmath>

#include "intl/international_strings.h"
#include "toolkit/font_mapping.h"
#include "toolkit/glyph_button.h"

namespace intl {

namespace {

constexpr int kButtonWidth = 77;
constexpr int kButtonHeight = 24;
constexpr int kGlyphButtonHeight = 27;

double LogicalDotsPerInch(const QWidget* form) {
  const QScreen* screen = form ? form->screen() : nullptr;
  if (!screen) screen = QGuiApplication::primaryScreen();
  return screen ? screen->logicalDotsPerInch() : 96.0;
}

toolkit::ButtonKind StandardKind(TwwDialogButtonKind kind) {
  switch (kind) {
    case TwwDialogButtonKind::dbkOK:
      return toolkit::ButtonKind::kOk;
    case TwwDialogButtonKind::dbkCancel:
      return toolkit::ButtonKind::kCancel;
    case TwwDialogButtonKind::dbkHelp:
      return toolkit::ButtonKind::kHelp;
  }
  return toolkit::ButtonKind::kCustom;
}

std::string Caption(const TwwIntl& strings, TwwDialogButtonKind kind) {
  switch (kind) {
    case TwwDialogButtonKind::dbkOK:
      return strings.BtnOKCaption();
    case TwwDialogButtonKind::dbkCancel:
      return strings.BtnCancelCaption();
    case TwwDialogButtonKind::dbkHelp:
      return "Help";
  }
  return {};
}

void UseDialogFont(toolkit::GlyphButton& button, const TwwIntl& strings) {
  toolkit::FontSpec font = toolkit::defaultFont();
  font.name = "MS Sans Serif";
  font.height = -11;
  font.color = toolkit::clWindowText;
  ApplyFontStyles(strings.DialogFontStyle(), font);
  button.setFont(toolkit::qtFont(font));
  QPalette palette = button.palette();
  palette.setColor(QPalette::ButtonText, toolkit::qtColor(font.color));
  button.setPalette(palette);
}

}  // namespace

int ScaledToScreen(int pixels, double dotsPerInch) {
  return static_cast<int>(std::lround(pixels * dotsPerInch / 96.0));
}

toolkit::GlyphButton* CreateDialogButton(QWidget* form, TwwDialogButtonKind kind) {
  const TwwIntl& strings = GlobalIntl();
  auto* button = new toolkit::GlyphButton(form);
  button->hide();
  // The kind brings the effect (the dialog's result, Escape for Cancel).
  button->setKind(StandardKind(kind));
  const double dotsPerInch = LogicalDotsPerInch(form);
  int height = kButtonHeight;
  if (strings.OKCancelBitmapped()) {
    height = kGlyphButtonHeight;
    button->setPlacement(toolkit::GlyphPlacement::kGlyphLeft);
    button->setMargin(2);
    button->setSpacing(-1);
    UseDialogFont(*button, strings);
  } else {
    button->setGlyph(QImage());
  }
  button->setText(QString::fromStdString(Caption(strings, kind)));
  button->resize(ScaledToScreen(kButtonWidth, dotsPerInch), ScaledToScreen(height, dotsPerInch));
  return button;
}

}  // namespace intl
