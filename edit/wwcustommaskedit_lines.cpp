// The edit box's two shapes: its own one-line box, or the multi-line box
// that covers it while it wraps, takes Enter or scrolls vertically. The text,
// caret and selection answer for whichever is shown.
#include <QKeyEvent>
#include <algorithm>

#include "edit/multi_line_box.h"
#include "edit/wwdbedit.h"

namespace edit {

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
    // Typing there marks this box modified. Its own text is left as it was:
    // keeping a copy would lay out the whole text as one line at every key.
    connect(lines_, &QPlainTextEdit::textChanged, this, [this] {
      if (!settingText_) setModified(true);
    });
    setFocusProxy(lines_);
    lines_->SetLook(linesAlignment_, linesHiddenWith_);
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

void TwwCustomMaskEdit::SetLinesLook(Qt::Alignment alignment, QChar hiddenWith) {
  linesAlignment_ = alignment;
  linesHiddenWith_ = hiddenWith;
  if (lines_) lines_->SetLook(alignment, hiddenWith);
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

}  // namespace edit
