// A Canvas for tests: draws nothing, records every drawing call with the
// font, pen and brush in force, and measures text with fixed metrics so that
// tests can assert exact geometry.
//
// Metrics: for a font of s character pixels (characterPixels at this
// canvas's resolution) every character (UTF-8 code point) is (s + 1) / 2
// wide and a line is s + s / 4 high; "MS Sans Serif" 8 points at 96 dots per
// inch thus measures 6 by 13.
//
// Off-screen surfaces made by createOffscreen record into the same log,
// their calls marked with the surface's number (1 for the first made; the
// canvas itself is 0). Their image() is a white bitmap of their size.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "toolkit/canvas.h"

namespace toolkit {

struct CanvasCall {
  enum class Kind {
    kTextOut,
    kTextRect,
    kDrawText,
    kLine,
    kRectangle,
    kFillRect,
    kFocusRect,
    kCopyBitmap,
    kSetClip
  };
  Kind kind;
  int surface = 0;
  Rect rect;   // box, rectangle, destination or clip (empty: clip removed)
  Point from;  // line start; text anchor point
  Point to;    // line end (excluded)
  std::string text;
  TextAnchor anchor = TextAnchor::kLeft;
  std::vector<std::string> lines;  // drawText's lines
  RasterOp op = RasterOp::kSrcCopy;
  Bitmap bitmap;
  FontSpec font;
  Pen pen;
  Brush brush;
};

class RecordingCanvas : public Canvas {
 public:
  explicit RecordingCanvas(int pixelsPerInch = 96);

  const std::vector<CanvasCall>& calls() const { return *log_; }
  // The calls of one kind, in order.
  std::vector<CanvasCall> callsOf(CanvasCall::Kind kind) const;
  void clear() { log_->clear(); }

  void setFont(const FontSpec& font) override { font_ = font; }
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
  RecordingCanvas(std::shared_ptr<std::vector<CanvasCall>> log, std::shared_ptr<int> surfaceCount,
                  int surface, int pixelsPerInch, int width, int height);
  CanvasCall& record(CanvasCall::Kind kind);

  std::shared_ptr<std::vector<CanvasCall>> log_;
  std::shared_ptr<int> surfaceCount_;
  int surface_ = 0;
  int pixelsPerInch_;
  int width_ = 0;
  int height_ = 0;
  FontSpec font_;
  Pen pen_;
  Brush brush_;
};

}  // namespace toolkit
