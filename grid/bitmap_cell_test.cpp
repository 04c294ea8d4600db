// Picture cells: a bitmap stored in a graphic field of a store table, drawn
// by the grid at its own size, stretched or fitted, with the stored raster
// operation; a value that is no picture draws an empty cell.
#include "grid/bitmap_cell.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QImage>

#include "data/data_set.h"
#include "data/field.h"
#include "grid/grid_test_tables.h"
#include "toolkit/recording_canvas.h"

namespace grid {
namespace {

std::string BitmapFile(int width, int height, QRgb colour) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(colour);
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "BMP");
  return bytes.toStdString();
}

class BitmapCell : public ::testing::Test {
 protected:
  bool Open(const std::string& controlType) {
    fixture.table.ControlType = {controlType};
    std::string reason;
    if (!fixture.Open("Pictures", "ID\tI*\nPIC\tG10\n", {{"1", ""}, {"2", ""}}, &reason)) {
      skipReason = reason;
      return false;
    }
    fixture.table.Edit();
    fixture.table.FieldByName("PIC")->SetAsString(BitmapFile(4, 3, qRgb(255, 0, 0)));
    fixture.table.Post();
    fixture.table.Next();
    fixture.table.Edit();
    fixture.table.FieldByName("PIC")->SetAsString("not a picture");
    fixture.table.Post();
    fixture.table.First();
    fixture.grid->resize(300, testing::GridOnTable::HeightFor(3));
    return true;
  }
  std::vector<toolkit::CanvasCall> Pictures() {
    toolkit::RecordingCanvas canvas;
    fixture.grid->PaintAll(canvas);
    return canvas.callsOf(toolkit::CanvasCall::Kind::kCopyBitmap);
  }
  // Glyphs are copied too: only the pictures in the data column count.
  std::vector<toolkit::CanvasCall> PicturesInColumn() {
    std::vector<toolkit::CanvasCall> found;
    const toolkit::Rect column = fixture.grid->cellRect(2, 1);
    for (const toolkit::CanvasCall& call : Pictures())
      if (call.rect.left == column.left) found.push_back(call);
    return found;
  }

  testing::GridOnTable fixture;
  std::string skipReason;
};

TEST_F(BitmapCell, StretchedWithTheStoredOperation) {
  if (!Open("PIC;Bitmap;Stretch;Source Invert")) GTEST_SKIP() << skipReason;
  const std::vector<toolkit::CanvasCall> pictures = PicturesInColumn();
  ASSERT_EQ(1u, pictures.size());  // the second row holds no picture
  EXPECT_EQ(fixture.grid->cellRect(2, 1), pictures[0].rect);
  EXPECT_EQ(toolkit::RasterOp::kSrcInvert, pictures[0].op);
  ASSERT_EQ(4, pictures[0].bitmap.width);
  ASSERT_EQ(3, pictures[0].bitmap.height);
  EXPECT_EQ(0xffff0000u, pictures[0].bitmap.pixel(3, 2));
}

TEST_F(BitmapCell, OwnSizeAndFittedToTheHeight) {
  if (!Open("PIC;Bitmap")) GTEST_SKIP() << skipReason;
  const toolkit::Rect cell = fixture.grid->cellRect(2, 1);
  std::vector<toolkit::CanvasCall> pictures = PicturesInColumn();
  ASSERT_EQ(1u, pictures.size());
  EXPECT_EQ((toolkit::Rect{cell.left, cell.top, cell.left + 4, cell.top + 3}), pictures[0].rect);
  EXPECT_EQ(toolkit::RasterOp::kSrcCopy, pictures[0].op);
  fixture.table.ControlType = {"PIC;Bitmap;FitToHeight;Merge Paint"};
  pictures = PicturesInColumn();
  ASSERT_EQ(1u, pictures.size());
  const int width = 4 * cell.height() / 3;
  EXPECT_EQ((toolkit::Rect{cell.left, cell.top, cell.left + width, cell.bottom}), pictures[0].rect);
  EXPECT_EQ(toolkit::RasterOp::kMergePaint, pictures[0].op);
}

TEST(BitmapCellValue, APrefixedPictureIsReadAndOtherBytesAreNone) {
  const std::string file = BitmapFile(2, 2, qRgb(0, 0, 255));
  EXPECT_EQ(2, DecodeFieldBitmap(file).width);
  EXPECT_EQ(2, DecodeFieldBitmap(std::string(8, '\0') + file).width);
  EXPECT_TRUE(DecodeFieldBitmap("BM but no bitmap").empty());
  EXPECT_TRUE(DecodeFieldBitmap("").empty());
}

}  // namespace
}  // namespace grid
