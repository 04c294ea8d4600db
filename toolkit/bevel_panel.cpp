#include "bevel_panel.h"

#include <QPainter>

namespace toolkit {

namespace {
// Draws `width` nested one-pixel frames inward from `box` and answers the box
// left inside them.
QRect drawBevel(QPainter& painter, QRect box, Bevel bevel, int width, const QPalette& palette) {
  if (bevel == Bevel::kNone) return box;
  const QColor light = palette.color(QPalette::Light);
  const QColor shadow = palette.color(QPalette::Dark);
  const QColor topLeft = bevel == Bevel::kRaised ? light : shadow;
  const QColor bottomRight = bevel == Bevel::kRaised ? shadow : light;
  for (int i = 0; i < width && box.width() > 0 && box.height() > 0; ++i) {
    painter.setPen(topLeft);
    painter.drawLine(box.left(), box.bottom(), box.left(), box.top());
    painter.drawLine(box.left(), box.top(), box.right(), box.top());
    painter.setPen(bottomRight);
    painter.drawLine(box.right(), box.top(), box.right(), box.bottom());
    painter.drawLine(box.right(), box.bottom(), box.left(), box.bottom());
    box.adjust(1, 1, -1, -1);
  }
  return box;
}
}  // namespace

BevelPanel::BevelPanel(QWidget* parent) : QWidget(parent) {
  setAutoFillBackground(true);
  setBackgroundRole(QPalette::Button);
}

void BevelPanel::setBevelOuter(Bevel bevel) {
  outer_ = bevel;
  update();
}

void BevelPanel::setBevelInner(Bevel bevel) {
  inner_ = bevel;
  update();
}

void BevelPanel::setBevelWidth(int width) {
  bevelWidth_ = std::max(0, width);
  update();
}

void BevelPanel::setBorderWidth(int width) {
  borderWidth_ = std::max(0, width);
  update();
}

QRect BevelPanel::clientArea() const {
  int inset = borderWidth_;
  if (outer_ != Bevel::kNone) inset += bevelWidth_;
  if (inner_ != Bevel::kNone) inset += bevelWidth_;
  return rect().adjusted(inset, inset, -inset, -inset);
}

void BevelPanel::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  QRect box = drawBevel(painter, rect(), outer_, bevelWidth_, palette());
  box.adjust(borderWidth_, borderWidth_, -borderWidth_, -borderWidth_);
  drawBevel(painter, box, inner_, bevelWidth_, palette());
}

}  // namespace toolkit
