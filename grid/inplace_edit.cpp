#include "grid/inplace_edit.h"

#include <QApplication>
#include <QKeyEvent>
#include <algorithm>

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

bool TwwInplaceEdit::PassesEditMask() const {
  std::optional<edit::EditMask> mask = dbGrid_->CellEditMask();
  auto* table = dynamic_cast<data::TwwTable*>(dbGrid_->DataLink().DataSet());
  if (!mask || (table && !table->ValidateWithMask)) return true;
  return mask->Complete(TableText(text()));
}

void TwwInplaceEdit::CheckValue() {
  dbGrid_->DoCheckValue(this, PassesPicture());
}

void TwwInplaceEdit::focusInEvent(QFocusEvent* event) {
  toolkit::InplaceEditor::focusInEvent(event);
  LoadPicture();
  dbGrid_->WarnOfMalformedEditMask();
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
  // Only a multi-line editor keeps Enter (Ctrl+Enter, a line break).
  const bool lineBreak = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  // A paste is checked (and the record put into edit state) by insertText.
  const bool changes = printable || lineBreak || event->matches(QKeySequence::Cut) ||
                       event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
                       event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
  if (printable && !dbGrid_->CanAcceptKey(typed.at(0))) {
    toolkit::ui().beep();
    return;
  }
  // A change needs the record in edit state first; a read-only one takes none.
  if (changes && !dbGrid_->CanEditModifyNow()) {
    if (printable) toolkit::ui().beep();
    return;
  }
  if (std::optional<edit::EditMask> mask = dbGrid_->CellEditMask();
      mask && TypeWithEditMask(*mask, event))
    return;
  if (printable) {
    if (!HasPicture() || !TypeThroughPicture(event)) toolkit::InplaceEditor::insertText(typed);
    return;
  }
  toolkit::InplaceEditor::keyPressEvent(event);
  if ((event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete) && HasPicture() &&
      dbGrid_->OnCheckValue)
    CheckValue();
}

bool TwwInplaceEdit::insertText(const QString& text) {
  // A paste is held to what the field's type takes, as typing is.
  const bool acceptable =
      std::all_of(text.begin(), text.end(), [this](QChar c) { return dbGrid_->CanAcceptKey(c); });
  if (!acceptable || !dbGrid_->CanEditModifyNow()) {
    toolkit::ui().beep();
    return false;
  }
  std::optional<edit::EditMask> mask = dbGrid_->CellEditMask();
  const bool inserted = HasPicture() ? PasteThroughPicture(fitText(text))
                        : mask       ? PasteWithEditMask(*mask, fitText(text))
                                     : toolkit::InplaceEditor::insertText(text);
  if (inserted) dbGrid_->DataLink().Modified_();
  return inserted;
}

bool TwwInplaceEdit::PasteThroughPicture(const QString& pasted) {
  const data::TDataSet* dataSet = dbGrid_->DataLink().DataSet();
  const QString shown = text();
  const QTextCursor cursor = textCursor();
  edit::PictureTypingState state;
  state.text = TableText(shown);
  state.selStart = edit::TableOffset(dataSet, shown, cursor.selectionStart());
  state.selLength = edit::TableOffset(dataSet, shown, cursor.selectionEnd()) - state.selStart;
  state.maxLength = maxLength() < 32767 ? maxLength() : 0;
  // The pasted text goes in as if typed key by key, so literals are filled
  // in and case is applied; one key the picture refuses refuses the paste.
  std::optional<bool> passes;
  for (int i = 0; i < pasted.size();) {
    const int length = pasted.at(i).isHighSurrogate() && i + 1 < pasted.size() ? 2 : 1;
    const QString character = pasted.mid(i, length);
    i += length;
    std::string key;
    QString error;
    if (!tableText(dataSet, character, &key, &error)) {
      // A pasted text may be long: say which character has no place.
      toolkit::ui().showMessage(error.toStdString(), "", toolkit::MessageKind::kWarning,
                                toolkit::MessageButtons::kOk);
      return false;
    }
    const edit::PictureKeyResult typed = edit::TypePictureKey(mask_, autoFill_, state, key);
    switch (typed.action) {
      case edit::PictureKeyAction::kRefused:
        toolkit::ui().beep();
        CheckValue();
        return false;
      case edit::PictureKeyAction::kConsumed:
        state.text = typed.text;
        state.selStart = typed.caret;
        break;
      case edit::PictureKeyAction::kLeaveToEditBox:
        if (state.maxLength > 0 &&
            static_cast<int>(state.text.size() - static_cast<size_t>(state.selLength) +
                             key.size()) > state.maxLength)
          return passes ? ApplyPasted(state, passes) : false;  // the field is full
        state.text.replace(static_cast<size_t>(state.selStart),
                           static_cast<size_t>(state.selLength), key);
        state.selStart += static_cast<int>(key.size());
        break;
    }
    state.selLength = 0;
    passes = typed.passes.value_or(edit::PicturePasses(mask_, state.text));
  }
  return ApplyPasted(state, passes);
}

