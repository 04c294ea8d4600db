// A push button that shows a glyph beside its caption. The glyph bitmap holds
// NumGlyphs images side by side (normal, greyed, pressed, down; see
// glyph_bitmap.h); the colour of its lower-left pixel is transparent. The
// caption marks its access key with "&" ("&&" for a plain "&").
//
// Kind gives the standard buttons their glyph, caption and effect: kOk and
// kCancel end a modal QDialog with Accepted or Rejected, kClose closes the
// window the button is on, kHelp does nothing of itself. Setting a glyph
// after the kind keeps the effect. Cancel makes Escape click the button.
#pragma once

#include <QImage>
#include <QPushButton>

#include "toolkit/glyph_bitmap.h"
#include "toolkit/glyph_layout.h"
#include "toolkit/standard_glyphs.h"

class QShortcut;

namespace toolkit {

class GlyphButton : public QPushButton {
  Q_OBJECT
 public:
  explicit GlyphButton(QWidget* parent = nullptr);

  void setGlyph(const QImage& bitmap, int numGlyphs = 2);
  const GlyphImages& glyph() const { return images_; }
  bool hasGlyph() const { return !images_.normal.isNull(); }

  void setKind(ButtonKind kind);
  ButtonKind kind() const { return kind_; }

  void setPlacement(GlyphPlacement placement);
  void setMargin(int margin);    // -1: centred
  void setSpacing(int spacing);  // -1: shared out; default 4
  int margin() const { return margin_; }
  int spacing() const { return spacing_; }

  void setCancel(bool cancel);
  bool isCancel() const { return escape_ != nullptr; }

  // The face's layout for the current size, font and glyph.
  GlyphLayout currentLayout() const;
  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  void runKind();

  GlyphImages images_;
  ButtonKind kind_ = ButtonKind::kCustom;
  GlyphPlacement placement_ = GlyphPlacement::kGlyphLeft;
  int margin_ = -1;
  int spacing_ = 4;
  QShortcut* escape_ = nullptr;
};

}  // namespace toolkit
