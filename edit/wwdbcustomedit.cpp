// The bound edit box: following the field, typing, the date fill, leaving the
// control and writing the value back.
#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMetaObject>
#include <algorithm>

#include "data/data_set_error.h"
#include "data/data_source.h"
#include "data/field.h"
#include "edit/date_fill.h"
#include "edit/picture_typing.h"
#include "edit/table_text.h"
#include "edit/wwdbedit.h"
#include "edit/wwdbedit_texts.h"
#include "toolkit/font_mapping.h"
#include "toolkit/locale_settings.h"
#include "toolkit/ui_services.h"

namespace edit {

using data::TField;
using data::TFieldType;

TwwDBCustomEdit::TwwDBCustomEdit(QWidget* parent) : TwwCustomMaskEdit(parent) {
  Font = toolkit::defaultFont();
  toolkit::applyFont(*this, Font);
  // Created read-only: the box becomes writable when its data set edits.
  setReadOnly(true);
}

TwwDBCustomEdit::~TwwDBCustomEdit() = default;

void TwwDBCustomEdit::SetDataSource(data::TwwDataSource* source) {
  link_.SetDataSource(source);
  DataChange();
  EditingChange();
}

void TwwDBCustomEdit::SetDataField(const std::string& name) {
  dataField_ = name;
  DataChange();
  EditingChange();
}

TField* TwwDBCustomEdit::Field() const {
  if (!link_.Active() || dataField_.empty()) return nullptr;
  return link_.DataSet()->FindField(dataField_);
}

void TwwDBCustomEdit::SetReadOnly(bool readOnly) {
  link_.SetReadOnly(readOnly);
  if (!Bound()) setReadOnly(readOnly);
}

bool TwwDBCustomEdit::Bound() const {
  return link_.DataSource() && link_.DataSet() && !dataField_.empty();
}

std::optional<data::TwwFieldMask> TwwDBCustomEdit::BoundMask() const {
  auto* table = dynamic_cast<data::TwwTable*>(link_.DataSet());
  if (!table || !table->Active()) return std::nullopt;
  return table->FieldMask(dataField_, true);
}

bool TwwDBCustomEdit::StoreBoundMask(const std::string& mask) {
  auto* table = dynamic_cast<data::TwwTable*>(link_.DataSet());
  if (!table) return true;
  if (table->Active() && table->IsParadox()) {
    for (const std::string& line : table->ValidityCheckPictures()) {
      if (line.compare(0, dataField_.size() + 1, dataField_ + "\t") == 0) return false;
    }
  }
  for (std::string& line : table->PictureMasks) {
    if (line.compare(0, dataField_.size() + 1, dataField_ + "\t") == 0) {
      line = dataField_ + "\t" + mask + "\tT\tF";
      return true;
    }
  }
  table->PictureMasks.push_back(dataField_ + "\t" + mask + "\tT\tF");
  return true;
}

const data::TDataSet* TwwDBCustomEdit::TextDataSet() const {
  return link_.DataSet();
}

// ---------------------------------------------------------------- the link

void TwwDBCustomEdit::FieldLink::RecordChanged(TField* field) {
  if (!field || field == edit_->Field()) edit_->DataChange();
}

void TwwDBCustomEdit::FieldLink::FocusControl(TField* field) {
  if (field && field == edit_->Field()) edit_->setFocus();
}

void TwwDBCustomEdit::DataChange() {
  TField* field = Field();
  if (!field) {
    alignment_ = data::TAlignment::taLeftJustify;
    ShowLinesLikeTheValue();
    // An unbound control keeps the edit mask and text it was given.
    if (!link_.DataSource()) return;
    EditMask.clear();
    SetTableText(std::string());
    setModified(false);
    update();
    return;
  }
  alignment_ = field->Alignment();
  ShowLinesLikeTheValue();
  if (!PictureMaskInUse()) EditMask = field->EditMask();
  std::string text;
  if (field->DataType() == TFieldType::ftMemo)
    text = field->AsString();
  else if (focused_ && field->CanModify())
    text = EditingText(field->Text());
  else
    text = MaskedDisplayText(*field);
  // The same text is not set again, so entering edit mode keeps the selection.
  if (!ShowsTableText(text)) SetTableText(text);
  setModified(false);
  update();
}

std::string TwwDBCustomEdit::EditingText(const std::string& value) {
  editMaskOff_ = false;
  std::optional<edit::EditMask> mask = ActiveEditMask();
  if (!mask) return value;
  std::optional<std::string> shown = mask->Format(value);
  // A value the mask cannot show is edited as it stands rather than cut to fit.
  editMaskOff_ = !shown;
  return shown.value_or(value);
}

std::string TwwDBCustomEdit::MaskedDisplayText(const TField& field) const {
  std::optional<edit::EditMask> mask = ParsedEditMaskQuietly();
  const std::string value = field.Text();
  const bool text = field.DataType() == TFieldType::ftString;
  if (!mask || !text || value.empty()) return field.DisplayText();
  // A text field shows its literals while the box is not edited too, so the
  // value does not change its look when the box is left; positions not
  // typed into show blank.
  std::optional<std::string> shown = mask->Format(value);
  if (!shown) return field.DisplayText();
  std::replace(shown->begin(), shown->end(), mask->Blank(), ' ');
  return *shown;
}

void TwwDBCustomEdit::ShowLinesLikeTheValue() {
  Qt::Alignment alignment = Qt::AlignLeft;
  if (alignment_ == data::TAlignment::taRightJustify) alignment = Qt::AlignRight;
  if (alignment_ == data::TAlignment::taCenter) alignment = Qt::AlignHCenter;
  SetLinesLook(alignment, PasswordChar);
}

void TwwDBCustomEdit::WarnOfMalformedEditMask() {
  const std::string error = EditMaskError();
  if (error.empty() || warnedEditMask_ == EditMask) return;
  warnedEditMask_ = EditMask;
  // After the focus has settled: a box shown from inside the focus change
  // would take the focus in the middle of it.
  QMetaObject::invokeMethod(
      this,
      [error] {
        toolkit::ui().showMessage(error, QApplication::applicationName().toStdString(),
                                  toolkit::MessageKind::kWarning, toolkit::MessageButtons::kOk);
      },
      Qt::QueuedConnection);
}

void TwwDBCustomEdit::EditingChange() {
  if (Bound()) setReadOnly(!link_.Editing());
}

// ---------------------------------------------------------------- typing

bool TwwDBCustomEdit::PrepareForTyping() {
  if (!Bound()) {
    if (link_.ReadOnly()) return false;
    setReadOnly(false);
    return true;
  }
  TField* field = Field();
  if (!field || link_.ReadOnly() || !field->CanModify()) return false;
  if (!link_.Edit()) return false;
  setReadOnly(false);
  return true;
}

void TwwDBCustomEdit::BeginChange() {
  if (Bound()) link_.Edit();
  setModified(true);
}

std::optional<TwwEditDataType> TwwDBCustomEdit::DateKind() const {
  if (!Bound())
    return UnboundDataType == TwwEditDataType::wwDefault ? std::nullopt
                                                         : std::optional(UnboundDataType);
  TField* field = Field();
  if (!field) return std::nullopt;
  switch (field->DataType()) {
    case TFieldType::ftDate:
      return TwwEditDataType::wwEdtDate;
    case TFieldType::ftTime:
      return TwwEditDataType::wwEdtTime;
    case TFieldType::ftDateTime:
      return TwwEditDataType::wwEdtDateTime;
    default:
      return std::nullopt;
  }
}

bool TwwDBCustomEdit::DateFill() {
  std::optional<TwwEditDataType> kind = DateKind();
  if (!kind || isReadOnly()) return false;
  const bool allSelected = !text().isEmpty() && selectedText().size() == text().size();
  if (!allSelected && cursorPosition() != text().size()) return false;
  if (link_.ReadOnly()) {
    toolkit::ui().beep();
    return true;
  }
  DateFillKind fillKind = *kind == TwwEditDataType::wwEdtDate   ? DateFillKind::kDate
                          : *kind == TwwEditDataType::wwEdtTime ? DateFillKind::kTime
                                                                : DateFillKind::kDateTime;
  DateFillResult fill =
      FillDateOnSpace(TableText(), allSelected, fillKind, toolkit::localeSettings());
  if (fill.changed) {
    SetTableText(fill.text);
    setCursorPosition(text().size());
    BeginChange();
  }
  CheckValue(TableText());
  return true;
}

bool TwwDBCustomEdit::TypeWithPicture(const QString& key) {
  std::optional<std::string> keyBytes = ScreenTextToTable(TextDataSet(), key);
  if (!keyBytes) return false;
  PictureTypingState state;
  state.text = TableText();
  const Selection selection = TableSelection();
  state.selStart = selection.start;
  state.selLength = selection.length;
  state.maxLength = maxLength() < 32767 ? maxLength() : 0;

  PictureKeyResult result =
      TypePictureKey(Picture().PictureMask(), Picture().AutoFill(), state, *keyBytes);
  switch (result.action) {
    case PictureKeyAction::kConsumed:
      if (Bound()) link_.Edit();
      if (!isReadOnly()) {
        SetTableText(result.text);
        setCursorPosition(ScreenPosition(TextDataSet(), result.text, result.caret));
        setModified(true);
      }
      if (OnCheckValue && result.passes) OnCheckValue(this, *result.passes);
      return true;
    case PictureKeyAction::kRefused:
      toolkit::ui().beep();
      return true;
    case PictureKeyAction::kLeaveToEditBox:
      if (OnCheckValue && result.passes) OnCheckValue(this, *result.passes);
      return false;
  }
  return false;
}

bool TwwDBCustomEdit::FieldAcceptsCharacter(QChar c) const {
  TField* field = Field();
  if (!field) return true;
  const char16_t u = c.unicode();
  const bool digit = u >= '0' && u <= '9';
  switch (field->DataType()) {
    case TFieldType::ftSmallint:
    case TFieldType::ftInteger:
    case TFieldType::ftWord:
    case TFieldType::ftAutoInc:
      return digit || u == '+' || u == '-';
    case TFieldType::ftFloat:
    case TFieldType::ftCurrency:
    case TFieldType::ftBCD:
      return digit || u == '+' || u == '-' || u == '.' || u == ',' || u == 'e' || u == 'E';
    default:
      return true;
  }
}

TwwDBCustomEdit::Selection TwwDBCustomEdit::TableSelection() const {
  const QString screen = text();
  const int start = hasSelectedText() ? selectionStart() : cursorPosition();
  const int length = hasSelectedText() ? static_cast<int>(selectedText().size()) : 0;
  Selection selection;
  selection.start = TableOffset(TextDataSet(), screen, start);
  selection.length = TableOffset(TextDataSet(), screen, start + length) - selection.start;
  return selection;
}

void TwwDBCustomEdit::ApplyMaskEdit(const edit::EditMask::Edit& edit) {
  if (edit.refused) {
    toolkit::ui().beep();
    return;
  }
  SetTableText(edit.text);
  setCursorPosition(ScreenPosition(TextDataSet(), edit.text, edit.caret));
  BeginChange();
}

bool TwwDBCustomEdit::TypeWithEditMask(const edit::EditMask& mask, QKeyEvent* event) {
  const QString typed = event->text();
  const bool control = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
  const bool printable = !control && !typed.isEmpty() && typed.at(0).isPrint();
  const bool backspace = event->key() == Qt::Key_Backspace;
  const bool del = event->key() == Qt::Key_Delete && !control;
  if (!printable && !backspace && !del) return false;
  if (del && !PrepareForTyping()) return true;
  const Selection selection = TableSelection();
  const int selStart = selection.start;
  const int selLength = selection.length;
  std::string shown = TableText();
  if (printable) {
    std::optional<std::string> key = ScreenTextToTable(TextDataSet(), typed);
    // Every position holds one byte of the table's code page.
    if (!key || key->size() != 1) {
      toolkit::ui().beep();
      return true;
    }
    ApplyMaskEdit(mask.Type(shown, selStart, selLength, (*key)[0]));
  } else if (backspace) {
    ApplyMaskEdit(mask.Backspace(shown, selStart, selLength));
  } else {
    ApplyMaskEdit(mask.Delete(shown, selStart, selLength));
  }
  return true;
}

void TwwDBCustomEdit::ResetValue() {
  if (Bound())
    DataChange();
  else
    SetTableText(EditingText(unboundText_));
  selectAll();
  setModified(false);
  CheckValue(TableText());
}

void TwwDBCustomEdit::keyPressEvent(QKeyEvent* event) {
  if (PassingUp(event)) return;
  const QString typed = event->text();
  const bool control = event->modifiers() & (Qt::ControlModifier | Qt::AltModifier);
  const bool printable = !control && !typed.isEmpty() && typed.at(0).isPrint();
  const bool backspace = event->key() == Qt::Key_Backspace;
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  // Enter breaks the line only in a box that wants it; elsewhere it goes on
  // to the form (its default button, or the record view's move to the next
  // control).
  if (enter && !WantReturns()) {
    if (MultiLine())
      event->ignore();
    else
      DefaultKeyPress(event);
    return;
  }
  if (event->matches(QKeySequence::Paste)) {
    PasteText();
    event->accept();
    return;
  }
  if (event->matches(QKeySequence::Cut)) {
    CutText();
    event->accept();
    return;
  }

  if (printable || backspace || enter) {
    if (!PrepareForTyping()) {
      event->accept();
      return;
    }
  }
  if (printable && !ScreenTextToTable(TextDataSet(), typed)) {
    toolkit::ui().beep();
    event->accept();
    return;
  }
  if (std::optional<edit::EditMask> mask = ActiveEditMask()) {
    // Every change goes through the mask, one byte per position. Undo could
    // bring back a text that no longer lines up with it, and a line break or
    // Ctrl+Delete (a whole word) would shift the positions: they are refused,
    // as the context menu's Undo is.
    const bool wordDelete =
        event->key() == Qt::Key_Delete && (event->modifiers() & Qt::ControlModifier);
    if (event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) || enter ||
        wordDelete) {
      toolkit::ui().beep();
      event->accept();
      return;
    }
    if (TypeWithEditMask(*mask, event)) {
      event->accept();
      return;
    }
  }
  if (event->key() == Qt::Key_Space && AutoFillDate &&
      !(Picture().AutoFill() && PictureMaskInUse()) && DateFill()) {
    event->accept();
    return;
  }
  if (PictureMaskInUse()) {
    if (printable && TypeWithPicture(typed)) {
      event->accept();
      return;
    }
    if (backspace) {
      link_.Edit();
      if (OnCheckValue && !isReadOnly()) {
        std::string shortened = TableText();
        int caret = TableOffset(TextDataSet(), text(), cursorPosition());
        if (hasSelectedText()) {
          int start = TableOffset(TextDataSet(), text(), selectionStart());
          int end = TableOffset(TextDataSet(), text(),
                                selectionStart() + static_cast<int>(selectedText().size()));
          shortened.erase(static_cast<size_t>(start), static_cast<size_t>(end - start));
        } else if (caret > 0) {
          shortened.erase(static_cast<size_t>(caret - 1), 1);
        }
        CheckValue(shortened);
      }
    }
  }
  if (printable && !FieldAcceptsCharacter(typed.at(0))) {
    toolkit::ui().beep();
    event->accept();
    return;
  }
  if (event->key() == Qt::Key_Escape) {
    ResetValue();
    event->accept();
    return;
  }
  if (printable || backspace || enter) BeginChange();
  DefaultKeyPress(event);
}

