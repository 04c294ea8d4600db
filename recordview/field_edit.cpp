#include "recordview/field_edit.h"

#include <QKeyEvent>
#include <QKeySequence>

#include "data/data_set.h"
#include "data/field.h"
#include "recordview/table_text.h"
#include "toolkit/ui_services.h"

namespace recordview {

bool ChangesText(const QKeyEvent& event) {
  if (event.matches(QKeySequence::Paste) || event.matches(QKeySequence::Cut) ||
      event.matches(QKeySequence::Delete) || event.key() == Qt::Key_Backspace) {
    return true;
  }
  if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
  const QString text = event.text();
  return !text.isEmpty() && text.at(0).isPrint();
}

FieldEdit::FieldEdit(QWidget* parent) : QLineEdit(parent) {
  link_.OnDataChange = [this] { ShowValue(); };
  link_.OnUpdateData = [this] { FinishEdit(); };
}

void FieldEdit::ShowValue() {
  data::TField* field = link_.Field();
  if (!field) {
    setText(QString());
    setReadOnly(true);
    return;
  }
  setReadOnly(!link_.CanModify());
  setAlignment(field->Alignment() == data::TAlignment::taRightJustify ? Qt::AlignRight
               : field->Alignment() == data::TAlignment::taCenter     ? Qt::AlignHCenter
                                                                      : Qt::AlignLeft);
  const bool editing = hasFocus() && link_.CanModify();
  setText(ShownText(editing ? field->Text() : field->DisplayText()));
}

// The row goes into edit state before the key is typed: when it cannot
// (another program holds the row), the key is lost and the text stays.
void FieldEdit::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) {
    if (!isModified()) {
      event->ignore();
      return;
    }
    ShowValue();
    selectAll();
    return;
  }
  if (ChangesText(*event) && link_.Field()) {
    if (!link_.CanModify() || !link_.Edit()) {
      toolkit::ui().beep();
      return;
    }
  }
  QLineEdit::keyPressEvent(event);
}

void FieldEdit::FinishEdit() {
  data::TField* field = link_.Field();
  if (!field || !isModified()) return;
  link_.Edit();
  field->SetAsString(TableText(text()));
  setModified(false);
}

void FieldEdit::focusInEvent(QFocusEvent* event) {
  if (!isModified()) ShowValue();
  QLineEdit::focusInEvent(event);
}

void FieldEdit::focusOutEvent(QFocusEvent* event) {
  QLineEdit::focusOutEvent(event);
  FinishEdit();
  if (!isModified()) ShowValue();
}

}  // namespace recordview
