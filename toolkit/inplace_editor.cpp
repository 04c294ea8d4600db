#include "inplace_editor.h"

#include <QKeyEvent>
#include <QMimeData>
#include <algorithm>

#include "toolkit/cell_grid.h"

namespace toolkit {

InplaceEditor::InplaceEditor(CellGrid* grid) : QPlainTextEdit(grid), grid_(grid) {
  setFrameShape(QFrame::NoFrame);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setTabChangesFocus(false);
  // The text sits where the cell painted it (3 pixels in, 2 down), so that it
  // does not jump when the editor opens over the cell.
  document()->setDocumentMargin(1);
  setViewportMargins(2, 1, 1, 0);
  setMultiLine(false);
  hide();
  connect(this, &QPlainTextEdit::textChanged, this, &InplaceEditor::changed);
}

void InplaceEditor::setMultiLine(bool on) {
  multiLine_ = on;
  setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
  setWordWrapMode(on ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
}

void InplaceEditor::setText(const QString& text) {
  loading_ = true;
  setPlainText(text);
  moveCursor(QTextCursor::End);
  loading_ = false;
  accepted_ = toPlainText();
}

void InplaceEditor::loadText(const QString& text) {
  setText(text);
  selectAll();
}

void InplaceEditor::setCursorPosition(int position) {
  QTextCursor cursor = textCursor();
  cursor.setPosition(std::clamp(position, 0, static_cast<int>(toPlainText().size())));
  setTextCursor(cursor);
}

QString InplaceEditor::selectedText() const {
  QString selected = textCursor().selectedText();
  selected.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
  return selected;
}

void InplaceEditor::end(bool mark) {
  moveCursor(QTextCursor::End, mark ? QTextCursor::KeepAnchor : QTextCursor::MoveAnchor);
}

bool InplaceEditor::movesToAnotherCell(int key) {
  switch (key) {
    case Qt::Key_Up:
    case Qt::Key_Down:
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
      return true;
    default:
      return false;
  }
}

bool InplaceEditor::keyBelongsToGrid(const QKeyEvent& event) const {
  const bool ctrl = event.modifiers() & Qt::ControlModifier;
  if (movesToAnotherCell(event.key())) return true;
  switch (event.key()) {
    case Qt::Key_Escape:
    case Qt::Key_F2:
      return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
      // Ctrl+Enter is how a line break is typed in a multi-line cell.
      return !(multiLine_ && ctrl);
    case Qt::Key_Left:
      return ctrl || (!hasSelectedText() && cursorPosition() == 0);
    case Qt::Key_Right:
      return ctrl || (!hasSelectedText() && cursorPosition() == toPlainText().size());
    case Qt::Key_Home:
    case Qt::Key_End:
      return ctrl || selectedText() == toPlainText();
    case Qt::Key_Delete:
      return ctrl;
    case Qt::Key_Insert:
      // Insert alone adds a record; Shift+Insert and Ctrl+Insert are the
      // clipboard's.
      return event.modifiers() == Qt::NoModifier;
    default:
      return false;
  }
}

void InplaceEditor::keyPressEvent(QKeyEvent* event) {
  if (keyBelongsToGrid(*event)) {
    passToGrid(event);
    return;
  }
  const bool ctrl = event->modifiers() & Qt::ControlModifier;
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
    insertText(QStringLiteral("\n"));
    return;
  }
  const QString typed = event->text();
  if (!typed.isEmpty() && typed.at(0).isPrint() && !ctrl) {
    insertText(typed);
    return;
  }
  QPlainTextEdit::keyPressEvent(event);
}

void InplaceEditor::insertFromMimeData(const QMimeData* source) {
  if (source && source->hasText()) insertText(source->text());
}

QString InplaceEditor::fitText(QString text) const {
  const QString lineBreak = multiLine_ ? QStringLiteral("\n") : QStringLiteral(" ");
  text.replace(QLatin1String("\r\n"), lineBreak);
  text.replace(QLatin1String("\n\r"), lineBreak);
  for (QChar breakChar :
       {QChar('\r'), QChar('\n'), QChar(QChar::LineSeparator), QChar(QChar::ParagraphSeparator)})
    text.replace(breakChar, lineBreak);
  return text;
}

bool InplaceEditor::insertText(const QString& text) {
  QString fitted = fitText(text);
  QTextCursor cursor = textCursor();
  const int kept =
      static_cast<int>(toPlainText().size()) - (cursor.selectionEnd() - cursor.selectionStart());
  const int room = std::max(0, maxLength_ - kept);
  // Like a one-line edit box, a full editor takes nothing more, silently.
  if (room == 0 && !fitted.isEmpty()) return false;
  fitted.truncate(room);
  cursor.insertText(fitted);
  setTextCursor(cursor);
  ensureCursorVisible();
  return true;
}

void InplaceEditor::changed() {
  if (loading_) return;
  if (toPlainText() == accepted_) return;
  // Text composed by an input method arrives here unseen by insertText.
  if (toPlainText().size() > maxLength_ || !acceptUserChange()) {
    const QString kept = accepted_;
    setText(kept);
    return;
  }
  accepted_ = toPlainText();
  emit textEdited(accepted_);
  grid_->setEditText(grid_->col(), grid_->row(), accepted_);
}

void InplaceEditor::passToGrid(QKeyEvent* event) {
  grid_->keyPressEvent(event);
  // Handled here: an ignored key would travel on to the grid a second time.
  event->accept();
}

}  // namespace toolkit
