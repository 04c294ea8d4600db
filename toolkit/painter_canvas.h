// The Canvas on a QPainter: a widget being painted, a printer page, or an
// off-screen image that createOffscreen makes. Fonts are sized for the
// resolution given (96 for screens, whose numbers stay in 96-dpi pixels and
// are scaled by Qt's device pixel ratio; the printer's dots per inch for
// printers). Raster operations other than plain copies need a raster device
// (widgets and images); a printer draws every copy as a plain copy.
#pragma once

#include <QImage>
#include <QPainter>
#include <memory>

#include "toolkit/canvas.h"

namespace toolkit {

class PainterCanvas : public Canvas {
 public:
  // Draws through painter (not owned), which must outlive this canvas.
  explicit PainterCanvas(QPainter& painter, int pixelsPerInch = 96);
  ~PainterCanvas() override;
  // A canvas on an image of its own, white, width by height: for measuring
  // text where no widget is being painted.
  static std::unique_ptr<Canvas> onImage(int width, int height, int pixelsPerInch = 96);

  void setFont(const FontSpec& font) override;
  const FontSpec& font() const override { return font_; }
  void setPen(const Pen& pen) override { pen_ = pen; }
  const Pen& pen() const override { return pen_; }
  void setBrush(const Brush& brush) override { brush_ = brush; }
  const Brush& brush() const override { return brush_; }
  void setClip(const std::optional<Rect>& clip) override;

  int textWidth(std::string_view text) override;
  int textHeight(std::string_view text) override;

  void textOut(int x, int y, std::string_view text, TextAnchor anchor = TextAnchor::kLeft) override;
  void textRect(const Rect& box, int x, int y, std::string_view text,
                TextAnchor anchor = TextAnchor::kLeft) override;
  int drawText(const Rect& box, std::string_view text, const TextFormat& format) override;
  void line(Point from, Point to) override;
  void rectangle(const Rect& rect) override;
  void fillRect(const Rect& rect) override;
  void focusRect(const Rect& rect) override;
  void copyBitmap(const Rect& dest, const Bitmap& bitmap,
                  RasterOp op = RasterOp::kSrcCopy) override;

  std::unique_ptr<Canvas> createOffscreen(int width, int height) override;
  Bitmap image() const override;
  int pixelsPerInch() const override { return pixelsPerInch_; }

 private:
  PainterCanvas(int width, int height, int pixelsPerInch);
  // Draws one line of text with its top at y and its left end at x.
  void drawTextLine(int x, int y, const QString& text);
  int anchoredLeft(int x, int width, TextAnchor anchor) const;
  void applyPen();

  std::unique_ptr<QImage> ownImage_;
  std::unique_ptr<QPainter> ownPainter_;
  QPainter* painter_;
  int pixelsPerInch_;
  FontSpec font_;
  bool fontSet_ = false;
  Pen pen_;
  Brush brush_;
  std::optional<Rect> clip_;
};

// Conversions between the Qt-free bitmap and Qt's images.
QImage toQImage(const Bitmap& bitmap);
Bitmap fromQImage(const QImage& image);

}  // namespace toolkit
