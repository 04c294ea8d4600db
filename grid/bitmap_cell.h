// Picture cells: the ControlType entry (control_type.h)
// "FIELD;Bitmap;size;raster operation", where size is "Normal" (the picture
// at its own size from the cell's corner, clipped), "Stretch", "FitToHeight"
// or "FitToWidth" (scaled keeping its proportions), and the operation is one
// of "Source Copy", "Source Paint", "Source And", "Source Invert", "Source
// Erase", "Not Source Copy", "Not Source Erase" or "Merge Paint" (Source Copy
// when left out or unknown).
#pragma once

#include <optional>
#include <string>

#include "grid/control_type.h"
#include "toolkit/bitmap.h"
#include "toolkit/canvas.h"

namespace grid {

enum class BitmapCellSize { kNormal, kStretch, kFitToHeight, kFitToWidth };

struct BitmapCellOptions {
  BitmapCellSize size = BitmapCellSize::kNormal;
  toolkit::RasterOp op = toolkit::RasterOp::kSrcCopy;
};

// None when the field has no picture entry.
std::optional<BitmapCellOptions> BitmapCellFor(const data::TDataSet* dataSet,
                                               const data::TField& field);
// The picture a graphic field holds (a bitmap file, with or without the
// table's 8-byte prefix); empty when it holds none that can be read.
toolkit::Bitmap DecodeFieldBitmap(const std::string& value);
// The picture in the field's value for the row being read; empty when the
// value cannot be read (a damaged blob file must not stop the painting).
toolkit::Bitmap FieldBitmap(const data::TField& field);
// The cell filled with the canvas's brush, then the picture on it.
void DrawBitmapCell(toolkit::Canvas& canvas, const toolkit::Rect& cell,
                    const toolkit::Bitmap& picture, const BitmapCellOptions& options);

}  // namespace grid
