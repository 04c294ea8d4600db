#include "grid/bitmap_cell.h"

#include <QImage>
#include <algorithm>
#include <array>
#include <stdexcept>
#include <utility>

#include "data/field.h"
#include "grid/control_type.h"

namespace grid {

namespace {

const std::array<std::pair<const char*, toolkit::RasterOp>, 8> kOperations{{
    {"Source Copy", toolkit::RasterOp::kSrcCopy},
    {"Source Paint", toolkit::RasterOp::kSrcPaint},
    {"Source And", toolkit::RasterOp::kSrcAnd},
    {"Source Invert", toolkit::RasterOp::kSrcInvert},
    {"Source Erase", toolkit::RasterOp::kSrcErase},
    {"Not Source Copy", toolkit::RasterOp::kNotSrcCopy},
    {"Not Source Erase", toolkit::RasterOp::kNotSrcErase},
    {"Merge Paint", toolkit::RasterOp::kMergePaint},
}};

toolkit::Bitmap FromImage(const QImage& image) {
  const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
  toolkit::Bitmap bitmap(argb.width(), argb.height());
  for (int y = 0; y < argb.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(argb.constScanLine(y));
    for (int x = 0; x < argb.width(); ++x) bitmap.setPixel(x, y, line[x]);
  }
  return bitmap;
}

}  // namespace

std::optional<BitmapCellOptions> BitmapCellFor(const data::TDataSet* dataSet,
                                               const data::TField& field) {
  const std::optional<std::vector<std::string>> entry = ControlTypeEntry(dataSet, field, "Bitmap");
  if (!entry) return std::nullopt;
  BitmapCellOptions options;
  const std::string size = entry->size() > 2 ? (*entry)[2] : "";
  if (size == "Stretch") options.size = BitmapCellSize::kStretch;
  if (size == "FitToHeight") options.size = BitmapCellSize::kFitToHeight;
  if (size == "FitToWidth") options.size = BitmapCellSize::kFitToWidth;
  if (entry->size() > 3)
    for (const auto& [name, op] : kOperations)
      if ((*entry)[3] == name) options.op = op;
  return options;
}

toolkit::Bitmap DecodeFieldBitmap(const std::string& value) {
  // Stored pictures carry a prefix of 8 bytes before the bitmap file.
  for (size_t skip : {size_t{0}, size_t{8}}) {
    if (value.size() <= skip + 2 || value.compare(skip, 2, "BM") != 0) continue;
    const QImage image = QImage::fromData(reinterpret_cast<const uchar*>(value.data() + skip),
                                          static_cast<int>(value.size() - skip), "BMP");
    if (!image.isNull()) return FromImage(image);
  }
  return {};
}

toolkit::Bitmap FieldBitmap(const data::TField& field) {
  try {
    return DecodeFieldBitmap(field.AsString());
  } catch (const std::exception&) {
    return {};
  }
}

void DrawBitmapCell(toolkit::Canvas& canvas, const toolkit::Rect& cell,
                    const toolkit::Bitmap& picture, const BitmapCellOptions& options) {
  canvas.fillRect(cell);
  if (picture.empty() || cell.empty()) return;
  int width = picture.width;
  int height = picture.height;
  switch (options.size) {
    case BitmapCellSize::kNormal:
      break;
    case BitmapCellSize::kStretch:
      width = cell.width();
      height = cell.height();
      break;
    case BitmapCellSize::kFitToHeight:
      height = cell.height();
      width = std::max(1, picture.width * height / picture.height);
      break;
    case BitmapCellSize::kFitToWidth:
      width = cell.width();
      height = std::max(1, picture.height * width / picture.width);
      break;
  }
  canvas.setClip(cell);
  canvas.copyBitmap({cell.left, cell.top, cell.left + width, cell.top + height}, picture,
                    options.op);
  canvas.setClip(std::nullopt);
}

}  // namespace grid
