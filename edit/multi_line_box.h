// The multi-line box an edit box shows while it wraps, takes Enter or scrolls
// vertically. It covers the one-line box it belongs to and takes its focus;
// its key, focus and menu events go to that box's handlers, which keep their
// one set of rules (picture, edit mask, edit mode, leaving) for both shapes.
#pragma once

#include <QPlainTextEdit>

namespace edit {

class TwwCustomMaskEdit;

class MultiLineBox : public QPlainTextEdit {
  Q_OBJECT
 public:
  explicit MultiLineBox(TwwCustomMaskEdit* owner);

  // Read-only while the row browses, yet the caret still moves with the
  // keys, as in the one-line box, so the first key that edits lands there.
  void SetReadOnly(bool readOnly);
  // The alignment of every line, and the mark that stands for each
  // character while the text is hidden (none shows it).
  void SetLook(Qt::Alignment alignment, QChar hiddenWith);
  // The text as it is painted: the text itself, or one mark per character.
  QString ShownText() const;

  // What the multi-line box does with an event on its own.
  void DefaultKeyPress(QKeyEvent* event) { QPlainTextEdit::keyPressEvent(event); }
  void DefaultKeyRelease(QKeyEvent* event) { QPlainTextEdit::keyReleaseEvent(event); }
  void DefaultFocusIn(QFocusEvent* event) { QPlainTextEdit::focusInEvent(event); }
  void DefaultFocusOut(QFocusEvent* event) { QPlainTextEdit::focusOutEvent(event); }

 protected:
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  template <typename Handler>
  void HandOver(Handler handler);

  TwwCustomMaskEdit* owner_;
  QChar hiddenWith_;
};

}  // namespace edit
