#include "recordview/field_memo.h"

#include <QKeyEvent>

#include "data/field.h"
#include "recordview/table_text.h"
#include "toolkit/ui_services.h"

namespace recordview {

namespace {

// Whether a key changes the text (and so needs the row in edit state).
bool ChangesText(const QKeyEvent& event) {
  if (event.matches(QKeySequence::Paste) || event.matches(QKeySequence::Cut) ||
      event.matches(QKeySequence::Delete) || event.key() == Qt::Key_Backspace) {
    return true;
  }
  if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier)) return false;
  const QString text = event.text();
  return !text.isEmpty() && text.at(0).isPrint();
}

}  // namespace

FieldMemo::FieldMemo(QWidget* parent) : QPlainTextEdit(parent) {
  setTabChangesFocus(true);
  link_.OnDataChange = [this] { ShowValue(); };
  link_.OnUpdateData = [this] { FinishEdit(); };
  connect(this, &QPlainTextEdit::textChanged, this, [this] {
    if (!showing_) modified_ = true;
  });
}

void FieldMemo::ShowValue() {
  data::TField* field = link_.Field();
  const QString text = field ? ShownText(*field->DataSet(), field->AsString()) : QString();
  // The same text again (the row going into edit state) keeps the caret.
  if (text != toPlainText()) {
    showing_ = true;
    setPlainText(text);
    showing_ = false;
  }
  modified_ = false;
  setEnabled(field && link_.CanModify());
}

void FieldMemo::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (event->key() == Qt::Key_F2 && event->modifiers() == Qt::NoModifier) {
    if (OnMemoDialog) OnMemoDialog(*this);
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    if (!modified_) {
      event->ignore();
      return;
    }
    ShowValue();
    return;
  }
  if (enter && !acceptsReturns_) {
    event->ignore();
    return;
  }
  if ((ChangesText(*event) || enter) && link_.Field()) {
    if (!link_.CanModify() || !link_.Edit()) {
      toolkit::ui().beep();
      return;
    }
  }
  QPlainTextEdit::keyPressEvent(event);
}

void FieldMemo::FinishEdit() {
  data::TField* field = link_.Field();
  if (!field || !modified_) return;
  link_.Edit();
  field->SetAsString(TableText(*field->DataSet(), toPlainText()));
  modified_ = false;
}

void FieldMemo::focusOutEvent(QFocusEvent* event) {
  QPlainTextEdit::focusOutEvent(event);
  FinishEdit();
}

}  // namespace recordview
