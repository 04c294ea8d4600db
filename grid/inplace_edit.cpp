#include "grid/inplace_edit.h"

#include <QApplication>
#include <QKeyEvent>

#include "data/data_set.h"
#include "data/wwtable.h"
#include "grid/cell_text.h"
#include "grid/picture_typing.h"
#include "grid/wwdbgrid.h"
#include "toolkit/ui_services.h"

namespace grid {

TwwInplaceEdit::TwwInplaceEdit(TwwCustomDBGrid* grid)
    : toolkit::InplaceEditor(grid), dbGrid_(grid) {}

std::string TwwInplaceEdit::TableText(const QString& text) const {
  std::string out;
  if (!tableText(dbGrid_->DataLink().DataSet(), text, &out, nullptr)) return {};
  return out;
}

void TwwInplaceEdit::LoadPicture() {
  mask_.clear();
  autoFill_ = true;
  allowInvalidExit_ = false;
  auto* table = dynamic_cast<data::TwwTable*>(dbGrid_->DataLink().DataSet());
  data::TField* field = dbGrid_->SelectedField();
  if (!table || !field) return;
  if (auto mask = table->FieldMask(field->FieldName(), true); mask && mask->usePictureMaskInGrid) {
    mask_ = mask->mask;
    autoFill_ = mask->autoFill;
  }
}

bool TwwInplaceEdit::PassesPicture() const {
  return grid::PassesPicture(TableText(text()), mask_);
}

void TwwInplaceEdit::CheckValue() {
  dbGrid_->DoCheckValue(this, PassesPicture());
}

void TwwInplaceEdit::focusInEvent(QFocusEvent* event) {
  toolkit::InplaceEditor::focusInEvent(event);
  LoadPicture();
  CheckValue();
}

void TwwInplaceEdit::focusOutEvent(QFocusEvent* event) {
  toolkit::InplaceEditor::focusOutEvent(event);
  if (QApplication::focusWidget() != dbGrid_) dbGrid_->LeavingGrid();
}

bool TwwInplaceEdit::TypeThroughPicture(QKeyEvent* event) {
  const QString typed = event->text();
  std::string key;
  if (!tableText(dbGrid_->DataLink().DataSet(), typed, &key, nullptr) || key.size() != 1)
    return false;
  const std::string current = TableText(text());
  const int selStart = hasSelectedText() ? selectionStart() : cursorPosition();
  const int selLength = hasSelectedText() ? static_cast<int>(selectedText().size()) : 0;
  const int limit = maxLength() < 32767 ? maxLength() : 0;
  const PictureKeystroke typedKey =
      TypeIntoPicture(current, selStart, selLength, key[0], mask_, autoFill_, limit);
  switch (typedKey.action) {
    case PictureKeystroke::Action::kLetThrough:
      if (dbGrid_->OnCheckValue) dbGrid_->DoCheckValue(this, typedKey.passes);
      return false;
    case PictureKeystroke::Action::kRefuse:
      toolkit::ui().beep();
      dbGrid_->DoCheckValue(this, true);
      return true;
    case PictureKeystroke::Action::kTake: {
      const QString shown = editorText(dbGrid_->DataLink().DataSet(), typedKey.text);
      setText(shown);
      setCursorPosition(typedKey.caret);
      dbGrid_->SetCurrentEditText(shown);
      dbGrid_->DoCheckValue(this, typedKey.passes);
      return true;
    }
  }
  return false;
}

void TwwInplaceEdit::keyPressEvent(QKeyEvent* event) {
  if (keyBelongsToGrid(*event)) {
    passToGrid(event);
    return;
  }
  const QString typed = event->text();
  const bool printable =
      !typed.isEmpty() && typed.at(0).isPrint() && !(event->modifiers() & Qt::ControlModifier);
  const bool paste = event->matches(QKeySequence::Paste);
  const bool changes = printable || paste || event->matches(QKeySequence::Cut) ||
                       event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
  // A change needs the record in edit state first; a read-only one takes none.
  if (changes && !dbGrid_->CanEditModifyNow()) {
    if (printable) toolkit::ui().beep();
    return;
  }
  if (printable && HasPicture() && TypeThroughPicture(event)) return;
  toolkit::InplaceEditor::keyPressEvent(event);
  if (paste) dbGrid_->DataLink().Modified_();
  if ((event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) && HasPicture() &&
      dbGrid_->OnCheckValue)
    CheckValue();
}

}  // namespace grid
