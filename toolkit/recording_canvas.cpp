#include "recording_canvas.h"

#include "toolkit/text_wrap.h"

namespace toolkit {

namespace {
int codePoints(std::string_view text) {
  int count = 0;
  for (char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
  return count;
}
}  // namespace

RecordingCanvas::RecordingCanvas(int pixelsPerInch)
    : RecordingCanvas(std::make_shared<std::vector<CanvasCall>>(), std::make_shared<int>(0), 0,
                      pixelsPerInch, 0, 0) {}

RecordingCanvas::RecordingCanvas(std::shared_ptr<std::vector<CanvasCall>> log,
                                 std::shared_ptr<int> surfaceCount, int surface, int pixelsPerInch,
                                 int width, int height)
    : log_(std::move(log)),
      surfaceCount_(std::move(surfaceCount)),
      surface_(surface),
      pixelsPerInch_(pixelsPerInch),
      width_(width),
      height_(height) {}

std::vector<CanvasCall> RecordingCanvas::callsOf(CanvasCall::Kind kind) const {
  std::vector<CanvasCall> matching;
  for (const CanvasCall& call : *log_)
    if (call.kind == kind) matching.push_back(call);
  return matching;
}

CanvasCall& RecordingCanvas::record(CanvasCall::Kind kind) {
  CanvasCall call{kind};
  call.surface = surface_;
  call.font = font_;
  call.pen = pen_;
  call.brush = brush_;
  log_->push_back(std::move(call));
  return log_->back();
}

void RecordingCanvas::setClip(const std::optional<Rect>& clip) {
  record(CanvasCall::Kind::kSetClip).rect = clip.value_or(Rect{});
}

int RecordingCanvas::textWidth(std::string_view text) {
  return codePoints(text) * ((characterPixels(font_, pixelsPerInch_) + 1) / 2);
}

int RecordingCanvas::textHeight(std::string_view) {
  const int s = characterPixels(font_, pixelsPerInch_);
  return s + s / 4;
}

void RecordingCanvas::textOut(int x, int y, std::string_view text, TextAnchor anchor) {
  CanvasCall& call = record(CanvasCall::Kind::kTextOut);
  call.from = {x, y};
  call.text = text;
  call.anchor = anchor;
}

void RecordingCanvas::textRect(const Rect& box, int x, int y, std::string_view text,
                               TextAnchor anchor) {
  CanvasCall& call = record(CanvasCall::Kind::kTextRect);
  call.rect = box;
  call.from = {x, y};
  call.text = text;
  call.anchor = anchor;
}

int RecordingCanvas::drawText(const Rect& box, std::string_view text, const TextFormat& format) {
  std::vector<std::string> lines =
      wrapText(text, box.width(), format.wordBreak, format.expandTabs,
               [this](std::string_view piece) { return textWidth(piece); });
  const int height = static_cast<int>(lines.size()) * textHeight("");
  CanvasCall& call = record(CanvasCall::Kind::kDrawText);
  call.rect = box;
  call.text = text;
  call.anchor = format.align;
  call.lines = std::move(lines);
  return height;
}

void RecordingCanvas::line(Point from, Point to) {
  CanvasCall& call = record(CanvasCall::Kind::kLine);
  call.from = from;
  call.to = to;
}

void RecordingCanvas::rectangle(const Rect& rect) {
  record(CanvasCall::Kind::kRectangle).rect = rect;
}

void RecordingCanvas::fillRect(const Rect& rect) {
  record(CanvasCall::Kind::kFillRect).rect = rect;
}

void RecordingCanvas::focusRect(const Rect& rect) {
  record(CanvasCall::Kind::kFocusRect).rect = rect;
}

void RecordingCanvas::copyBitmap(const Rect& dest, const Bitmap& bitmap, RasterOp op) {
  CanvasCall& call = record(CanvasCall::Kind::kCopyBitmap);
  call.rect = dest;
  call.bitmap = bitmap;
  call.op = op;
}

std::unique_ptr<Canvas> RecordingCanvas::createOffscreen(int width, int height) {
  const int surface = ++*surfaceCount_;
  return std::unique_ptr<Canvas>(
      new RecordingCanvas(log_, surfaceCount_, surface, pixelsPerInch_, width, height));
}

Bitmap RecordingCanvas::image() const {
  if (surface_ == 0) return {};
  return Bitmap(width_, height_, 0xffffffffu);
}

}  // namespace toolkit
