// The editor a CellGrid shows over its current cell, without a frame. It is
// one line normally; in multi-line mode it wraps its text at its own width
// and scrolls vertically to keep the caret in view, and Ctrl+Enter starts a
// new line (Enter stays the grid's). Keys that move between cells (Up, Down,
// Page Up, Page Down, Tab, Escape, Enter, Ctrl with a movement key, Left and
// Right past the ends of the text, Home and End with the whole text selected)
// go to the grid; the rest edit the text, and every change the user makes is
// handed to the grid's setEditText.
//
// Its text uses "\n" for a line break whatever the field stored; the grid
// converts when it writes back. Positions count the characters of text().
// Every way text can be put in (keys, the clipboard, the context menu, a drop)
// passes through insertText or acceptUserChange, so a derived editor can check
// or refuse it.
#pragma once

#include <QPlainTextEdit>

namespace toolkit {

class CellGrid;

class InplaceEditor : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit InplaceEditor(CellGrid* grid);

  CellGrid* grid() const { return grid_; }
  bool multiLine() const { return multiLine_; }
  void setMultiLine(bool on);

  // The text as the user sees it; setting it is not a user change.
  QString text() const { return toPlainText(); }
  void setText(const QString& text);
  // Shows text as the editor's own (not a user change) with all selected.
  void loadText(const QString& text);

  int maxLength() const { return maxLength_; }
  void setMaxLength(int length) { maxLength_ = length; }

  int cursorPosition() const { return textCursor().position(); }
  void setCursorPosition(int position);
  bool hasSelectedText() const { return textCursor().hasSelection(); }
  QString selectedText() const;
  int selectionStart() const { return textCursor().selectionStart(); }
  void end(bool mark);

  // Whether a key goes to the grid rather than the text.
  bool keyBelongsToGrid(const QKeyEvent& event) const;
  // The keys that always move to another cell (rows, pages, Tab), from this
  // editor or from any control shown over a cell.
  static bool movesToAnotherCell(int key);

 signals:
  // The user changed the text (not a programmatic set).
  void textEdited(const QString& text);

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void insertFromMimeData(const QMimeData* source) override;
  // Hands a key to the grid as if it had been pressed there.
  void passToGrid(QKeyEvent* event);
  // Puts text in place of the selection as the user's change, within the
  // length limit; a derived editor checks it first. False when refused.
  virtual bool insertText(const QString& text);
  // Called after any change the user made by a path without its own check
  // (undo, the context menu's cut and delete); false undoes it.
  virtual bool acceptUserChange() { return true; }
  // The text as this editor can hold it: one line unless multi-line.
  QString fitText(QString text) const;

 private:
  friend class CellGrid;
  void changed();

  CellGrid* grid_;
  bool multiLine_ = false;
  int maxLength_ = 32767;
  bool loading_ = false;
  QString accepted_;  // the text before the latest user change
};

}  // namespace toolkit
