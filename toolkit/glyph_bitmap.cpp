#include "glyph_bitmap.h"

#include <QPainter>
#include <algorithm>

namespace toolkit {

QImage withTransparentColour(const QImage& bitmap) {
  QImage image = bitmap.convertToFormat(QImage::Format_ARGB32);
  if (image.isNull()) return image;
  const QRgb clear = image.pixel(0, image.height() - 1);
  for (int y = 0; y < image.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < image.width(); ++x)
      if (line[x] == clear) line[x] = qRgba(0, 0, 0, 0);
  }
  return image;
}

QImage greyedGlyph(const QImage& glyph, QColor highlight, QColor shadow) {
  QImage dark(glyph.size(), QImage::Format_ARGB32);
  dark.fill(Qt::transparent);
  for (int y = 0; y < glyph.height(); ++y)
    for (int x = 0; x < glyph.width(); ++x) {
      const QRgb pixel = glyph.pixel(x, y);
      if (qAlpha(pixel) != 0 && qGray(pixel) < 128) dark.setPixel(x, y, qRgba(0, 0, 0, 255));
    }
  auto tinted = [&](QColor colour) {
    QImage image = dark;
    QPainter painter(&image);
    painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
    painter.fillRect(image.rect(), colour);
    return image;
  };
  QImage result(glyph.size(), QImage::Format_ARGB32);
  result.fill(Qt::transparent);
  QPainter painter(&result);
  painter.drawImage(1, 1, tinted(highlight));
  painter.drawImage(0, 0, tinted(shadow));
  return result;
}

GlyphImages splitGlyph(const QImage& bitmap, int numGlyphs) {
  GlyphImages images;
  if (bitmap.isNull()) return images;
  const int count = std::clamp(numGlyphs, 1, std::min(4, bitmap.width()));
  const QImage all = withTransparentColour(bitmap);
  const int width = all.width() / count;
  auto image = [&](int i) { return all.copy(i * width, 0, width, all.height()); };
  images.normal = image(0);
  images.disabled =
      count >= 2 ? image(1) : greyedGlyph(images.normal, Qt::white, QColor(128, 128, 128));
  images.pressed = count >= 3 ? image(2) : images.normal;
  images.down = count >= 4 ? image(3) : images.normal;
  return images;
}

}  // namespace toolkit
