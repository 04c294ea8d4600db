#include "cell_grid.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>
#include <cstdlib>

#include "toolkit/font_mapping.h"
#include "toolkit/inplace_editor.h"
#include "toolkit/painter_canvas.h"

namespace toolkit {

namespace {

// How near to a column's line the mouse must be for sizing it.
constexpr int kSizingSlack = 3;

bool meets(const Rect& a, const Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

}  // namespace

CellGrid::CellGrid(QWidget* parent) : QWidget(parent) {
  setFocusPolicy(Qt::StrongFocus);
  setAttribute(Qt::WA_OpaquePaintEvent);
  // The sizing cursor shows over a column line before any button is down.
  setMouseTracking(true);
  colWidths_.assign(2, defaultColWidth_);
  tabStops_.assign(2, true);
  vbar_ = new QScrollBar(Qt::Vertical, this);
  vbar_->setFocusPolicy(Qt::NoFocus);
  vbar_->hide();
  hbar_ = new QScrollBar(Qt::Horizontal, this);
  hbar_->setFocusPolicy(Qt::NoFocus);
  connect(hbar_, &QScrollBar::valueChanged, this, [this](int value) {
    if (!updatingBars_) setLeftCol(value);
  });
  connect(vbar_, &QScrollBar::actionTriggered, this, [this](int action) {
    switch (action) {
      case QAbstractSlider::SliderSingleStepSub:
        verticalScroll(ScrollAction::kLineUp, 0);
        break;
      case QAbstractSlider::SliderSingleStepAdd:
        verticalScroll(ScrollAction::kLineDown, 0);
        break;
      case QAbstractSlider::SliderPageStepSub:
        verticalScroll(ScrollAction::kPageUp, 0);
        break;
      case QAbstractSlider::SliderPageStepAdd:
        verticalScroll(ScrollAction::kPageDown, 0);
        break;
      case QAbstractSlider::SliderToMinimum:
        verticalScroll(ScrollAction::kTop, 0);
        break;
      case QAbstractSlider::SliderToMaximum:
        verticalScroll(ScrollAction::kBottom, 0);
        break;
      default:
        break;
    }
  });
  // Only the released thumb moves the rows; tracking shows the position.
  connect(vbar_, &QScrollBar::sliderReleased, this,
          [this] { verticalScroll(ScrollAction::kThumbPosition, vbar_->sliderPosition()); });
  // The actions above already moved the rows; the bar follows them.
  vbar_->setTracking(false);
  layoutBars();
}

CellGrid::~CellGrid() = default;

void CellGrid::setColCount(int count) {
  count = std::max(count, 1);
  if (count == colCount()) return;
  colWidths_.resize(static_cast<size_t>(count), defaultColWidth_);
  tabStops_.resize(static_cast<size_t>(count), true);
  fixedCols_ = std::min(fixedCols_, count - 1);
  col_ = std::clamp(col_, fixedCols_, count - 1);
  leftCol_ = std::clamp(leftCol_, fixedCols_, count - 1);
  updateHorizontalBar();
  update();
}

void CellGrid::setRowCount(int count) {
  count = std::max(count, 1);
  if (count == rowCount_) return;
  rowCount_ = count;
  fixedRows_ = std::min(fixedRows_, count - 1);
  row_ = std::clamp(row_, fixedRows_, count - 1);
  topRow_ = std::clamp(topRow_, fixedRows_, count - 1);
  update();
}

void CellGrid::setFixedCols(int count) {
  fixedCols_ = std::clamp(count, 0, colCount() - 1);
  col_ = std::max(col_, fixedCols_);
  leftCol_ = std::max(leftCol_, fixedCols_);
  updateHorizontalBar();
  update();
}

void CellGrid::setFixedRows(int count) {
  fixedRows_ = std::clamp(count, 0, rowCount_ - 1);
  row_ = std::max(row_, fixedRows_);
  topRow_ = fixedRows_;
  update();
}

void CellGrid::setColWidth(int col, int width) {
  int& stored = colWidths_.at(static_cast<size_t>(col));
  if (stored == width) return;
  stored = width;
  updateHorizontalBar();
  updateEditorGeometry();
  update();
}

void CellGrid::setDefaultRowHeight(int height) {
  if (height == defaultRowHeight_) return;
  defaultRowHeight_ = height;
  updateEditorGeometry();
  update();
}

int CellGrid::rowHeight(int row) const {
  return row == 0 && titleRowHeight_ >= 0 ? titleRowHeight_ : defaultRowHeight_;
}

void CellGrid::setTitleRowHeight(int height) {
  if (height == titleRowHeight_) return;
  titleRowHeight_ = height;
  updateEditorGeometry();
  update();
}

void CellGrid::setOptions(const GridOptions& options) {
  if (options == options_) return;
  options_ = options;
  if (!options_.editing) hideEditor();
  update();
}

int CellGrid::columnLeft(int col) const {
  const int line = gridLineWidth();
  int x = 0;
  for (int c = 0; c < std::min(col, fixedCols_); ++c) x += colWidth(c) + line;
  if (col < fixedCols_) return x;
  if (col < leftCol_) return -1;
  for (int c = leftCol_; c < col; ++c) x += colWidth(c) + line;
  return x;
}

int CellGrid::rowTop(int row) const {
  const int line = gridLineWidth();
  int y = 0;
  for (int r = 0; r < std::min(row, fixedRows_); ++r) y += rowHeight(r) + line;
  if (row < fixedRows_) return y;
  if (row < topRow_) return -1;
  // Scrolling rows all share the default height (only row 0 has its own).
  return y + (row - topRow_) * (defaultRowHeight_ + line);
}

Rect CellGrid::clientRect() const {
  return Rect{0, 0, width() - (vbar_->isVisible() ? vbar_->width() : 0),
              height() - (hbar_->isVisible() ? hbar_->height() : 0)};
}

Rect CellGrid::cellRect(int col, int row) const {
  if (col < 0 || col >= colCount() || row < 0 || row >= rowCount_) return {};
  const int left = columnLeft(col);
  const int top = rowTop(row);
  const Rect client = clientRect();
  if (left < 0 || top < 0 || left >= client.right || top >= client.bottom) return {};
  return Rect{left, top, left + colWidth(col), top + rowHeight(row)};
}

bool CellGrid::cellAt(Point point, int* col, int* row) const {
  const Rect client = clientRect();
  if (point.x < 0 || point.y < 0 || point.x >= client.right || point.y >= client.bottom)
    return false;
  const int line = gridLineWidth();
  int found = -1;
  for (int c = 0, x = 0; c < colCount(); ++c) {
    if (c >= fixedCols_ && c < leftCol_) continue;
    if (point.x < x + colWidth(c) + line) {
      found = c;
      break;
    }
    x += colWidth(c) + line;
    if (x >= client.right) break;
  }
  if (found < 0) return false;
  int foundRow = -1;
  for (int r = 0, y = 0; r < rowCount_; ++r) {
    if (r >= fixedRows_ && r < topRow_) continue;
    if (point.y < y + rowHeight(r) + line) {
      foundRow = r;
      break;
    }
    y += rowHeight(r) + line;
    if (y >= client.bottom) break;
  }
  if (foundRow < 0) return false;
  *col = found;
  *row = foundRow;
  return true;
}

int CellGrid::visibleRowCount() const {
  const int line = gridLineWidth();
  const int bottom = clientRect().bottom;
  int count = 0;
  for (int r = topRow_, y = rowTop(topRow_); r < rowCount_; ++r) {
    y += defaultRowHeight_ + line;
    if (y > bottom) break;
    ++count;
  }
  return count;
}

int CellGrid::visibleColCount() const {
  const int line = gridLineWidth();
  const int right = clientRect().right;
  int count = 0;
  for (int c = leftCol_, x = columnLeft(leftCol_); c < colCount(); ++c) {
    x += colWidth(c) + line;
    if (x > right) break;
    ++count;
  }
  return count;
}

void CellGrid::invalidate(const QRect& area) {
  pending_ += area;
  update(area);
}

void CellGrid::invalidateCell(int col, int row) {
  const Rect r = cellRect(col, row);
  if (r.empty()) return;
  const int line = gridLineWidth();
  invalidate(QRect(r.left, r.top, r.width() + line, r.height() + line));
}

void CellGrid::invalidateRow(int row) {
  const Rect r = cellRect(0, row);
  if (r.empty()) return;
  invalidate(QRect(0, r.top, width(), r.height() + gridLineWidth()));
}

void CellGrid::invalidateGrid() {
  invalidate(rect());
}

void CellGrid::scrollPixels(int dy, const Rect& rect) {
  const Rect client = clientRect();
  const QRect area = QRect(rect.left, rect.top, rect.width(), rect.height())
                         .intersected(QRect(0, 0, client.width(), client.height()));
  if (area.isEmpty()) return;
  scroll(0, dy, area);
  // What was marked inside the area moved with its pixels; the strip the
  // pixels left behind needs painting.
  const QRegion inside = pending_ & area;
  pending_ -= area;
  pending_ += inside.translated(0, dy) & area;
  if (std::abs(dy) >= area.height())
    pending_ += area;
  else if (dy < 0)
    pending_ += QRect(area.left(), area.bottom() + 1 + dy, area.width(), -dy);
  else if (dy > 0)
    pending_ += QRect(area.left(), area.top(), area.width(), dy);
}

void CellGrid::paintPendingNow() {
  if (!isVisible() || pending_.isEmpty()) return;
  const QRegion area = pending_;
  pending_ = QRegion();
  repaint(area);
}

void CellGrid::moveCurrent(int col, int row, bool show) {
  col = std::clamp(col, fixedCols_, colCount() - 1);
  row = std::clamp(row, fixedRows_, rowCount_ - 1);
  if (col == col_ && row == row_) return;
  if (options_.rowSelect) {
    invalidateRow(row_);
    invalidateRow(row);
  } else {
    invalidateCell(col_, row_);
    invalidateCell(col, row);
  }
  col_ = col;
  row_ = row;
  if (show) {
    if (col_ < leftCol_) {
      setLeftCol(col_);
    } else {
      const int right = clientRect().right;
      int left = leftCol_;
      while (left < col_) {
        int x = 0;
        for (int c = 0; c < fixedCols_; ++c) x += colWidth(c) + gridLineWidth();
        for (int c = left; c <= col_; ++c) x += colWidth(c) + gridLineWidth();
        if (x <= right) break;
        ++left;
      }
      setLeftCol(left);
    }
  }
  if (editor_ && editor_->isVisible()) {
    editor_->loadText(getEditText(col_, row_));
    updateEditorGeometry();
  }
}

void CellGrid::setLeftCol(int col) {
  col = std::clamp(col, fixedCols_, colCount() - 1);
  if (col == leftCol_) return;
  leftCol_ = col;
  updateHorizontalBar();
  updateEditorGeometry();
  update();
  topLeftChanged();
}

void CellGrid::setVerticalRange(int min, int max) {
  const bool show = max > min;
  vbar_->setRange(min, max);
  vbar_->setPageStep(1);
  if (show != vbar_->isVisible()) {
    vbar_->setVisible(show);
    layoutBars();
  }
}

void CellGrid::setVerticalPosition(int position) {
  if (vbar_->isSliderDown()) return;
  vbar_->setSliderPosition(position);
}

void CellGrid::setShowHorzScrollBar(bool show) {
  showHorz_ = show;
  updateHorizontalBar();
}

void CellGrid::updateHorizontalBar() {
  // The last left column that still shows the last column whole.
  const int right = clientRect().right;
  int fixedWidth = 0;
  for (int c = 0; c < fixedCols_; ++c) fixedWidth += colWidth(c) + gridLineWidth();
  int maxLeft = colCount() - 1;
  int x = fixedWidth + colWidth(maxLeft) + gridLineWidth();
  while (maxLeft > fixedCols_ && x + colWidth(maxLeft - 1) + gridLineWidth() <= right) {
    --maxLeft;
    x += colWidth(maxLeft) + gridLineWidth();
  }
  maxLeft = std::max(maxLeft, fixedCols_);
  updatingBars_ = true;
  hbar_->setRange(fixedCols_, maxLeft);
  hbar_->setValue(leftCol_);
  updatingBars_ = false;
  const bool show = showHorz_ && maxLeft > fixedCols_;
  if (show != hbar_->isVisible()) {
    hbar_->setVisible(show);
    layoutBars();
  }
}

void CellGrid::layoutBars() {
  const int barWidth = vbar_->sizeHint().width();
  const int barHeight = hbar_->sizeHint().height();
  const int h = height() - (hbar_->isVisible() ? barHeight : 0);
  const int w = width() - (vbar_->isVisible() ? barWidth : 0);
  vbar_->setGeometry(width() - barWidth, 0, barWidth, h);
  hbar_->setGeometry(0, height() - barHeight, w, barHeight);
}

InplaceEditor* CellGrid::createEditor() {
  return new InplaceEditor(this);
}

bool CellGrid::canEditShow() const {
  return options_.editing && !options_.rowSelect && (editorMode_ || options_.alwaysShowEditor) &&
         col_ >= fixedCols_ && row_ >= fixedRows_;
}

void CellGrid::setEditorMode(bool on) {
  if (on)
    showEditor();
  else
    hideEditor();
}

void CellGrid::showEditor() {
  editorMode_ = true;
  if (!canEditShow()) {
    editorMode_ = false;
    return;
  }
  if (!editor_) editor_ = createEditor();
  editor_->setFont(font());
  editor_->setMultiLine(editorMultiLine());
  editor_->setMaxLength(getEditLimit() > 0 ? getEditLimit() : 32767);
  editor_->loadText(getEditText(col_, row_));
  placeEditor();
  editor_->show();
  if (hasFocus()) editor_->setFocus();
}

void CellGrid::hideEditor() {
  editorMode_ = false;
  if (!editor_ || !editor_->isVisible()) return;
  // The grid takes the focus first, so that it never passes through another
  // control (which would count as leaving the grid).
  if (editor_->hasFocus()) setFocus();
  editor_->hide();
}

void CellGrid::invalidateEditor() {
  if (editor_ && editor_->isVisible()) editor_->loadText(getEditText(col_, row_));
}

bool CellGrid::gridFocused() const {
  return hasFocus() || (editor_ && editor_->hasFocus());
}

void CellGrid::updateEditorGeometry() {
  if (editor_ && editor_->isVisible()) placeEditor();
}

void CellGrid::placeEditor() {
  const Rect r = cellRect(col_, row_);
  if (r.empty()) {
    editor_->move(-10000, -10000);
    return;
  }
  editor_->setGeometry(r.left, r.top, r.width(), r.height());
}

void CellGrid::paintCells(Canvas& canvas, const Rect& area) {
  paintCells(canvas, std::vector<Rect>{area});
}

void CellGrid::paintCells(Canvas& canvas, const std::vector<Rect>& areas) {
  const Rect client = clientRect();
  const int line = gridLineWidth();
  int gridRight = 0;
  int gridBottom = 0;
  for (int r = 0; r < rowCount_; ++r) {
    if (r >= fixedRows_ && r < topRow_) continue;
    const int top = rowTop(r);
    if (top >= client.bottom) break;
    const int bottom = top + rowHeight(r);
    gridBottom = bottom + line;
    for (int c = 0; c < colCount(); ++c) {
      if (c >= fixedCols_ && c < leftCol_) continue;
      const int left = columnLeft(c);
      if (left >= client.right) break;
      const Rect cell{left, top, left + colWidth(c), bottom};
      gridRight = std::max(gridRight, cell.right + line);
      const Rect withLines{cell.left, cell.top, cell.right + line, cell.bottom + line};
      if (std::none_of(areas.begin(), areas.end(),
                       [&](const Rect& area) { return meets(withLines, area); }))
        continue;
      const bool fixed = c < fixedCols_ || r < fixedRows_;
      GridDrawState state;
      state.fixed = fixed;
      state.selected = !fixed && r == row_ && (c == col_ || options_.rowSelect);
      state.focused = c == col_ && r == row_ && gridFocused();
      drawCell(canvas, c, r, cell, state);
      // The grid's own lines right of and below the cell.
      const bool vertical = fixed ? options_.fixedVertLine : options_.vertLine;
      const bool horizontal = fixed ? options_.fixedHorzLine : options_.horzLine;
      canvas.setPen(Pen{fixed ? clBlack : clSilver});
      if (vertical) canvas.line({cell.right, cell.top}, {cell.right, cell.bottom + line});
      if (horizontal) canvas.line({cell.left, cell.bottom}, {cell.right + line, cell.bottom});
      if (!vertical || !horizontal) {
        canvas.setBrush(Brush{fixed ? clBtnFace : clWindow});
        if (!vertical) canvas.fillRect({cell.right, cell.top, cell.right + line, cell.bottom});
        if (!horizontal)
          canvas.fillRect({cell.left, cell.bottom, cell.right + line, cell.bottom + line});
      }
    }
  }
  // Beyond the last column and the last row: the window colour.
  canvas.setBrush(Brush{clWindow});
  if (gridRight < client.right) canvas.fillRect({gridRight, 0, client.right, client.bottom});
  if (gridBottom < client.bottom) canvas.fillRect({0, gridBottom, gridRight, client.bottom});
}

void CellGrid::paintEvent(QPaintEvent* event) {
  pending_ -= event->region();
  QPainter painter(this);
  PainterCanvas canvas(painter);
  // Only the cells in the region are painted, not all in its bounding
  // rectangle: after a one-row scroll the region is a row and the indicator
  // column, whose bounding rectangle is the whole grid.
  std::vector<Rect> areas;
  for (const QRect& r : event->region())
    areas.push_back(Rect{r.left(), r.top(), r.right() + 1, r.bottom() + 1});
  paintCells(canvas, areas);
  if (vbar_->isVisible() && hbar_->isVisible()) {
    const int w = vbar_->width();
    const int h = hbar_->height();
    painter.fillRect(width() - w, height() - h, w, h, qtColor(clBtnFace));
  }
}

void CellGrid::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  layoutBars();
  updateHorizontalBar();
  updateEditorGeometry();
}

int CellGrid::sizingColumnAt(Point point) const {
  if (!options_.colSizing) return -1;
  int col = 0;
  int row = 0;
  if (!cellAt(point, &col, &row) || row >= fixedRows_) return -1;
  const Rect r = cellRect(col, row);
  if (point.x >= r.right - kSizingSlack + 1) return col;
  if (point.x <= r.left + kSizingSlack - 1 && col > 0 && col - 1 >= 0) {
    const Rect left = cellRect(col - 1, row);
    if (!left.empty()) return col - 1;
  }
  return -1;
}

void CellGrid::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  const Point p{event->position().toPoint().x(), event->position().toPoint().y()};
  const int sizing = sizingColumnAt(p);
  if (sizing >= 0) {
    gesture_ = Gesture::kSizing;
    gestureCol_ = sizing;
    gestureStartX_ = p.x;
    gestureStartWidth_ = colWidth(sizing);
    return;
  }
  int col = 0;
  int row = 0;
  if (!cellAt(p, &col, &row)) return;
  if (row < fixedRows_ && col >= fixedCols_ && options_.colMoving) {
    gesture_ = Gesture::kMoving;
    gestureCol_ = col;
    gestureStartX_ = p.x;
    return;
  }
  if (row >= fixedRows_ && col >= fixedCols_ && selectCell(col, row)) moveCurrent(col, row, true);
}

