#include "grid/indicator_glyphs.h"

#include <array>
#include <cstddef>

namespace grid {

namespace {

constexpr std::uint32_t kBlack = 0xff000000u;
constexpr std::uint32_t kWhite = 0xffffffffu;

// Rows of 8 pixels: '#' black, anything else white.
using Picture = std::array<const char*, 11>;

constexpr Picture kArrow = {"        ", "  #     ", "  ##    ", "  ###   ", "  ####  ", "  ##### ",
                            "  ####  ", "  ###   ", "  ##    ", "  #     ", "        "};
constexpr Picture kEdit = {"  ## ## ", "    #   ", "    #   ", "    #   ", "    #   ", "    #   ",
                           "    #   ", "    #   ", "    #   ", "    #   ", "  ## ## "};
constexpr Picture kInsert = {"        ", "        ",  "   #    ", " # # #  ",
                             "  ###   ", "#######  ", "  ###   ", " # # #  ",
                             "   #    ", "        ",  "        "};

toolkit::Bitmap Draw(const Picture& picture) {
  toolkit::Bitmap bitmap(8, static_cast<int>(picture.size()), kWhite);
  for (int y = 0; y < bitmap.height; ++y)
    for (int x = 0; x < bitmap.width && picture[static_cast<std::size_t>(y)][x]; ++x)
      if (picture[static_cast<std::size_t>(y)][x] == '#') bitmap.setPixel(x, y, kBlack);
  return bitmap;
}

}  // namespace

const toolkit::Bitmap& IndicatorBitmap(IndicatorGlyph glyph) {
  static const toolkit::Bitmap arrow = Draw(kArrow);
  static const toolkit::Bitmap edit = Draw(kEdit);
  static const toolkit::Bitmap insert = Draw(kInsert);
  switch (glyph) {
    case IndicatorGlyph::kEdit:
      return edit;
    case IndicatorGlyph::kInsert:
      return insert;
    case IndicatorGlyph::kArrow:
      break;
  }
  return arrow;
}

toolkit::Bitmap YellowIndicator(const toolkit::Bitmap& glyph, toolkit::Color background) {
  const toolkit::Color rgb = background.toRgb();
  const std::uint32_t ground = 0xff000000u | rgb.value();
  toolkit::Bitmap yellow = glyph;
  for (std::uint32_t& pixel : yellow.pixels) pixel = pixel == kBlack ? 0xffffff00u : ground;
  return yellow;
}

}  // namespace grid
