#include "report_geometry.h"

#include <algorithm>

namespace report {

namespace {

// Floor division, so that halves of negative spans round the same way.
int floorDiv(int a, int b) {
  const int quotient = a / b;
  return (a % b != 0 && (a < 0) != (b < 0)) ? quotient - 1 : quotient;
}

// The middle of a..b, rounded half to even.
int middleHalfToEven(int a, int b) {
  const long long sum = static_cast<long long>(a) + b;
  const int lower = floorDiv(static_cast<int>(sum - (sum & 1)), 2);
  if ((sum & 1) == 0) return lower;
  return (lower % 2 == 0) ? lower : lower + 1;
}

}  // namespace

int lineHeight(int textHeight, int gapPct) {
  const int pct = std::clamp(gapPct, 0, 100);
  if (pct == 0) return textHeight;
  const long long product = static_cast<long long>(textHeight) * pct;
  const long long extra = product >= 0 ? (product + 50) / 100 : (product - 50) / 100;
  return textHeight + static_cast<int>(extra);
}

int textTopInLine(int lineTop, int textHeight, int gapPct) {
  return lineTop + (lineHeight(textHeight, gapPct) - textHeight) / 2;
}

Anchor anchorIn(int a, int b, Horizontal alignment, int gap) {
  switch (alignment) {
    case Horizontal::kLeft:
      return {a + gap, toolkit::TextAnchor::kLeft};
    case Horizontal::kRight:
      return {b - gap, toolkit::TextAnchor::kRight};
    case Horizontal::kCenter:
      return {middleHalfToEven(a, b), toolkit::TextAnchor::kCenter};
  }
  return {a + gap, toolkit::TextAnchor::kLeft};
}

std::vector<int> columnEdges(const std::vector<ColumnContent>& columns, int characterWidth, int gap,
                             bool border) {
  std::vector<int> edges;
  edges.reserve(columns.size() + 1);
  edges.push_back(border ? 1 : 0);
  for (const ColumnContent& column : columns) {
    const int content = std::max(column.labelWidth, column.displayWidth * characterWidth);
    edges.push_back(edges.back() + content + gap);
  }
  return edges;
}

PageBands pageBands(const PageSettings& s, std::int64_t recordCount) {
  PageBands bands;
  bands.titleLineTop = s.topMargin + (s.topBand ? s.topBandHeight : 0);
  bands.firstRowTop = bands.titleLineTop + s.titleHeight;
  // The gap percentage enters as dots here, halved toward zero.
  const long long wanted = static_cast<long long>(bands.firstRowTop) +
                           recordCount * static_cast<long long>(s.rowHeight) + s.verticalGapPct / 2;
  const long long limit = static_cast<long long>(s.pageHeight) - s.bottomMargin - s.topMargin;
  bands.frameBottom = static_cast<int>(std::min(wanted, limit));
  return bands;
}

int recordLineTop(const PageBands& bands, int rowHeight, int n) {
  return bands.firstRowTop + n * rowHeight;
}

int recordsBottomLimit(const PageSettings& s) {
  return s.pageHeight - s.bottomMargin - std::max({0, s.topMargin, s.bottomBandHeight});
}

bool pageFull(const PageSettings& s, const PageBands& bands, int rowsOnPage) {
  const long long nextBottom =
      bands.firstRowTop + (static_cast<long long>(rowsOnPage) + 1) * s.rowHeight;
  return nextBottom >= recordsBottomLimit(s);
}

int recordsPerPage(const PageSettings& s, const PageBands& bands) {
  const int room = recordsBottomLimit(s) - bands.firstRowTop;
  if (s.rowHeight <= 0 || room <= s.rowHeight) return 1;
  // The smallest n with firstRowTop + (n + 1) * rowHeight >= pageHeight - bottomMargin.
  const int n = (room + s.rowHeight - 1) / s.rowHeight - 1;
  return std::max(1, n);
}

}  // namespace report
