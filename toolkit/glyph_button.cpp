#include "glyph_button.h"

#include <QDialog>
#include <QShortcut>
#include <QStyleOptionButton>
#include <QStylePainter>

namespace toolkit {

namespace {
QString defaultCaption(ButtonKind kind) {
  switch (kind) {
    case ButtonKind::kOk:
      return QStringLiteral("OK");
    case ButtonKind::kCancel:
      return QStringLiteral("Cancel");
    case ButtonKind::kHelp:
      return QStringLiteral("&Help");
    case ButtonKind::kClose:
      return QStringLiteral("&Close");
    case ButtonKind::kCustom:
      break;
  }
  return {};
}

QSize captionSize(const QFontMetrics& metrics, const QString& caption) {
  if (caption.isEmpty()) return {};
  return metrics.size(Qt::TextShowMnemonic, caption);
}
}  // namespace

GlyphButton::GlyphButton(QWidget* parent) : QPushButton(parent) {
  connect(this, &QPushButton::clicked, this, &GlyphButton::runKind);
}

void GlyphButton::setGlyph(const QImage& bitmap, int numGlyphs) {
  images_ = splitGlyph(bitmap, numGlyphs);
  updateGeometry();
  update();
}

void GlyphButton::setKind(ButtonKind kind) {
  kind_ = kind;
  if (kind == ButtonKind::kCustom) return;
  setGlyph(standardGlyph(kind), 2);
  setText(defaultCaption(kind));
  setCancel(kind == ButtonKind::kCancel);
}

void GlyphButton::setPlacement(GlyphPlacement placement) {
  placement_ = placement;
  update();
}

void GlyphButton::setMargin(int margin) {
  margin_ = margin;
  update();
}

void GlyphButton::setSpacing(int spacing) {
  spacing_ = spacing;
  update();
}

void GlyphButton::setCancel(bool cancel) {
  if (cancel == isCancel()) return;
  if (cancel) {
    escape_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape_->setContext(Qt::WindowShortcut);
    connect(escape_, &QShortcut::activated, this, [this] {
      if (isEnabled()) animateClick();
    });
  } else {
    delete escape_;
    escape_ = nullptr;
  }
}

void GlyphButton::runKind() {
  switch (kind_) {
    case ButtonKind::kOk:
    case ButtonKind::kCancel:
      if (auto* dialog = qobject_cast<QDialog*>(window()))
        dialog->done(kind_ == ButtonKind::kOk ? QDialog::Accepted : QDialog::Rejected);
      break;
    case ButtonKind::kClose:
      window()->close();
      break;
    case ButtonKind::kHelp:
    case ButtonKind::kCustom:
      break;
  }
}

GlyphLayout GlyphButton::currentLayout() const {
  QStyleOptionButton option;
  initStyleOption(&option);
  const QRect face = style()->subElementRect(QStyle::SE_PushButtonContents, &option, this);
  return layoutGlyphAndCaption(face, images_.normal.size(), captionSize(fontMetrics(), text()),
                               placement_, margin_, spacing_);
}

QSize GlyphButton::sizeHint() const {
  const QSize caption = captionSize(fontMetrics(), text());
  const QSize glyph = images_.normal.size();
  const int gap = glyph.isEmpty() || caption.isEmpty() ? 0 : std::max(spacing_, 4);
  const bool horizontal =
      placement_ == GlyphPlacement::kGlyphLeft || placement_ == GlyphPlacement::kGlyphRight;
  const QSize contents = horizontal ? QSize(glyph.width() + gap + caption.width(),
                                            std::max(glyph.height(), caption.height()))
                                    : QSize(std::max(glyph.width(), caption.width()),
                                            glyph.height() + gap + caption.height());
  QStyleOptionButton option;
  initStyleOption(&option);
  return style()->sizeFromContents(QStyle::CT_PushButton, &option, contents, this);
}

void GlyphButton::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionButton option;
  initStyleOption(&option);
  painter.drawControl(QStyle::CE_PushButtonBevel, option);

  const bool sunken = isDown() || isChecked();
  const QPoint shift = sunken ? QPoint(1, 1) : QPoint();
  const GlyphLayout layout = currentLayout();
  if (hasGlyph()) {
    const QImage& image = !isEnabled()  ? images_.disabled
                          : isChecked() ? images_.down
                          : isDown()    ? images_.pressed
                                        : images_.normal;
    painter.drawImage(layout.glyph + shift, image);
  }
  if (!text().isEmpty()) {
    painter.drawItemText(layout.caption.translated(shift), Qt::AlignCenter | Qt::TextShowMnemonic,
                         palette(), isEnabled(), text(), QPalette::ButtonText);
  }
  if (hasFocus()) {
    QStyleOptionFocusRect focus;
    focus.initFrom(this);
    focus.rect = rect().adjusted(4, 4, -4, -4);
    painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
  }
}

}  // namespace toolkit
