#include "tab_control.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QStyleOptionTab>
#include <QStyleOptionTabWidgetFrame>
#include <QStylePainter>

namespace toolkit {

namespace {
// Room above the rows for the selected tab, which the style draws raised.
constexpr int kTopMargin = 2;
constexpr int kSideMargin = 2;
}  // namespace

TabControl::TabControl(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
}

void TabControl::setTabs(const QStringList& captions) {
  tabs_ = captions;
  if (index_ >= count()) index_ = -1;
  if (index_ < 0 && !tabs_.isEmpty()) index_ = 0;
  relayout();
}

void TabControl::setTabIndex(int index) {
  index_ = index >= 0 && index < count() ? index : -1;
  relayout();
}

void TabControl::setMultiLine(bool multiLine) {
  multiLine_ = multiLine;
  relayout();
}

// The style's own size for a tab round this caption, so its label is never cut.
QSize TabControl::naturalTabSize(const QString& caption) const {
  QStyleOptionTab tab;
  tab.initFrom(this);
  tab.text = caption;
  tab.shape = QTabBar::RoundedNorth;
  const int hspace = style()->pixelMetric(QStyle::PM_TabBarTabHSpace, &tab, this);
  const int vspace = style()->pixelMetric(QStyle::PM_TabBarTabVSpace, &tab, this);
  const QSize text(fontMetrics().horizontalAdvance(caption) + hspace,
                   fontMetrics().height() + vspace);
  return style()->sizeFromContents(QStyle::CT_TabBarTab, &tab, text, this);
}

int TabControl::tabHeight() const {
  return naturalTabSize(QStringLiteral("X")).height();
}

void TabControl::relayout() {
  std::vector<int> widths;
  for (const QString& caption : tabs_) widths.push_back(naturalTabSize(caption).width());
  layout_ = layoutTabs(widths, width() - 2 * kSideMargin, multiLine_, index_);
  update();
}

QRect TabControl::tabRect(int index) const {
  if (index < 0 || index >= count()) return {};
  const TabPlacement& tab = layout_.tabs[index];
  const int top = kTopMargin + (layout_.rowCount - 1 - tab.row) * tabHeight();
  return {kSideMargin + tab.left, top, tab.width, tabHeight()};
}

int TabControl::tabAt(QPoint point) const {
  for (int i = 0; i < count(); ++i)
    if (tabRect(i).contains(point)) return i;
  return -1;
}

QRect TabControl::pageRect() const {
  // The frame runs under the lower edge of the tabs, as the style expects.
  const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
  const int top = kTopMargin + layout_.rowCount * tabHeight() - overlap;
  return {0, top, width(), std::max(0, height() - top)};
}

QRect TabControl::displayRect() const {
  QStyleOptionTabWidgetFrame frame;
  frame.initFrom(this);
  frame.rect = pageRect();
  const int border = style()->pixelMetric(QStyle::PM_DefaultFrameWidth, &frame, this);
  return pageRect().adjusted(border, border, -border, -border);
}

QSize TabControl::sizeHint() const {
  int natural = 2 * kSideMargin;
  for (const QString& caption : tabs_) natural += naturalTabSize(caption).width();
  return {natural, kTopMargin + tabHeight() + 2 * fontMetrics().height()};
}

void TabControl::paintEvent(QPaintEvent*) {
  QStylePainter painter(this);
  QStyleOptionTabWidgetFrame frame;
  frame.initFrom(this);
  frame.rect = pageRect();
  frame.shape = QTabBar::RoundedNorth;
  painter.drawPrimitive(QStyle::PE_FrameTabWidget, frame);

  auto drawTab = [&](int i) {
    QStyleOptionTab tab;
    tab.initFrom(this);
    tab.rect = tabRect(i);
    tab.text = tabs_[i];
    tab.shape = QTabBar::RoundedNorth;
    tab.row = layout_.tabs[i].row;
    const bool first = i == 0 || layout_.tabs[i - 1].row != layout_.tabs[i].row;
    const bool last = i == count() - 1 || layout_.tabs[i + 1].row != layout_.tabs[i].row;
    tab.position = first && last ? QStyleOptionTab::OnlyOneTab
                   : first       ? QStyleOptionTab::Beginning
                   : last        ? QStyleOptionTab::End
                                 : QStyleOptionTab::Middle;
    tab.state &= ~(QStyle::State_Selected | QStyle::State_HasFocus | QStyle::State_MouseOver);
    if (i == index_) {
      tab.state |= QStyle::State_Selected;
      if (hasFocus()) tab.state |= QStyle::State_HasFocus;
    }
    painter.drawControl(QStyle::CE_TabBarTab, tab);
    if (i == index_ && hasFocus()) {
      QStyleOptionFocusRect focus;
      focus.initFrom(this);
      focus.rect = tab.rect.adjusted(3, 3, -3, -3);
      painter.drawPrimitive(QStyle::PE_FrameFocusRect, focus);
    }
  };
  // The selected tab last, so it stands over its neighbours and joins the
  // frame; what the style paints below the tabs' band would cover the page.
  const int overlap = style()->pixelMetric(QStyle::PM_TabBarBaseOverlap, nullptr, this);
  painter.setClipRect(QRect(0, 0, width(), pageRect().top() + overlap));
  for (int i = 0; i < count(); ++i)
    if (i != index_) drawTab(i);
  if (index_ >= 0) drawTab(index_);
}

void TabControl::selectByUser(int index) {
  if (index < 0 || index >= count() || index == index_) return;
  setTabIndex(index);
  emit changed();
}

void TabControl::mousePressEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) selectByUser(tabAt(event->position().toPoint()));
  QWidget::mousePressEvent(event);
}

void TabControl::keyPressEvent(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Up:
      selectByUser(index_ - 1);
      break;
    case Qt::Key_Right:
    case Qt::Key_Down:
      selectByUser(index_ + 1);
      break;
    case Qt::Key_Home:
      selectByUser(0);
      break;
    case Qt::Key_End:
      selectByUser(count() - 1);
      break;
    default:
      QWidget::keyPressEvent(event);
      return;
  }
  event->accept();
}

void TabControl::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  relayout();
}

void TabControl::changeEvent(QEvent* event) {
  QWidget::changeEvent(event);
  if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange) relayout();
}

}  // namespace toolkit
