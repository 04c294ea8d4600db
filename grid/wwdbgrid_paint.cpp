// How each cell is painted: titles, the indicator column, data cells with
// their highlight and focus mark, and the one-pixel edges around cells.
#include <algorithm>

#include "data/data_set.h"
#include "grid/cell_text.h"
#include "grid/checkbox_cell.h"
#include "grid/indicator_glyphs.h"
#include "grid/wwdbgrid.h"
#include "toolkit/text_wrap.h"

namespace grid {

using toolkit::Brush;
using toolkit::Canvas;
using toolkit::Color;
using toolkit::GridDrawState;
using toolkit::Pen;
using toolkit::Rect;

namespace {

constexpr int kTextLeft = 3;
constexpr int kTextTop = 2;
const char kMemoPlaceholder[] = "(Memo)";

bool PureWhite(Color color) {
  return color.toRgb() == toolkit::clWhite;
}

int TextLeft(const Rect& r, int width, data::TAlignment alignment, int offset) {
  switch (alignment) {
    case data::TAlignment::taRightJustify:
      return r.right - width - offset;
    case data::TAlignment::taCenter:
      return r.left + r.width() / 2 - width / 2;
    case data::TAlignment::taLeftJustify:
      break;
  }
  return r.left + offset;
}

void Line(Canvas& canvas, Color color, toolkit::Point from, toolkit::Point to) {
  canvas.setPen(Pen{color});
  canvas.line(from, to);
}

}  // namespace

bool TwwCustomDBGrid::HighlightCell(const GridDrawState& state) const {
  return state.selected && (options_.has(TwwDBGridOption::dgAlwaysShowSelection) || gridFocused());
}

std::string TwwCustomDBGrid::CellText(data::TField* field) {
  if (!field) return {};
  data::TDataSet* dataSet = link_.DataSet();
  if (field->IsBlob()) {
    if (dataSet->IsEmpty() && dataSet->State() != data::DataSetState::kInsert) return {};
    if (!MemoAttributes.count(TMemoAttribute::mGridShow)) return kMemoPlaceholder;
    try {
      return screenText(dataSet, field->AsString());
    } catch (const std::exception&) {
      return kMemoPlaceholder;
    }
  }
  return screenText(dataSet, field->DisplayText());
}

void TwwCustomDBGrid::drawCell(Canvas& canvas, int col, int row, const Rect& rect,
                               GridDrawState state) {
  paintRow_ = row;
  paintCol_ = col;
  canvas.setFont(state.fixed ? titleFont_ : font_);
  canvas.setBrush(Brush{state.fixed ? titleColor_ : color_});
  const int column = col - IndicatorOffset();
  const int bufferRow = row - TitleOffset();
  bool highlighted = false;
  bool focusDrawn = false;
  if (bufferRow < 0) {
    DrawTitleCell(canvas, column, rect, state);
  } else if (!link_.Active()) {
    canvas.fillRect(rect);
  } else if (column < 0) {
    canvas.fillRect(rect);
    if (bufferRow == link_.ActiveRecord()) {
      DrawIndicator(canvas, rect);
      indicatorRow_ = row;
    }
  } else {
    highlighted = DrawDataCell(canvas, column, bufferRow, rect, state);
    if (DefaultDrawing && highlighted && !options_.has(TwwDBGridOption::dgRowSelect) &&
        gridFocused()) {
      canvas.focusRect(rect);
      focusDrawn = true;
    }
  }
  if (DefaultDrawing) DrawEdges(canvas, col, row, rect, state, highlighted, focusDrawn);
}

void TwwCustomDBGrid::DrawTitleCell(Canvas& canvas, int column, const Rect& rect, GridDrawState) {
  data::TField* field = link_.Active() ? link_.Field(column) : nullptr;
  if (!field) {
    canvas.fillRect(rect);
    return;
  }
  toolkit::FontSpec font = titleFont_;
  Brush brush{titleColor_};
  data::TAlignment alignment = titleAlignment_;
  if (OnCalcTitleAttributes)
    OnCalcTitleAttributes(*this, field->FieldName(), font, brush, alignment);
  canvas.setFont(font);
  canvas.setBrush(brush);

  const bool pressed = titleButtons_ && pressedTitleCol_ == column + IndicatorOffset();
  const int shift = pressed ? 1 : 0;
  const std::string label = screenText(link_.DataSet(), field->DisplayName());
  std::vector<std::string> lines;
  if (titleLines_ == 1) {
    lines.push_back(label);
  } else {
    size_t start = 0;
    for (;;) {
      const size_t end = label.find('~', start);
      lines.push_back(label.substr(start, end == std::string::npos ? end : end - start));
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  const int textHeight = canvas.textHeight(label);
  const int count = static_cast<int>(lines.size());
  const int y0 = rowHeight(0) / 2 - textHeight * count / 2;
  for (int k = 0; k < count; ++k) {
    const std::string& text = lines[static_cast<size_t>(k)];
    const int x = TextLeft(rect, canvas.textWidth(text), alignment, kTextLeft) + shift;
    const int y = rect.top + y0 + (k > 0 ? k * textHeight + 1 : 0) + shift;
    if (k == 1) canvas.setBrush(Brush{brush.color, toolkit::BrushStyle::kClear});
    canvas.textRect(rect, x, y, text);
  }
  if (!titleButtons_) return;
  const int l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
  if (pressedTitleCol_ < 0) {
    Line(canvas, toolkit::clBtnHighlight, {l, b - 1}, {l, t});
    Line(canvas, toolkit::clBtnHighlight, {l, t}, {r, t});
    Line(canvas, toolkit::clBtnShadow, {l, b - 1}, {r, b - 1});
    Line(canvas, toolkit::clGray, {r - 1, t}, {r - 1, b});
  } else if (pressed) {
    Line(canvas, toolkit::clBlack, {l, b}, {l, t});
    Line(canvas, toolkit::clBlack, {l, t}, {r, t});
    Line(canvas, toolkit::clGray, {l + 1, b}, {l + 1, t + 1});
    Line(canvas, toolkit::clGray, {l, b - 1}, {r, b - 1});
    Line(canvas, toolkit::clBtnHighlight, {r, t}, {r, b});
  }
}

void TwwCustomDBGrid::DrawIndicator(Canvas& canvas, const Rect& rect) {
  IndicatorGlyph kind = IndicatorGlyph::kArrow;
  if (data::TDataSet* dataSet = link_.DataSet()) {
    if (dataSet->State() == data::DataSetState::kEdit) kind = IndicatorGlyph::kEdit;
    if (dataSet->State() == data::DataSetState::kInsert) kind = IndicatorGlyph::kInsert;
  }
  const toolkit::Bitmap& glyph = IndicatorBitmap(kind);
  const int x = (rect.right - glyph.width) / 2 + 1;
  const int y = (rect.top + rect.bottom - glyph.height) / 2;
  const Rect dest{x, y, x + glyph.width, y + glyph.height};
  if (indicatorColor_ == TIndicatorColor::icBlack)
    canvas.copyBitmap(dest, glyph, toolkit::RasterOp::kSrcAnd);
  else
    canvas.copyBitmap(dest, YellowIndicator(glyph, canvas.brush().color));
}

bool TwwCustomDBGrid::DrawDataCell(Canvas& canvas, int column, int bufferRow, const Rect& rect,
                                   GridDrawState state) {
  data::TField* field = link_.Field(column);
  const int saved = link_.ActiveRecord();
  link_.SetActiveRecord(bufferRow);
  bool highlight = false;
  try {
    const std::string text = field ? CellText(field) : std::string();
    toolkit::FontSpec font = font_;
    Brush brush{color_};
    // Under multi-select the marks are the selection, not the current cell.
    highlight =
        options_.has(TwwDBGridOption::dgMultiSelect) ? RecordMarked() : HighlightCell(state);
    if (highlight) {
      brush.color = toolkit::clHighlight;
      font.color = toolkit::clHighlightText;
    }
    if (OnCalcCellColors) OnCalcCellColors(*this, field, state, highlight, font, brush);
    whiteBackground_ = PureWhite(brush.color);
    canvas.setFont(font);
    canvas.setBrush(brush);
    const std::optional<CheckBoxValues> checkBox =
        field ? CheckBoxFor(link_.DataSet(), *field) : std::nullopt;
    if (DefaultDrawing && checkBox) {
      DrawCheckBox(canvas, rect, IsChecked(*checkBox, field->AsString()),
                   intl::GlobalIntl().CheckBoxInGridStyle());
    } else if (DefaultDrawing) {
      const data::TAlignment alignment =
          field ? field->Alignment() : data::TAlignment::taLeftJustify;
      if (options_.has(TwwDBGridOption::dgWordWrap))
        DrawWrappedText(canvas, rect, text, alignment);
      else
        DrawCellText(canvas, rect, text, alignment, kTextTop);
    }
    if (OnDrawDataCell) OnDrawDataCell(*this, canvas, rect, field, state);
  } catch (...) {
    link_.SetActiveRecord(saved);
    throw;
  }
  link_.SetActiveRecord(saved);
  return highlight;
}

void TwwCustomDBGrid::DrawCellText(Canvas& canvas, const Rect& rect, const std::string& text,
                                   data::TAlignment alignment, int topOffset) {
  const int x = TextLeft(rect, canvas.textWidth(text), alignment, kTextLeft);
  canvas.textRect(rect, x, rect.top + topOffset, text);
}

void TwwCustomDBGrid::DrawWrappedText(Canvas& canvas, const Rect& rect, const std::string& text,
                                      data::TAlignment alignment) {
  // Most cells hold one short line: no need to break them.
  const bool oneLine = text.find_first_of("\r\n\t") == std::string::npos &&
                       canvas.textWidth(text) <= rect.width() - kTextLeft;
  if (oneLine) {
    DrawCellText(canvas, rect, text, alignment, kTextTop);
    return;
  }
  const std::vector<std::string> lines =
      toolkit::wrapText(text, rect.width() - kTextLeft, true, false,
                        [&canvas](std::string_view piece) { return canvas.textWidth(piece); });
  const int lineHeight = canvas.textHeight(lines.empty() ? text : lines.front());
  const Brush brush = canvas.brush();
  for (size_t k = 0; k < std::max<size_t>(1, lines.size()); ++k) {
    const int top = rect.top + kTextTop + static_cast<int>(k) * lineHeight;
    if (k > 0 && top >= rect.bottom) break;
    if (k == 1) canvas.setBrush(Brush{brush.color, toolkit::BrushStyle::kClear});
    const std::string line = lines.empty() ? std::string() : lines[k];
    canvas.textRect(rect, TextLeft(rect, canvas.textWidth(line), alignment, kTextLeft), top, line);
  }
  canvas.setBrush(brush);
}

void TwwCustomDBGrid::DrawEdges(Canvas& canvas, int col, int row, const Rect& rect,
                                GridDrawState state, bool highlighted, bool focusDrawn) {
  const bool title = row < TitleOffset();
  const bool indicator = col < IndicatorOffset();
  const bool colorWhite = PureWhite(color_);
  // Fixed cells have no colour hook: their background is white only when the
  // grid's colour is.
  const bool white = state.fixed ? colorWhite : whiteBackground_;
  if (colorWhite && !state.fixed) {
    if (white) return;
    if (highlighted && canvas.brush().color == toolkit::clHighlight) return;
  }
  if (!Ctl3D && !title && !indicator) return;
  const toolkit::Color shadow = state.fixed ? toolkit::clBlack : toolkit::clBtnShadow;
  const int l = rect.left, t = rect.top, r = rect.right, b = rect.bottom;
  const bool rowLines = options_.has(TwwDBGridOption::dgRowLines);
  if (options_.has(TwwDBGridOption::dgColLines)) {
    if (!rowLines) {
      Line(canvas, toolkit::clBtnHighlight, {l, b}, {l, t - 1});
      if (!indicator) Line(canvas, toolkit::clBtnShadow, {r, b}, {r, t - 1});
    } else {
      if (!focusDrawn || white) Line(canvas, toolkit::clBtnHighlight, {l, b}, {l, t});
      if (!white) Line(canvas, shadow, {r, b}, {r, t});
    }
  }
  if (colorWhite && !rowLines && title) Line(canvas, toolkit::clBlack, {l, b - 1}, {r, b - 1});
  if (rowLines) {
    if (white || !focusDrawn) Line(canvas, toolkit::clBtnHighlight, {l, t}, {r, t});
    if (!white) Line(canvas, shadow, {l, b}, {r, b});
  } else {
    if (title) Line(canvas, toolkit::clBtnHighlight, {l, t}, {r, t});
    if (indicatorButton_ && indicator && row == TitleOffset()) {
      Line(canvas, toolkit::clBtnHighlight, {l, t}, {r, t});
      Line(canvas, toolkit::clBtnShadow, {l, t - 1}, {r, t - 1});
    }
  }
}

}  // namespace grid
