#include "recordview/field_memo.h"

#include <QKeyEvent>

#include "data/field.h"
#include "recordview/field_edit.h"
#include "recordview/table_text.h"
#include "toolkit/ui_services.h"

namespace recordview {

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
  showing_ = true;
  setPlainText(field ? ShownText(field->AsString()) : QString());
  showing_ = false;
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
  field->SetAsString(TableText(toPlainText()));
  modified_ = false;
}

void FieldMemo::focusOutEvent(QFocusEvent* event) {
  QPlainTextEdit::focusOutEvent(event);
  FinishEdit();
}

}  // namespace recordview
