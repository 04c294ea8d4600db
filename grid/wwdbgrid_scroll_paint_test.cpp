// A one-row move of a grid full of rows scrolls the pixels and paints at once
// only what the scroll uncovered and the rows whose look changed; what shows
// afterwards is what a full repaint of the grid would show.
#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QPaintEvent>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include "grid/grid_test_tables.h"
#include "grid/test_support.h"

namespace grid {
namespace {

using testing::GridOnTable;

constexpr int kShownRows = 10;

// Collects the regions of the paint events a widget receives.
class PaintRecorder : public QObject {
 public:
  explicit PaintRecorder(QWidget* widget) { widget->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Paint) painted += static_cast<QPaintEvent*>(event)->region();
    return false;
  }
  QRegion painted;
};

class GridScrollPaint : public ::testing::Test {
 protected:
  bool Open() {
    std::vector<std::vector<std::string>> rows;
    for (int i = 1; i <= 40; ++i)
      rows.push_back({std::to_string(i), "Name" + std::to_string(i), std::to_string(i * 1.5)});
    if (!fixture.Open("Rows", "ID\tI*\nNAME\tA20\nAMOUNT\tN\n", rows, &skipReason)) return false;
    fixture.grid->resize(320, GridOnTable::HeightFor(kShownRows));
    QApplication::processEvents();
    testing::TakeLastError();
    return true;
  }
  // What the window shows now, and what the grid paints from scratch.
  QImage Shown() const {
    QApplication::processEvents();
    return fixture.grid->screen()
        ->grabWindow(fixture.grid->winId())
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
  }
  QImage Repainted() const {
    return fixture.grid->grab().toImage().convertToFormat(QImage::Format_RGB32);
  }
  // The height of what was painted of the data cells: right of the indicator
  // column, left of the vertical scroll bar (which repaints what lies under it).
  int PaintedDataHeight(const QRegion& painted) const {
    const int left = fixture.grid->colWidth(0) + 1;
    const int right = fixture.grid->verticalBar()->geometry().left();
    return (painted & QRect(left, 0, right - left, fixture.grid->height())).boundingRect().height();
  }

  GridOnTable fixture;
  std::string skipReason;
};

TEST_F(GridScrollPaint, ARowMovedIntoViewIsPaintedAtOnceAndAloneAndShowsAsAFullRepaintWould) {
  if (!Open()) GTEST_SKIP() << skipReason;
  ASSERT_EQ(kShownRows, fixture.grid->DataLink().BufferCount());
  const int rowStep = fixture.grid->rowHeight(1) + 1;
  // To the last row shown, then past it: every further Down scrolls.
  for (int i = 1; i < kShownRows; ++i) QTest::keyClick(fixture.grid.get(), Qt::Key_Down);
  ASSERT_EQ("10", fixture.Current("ID"));
  ASSERT_EQ(Shown(), Repainted());

  for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Up, Qt::Key_Up, Qt::Key_Up}) {
    SCOPED_TRACE(key == Qt::Key_Down ? "Down" : "Up");
    QApplication::processEvents();
    PaintRecorder recorder(fixture.grid.get());
    QTest::keyClick(fixture.grid.get(), key);
    // Painted within the key stroke, without waiting for the event loop.
    EXPECT_FALSE(recorder.painted.isEmpty());
    // The row uncovered and the row the highlight left, at most: never the
    // whole grid.
    EXPECT_LE(PaintedDataHeight(recorder.painted), 2 * rowStep);
    EXPECT_EQ(Shown(), Repainted());
  }
  EXPECT_EQ("9", fixture.Current("ID"));
  EXPECT_EQ("", testing::TakeLastError());
}

}  // namespace
}  // namespace grid
