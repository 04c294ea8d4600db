// Bitmap resources by name ("DBN_FIRST", "WWDBGARROW", "MAINICON", ...): the
// image compiled into the program under ":/bitmaps/<NAME>" with the extension
// .bmp, .png or .ico, the name in upper case. A missing resource is a null
// image.
#pragma once

#include <QImage>
#include <QString>

#include "toolkit/bitmap.h"

namespace toolkit {

QImage bitmapResource(const QString& name);
// The same resource for drawing through the Canvas.
Bitmap canvasBitmapResource(const QString& name);

}  // namespace toolkit
