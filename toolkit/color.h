// Colours as the forms and the painting rules name them: plain RGB values and
// system colours (clBtnFace, clWindow, clHighlight, ...) that stand for the
// desktop's current scheme and are resolved only when something is drawn or
// compared by its RGB value. Qt-free.
#pragma once

#include <cstdint>

namespace toolkit {

enum class SystemColor : std::uint8_t {
  kBtnFace,
  kBtnHighlight,
  kBtnShadow,
  kBtnText,
  kWindow,
  kWindowText,
  kWindowFrame,
  kHighlight,
  kHighlightText,
  kGrayText,
  k3DDkShadow,
  k3DLight,
  kInfoBk,
  kInfoText,
  kCount
};

class Color {
 public:
  constexpr Color() = default;
  static constexpr Color rgb(int r, int g, int b) {
    return Color((static_cast<std::uint32_t>(r & 0xff) << 16) |
                 (static_cast<std::uint32_t>(g & 0xff) << 8) |
                 static_cast<std::uint32_t>(b & 0xff));
  }
  static constexpr Color system(SystemColor which) {
    return Color(kSystemFlag | static_cast<std::uint32_t>(which));
  }

  constexpr bool isSystem() const { return (value_ & kSystemFlag) != 0; }
  constexpr SystemColor systemColor() const { return static_cast<SystemColor>(value_ & 0xff); }
  // Meaningful for RGB colours; resolve system colours with toRgb first.
  constexpr int red() const { return static_cast<int>((value_ >> 16) & 0xff); }
  constexpr int green() const { return static_cast<int>((value_ >> 8) & 0xff); }
  constexpr int blue() const { return static_cast<int>(value_ & 0xff); }
  constexpr std::uint32_t value() const { return value_; }

  // The RGB colour this one shows as under the installed system colours.
  Color toRgb() const;

  friend constexpr bool operator==(Color a, Color b) { return a.value_ == b.value_; }

 private:
  static constexpr std::uint32_t kSystemFlag = 0x80000000u;
  constexpr explicit Color(std::uint32_t value) : value_(value) {}
  std::uint32_t value_ = 0;
};

inline constexpr Color clBlack = Color::rgb(0, 0, 0);
inline constexpr Color clMaroon = Color::rgb(128, 0, 0);
inline constexpr Color clGreen = Color::rgb(0, 128, 0);
inline constexpr Color clOlive = Color::rgb(128, 128, 0);
inline constexpr Color clNavy = Color::rgb(0, 0, 128);
inline constexpr Color clPurple = Color::rgb(128, 0, 128);
inline constexpr Color clTeal = Color::rgb(0, 128, 128);
inline constexpr Color clGray = Color::rgb(128, 128, 128);
inline constexpr Color clSilver = Color::rgb(192, 192, 192);
inline constexpr Color clRed = Color::rgb(255, 0, 0);
inline constexpr Color clLime = Color::rgb(0, 255, 0);
inline constexpr Color clYellow = Color::rgb(255, 255, 0);
inline constexpr Color clBlue = Color::rgb(0, 0, 255);
inline constexpr Color clFuchsia = Color::rgb(255, 0, 255);
inline constexpr Color clAqua = Color::rgb(0, 255, 255);
inline constexpr Color clWhite = Color::rgb(255, 255, 255);

inline constexpr Color clBtnFace = Color::system(SystemColor::kBtnFace);
inline constexpr Color clBtnHighlight = Color::system(SystemColor::kBtnHighlight);
inline constexpr Color clBtnShadow = Color::system(SystemColor::kBtnShadow);
inline constexpr Color clBtnText = Color::system(SystemColor::kBtnText);
inline constexpr Color clWindow = Color::system(SystemColor::kWindow);
inline constexpr Color clWindowText = Color::system(SystemColor::kWindowText);
inline constexpr Color clWindowFrame = Color::system(SystemColor::kWindowFrame);
inline constexpr Color clHighlight = Color::system(SystemColor::kHighlight);
inline constexpr Color clHighlightText = Color::system(SystemColor::kHighlightText);
inline constexpr Color clGrayText = Color::system(SystemColor::kGrayText);
inline constexpr Color cl3DDkShadow = Color::system(SystemColor::k3DDkShadow);
inline constexpr Color cl3DLight = Color::system(SystemColor::k3DLight);
inline constexpr Color clInfoBk = Color::system(SystemColor::kInfoBk);
inline constexpr Color clInfoText = Color::system(SystemColor::kInfoText);

// The RGB value of every system colour. Until the program installs the
// desktop's (toolkit_qt does so from the QPalette), the classic grey scheme.
struct SystemColors {
  Color rgb[static_cast<int>(SystemColor::kCount)];
  static SystemColors classic();
};
const SystemColors& systemColors();
void setSystemColors(const SystemColors& colors);

}  // namespace toolkit
