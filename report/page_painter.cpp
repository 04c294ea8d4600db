#include "page_painter.h"

#include "data/field.h"

namespace report {

namespace {

Horizontal horizontalOf(TAlignment alignment) {
  switch (alignment) {
    case TAlignment::taLeftJustify:
      return Horizontal::kLeft;
    case TAlignment::taRightJustify:
      return Horizontal::kRight;
    case TAlignment::taCenter:
      return Horizontal::kCenter;
  }
  return Horizontal::kLeft;
}

Horizontal horizontalOf(TPageNumberPos position) {
  switch (position) {
    case TPageNumberPos::pnTopRight:
    case TPageNumberPos::pnBotRight:
      return Horizontal::kRight;
    case TPageNumberPos::pnTopCenter:
    case TPageNumberPos::pnBotCenter:
      return Horizontal::kCenter;
    default:
      return Horizontal::kLeft;
  }
}

bool isTop(TPageNumberPos position) {
  return position == TPageNumberPos::pnTopLeft || position == TPageNumberPos::pnTopCenter ||
         position == TPageNumberPos::pnTopRight;
}

// Selects a font for the length of a scope and gives the canvas back the one
// it had.
class FontScope {
 public:
  FontScope(toolkit::Canvas& canvas, const toolkit::FontSpec& font)
      : canvas_(canvas), saved_(canvas.font()) {
    canvas_.setFont(font);
  }
  ~FontScope() { canvas_.setFont(saved_); }
  FontScope(const FontScope&) = delete;
  FontScope& operator=(const FontScope&) = delete;

