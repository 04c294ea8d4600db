#include "grid/inplace_edit.h"

#include <QApplication>
#include <QKeyEvent>

#include "data/data_set.h"
#include "data/wwtable.h"
#include "edit/picture_typing.h"
#include "edit/table_text.h"
#include "grid/cell_text.h"
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
  return mask_.empty() || edit::PicturePasses(mask_, TableText(text()));
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
  const data::TDataSet* dataSet = dbGrid_->DataLink().DataSet();
  std::string key;
  if (!tableText(dataSet, event->text(), &key, nullptr) || key.empty()) return false;
  const QString shown = text();
  edit::PictureTypingState state;
  state.text = TableText(shown);
  const int selStart = hasSelectedText() ? selectionStart() : cursorPosition();
  const int selEnd = selStart + (hasSelectedText() ? static_cast<int>(selectedText().size()) : 0);
  state.selStart = edit::TableOffset(dataSet, shown, selStart);
  state.selLength = edit::TableOffset(dataSet, shown, selEnd) - state.selStart;
  state.maxLength = maxLength() < 32767 ? maxLength() : 0;
  const edit::PictureKeyResult typed = edit::TypePictureKey(mask_, autoFill_, state, key);
  switch (typed.action) {
    case edit::PictureKeyAction::kLeaveToEditBox:
      if (typed.passes) dbGrid_->DoCheckValue(this, *typed.passes);
      return false;
    case edit::PictureKeyAction::kRefused:
      toolkit::ui().beep();
      dbGrid_->DoCheckValue(this, typed.passes.value_or(true));
      return true;
    case edit::PictureKeyAction::kConsumed: {
      const QString rewritten = editorText(dataSet, typed.text);
      setText(rewritten);
      setCursorPosition(edit::ScreenPosition(dataSet, typed.text, typed.caret));
      dbGrid_->SetCurrentEditText(rewritten);
      dbGrid_->DoCheckValue(this, typed.passes.value_or(true));
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
