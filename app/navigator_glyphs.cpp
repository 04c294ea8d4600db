#include "navigator_glyphs.h"

#include <QPainter>
#include <QPainterPath>
#include <functional>
#include <map>

namespace app {

namespace {

constexpr int kWidth = 15;
constexpr int kHeight = 13;
const QColor kGround(128, 128, 0);

using Shape = std::function<void(QPainter&)>;

void Triangle(QPainter& painter, int tipX, int baseX) {
  painter.drawPolygon(QPolygon({{tipX, 6}, {baseX, 2}, {baseX, 10}}));
}

const std::map<std::string, Shape>& Shapes() {
  static const std::map<std::string, Shape> shapes = {
      {"DBN_FIRST",
       [](QPainter& p) {
         p.drawRect(3, 2, 1, 8);
         Triangle(p, 5, 9);
       }},
      {"DBN_PRIOR", [](QPainter& p) { Triangle(p, 5, 9); }},
      {"DBN_NEXT", [](QPainter& p) { Triangle(p, 9, 5); }},
      {"DBN_LAST",
       [](QPainter& p) {
         Triangle(p, 9, 5);
         p.drawRect(10, 2, 1, 8);
       }},
      {"DBN_INSERT",
       [](QPainter& p) {
         p.drawRect(6, 2, 2, 9);
         p.drawRect(3, 5, 8, 2);
       }},
      {"DBN_DELETE", [](QPainter& p) { p.drawRect(3, 5, 8, 2); }},
      {"DBN_EDIT",
       [](QPainter& p) {
         p.drawPolygon(QPolygon({{7, 2}, {11, 9}, {3, 9}}));
       }},
      {"DBN_POST",
       [](QPainter& p) {
         p.drawPolygon(QPolygon({{2, 6}, {4, 5}, {6, 7}, {11, 2}, {12, 4}, {6, 10}}));
       }},
      {"DBN_CANCEL",
       [](QPainter& p) {
         p.drawPolygon(QPolygon({{3, 3},
                                 {5, 2},
                                 {7, 4},
                                 {9, 2},
                                 {11, 3},
                                 {9, 6},
                                 {11, 9},
                                 {9, 10},
                                 {7, 8},
                                 {5, 10},
                                 {3, 9},
                                 {5, 6}}));
       }},
      {"DBN_REFRESH",
       [](QPainter& p) {
         QPainterPath ring;
         ring.addEllipse(QRectF(2.5, 1.5, 9, 9));
         ring.addEllipse(QRectF(4.5, 3.5, 5, 5));
         ring.setFillRule(Qt::OddEvenFill);
         p.drawPath(ring);
         p.setBrush(kGround);
         p.setPen(Qt::NoPen);
         p.drawRect(8, 0, 5, 5);  // the gap where the arrow comes round
         p.setBrush(p.pen().color());
       }},
  };
  return shapes;
}

QColor InkOf(const std::string& name) {
  if (name == "DBN_POST") return QColor(0, 128, 0);
  if (name == "DBN_CANCEL" || name == "DBN_DELETE") return QColor(128, 0, 0);
  return Qt::black;
}

void Draw(QPainter& painter, const std::string& name, QColor ink, QPoint at) {
  painter.save();
  painter.translate(at);
  painter.setPen(Qt::NoPen);
  painter.setBrush(ink);
  Shapes().at(name)(painter);
  if (name == "DBN_REFRESH") {
    painter.setPen(Qt::NoPen);
    painter.setBrush(ink);
    painter.drawPolygon(QPolygon({{8, 0}, {12, 4}, {8, 5}}));
  }
  painter.restore();
}

}  // namespace

QImage NavigatorGlyph(const std::string& resourceName) {
  if (!Shapes().count(resourceName)) return {};
  QImage bitmap(2 * kWidth, kHeight, QImage::Format_RGB32);
  bitmap.fill(kGround);
  QPainter painter(&bitmap);
  Draw(painter, resourceName, InkOf(resourceName), {0, 0});
  // The disabled image: a white shape one pixel down and right under a grey one.
  Draw(painter, resourceName, Qt::white, {kWidth + 1, 1});
  Draw(painter, resourceName, QColor(128, 128, 128), {kWidth, 0});
  return bitmap;
}

}  // namespace app