 private:
  toolkit::Canvas& canvas_;
  toolkit::FontSpec saved_;
};

}  // namespace

PagePainter::PagePainter(const TxvDBPrint& settings, toolkit::Canvas& canvas, const TableText& text,
                         std::vector<data::TField*> columns, int pageWidth, int pageHeight,
                         std::int64_t recordCount)
    : settings_(settings),
      canvas_(canvas),
      text_(text),
      columns_(std::move(columns)),
      recordCount_(recordCount) {
  const TxvDBPrint& s = settings_;
  page_.pageWidth = pageWidth;
  page_.pageHeight = pageHeight;
  page_.leftMargin = s.LeftMargin;
  page_.topMargin = s.TopMargin;
  page_.rightMargin = s.RightMargin;
  page_.bottomMargin = s.BottomMargin;
  page_.verticalGapPct = s.VerticalGapPct;
  {
    FontScope record(canvas_, s.RecordFont());
    page_.rowHeight = lineHeight(canvas_.textHeight("X"), s.VerticalGapPct);
    characterWidth_ = canvas_.textWidth("X");
  }
  std::vector<ColumnContent> contents;
  contents.reserve(columns_.size());
  {
    // Labels are measured in the title font, whatever they are drawn in.
    FontScope title(canvas_, s.TitleFont());
    for (data::TField* field : columns_)
      contents.push_back(
          {canvas_.textWidth(text_.toUtf8(field->DisplayName())), field->DisplayWidth()});
  }
  edges_ = report::columnEdges(contents, characterWidth_, s.HorizontalGap, s.Border);

  page_.topBand = !s.Header.empty() || isTop(s.DatePos) || isTop(s.PageNumberPos);
  auto isBottom = [](TPageNumberPos position) {
    return position != TPageNumberPos::pnNone && !isTop(position);
  };
  if (isBottom(s.DatePos) || isBottom(s.PageNumberPos))
    page_.bottomBandHeight = textHeightIn(s.HeaderFooterFont(), "X");
  if (page_.topBand) {
    page_.topBandHeight =
        lineHeightIn(s.Header.empty() ? s.HeaderFooterFont() : s.TitleFont(), "M");
  }
}

int PagePainter::printableWidth() const {
  return page_.pageWidth - page_.leftMargin - page_.rightMargin;
}

int PagePainter::textHeightIn(const toolkit::FontSpec& font, std::string_view sample) {
  FontScope scope(canvas_, font);
  return canvas_.textHeight(sample);
}

int PagePainter::lineHeightIn(const toolkit::FontSpec& font, std::string_view sample) {
  return lineHeight(textHeightIn(font, sample), settings_.VerticalGapPct);
}

PageBands PagePainter::layOutPage() {
  // The column-title line is as high as a line of the title font, although
  // the column titles are drawn in the field-name font.
  page_.titleHeight = lineHeightIn(settings_.TitleFont(), "M");
  return pageBands(page_, recordCount_);
}

void PagePainter::drawAtPosition(TPageNumberPos position, const std::string& text) {
  const Anchor anchor = anchorIn(page_.leftMargin, page_.pageWidth - page_.rightMargin,
                                 horizontalOf(position), settings_.HorizontalGap);
  const int top = isTop(position) ? page_.topMargin
                                  : page_.pageHeight - page_.bottomMargin - canvas_.textHeight("X");
  canvas_.textOut(anchor.x, top, text, anchor.align);
}

Anchor PagePainter::columnAnchor(int column, Horizontal alignment) const {
  return anchorIn(page_.leftMargin + edges_[column - 1], page_.leftMargin + edges_[column],
                  alignment, settings_.HorizontalGap);
}

toolkit::Rect PagePainter::innerBox(int column, int top, int bottom) const {
  return {page_.leftMargin + edges_[column - 1] + settings_.HorizontalGap, top,
          page_.leftMargin + edges_[column] - settings_.HorizontalGap, bottom};
}

void PagePainter::drawPageStart(int pageNumber, const PageBands& bands) {
  const TxvDBPrint& s = settings_;
  const int left = page_.leftMargin;
  const int right = left + reportWidth();
  {
    const bool furniture = !s.Header.empty() || s.DatePos != TPageNumberPos::pnNone ||
                           s.PageNumberPos != TPageNumberPos::pnNone;
    const toolkit::FontSpec saved = canvas_.font();
    if (furniture) canvas_.setFont(s.HeaderFooterFont());
    if (s.DatePos != TPageNumberPos::pnNone) drawAtPosition(s.DatePos, s.DateLabel);
    if (s.PageNumberPos != TPageNumberPos::pnNone)
      drawAtPosition(s.PageNumberPos, s.PageNumberLabel + std::to_string(pageNumber));
    if (!s.Header.empty()) {
      canvas_.setFont(s.TitleFont());
      // The title stands just above the top margin.
      const Anchor anchor = anchorIn(left, page_.pageWidth - page_.rightMargin,
                                     horizontalOf(s.HeaderAlignment), s.HorizontalGap);
      canvas_.textOut(anchor.x, page_.topMargin - canvas_.textHeight("X"), s.Header, anchor.align);
    }
    if (s.Border) canvas_.rectangle({left, bands.titleLineTop, right, bands.frameBottom});
    if (s.ColLines) {
      for (std::size_t k = 1; k + 1 < edges_.size(); ++k)
        canvas_.line({left + edges_[k], bands.firstRowTop}, {left + edges_[k], bands.frameBottom});
    }
    if (furniture) canvas_.setFont(saved);
  }

  FontScope fieldNames(canvas_, s.FieldNameFont());
  const int labelHeight = canvas_.textHeight("M");
  // The gap percentage is taken as dots here, as the column titles have
  // always been placed.
  const int top = bands.titleLineTop +
                  (lineHeight(labelHeight, s.VerticalGapPct) - labelHeight) / 2 +
                  s.VerticalGapPct / 2;
  const int bottom = bands.firstRowTop - s.VerticalGapPct;
  for (std::size_t k = 1; k <= columns_.size(); ++k) {
    const int column = static_cast<int>(k);
    const Anchor anchor = columnAnchor(column, Horizontal::kCenter);
    canvas_.textRect(innerBox(column, top, bottom), anchor.x, top,
                     text_.toUtf8(columns_[k - 1]->DisplayName()), anchor.align);
  }
  if (s.RowLines) canvas_.line({left, bands.firstRowTop}, {right, bands.firstRowTop});
}

void PagePainter::drawRecord(const PageBands& bands, int n) {
  const TxvDBPrint& s = settings_;
  FontScope record(canvas_, s.RecordFont());
  const int lineTop = recordLineTop(bands, page_.rowHeight, n);
  const int lineBottom = lineTop + page_.rowHeight;
  const int textTop = textTopInLine(lineTop, canvas_.textHeight("X"), s.VerticalGapPct);
  for (std::size_t k = 1; k <= columns_.size(); ++k) {
    const int column = static_cast<int>(k);
    const data::TField* field = columns_[k - 1];
    const Anchor anchor = columnAnchor(column, horizontalOf(field->Alignment()));
    canvas_.textRect(innerBox(column, textTop, lineBottom), anchor.x, textTop,
                     text_.toUtf8(field->DisplayText()), anchor.align);
  }
  if (s.RowLines)
    canvas_.line({page_.leftMargin, lineTop}, {page_.leftMargin + reportWidth(), lineTop});
}

}  // namespace report
