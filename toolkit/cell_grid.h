// A scrolling grid of cells: fixed rows and columns at the top and left,
// per-column widths, a title row height and a default row height, a current
// cell, horizontal scrolling by columns, hit testing, column sizing and moving
// with the mouse, and an in-place editor over the current cell. It paints
// nothing itself but the grid lines: drawCell is called for every cell that
// needs painting, through a Canvas, so a derived grid's painting can also be
// run on a recording canvas (paintCells).
//
// Geometry: every cell is followed by a line of gridLineWidth() pixels when
// the options ask for lines; cellRect excludes that line. Rows below the fixed
// ones start at topRow (a data-bound grid keeps it at the first scrolling row
// and moves its rows itself). Coordinates are the widget's, in pixels.
#pragma once

#include <QRegion>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

#include "toolkit/canvas.h"

class QScrollBar;

namespace toolkit {

class InplaceEditor;

struct GridOptions {
  bool fixedVertLine = true;
  bool fixedHorzLine = true;
  bool vertLine = true;
  bool horzLine = true;
  bool colSizing = false;
  bool colMoving = false;
  bool editing = false;
  bool tabs = false;
  bool rowSelect = false;
  bool alwaysShowEditor = false;
  friend bool operator==(const GridOptions&, const GridOptions&) = default;
};

// What drawCell is told about a cell.
struct GridDrawState {
  bool selected = false;
  bool focused = false;
  bool fixed = false;
};

// What the vertical scroll bar reports, for a grid that drives it itself.
enum class ScrollAction { kLineUp, kLineDown, kPageUp, kPageDown, kThumbPosition, kTop, kBottom };

class CellGrid : public QWidget {
  Q_OBJECT
 public:
  explicit CellGrid(QWidget* parent = nullptr);
  ~CellGrid() override;

  int colCount() const { return static_cast<int>(colWidths_.size()); }
  void setColCount(int count);
  int rowCount() const { return rowCount_; }
  void setRowCount(int count);
  int fixedCols() const { return fixedCols_; }
  void setFixedCols(int count);
  int fixedRows() const { return fixedRows_; }
  void setFixedRows(int count);
  int colWidth(int col) const { return colWidths_.at(static_cast<size_t>(col)); }
  void setColWidth(int col, int width);
  int defaultColWidth() const { return defaultColWidth_; }
  int defaultRowHeight() const { return defaultRowHeight_; }
  void setDefaultRowHeight(int height);
  // Row 0's own height (the title row); the others use the default.
  int rowHeight(int row) const;
  void setTitleRowHeight(int height);
  bool tabStop(int col) const { return tabStops_.at(static_cast<size_t>(col)); }
  void setTabStop(int col, bool stop) { tabStops_.at(static_cast<size_t>(col)) = stop; }

  const GridOptions& options() const { return options_; }
  void setOptions(const GridOptions& options);
  int gridLineWidth() const { return 1; }

  // The current cell.
  int col() const { return col_; }
  int row() const { return row_; }
  // Moves the current cell; with show, scrolls it into view.
  void moveCurrent(int col, int row, bool show);
  int topRow() const { return topRow_; }
  int leftCol() const { return leftCol_; }
  void setLeftCol(int col);
  // Scrolling rows (or columns) that are wholly inside the client area.
  int visibleRowCount() const;
  int visibleColCount() const;

  // The area the cells are drawn in: the widget less the scroll bars.
  Rect clientRect() const;
  // A cell's rectangle, empty when the cell is not shown.
  Rect cellRect(int col, int row) const;
  // The cell under a point; false when there is none.
  bool cellAt(Point point, int* col, int* row) const;

  void invalidateCell(int col, int row);
  void invalidateRow(int row);
  void invalidateGrid();
  // Moves the pixels of rect by dy and repaints what was uncovered.
  void scrollPixels(int dy, const Rect& rect);
  // Paints now what the grid has marked for painting (the cells invalidated,
  // the strip a scroll uncovered), and only that: a one-row scroll paints one
  // row, not the whole grid.
  void paintPendingNow();

  // The in-place editor: made on first use by createEditor.
  InplaceEditor* editor() const { return editor_; }
  bool editorMode() const { return editorMode_; }
  void setEditorMode(bool on);
  void showEditor();
  void hideEditor();
  void invalidateEditor();
  // Whether the grid or its editor has the keyboard focus.
  bool gridFocused() const;

  // The vertical bar is the derived grid's to drive (range, position,
  // actions); hidden while its range is empty.
  QScrollBar* verticalBar() const { return vbar_; }
  void setVerticalRange(int min, int max);
  void setVerticalPosition(int position);
  bool showHorzScrollBar() const { return showHorz_; }
  void setShowHorzScrollBar(bool show);

  // Paints every cell that meets area onto canvas, lines included.
  void paintCells(Canvas& canvas, const Rect& area);
  // The same for the cells that meet any of areas.
  void paintCells(Canvas& canvas, const std::vector<Rect>& areas);

 protected:
  virtual void drawCell(Canvas& canvas, int col, int row, const Rect& rect,
                        GridDrawState state) = 0;
  // Asked before the current cell moves; false keeps it.
  virtual bool selectCell(int /*col*/, int /*row*/) { return true; }
  virtual bool canEditShow() const;
  virtual bool canEditModify() { return true; }
  virtual QString getEditText(int /*col*/, int /*row*/) { return {}; }
  virtual void setEditText(int /*col*/, int /*row*/, const QString& /*text*/) {}
  virtual int getEditLimit() { return 0; }
  virtual InplaceEditor* createEditor();
  // Whether the editor wraps its text over several lines.
  virtual bool editorMultiLine() const { return false; }
  virtual void colWidthsChanged() {}
  virtual void columnMoved(int /*from*/, int /*to*/) {}
  virtual void topLeftChanged() {}
  virtual void verticalScroll(ScrollAction /*action*/, int /*position*/) {}
  // The grid's own key handling: Enter toggles the editor, F2 starts it.
  void baseKeyPress(QKeyEvent* event);

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;

  // Where a press would start column sizing: the column left of the line.
  int sizingColumnAt(Point point) const;
  void updateEditorGeometry();
  // Puts the editor over the current cell (off the grid when the cell is out
  // of view), whether or not it is showing yet.
  void placeEditor();
  // The x where a column begins (only for shown columns).
  int columnLeft(int col) const;
  int rowTop(int row) const;

 private:
  friend class InplaceEditor;
  void layoutBars();
  void updateHorizontalBar();

  // Marks an area for painting, now (paintPendingNow) or by the event loop.
  void invalidate(const QRect& area);

  std::vector<int> colWidths_;
  std::vector<bool> tabStops_;
  QRegion pending_;  // marked by this grid and not painted yet
  int rowCount_ = 2;
  int fixedCols_ = 1;
  int fixedRows_ = 1;
  int defaultColWidth_ = 64;
  int defaultRowHeight_ = 24;
  int titleRowHeight_ = -1;
  GridOptions options_;
  int col_ = 1;
  int row_ = 1;
  int topRow_ = 1;
  int leftCol_ = 1;
  bool editorMode_ = false;
  bool showHorz_ = true;
  InplaceEditor* editor_ = nullptr;
  QScrollBar* vbar_ = nullptr;
  QScrollBar* hbar_ = nullptr;
  bool updatingBars_ = false;

  // Mouse gestures: sizing a column, or dragging one to a new place.
  enum class Gesture { kNone, kSizing, kMoving };
  Gesture gesture_ = Gesture::kNone;
  int gestureCol_ = -1;
  int gestureStartX_ = 0;
  int gestureStartWidth_ = 0;
};

}  // namespace toolkit
