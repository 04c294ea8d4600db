#include "painter_canvas.h"

#include <QPaintEngine>
#include <cstdlib>

#include "toolkit/font_mapping.h"
#include "toolkit/text_wrap.h"

namespace toolkit {

namespace {

QRect qtRect(const Rect& rect) {
  return QRect(rect.left, rect.top, rect.width(), rect.height());
}

QPainter::CompositionMode compositionFor(RasterOp op) {
  switch (op) {
    case RasterOp::kSrcCopy:
      return QPainter::CompositionMode_SourceOver;
    case RasterOp::kSrcPaint:
      return QPainter::RasterOp_SourceOrDestination;
    case RasterOp::kSrcAnd:
      return QPainter::RasterOp_SourceAndDestination;
    case RasterOp::kSrcInvert:
      return QPainter::RasterOp_SourceXorDestination;
    case RasterOp::kSrcErase:
      return QPainter::RasterOp_SourceAndNotDestination;
    case RasterOp::kNotSrcCopy:
      return QPainter::RasterOp_NotSource;
    case RasterOp::kNotSrcErase:
      return QPainter::RasterOp_NotSourceAndNotDestination;
    case RasterOp::kMergePaint:
      return QPainter::RasterOp_NotSourceOrDestination;
  }
  return QPainter::CompositionMode_SourceOver;
}

bool isRasterDevice(const QPainter& painter) {
  const QPaintEngine* engine = painter.paintEngine();
  return engine != nullptr && engine->type() == QPaintEngine::Raster;
}

}  // namespace

QImage toQImage(const Bitmap& bitmap) {
  QImage image(bitmap.width, bitmap.height, QImage::Format_ARGB32);
  for (int y = 0; y < bitmap.height; ++y) {
    auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
    for (int x = 0; x < bitmap.width; ++x) line[x] = bitmap.pixel(x, y);
  }
  return image;
}

Bitmap fromQImage(const QImage& source) {
  const QImage image = source.convertToFormat(QImage::Format_ARGB32);
  Bitmap bitmap(image.width(), image.height());
  for (int y = 0; y < image.height(); ++y) {
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    for (int x = 0; x < image.width(); ++x) bitmap.setPixel(x, y, line[x]);
  }
  return bitmap;
}

PainterCanvas::PainterCanvas(QPainter& painter, int pixelsPerInch)
    : painter_(&painter), pixelsPerInch_(pixelsPerInch) {
  painter_->setRenderHint(QPainter::Antialiasing, false);
  setFont(font_);
}

PainterCanvas::PainterCanvas(int width, int height, int pixelsPerInch)
    : ownImage_(
          std::make_unique<QImage>(std::max(1, width), std::max(1, height), QImage::Format_RGB32)),
      painter_(nullptr),
      pixelsPerInch_(pixelsPerInch) {
  ownImage_->fill(Qt::white);
  ownPainter_ = std::make_unique<QPainter>(ownImage_.get());
  painter_ = ownPainter_.get();
  setFont(font_);
}

PainterCanvas::~PainterCanvas() = default;

void PainterCanvas::setFont(const FontSpec& font) {
  // Painters change fonts for every cell; making a QFont costs far more
  // than comparing.
  if (fontSet_ && font == font_) return;
  font_ = font;
  fontSet_ = true;
  painter_->setFont(qtFont(font, pixelsPerInch_));
}

void PainterCanvas::setClip(const std::optional<Rect>& clip) {
  clip_ = clip;
  if (clip)
    painter_->setClipRect(qtRect(*clip));
  else
    painter_->setClipping(false);
}

int PainterCanvas::textWidth(std::string_view text) {
  return painter_->fontMetrics().horizontalAdvance(
      QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())));
}

int PainterCanvas::textHeight(std::string_view) {
  return painter_->fontMetrics().height();
}

int PainterCanvas::anchoredLeft(int x, int width, TextAnchor anchor) const {
  switch (anchor) {
    case TextAnchor::kLeft:
      return x;
    case TextAnchor::kRight:
      return x - width;
    case TextAnchor::kCenter:
      return x - width / 2;
  }
  return x;
}

void PainterCanvas::drawTextLine(int x, int y, const QString& text) {
  painter_->setPen(qtColor(font_.color));
  painter_->drawText(x, y + painter_->fontMetrics().ascent(), text);
}

void PainterCanvas::textOut(int x, int y, std::string_view text, TextAnchor anchor) {
  const QString qtext = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  const int width = painter_->fontMetrics().horizontalAdvance(qtext);
  const int left = anchoredLeft(x, width, anchor);
  if (brush_.style == BrushStyle::kSolid)
    painter_->fillRect(QRect(left, y, width, painter_->fontMetrics().height()),
                       qtColor(brush_.color));
  drawTextLine(left, y, qtext);
}