void TwwDBCustomEdit::keyReleaseEvent(QKeyEvent* event) {
  if (PassingUp(event)) return;
  DefaultKeyRelease(event);
  if (event->key() == Qt::Key_Delete) CheckValue(TableText());
}

// ---------------------------------------------------------------- focus

void TwwDBCustomEdit::focusInEvent(QFocusEvent* event) {
  const bool returning = exitRefused_;
  exitRefused_ = false;
  DefaultFocusIn(event);
  // Back from a menu or another window: the control was never left.
  if (returning || focused_) return;
  focused_ = true;
  // While typing, the box hides a password with the platform's own mark.
  setEchoMode(PasswordChar.isNull() ? QLineEdit::Normal : QLineEdit::Password);
  ShowLinesLikeTheValue();
  if (!Bound()) unboundText_ = TableText();
  const bool modified = isModified();
  if (!modified) DataChange();
  WarnOfMalformedEditMask();
  if (!Bound() && !modified) {
    const std::string shown = EditingText(TableText());
    if (shown != TableText()) SetTableText(shown);
  }
  if (AutoSelect) selectAll();
  if (OnEnter) OnEnter(this);
}

void TwwDBCustomEdit::focusOutEvent(QFocusEvent* event) {
  DefaultFocusOut(event);
  // A context menu or another window taking the keyboard does not leave
  // the control: the value stays pending, unchecked, until the user does.
  if (!focused_ || event->reason() == Qt::PopupFocusReason ||
      event->reason() == Qt::ActiveWindowFocusReason)
    return;
  const bool modified = isModified();
  // An incomplete value keeps the user here, with no message: only a beep.
  // It is checked before the row takes the value, so that a value the mask
  // refuses never reaches the field.
  std::optional<edit::EditMask> mask = ActiveEditMask();
  const bool maskIncomplete = !Bound() && mask && !mask->Complete(TableText());
  if (modified && !Picture().AllowInvalidExit() &&
      ((PictureMaskInUse() && !CheckValue(TableText())) || maskIncomplete)) {
    exitRefused_ = true;
    selectAll();
    toolkit::ui().beep();
    QMetaObject::invokeMethod(
        this, [this] { setFocus(Qt::OtherFocusReason); }, Qt::QueuedConnection);
    return;
  }
  try {
    if (Bound() && link_.Active()) link_.UpdateRecord();
  } catch (...) {
    exitRefused_ = true;
    selectAll();
    setModified(modified);
    QMetaObject::invokeMethod(
        this, [this] { setFocus(Qt::OtherFocusReason); }, Qt::QueuedConnection);
    throw;
  }
  if (OnExit) OnExit(this);
  focused_ = false;
  if (!isModified()) DataChange();
  update();
}

