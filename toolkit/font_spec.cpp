#include "font_spec.h"

#include <cstdlib>

namespace toolkit {

namespace {
constexpr int kScreenDpi = 96;
constexpr int kDefaultPoints = 8;

// Rounded a * b / c, halves away from zero, as the desktop's integer scaling does.
int mulDiv(int a, int b, int c) {
  const long long product = static_cast<long long>(a) * b;
  const long long half = std::llabs(c) / 2;
  return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

int characterHeightAt96(const FontSpec& font) {
  if (font.height < 0) return -font.height;
  if (font.height > 0) return mulDiv(font.height, 4, 5);
  return mulDiv(kDefaultPoints, kScreenDpi, 72);
}
}  // namespace

int FontSpec::pointSize() const {
  return mulDiv(characterHeightAt96(*this), 72, kScreenDpi);
}

void FontSpec::setPointSize(int points) {
  height = -mulDiv(points, kScreenDpi, 72);
}

FontSpec defaultFont() {
  return FontSpec{};
}

int characterPixels(const FontSpec& font, int pixelsPerInch) {
  if (pixelsPerInch == kScreenDpi) return characterHeightAt96(font);
  return mulDiv(font.pointSize(), pixelsPerInch, 72);
}

}  // namespace toolkit
