#include "edit/multi_line_box.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPointer>

#include "edit/wwdbedit.h"

namespace edit {

MultiLineBox::MultiLineBox(TwwCustomMaskEdit* owner) : QPlainTextEdit(owner), owner_(owner) {
  // Tab moves on through the form, as from the one-line box.
  setTabChangesFocus(true);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
}

void MultiLineBox::SetReadOnly(bool readOnly) {
  setReadOnly(readOnly);
  if (readOnly) setTextInteractionFlags(textInteractionFlags() | Qt::TextSelectableByKeyboard);
}

template <typename Handler>
void MultiLineBox::HandOver(Handler handler) {
  const bool was = owner_->fromLines_;
  owner_->fromLines_ = true;
  // A handler may close the window the boxes sit on (and an exception may
  // leave it for the application's handler): the mark is taken back only
  // from a box that is still there.
  struct Restore {
    QPointer<TwwCustomMaskEdit> owner;
    bool was;
    ~Restore() {
      if (owner) owner->fromLines_ = was;
    }
  } restore{owner_, was};
  handler();
}

void MultiLineBox::keyPressEvent(QKeyEvent* event) {
  HandOver([&] { owner_->keyPressEvent(event); });
}

void MultiLineBox::keyReleaseEvent(QKeyEvent* event) {
  HandOver([&] { owner_->keyReleaseEvent(event); });
}

void MultiLineBox::focusInEvent(QFocusEvent* event) {
  HandOver([&] { owner_->focusInEvent(event); });
}

void MultiLineBox::focusOutEvent(QFocusEvent* event) {
  HandOver([&] { owner_->focusOutEvent(event); });
}

void MultiLineBox::contextMenuEvent(QContextMenuEvent* event) {
  HandOver([&] { owner_->contextMenuEvent(event); });
}

}  // namespace edit