// ---------------------------------------------------------------- update data

void TwwDBCustomEdit::UpdateData() {
  TField* field = Field();
  if (!field || isReadOnly()) return;
  auto* table = dynamic_cast<data::TwwTable*>(link_.DataSet());
  const std::string shown = TableText();
  std::optional<edit::EditMask> mask = ActiveEditMask();
  const std::string value = mask ? mask->Value(shown) : shown;
  const bool validate = !table || table->ValidateWithMask;
  // A value left as the row had it is not the user's to complete.
  const bool fails = PictureMaskInUse() ? table && !PicturePasses(Picture().PictureMask(), value)
                                        : mask && isModified() && !mask->Complete(shown);
  if (validate && fails) {
    if (table && table->OnInvalidValue) {
      table->OnInvalidValue(*table, *field);
    } else {
      toolkit::ui().beep();
      throw data::EDatabaseError(texts::kInvalidInputValue);
    }
  }
  if (!isModified()) return;
  data::DataSetState state = link_.DataSet()->State();
  const bool editing = state == data::DataSetState::kEdit || state == data::DataSetState::kInsert;
  if (!editing && !field->Calculated()) return;
  if (field->DataType() == TFieldType::ftMemo)
    field->SetAsString(value);
  else
    field->SetText(value);
}

}  // namespace edit
