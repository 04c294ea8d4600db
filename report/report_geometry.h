// The arithmetic of a report page, apart from any drawing: line heights from
// text heights and the vertical gap, where aligned text is anchored in a
// span, the column edges, and where the bands of a page begin and end. All
// values are printer dots; nothing here scales by resolution.
#pragma once

#include <cstdint>
#include <vector>

#include "toolkit/canvas.h"

namespace report {

// A line of text is the text's height plus gapPct percent of it, the
// percentage held to 0..100 and the extra rounded half away from zero.
int lineHeight(int textHeight, int gapPct);
// The top of a text of textHeight in a line starting at lineTop: centred,
// the odd dot going below.
int textTopInLine(int lineTop, int textHeight, int gapPct);

enum class Horizontal { kLeft, kRight, kCenter };

struct Anchor {
  int x = 0;
  toolkit::TextAnchor align = toolkit::TextAnchor::kLeft;
  friend bool operator==(Anchor, Anchor) = default;
};
// Where text aligned as asked stands in the span from a to b: gap dots in
// from the edge it is aligned to, or on the span's middle rounded half to
// even.
Anchor anchorIn(int a, int b, Horizontal alignment, int gap);

// The x offsets (from the left margin) of the column edges: edges[0] is the
// left edge of the first column, edges[k] the right edge of column k.
// A column is as wide as the larger of its label (in the title font) and its
// display width in characters, plus one gap. The first column starts one dot
// in when there is a frame, so that the frame's left line stays clear of it.
struct ColumnContent {
  int labelWidth = 0;
  int displayWidth = 0;  // characters
};
std::vector<int> columnEdges(const std::vector<ColumnContent>& columns, int characterWidth, int gap,
                             bool border);

// What the bands of a page depend on.
struct PageSettings {
  int pageWidth = 0;
  int pageHeight = 0;
  int leftMargin = 0;
  int topMargin = 0;
  int rightMargin = 0;
  int bottomMargin = 0;
  int verticalGapPct = 0;
  bool topBand = false;  // a title, date or page number stands above the columns
  int topBandHeight = 0;
  int titleHeight = 0;  // the column-title line
  int rowHeight = 0;
  // The height of a date or page number resting on the bottom margin; 0
  // when neither stands there.
  int bottomBandHeight = 0;
};

struct PageBands {
  int titleLineTop = 0;  // the column-title line runs from here...
  int firstRowTop = 0;   // ...to here, where the first record line begins
  int frameBottom = 0;
};
// recordCount is the whole table's: the frame closes below the last record of
// a table that fits one page, and stops topMargin dots above the bottom
// margin on every page of a longer one.
PageBands pageBands(const PageSettings& settings, std::int64_t recordCount);

// The top of record line n (from 0) of a page.
int recordLineTop(const PageBands& bands, int rowHeight, int n);
// Whether a page holding rowsOnPage records is full: the next record line
// would reach the frame's lowest bottom (a top margin above the bottom
// margin) or a date or page number standing on the bottom margin. So no
// record is drawn below the frame or over the page's foot.
int recordsBottomLimit(const PageSettings& settings);
bool pageFull(const PageSettings& settings, const PageBands& bands, int rowsOnPage);
// How many records a page holds (at least one).
int recordsPerPage(const PageSettings& settings, const PageBands& bands);

}  // namespace report
