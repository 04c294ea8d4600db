// The drawing surface that cell painting and report layout draw on, so that
// their arithmetic can be checked exactly without a display: PainterCanvas
// (toolkit_qt) draws on a screen, a printer or an off-screen image;
// RecordingCanvas records every call with fixed font metrics for tests.
//
// Coordinates are device pixels (dots on a printer); rectangles exclude their
// right and bottom edges. Text is UTF-8; the y of a text is its top. A solid
// brush paints behind text drawn by textOut and fills the box of textRect; a
// clear brush leaves the background alone. Qt-free.
#pragma once

#include <memory>
#include <optional>
#include <string_view>

#include "toolkit/bitmap.h"
#include "toolkit/color.h"
#include "toolkit/font_spec.h"

namespace toolkit {

struct Point {
  int x = 0;
  int y = 0;
  friend bool operator==(Point, Point) = default;
};

struct Rect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool empty() const { return right <= left || bottom <= top; }
  friend bool operator==(const Rect&, const Rect&) = default;
};

enum class PenStyle { kSolid, kDash, kDot, kClear };
struct Pen {
  Color color = clBlack;
  int width = 1;
  PenStyle style = PenStyle::kSolid;
  friend bool operator==(const Pen&, const Pen&) = default;
};

enum class BrushStyle { kSolid, kClear };
struct Brush {
  Color color = clWhite;
  BrushStyle style = BrushStyle::kSolid;
  friend bool operator==(const Brush&, const Brush&) = default;
};

// Where the x of a text stands: its left end, its right end or its centre.
enum class TextAnchor { kLeft, kRight, kCenter };

// How a copied bitmap (source) combines with what is there (destination),
// bit by bit on each colour channel.
enum class RasterOp {
  kSrcCopy,      // source
  kSrcPaint,     // source OR destination
  kSrcAnd,       // source AND destination
  kSrcInvert,    // source XOR destination
  kSrcErase,     // source AND NOT destination
  kNotSrcCopy,   // NOT source
  kNotSrcErase,  // NOT (source OR destination)
  kMergePaint,   // NOT source OR destination
};

// drawText's options. Lines are broken at line ends (CR, LF, CR LF, LF CR)
// and, with wordBreak, between words where the next word would pass the
// box's width (a word wider than the box stays whole); leading blanks of a
// wrapped line are dropped. Tabs expand to the next multiple of eight
// characters with expandTabs, else they count as one blank. "&" is drawn as it
// is.
struct TextFormat {
  TextAnchor align = TextAnchor::kLeft;
  bool wordBreak = true;
  bool expandTabs = false;
};

class Canvas {
 public:
  virtual ~Canvas() = default;

  virtual void setFont(const FontSpec& font) = 0;
  virtual const FontSpec& font() const = 0;
  virtual void setPen(const Pen& pen) = 0;
  virtual const Pen& pen() const = 0;
  virtual void setBrush(const Brush& brush) = 0;
  virtual const Brush& brush() const = 0;
  // Limits all drawing to a box; nullopt removes the limit.
  virtual void setClip(const std::optional<Rect>& clip) = 0;

  virtual int textWidth(std::string_view text) = 0;
  // The height of a line of text in the current font (also for "").
  virtual int textHeight(std::string_view text) = 0;

  // Text at a point: top at y, x anchored as asked.
  virtual void textOut(int x, int y, std::string_view text,
                       TextAnchor anchor = TextAnchor::kLeft) = 0;
  // Text placed as textOut does but clipped to box, the whole box being
  // filled with the brush in the same operation.
  virtual void textRect(const Rect& box, int x, int y, std::string_view text,
                        TextAnchor anchor = TextAnchor::kLeft) = 0;
  // Text broken into lines inside box, each line aligned within it, clipped to
  // it, no background. Answers the height of the lines drawn.
  virtual int drawText(const Rect& box, std::string_view text, const TextFormat& format) = 0;

  // A line from `from` up to but excluding `to`, in the pen.
  virtual void line(Point from, Point to) = 0;
  // Outlined with the pen inside the rectangle, filled with the brush.
  virtual void rectangle(const Rect& rect) = 0;
  // Filled with the brush, no outline.
  virtual void fillRect(const Rect& rect) = 0;
  // The dotted focus mark round rect, drawn by inverting, so a second call
  // removes it.
  virtual void focusRect(const Rect& rect) = 0;
  // The bitmap stretched to dest, combined by op; alpha 0 pixels are skipped
  // by kSrcCopy.
  virtual void copyBitmap(const Rect& dest, const Bitmap& bitmap,
                          RasterOp op = RasterOp::kSrcCopy) = 0;

  // An off-screen surface of the same kind, white, sized w by h.
  virtual std::unique_ptr<Canvas> createOffscreen(int width, int height) = 0;
  // The pixels of an off-screen surface (an empty bitmap for others).
  virtual Bitmap image() const = 0;

  // Fonts are sized for this resolution (characterPixels).
  virtual int pixelsPerInch() const = 0;
};

}  // namespace toolkit
