#include "edit/multi_line_box.h"

#include <QContextMenuEvent>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QPainter>
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

void MultiLineBox::SetLook(Qt::Alignment alignment, QChar hiddenWith) {
  QTextOption option = document()->defaultTextOption();
  option.setAlignment(alignment);
  document()->setDefaultTextOption(option);
  hiddenWith_ = hiddenWith;
  viewport()->update();
}

QString MultiLineBox::ShownText() const {
  const QString text = toPlainText();
  return hiddenWith_.isNull() ? text : QString(text.size(), hiddenWith_);
}

void MultiLineBox::paintEvent(QPaintEvent* event) {
  if (hiddenWith_.isNull()) {
    QPlainTextEdit::paintEvent(event);
    return;
  }
  // The document would paint the password itself: the marks are painted
  // instead, wrapped at the box's width, with neither lines nor caret that
  // would tell its length or shape apart from the count of characters.
  QPainter painter(viewport());
  painter.fillRect(viewport()->rect(), palette().base());
  painter.setPen(palette().text().color());
  painter.setFont(font());
  QTextOption option = document()->defaultTextOption();
  option.setWrapMode(QTextOption::WrapAnywhere);
  const qreal margin = document()->documentMargin();
  painter.drawText(QRectF(viewport()->rect()).adjusted(margin, margin, -margin, -margin),
                   ShownText(), option);
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
