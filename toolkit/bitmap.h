// A plain bitmap for drawing through the Canvas without Qt: width by height
// pixels, row by row, each 0xAARRGGBB (alpha 0 is clear). The grid's glyphs
// and the off-screen surface's contents travel in it.
#pragma once

#include <cstdint>
#include <vector>

namespace toolkit {

struct Bitmap {
  Bitmap() = default;
  Bitmap(int w, int h, std::uint32_t fill = 0xff000000u)
      : width(w), height(h), pixels(static_cast<std::size_t>(w) * h, fill) {}

  std::uint32_t pixel(int x, int y) const {
    return pixels[static_cast<std::size_t>(y) * width + x];
  }
  void setPixel(int x, int y, std::uint32_t argb) {
    pixels[static_cast<std::size_t>(y) * width + x] = argb;
  }
  bool empty() const { return width <= 0 || height <= 0; }

  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;

  friend bool operator==(const Bitmap&, const Bitmap&) = default;
};

}  // namespace toolkit
