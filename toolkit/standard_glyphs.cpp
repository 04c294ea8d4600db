#include "standard_glyphs.h"

#include <QPainter>
#include <QPainterPath>

#include "toolkit/glyph_bitmap.h"

namespace toolkit {

namespace {

constexpr int kSize = 18;
const QColor kGround(128, 128, 0);

void drawTick(QPainter& painter) {
  painter.setPen(QPen(QColor(0, 128, 0), 3, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
  painter.drawPolyline(QPolygon({{3, 9}, {7, 13}, {15, 4}}));
}

void drawCross(QPainter& painter) {
  painter.setPen(QPen(QColor(192, 0, 0), 3, Qt::SolidLine, Qt::SquareCap));
  painter.drawLine(4, 4, 13, 13);
  painter.drawLine(13, 4, 4, 13);
}

void drawQuestionMark(QPainter& painter) {
  painter.setPen(QPen(QColor(0, 0, 160), 2.5, Qt::SolidLine, Qt::RoundCap));
  QPainterPath hook;
  hook.moveTo(5, 6);
  hook.cubicTo(5, 1, 13, 1, 13, 6);
  hook.cubicTo(13, 9, 9, 9, 9, 12);
  painter.drawPath(hook);
  painter.setBrush(QColor(0, 0, 160));
  painter.setPen(Qt::NoPen);
  painter.drawEllipse(QPointF(9, 15.5), 1.5, 1.5);
}

void drawOpenDoor(QPainter& painter) {
  painter.setPen(QPen(Qt::black, 1));
  painter.setBrush(Qt::black);
  painter.drawRect(3, 2, 11, 14);  // the dark doorway
  painter.setBrush(QColor(160, 96, 32));
  painter.drawPolygon(QPolygon({{3, 2}, {9, 4}, {9, 17}, {3, 16}}));  // the door swung open
  painter.setPen(QPen(QColor(255, 255, 0), 1));
  painter.drawPoint(8, 10);  // its knob
}

}  // namespace

QImage standardGlyph(ButtonKind kind) {
  if (kind == ButtonKind::kCustom) return {};
  QImage normal(kSize, kSize, QImage::Format_ARGB32);
  normal.fill(Qt::transparent);
  {
    QPainter painter(&normal);
    painter.setRenderHint(QPainter::Antialiasing, kind == ButtonKind::kHelp);
    switch (kind) {
      case ButtonKind::kOk:
        drawTick(painter);
        break;
      case ButtonKind::kCancel:
        drawCross(painter);
        break;
      case ButtonKind::kHelp:
        drawQuestionMark(painter);
        break;
      case ButtonKind::kClose:
        drawOpenDoor(painter);
        break;
      case ButtonKind::kCustom:
        break;
    }
  }
  QImage bitmap(2 * kSize, kSize, QImage::Format_RGB32);
  bitmap.fill(kGround);
  QPainter painter(&bitmap);
  painter.drawImage(0, 0, normal);
  painter.drawImage(kSize, 0, greyedGlyph(normal, Qt::white, QColor(128, 128, 128)));
  return bitmap;
}

}  // namespace toolkit
