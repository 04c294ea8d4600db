// The edit box with a picture: the picture settings, bound or the control's
// own, and the value check.
#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>
#include <QTextBlock>

#include "data/data_set.h"
#include "edit/multi_line_box.h"
#include "edit/picture_typing.h"
#include "edit/table_text.h"
#include "edit/wwdbedit.h"
#include "edit/wwdbedit_texts.h"
#include "toolkit/locale_settings.h"
#include "toolkit/ui_services.h"

namespace edit {

std::string TwwDBPicture::PictureMask() const {
  if (owner_->Bound()) {
    auto mask = owner_->BoundMask();
    return mask ? mask->mask : std::string();
  }
  return mask_;
}

void TwwDBPicture::SetPictureMask(const std::string& mask) {
  if (owner_->Bound()) {
    if (!owner_->StoreBoundMask(mask)) {
      toolkit::ui().showMessage(texts::kPictureMaskDefinedInTable,
                                QApplication::applicationName().toStdString(),
                                toolkit::MessageKind::kWarning, toolkit::MessageButtons::kOk);
    }
    return;
  }
  mask_ = mask;
}

bool TwwDBPicture::AutoFill() const {
  if (owner_->Bound()) {
    auto mask = owner_->BoundMask();
    return mask ? mask->autoFill : true;
  }
  return autoFill_;
}

void TwwDBPicture::SetAutoFill(bool autoFill) {
  autoFill_ = autoFill;
}

bool TwwDBPicture::AllowInvalidExit() const {
  return owner_->Bound() ? false : allowInvalidExit_;
}

void TwwDBPicture::Assign(const TwwDBPicture& other) {
  mask_ = other.mask_;
  autoFill_ = other.autoFill_;
  allowInvalidExit_ = other.allowInvalidExit_;
}

bool TwwDBPicture::Stored() const {
  return !owner_->Bound() && !mask_.empty();
}

TwwCustomMaskEdit::TwwCustomMaskEdit(QWidget* parent) : QLineEdit(parent), picture_(this) {}

TwwCustomMaskEdit::~TwwCustomMaskEdit() {
  // The multi-line box goes first, while this box can still hear of it.
  delete lines_;
}

bool TwwCustomMaskEdit::PictureMaskInUse() const {
  return UsePictureMask && !picture_.PictureMask().empty();
}

bool TwwCustomMaskEdit::CheckValue(const std::string& tableText) {
  bool passes = !PictureMaskInUse() || PicturePasses(picture_.PictureMask(), tableText);
  if (OnCheckValue) OnCheckValue(this, passes);
  return passes;
}

std::optional<EditMask> TwwCustomMaskEdit::ParsedEditMask(std::string* error) const {
  if (EditMask.empty() || PictureMaskInUse()) return std::nullopt;
  const data::TDataSet* dataSet = TextDataSet();
  return edit::EditMask::Parse(EditMask, toolkit::localeSettings(),
                               dataSet ? &dataSet->textCodec() : nullptr, error);
}

std::optional<EditMask> TwwCustomMaskEdit::ActiveEditMask() const {
  if (editMaskOff_) return std::nullopt;
  return ParsedEditMask(nullptr);
}

std::string TwwCustomMaskEdit::EditMaskError() const {
  std::string error;
  ParsedEditMask(&error);
  return error;
}

// ---------------------------------------------------------------- shape

void TwwCustomMaskEdit::SetWordWrap(bool wrap) {
  wordWrap_ = wrap;
  RecreateBox();
}

void TwwCustomMaskEdit::SetWantReturns(bool want) {
  wantReturns_ = want;
  RecreateBox();
}

void TwwCustomMaskEdit::SetShowVertScrollBar(bool show) {
  showVertScrollBar_ = show;
  RecreateBox();
}

void TwwCustomMaskEdit::RecreateBox() {
  const bool multiLine = wordWrap_ || wantReturns_ || showVertScrollBar_;
  const bool focused = hasFocus();
  if (multiLine && !lines_) {
    const QString shown = QLineEdit::text();
    const bool modified = isModified();
    lines_ = new MultiLineBox(this);
    lines_->setGeometry(rect());
    lines_->SetReadOnly(QLineEdit::isReadOnly());
    lines_->setPlainText(shown);
    setModified(modified);
    connect(lines_, &QPlainTextEdit::textChanged, this, [this] {
      // The one-line box keeps the same text, for whoever reads it there.
      const bool byUser = !settingText_;
      const bool modified = isModified() || byUser;
      QLineEdit::setText(lines_->toPlainText());
      setModified(modified);
    });
    setFocusProxy(lines_);
    lines_->show();
  } else if (!multiLine && lines_) {
    setFocusProxy(nullptr);
    const bool modified = isModified();
    QLineEdit::setText(lines_->toPlainText());
    setModified(modified);
    delete lines_;
    lines_ = nullptr;
  }
  if (lines_) {
    lines_->setLineWrapMode(wordWrap_ ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
    lines_->setVerticalScrollBarPolicy(showVertScrollBar_ ? Qt::ScrollBarAlwaysOn
                                                          : Qt::ScrollBarAlwaysOff);
  }
  if (focused) setFocus(Qt::OtherFocusReason);
}

void TwwCustomMaskEdit::resizeEvent(QResizeEvent* event) {
  QLineEdit::resizeEvent(event);
  if (lines_) lines_->setGeometry(rect());
}

bool TwwCustomMaskEdit::PassingUp(QEvent* event) const {
  if (!lines_ || fromLines_) return false;
  event->ignore();
  return true;
}

void TwwCustomMaskEdit::DefaultKeyPress(QKeyEvent* event) {
  if (lines_)
    lines_->DefaultKeyPress(event);
  else
    QLineEdit::keyPressEvent(event);
}

void TwwCustomMaskEdit::DefaultKeyRelease(QKeyEvent* event) {
  if (lines_)
    lines_->DefaultKeyRelease(event);
  else
    QLineEdit::keyReleaseEvent(event);
}

void TwwCustomMaskEdit::DefaultFocusIn(QFocusEvent* event) {
  if (lines_)
    lines_->DefaultFocusIn(event);
  else
    QLineEdit::focusInEvent(event);
}

void TwwCustomMaskEdit::DefaultFocusOut(QFocusEvent* event) {
  if (lines_)
    lines_->DefaultFocusOut(event);
  else
    QLineEdit::focusOutEvent(event);
}

// ---------------------------------------------------------------- the box shown

QString TwwCustomMaskEdit::text() const {
  return lines_ ? lines_->toPlainText() : QLineEdit::text();
}

int TwwCustomMaskEdit::cursorPosition() const {
  return lines_ ? lines_->textCursor().position() : QLineEdit::cursorPosition();
}

void TwwCustomMaskEdit::setCursorPosition(int position) {
  if (!lines_) {
    QLineEdit::setCursorPosition(position);
    return;
  }
  QTextCursor cursor = lines_->textCursor();
  cursor.setPosition(std::clamp(position, 0, static_cast<int>(text().size())));
  lines_->setTextCursor(cursor);
}

bool TwwCustomMaskEdit::hasSelectedText() const {
  return lines_ ? lines_->textCursor().hasSelection() : QLineEdit::hasSelectedText();
}

int TwwCustomMaskEdit::selectionStart() const {
  if (!lines_) return QLineEdit::selectionStart();
  return hasSelectedText() ? lines_->textCursor().selectionStart() : -1;
}

QString TwwCustomMaskEdit::selectedText() const {
  if (!lines_) return QLineEdit::selectedText();
  // The document marks line ends in a selection with the paragraph separator.
  return lines_->textCursor().selectedText().replace(QChar::ParagraphSeparator, '\n');
}

void TwwCustomMaskEdit::setSelection(int start, int length) {
  if (!lines_) {
    QLineEdit::setSelection(start, length);
    return;
  }
  const int size = static_cast<int>(text().size());
  QTextCursor cursor = lines_->textCursor();
  cursor.setPosition(std::clamp(start, 0, size));
  cursor.setPosition(std::clamp(start + length, 0, size), QTextCursor::KeepAnchor);
  lines_->setTextCursor(cursor);
}

void TwwCustomMaskEdit::selectAll() {
  if (lines_)
    lines_->selectAll();
  else
    QLineEdit::selectAll();
}

void TwwCustomMaskEdit::setReadOnly(bool readOnly) {
  QLineEdit::setReadOnly(readOnly);
  if (lines_) lines_->SetReadOnly(readOnly);
}

void TwwCustomMaskEdit::paste() {
  if (lines_)
    lines_->paste();
  else
    QLineEdit::paste();
}

void TwwCustomMaskEdit::cut() {
  if (lines_)
    lines_->cut();
  else
    QLineEdit::cut();
}

void TwwCustomMaskEdit::copy() const {
  if (lines_)
    lines_->copy();
  else
    QLineEdit::copy();
}

void TwwCustomMaskEdit::del() {
  if (!lines_) {
    QLineEdit::del();
    return;
  }
  QTextCursor cursor = lines_->textCursor();
  cursor.deleteChar();
  lines_->setTextCursor(cursor);
}

void TwwCustomMaskEdit::undo() {
  if (lines_)
    lines_->undo();
  else
    QLineEdit::undo();
}

bool TwwCustomMaskEdit::isUndoAvailable() const {
  return lines_ ? lines_->document()->isUndoAvailable() : QLineEdit::isUndoAvailable();
}

std::string TwwCustomMaskEdit::TableText() const {
  // The box only ever takes text the table can hold, so this never fails.
  return ScreenTextToTable(TextDataSet(), text()).value_or(std::string());
}

void TwwCustomMaskEdit::SetTableText(const std::string& tableText) {
  const QString shown = TableTextToScreen(TextDataSet(), tableText);
  if (!lines_) {
    setText(shown);
    return;
  }
  settingText_ = true;
  lines_->setPlainText(shown);
  settingText_ = false;
  setModified(false);
}

bool TwwCustomMaskEdit::ShowsTableText(const std::string& tableText) const {
  if (!lines_) return TableText() == tableText;
  // The multi-line box breaks lines with a line feed alone.
  std::string lines = tableText;
  for (size_t at = lines.find("\r\n"); at != std::string::npos; at = lines.find("\r\n", at))
    lines.erase(at, 1);
  return TableText() == lines;
}

}  // namespace edit