void PainterCanvas::textRect(const Rect& box, int x, int y, std::string_view text,
                             TextAnchor anchor) {
  if (box.empty()) return;
  if (brush_.style == BrushStyle::kSolid) painter_->fillRect(qtRect(box), qtColor(brush_.color));
  const QString qtext = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
  painter_->save();
  painter_->setClipRect(qtRect(box), clip_ ? Qt::IntersectClip : Qt::ReplaceClip);
  drawTextLine(anchoredLeft(x, painter_->fontMetrics().horizontalAdvance(qtext), anchor), y, qtext);
  painter_->restore();
}

int PainterCanvas::drawText(const Rect& box, std::string_view text, const TextFormat& format) {
  const std::vector<std::string> lines =
      wrapText(text, box.width(), format.wordBreak, format.expandTabs,
               [this](std::string_view piece) { return textWidth(piece); });
  const int lineHeight = painter_->fontMetrics().height();
  painter_->save();
  painter_->setClipRect(qtRect(box), clip_ ? Qt::IntersectClip : Qt::ReplaceClip);
  int y = box.top;
  for (const std::string& line : lines) {
    const QString qline = QString::fromStdString(line);
    const int width = painter_->fontMetrics().horizontalAdvance(qline);
    const int x = format.align == TextAnchor::kLeft    ? box.left
                  : format.align == TextAnchor::kRight ? box.right - width
                                                       : box.left + (box.width() - width) / 2;
    drawTextLine(x, y, qline);
    y += lineHeight;
  }
  painter_->restore();
  return static_cast<int>(lines.size()) * lineHeight;
}

void PainterCanvas::applyPen() {
  if (pen_.style == PenStyle::kClear) {
    painter_->setPen(Qt::NoPen);
    return;
  }
  QPen pen(qtColor(pen_.color));
  pen.setWidth(pen_.width <= 1 ? 0 : pen_.width);
  if (pen_.style == PenStyle::kDash) pen.setStyle(Qt::DashLine);
  if (pen_.style == PenStyle::kDot) pen.setDashPattern({1, 1});
  painter_->setPen(pen);
}

void PainterCanvas::line(Point from, Point to) {
  if (from == to || pen_.style == PenStyle::kClear) return;
  // Stop one step short of `to` along the longer axis, so the end is excluded.
  const int dx = to.x - from.x;
  const int dy = to.y - from.y;
  const int steps = std::max(std::abs(dx), std::abs(dy));
  const QPoint last(from.x + dx * (steps - 1) / steps, from.y + dy * (steps - 1) / steps);
  applyPen();
  painter_->drawLine(QPoint(from.x, from.y), last);
}

void PainterCanvas::rectangle(const Rect& rect) {
  if (rect.empty()) return;
  fillRect(rect);
  if (pen_.style == PenStyle::kClear) return;
  applyPen();
  painter_->setBrush(Qt::NoBrush);
  painter_->drawRect(QRect(rect.left, rect.top, rect.width() - 1, rect.height() - 1));
}

void PainterCanvas::fillRect(const Rect& rect) {
  if (rect.empty() || brush_.style == BrushStyle::kClear) return;
  painter_->fillRect(qtRect(rect), qtColor(brush_.color));
}

void PainterCanvas::focusRect(const Rect& rect) {
  if (rect.empty()) return;
  painter_->save();
  if (isRasterDevice(*painter_))
    painter_->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
  QPen dotted(Qt::white);
  dotted.setWidth(0);
  dotted.setDashPattern({1, 1});
  painter_->setPen(dotted);
  painter_->setBrush(Qt::NoBrush);
  painter_->drawRect(QRect(rect.left, rect.top, rect.width() - 1, rect.height() - 1));
  painter_->restore();
}

void PainterCanvas::copyBitmap(const Rect& dest, const Bitmap& bitmap, RasterOp op) {
  if (dest.empty() || bitmap.empty()) return;
  painter_->save();
  if (op != RasterOp::kSrcCopy && isRasterDevice(*painter_))
    painter_->setCompositionMode(compositionFor(op));
  painter_->drawImage(qtRect(dest), toQImage(bitmap));
  painter_->restore();
}

std::unique_ptr<Canvas> PainterCanvas::onImage(int width, int height, int pixelsPerInch) {
  return std::unique_ptr<Canvas>(new PainterCanvas(width, height, pixelsPerInch));
}

std::unique_ptr<Canvas> PainterCanvas::createOffscreen(int width, int height) {
  return std::unique_ptr<Canvas>(new PainterCanvas(width, height, pixelsPerInch_));
}

Bitmap PainterCanvas::image() const {
  if (!ownImage_) return {};
  return fromQImage(*ownImage_);
}

}  // namespace toolkit