void CellGrid::mouseMoveEvent(QMouseEvent* event) {
  const Point p{event->position().toPoint().x(), event->position().toPoint().y()};
  if (gesture_ == Gesture::kSizing) {
    setColWidth(gestureCol_, std::max(1, gestureStartWidth_ + p.x - gestureStartX_));
    return;
  }
  if (gesture_ == Gesture::kNone)
    setCursor(sizingColumnAt(p) >= 0 ? Qt::SplitHCursor : Qt::ArrowCursor);
}

void CellGrid::mouseReleaseEvent(QMouseEvent* event) {
  const Point p{event->position().toPoint().x(), event->position().toPoint().y()};
  const Gesture gesture = gesture_;
  gesture_ = Gesture::kNone;
  if (gesture == Gesture::kSizing) {
    colWidthsChanged();
    return;
  }
  if (gesture != Gesture::kMoving || std::abs(p.x - gestureStartX_) < 4) return;
  int col = 0;
  int row = 0;
  if (!cellAt(Point{p.x, rowTop(0) + 1}, &col, &row) || col < fixedCols_ || col == gestureCol_)
    return;
  const int from = gestureCol_;
  const int width = colWidth(from);
  const bool stop = tabStop(from);
  colWidths_.erase(colWidths_.begin() + from);
  tabStops_.erase(tabStops_.begin() + from);
  colWidths_.insert(colWidths_.begin() + col, width);
  tabStops_.insert(tabStops_.begin() + col, stop);
  update();
  columnMoved(from, col);
}

void CellGrid::baseKeyPress(QKeyEvent* event) {
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
      if (!options_.alwaysShowEditor)
        setEditorMode(!editorMode_ || !editor_ || !editor_->isVisible());
      return;
    case Qt::Key_F2:
      showEditor();
      return;
    default:
      break;
  }
  const QString text = event->text();
  if (!text.isEmpty() && text.at(0).isPrint() && !(event->modifiers() & Qt::ControlModifier)) {
    showEditor();
    if (editor_ && editor_->isVisible()) {
      editor_->selectAll();
      QKeyEvent copy(event->type(), event->key(), event->modifiers(), text);
      editor_->keyPressEvent(&copy);
    }
  }
}

void CellGrid::keyPressEvent(QKeyEvent* event) {
  baseKeyPress(event);
}

void CellGrid::focusInEvent(QFocusEvent* event) {
  QWidget::focusInEvent(event);
  invalidateCell(col_, row_);
}

void CellGrid::focusOutEvent(QFocusEvent* event) {
  QWidget::focusOutEvent(event);
  invalidateCell(col_, row_);
}

}  // namespace toolkit
