#include "bitmap_resources.h"

#include <QFile>

#include "toolkit/painter_canvas.h"

namespace toolkit {

QImage bitmapResource(const QString& name) {
  for (const char* extension : {".bmp", ".png", ".ico"}) {
    const QString path = QStringLiteral(":/bitmaps/") + name.toUpper() + extension;
    if (QFile::exists(path)) return QImage(path);
  }
  return {};
}

Bitmap canvasBitmapResource(const QString& name) {
  const QImage image = bitmapResource(name);
  return image.isNull() ? Bitmap() : fromQImage(image);
}

}  // namespace toolkit
