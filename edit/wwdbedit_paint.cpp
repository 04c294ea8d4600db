// Painting of the edit box while it shows a right- or centre-aligned value
// without the focus, and as a copy (into a grid's cell).
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFrame>

#include "data/field.h"
#include "edit/table_text.h"
#include "edit/wwdbedit.h"
#include "toolkit/painter_canvas.h"

namespace edit {

namespace {
// Pixels between the frame and the text, as the platform's edit box keeps them.
constexpr int kTextGap = 2;
}  // namespace

void TwwDBCustomEdit::PaintValue(toolkit::Canvas& canvas, const toolkit::Rect& rect, bool asCopy) {
  toolkit::Rect inner = rect;
  canvas.setBrush({Color});
  if (hasFrame()) {
    canvas.setPen({toolkit::clWindowFrame});
    canvas.rectangle(rect);
    inner = {rect.left + 1, rect.top + 1, rect.right - 1, rect.bottom - 1};
  } else {
    canvas.fillRect(rect);
  }

  QString shown = text();
  if (asCopy) {
    data::TField* field = Field();
    shown = field ? TableTextToScreen(TextDataSet(), field->DisplayText()) : QString();
  }
  if (!PasswordChar.isNull()) shown = QString(shown.size(), PasswordChar);
  const std::string utf8 = shown.toStdString();

  canvas.setFont(Font);
  const int y = inner.top + (inner.height() - canvas.textHeight(utf8)) / 2;
  switch (alignment_) {
    case data::TAlignment::taRightJustify:
      canvas.textOut(inner.right - kTextGap, y, utf8, toolkit::TextAnchor::kRight);
      break;
    case data::TAlignment::taCenter:
      canvas.textOut((inner.left + inner.right) / 2, y, utf8, toolkit::TextAnchor::kCenter);
      break;
    default:
      canvas.textOut(inner.left + kTextGap, y, utf8, toolkit::TextAnchor::kLeft);
      break;
  }
}

void TwwDBCustomEdit::paintEvent(QPaintEvent* event) {
  // The multi-line box covers this one and paints its text itself.
  const bool ownPainting =
      !MultiLine() && !hasFocus() &&
      (alignment_ != data::TAlignment::taLeftJustify || !PasswordChar.isNull());
  if (!ownPainting) {
    QLineEdit::paintEvent(event);
    return;
  }
  QPainter painter(this);
  toolkit::PainterCanvas canvas(painter);
  PaintValue(canvas, {0, 0, width(), height()}, false);
}

}  // namespace edit
