#include "recordview/record_view_controls.h"

#include <QPainter>

#include "data/field.h"
#include "recordview/table_text.h"
#include "toolkit/ui_services.h"

namespace recordview {

bool TwwLabel::ShowsFocusMark() const {
  return buddy() && buddy()->hasFocus();
}

void TwwLabel::paintEvent(QPaintEvent* event) {
  QLabel::paintEvent(event);
  if (!ShowsFocusMark()) return;
  QPainter painter(this);
  painter.setPen(QPen(QColor(128, 128, 128), 1, Qt::DotLine));
  painter.setBrush(Qt::NoBrush);
  // Just inside the client rectangle: the right and bottom edges are the
  // last pixels.
  painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

TwwDBCheckBox::TwwDBCheckBox(QWidget* parent) : QCheckBox(parent) {
  link_.OnDataChange = [this] { ShowValue(); };
}

void TwwDBCheckBox::SetValues(const std::string& checked, const std::string& unchecked) {
  ValueChecked = checked;
  ValueUnchecked = unchecked;
  ShowValue();
}

void TwwDBCheckBox::ShowValue() {
  data::TField* field = link_.Field();
  const bool on = field && ShownText(*field->DataSet(), field->AsString())
                                   .compare(ShownText(*field->DataSet(), ValueChecked),
                                            Qt::CaseInsensitive) == 0;
  setChecked(on);
  setEnabled(field != nullptr);
}

// A click writes the other value into the field, with the row put into
// edit state first; a row that cannot be edited keeps the box as it was.
void TwwDBCheckBox::nextCheckState() {
  data::TField* field = link_.Field();
  if (!field) return;
  if (!link_.CanModify() || !link_.Edit()) {
    toolkit::ui().beep();
    return;
  }
  field->SetAsString(isChecked() ? ValueUnchecked : ValueChecked);
}

void TwwDBCheckBox::focusInEvent(QFocusEvent* event) {
  QCheckBox::focusInEvent(event);
  if (label_) label_->update();
}

void TwwDBCheckBox::focusOutEvent(QFocusEvent* event) {
  QCheckBox::focusOutEvent(event);
  if (label_) label_->update();
}

}  // namespace recordview
