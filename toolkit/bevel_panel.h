// A panel with bevels: an outer and an inner bevel (none, lowered, raised),
// each BevelWidth pixels, with BorderWidth pixels of face between them.
// Raised bevels are light on the top and left edges and shadowed on the
// bottom and right ones; lowered bevels the other way round. Children keep
// the coordinates they are given; clientArea() is the room inside the bevels
// for a child that fills the panel.
#pragma once

#include <QWidget>

namespace toolkit {

enum class Bevel { kNone, kLowered, kRaised };

class BevelPanel : public QWidget {
  Q_OBJECT
 public:
  explicit BevelPanel(QWidget* parent = nullptr);

  void setBevelOuter(Bevel bevel);
  void setBevelInner(Bevel bevel);
  void setBevelWidth(int width);
  void setBorderWidth(int width);
  Bevel bevelOuter() const { return outer_; }
  Bevel bevelInner() const { return inner_; }
  int bevelWidth() const { return bevelWidth_; }
  int borderWidth() const { return borderWidth_; }

  QRect clientArea() const;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  Bevel outer_ = Bevel::kRaised;
  Bevel inner_ = Bevel::kNone;
  int bevelWidth_ = 1;
  int borderWidth_ = 0;
};

}  // namespace toolkit