bool TwwInplaceEdit::ApplyPasted(const edit::PictureTypingState& state,
                                 std::optional<bool> passes) {
  const data::TDataSet* dataSet = dbGrid_->DataLink().DataSet();
  const QString rewritten = editorText(dataSet, state.text);
  setText(rewritten);
  setCursorPosition(edit::ScreenPosition(dataSet, state.text, state.selStart));
  dbGrid_->SetCurrentEditText(rewritten);
  dbGrid_->DoCheckValue(this, passes.value_or(true));
  return true;
}

std::pair<int, int> TwwInplaceEdit::TableSelection() const {
  const data::TDataSet* dataSet = dbGrid_->DataLink().DataSet();
  const QString shown = text();
  const QTextCursor cursor = textCursor();
  const int start = edit::TableOffset(dataSet, shown, cursor.selectionStart());
  return {start, edit::TableOffset(dataSet, shown, cursor.selectionEnd()) - start};
}

bool TwwInplaceEdit::ApplyMaskEdit(const edit::EditMask::Edit& edit) {
  if (edit.refused) {
    toolkit::ui().beep();
    return false;
  }
  const data::TDataSet* dataSet = dbGrid_->DataLink().DataSet();
  const QString rewritten = editorText(dataSet, edit.text);
  setText(rewritten);
  setCursorPosition(edit::ScreenPosition(dataSet, edit.text, edit.caret));
  dbGrid_->SetCurrentEditText(rewritten);
  CheckValue();
  return true;
}

bool TwwInplaceEdit::TypeWithEditMask(const edit::EditMask& mask, QKeyEvent* event) {
  const QString typed = event->text();
  const bool control = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
  const bool printable = !control && !typed.isEmpty() && typed.at(0).isPrint();
  const bool backspace = event->key() == Qt::Key_Backspace;
  const bool del = event->key() == Qt::Key_Delete && !control;
  const bool cut = event->matches(QKeySequence::Cut);
  if (!printable && !backspace && !del && !cut) return false;
  const auto [selStart, selLength] = TableSelection();
  const std::string shown = TableText(text());
  if (printable) {
    std::string key;
    // Every position holds one byte of the table's code page.
    if (!tableText(dbGrid_->DataLink().DataSet(), typed, &key, nullptr) || key.size() != 1) {
      toolkit::ui().beep();
      return true;
    }
    ApplyMaskEdit(mask.Type(shown, selStart, selLength, key[0]));
  } else if (backspace) {
    ApplyMaskEdit(mask.Backspace(shown, selStart, selLength));
  } else if (cut) {
    // The positions cut are left blank; the literals stay.
    if (selLength == 0) return true;
    copy();
    ApplyMaskEdit(mask.Delete(shown, selStart, selLength));
  } else {
    ApplyMaskEdit(mask.Delete(shown, selStart, selLength));
  }
  return true;
}

bool TwwInplaceEdit::PasteWithEditMask(const edit::EditMask& mask, const QString& pasted) {
  std::string bytes;
  QString error;
  if (!tableText(dbGrid_->DataLink().DataSet(), pasted, &bytes, &error)) {
    toolkit::ui().showMessage(error.toStdString(), "", toolkit::MessageKind::kWarning,
                              toolkit::MessageButtons::kOk);
    return false;
  }
  const auto [selStart, selLength] = TableSelection();
  return ApplyMaskEdit(mask.Paste(TableText(text()), selStart, selLength, bytes));
}

bool TwwInplaceEdit::acceptUserChange() {
  // Under the edit mask every change goes through the mask; one that reached
  // the text another way (the context menu, undo) is kept only while the
  // text still has one byte per position.
  if (std::optional<edit::EditMask> mask = dbGrid_->CellEditMask();
      mask && TableText(text()).size() != mask->Positions().size()) {
    toolkit::ui().beep();
    return false;
  }
  TwwGridDataLink& link = dbGrid_->DataLink();
  if (link.Editing() && link.Modified()) return true;
  // A change by the context menu or undo, not seen as a key: the record goes
  // into edit state now, which may reload the field's text under it.
  const QString changed = text();
  if (!dbGrid_->CanEditModifyNow()) {
    toolkit::ui().beep();
    return false;
  }
  if (text() != changed) setText(changed);
  return true;
}

}  // namespace grid
