#include "color.h"

namespace toolkit {

SystemColors SystemColors::classic() {
  SystemColors colors{};
  auto set = [&](SystemColor which, Color rgb) { colors.rgb[static_cast<int>(which)] = rgb; };
  set(SystemColor::kBtnFace, clSilver);
  set(SystemColor::kBtnHighlight, clWhite);
  set(SystemColor::kBtnShadow, clGray);
  set(SystemColor::kBtnText, clBlack);
  set(SystemColor::kWindow, clWhite);
  set(SystemColor::kWindowText, clBlack);
  set(SystemColor::kWindowFrame, clBlack);
  set(SystemColor::kHighlight, clNavy);
  set(SystemColor::kHighlightText, clWhite);
  set(SystemColor::kGrayText, clGray);
  set(SystemColor::k3DDkShadow, clBlack);
  set(SystemColor::k3DLight, clSilver);
  set(SystemColor::kInfoBk, Color::rgb(255, 255, 225));
  set(SystemColor::kInfoText, clBlack);
  return colors;
}

namespace {
SystemColors& installed() {
  static SystemColors colors = SystemColors::classic();
  return colors;
}
}  // namespace

const SystemColors& systemColors() {
  return installed();
}
void setSystemColors(const SystemColors& colors) {
  installed() = colors;
}

Color Color::toRgb() const {
  if (!isSystem()) return *this;
  const int index = static_cast<int>(systemColor());
  if (index >= static_cast<int>(SystemColor::kCount)) return clBlack;
  return systemColors().rgb[index];
}

}  // namespace toolkit
