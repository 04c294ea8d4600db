// Draws a printed report's pages on a canvas: the page furniture (title,
// date, page number, frame, column lines), the column-title line and the
// record lines, each at the place the page geometry gives it. Holds the
// run's layout; knows nothing of pages being in range or of the walk.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "report/report_geometry.h"
#include "report/table_text.h"
#include "report/xvdbprn.h"
#include "toolkit/canvas.h"

namespace data {
class TField;
}

namespace report {

class PagePainter {
 public:
  // The columns are the table's visible fields in order. Measures the row
  // height and character width in the record font, and the column edges.
  PagePainter(const TxvDBPrint& settings, toolkit::Canvas& canvas, const TableText& text,
              std::vector<data::TField*> columns, int pageWidth, int pageHeight,
              std::int64_t recordCount);

  int rowHeight() const { return page_.rowHeight; }
  int characterWidth() const { return characterWidth_; }
  int reportWidth() const { return edges_.back(); }
  int printableWidth() const;
  const std::vector<int>& columnEdges() const { return edges_; }
  const PageSettings& pageSettings() const { return page_; }

  // Measures the title height and places the page's bands (drawing nothing).
  PageBands layOutPage();
  // Title, date, page number, frame and column lines, then the column titles.
  void drawPageStart(int pageNumber, const PageBands& bands);
  // The current record of the table in record line n of the page.
  void drawRecord(const PageBands& bands, int n);

 private:
  // The line height of the height of sample in font.
  int lineHeightIn(const toolkit::FontSpec& font, std::string_view sample);
  int textHeightIn(const toolkit::FontSpec& font, std::string_view sample);
  void drawAtPosition(TPageNumberPos position, const std::string& text);
  Anchor columnAnchor(int column, Horizontal alignment) const;
  toolkit::Rect innerBox(int column, int top, int bottom) const;

  const TxvDBPrint& settings_;
  toolkit::Canvas& canvas_;
  const TableText& text_;
  std::vector<data::TField*> columns_;
  std::vector<int> edges_;
  int characterWidth_ = 0;
  PageSettings page_;
  std::int64_t recordCount_;
};

}  // namespace report
