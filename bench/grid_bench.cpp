// The grid's costs against the table's size: each step is timed on a table of
// 10,000 rows and one of 1,000,000 (written in one go into a temporary
// directory), with the grid showing 30 rows. The ratio of the two times should
// stay near 1: nothing the grid does may cost more than the rows on screen.
//
//   QT_QPA_PLATFORM=offscreen build/bin/grid_bench [WORD [LARGE_ROWS]]
//
// WORD keeps only the steps whose names hold it; LARGE_ROWS replaces the
// larger table's 1,000,000 rows (a smaller one makes a profiler's run short).
//
// Each step's time includes the repainting it leaves behind.
#include <sys/resource.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/engine/engine.h"
#include "data/data_set.h"
#include "data/data_source.h"
#include "data/paradox_table_test_support.h"
#include "data/wwtable.h"
#include "grid/wwdbgrid.h"
#include "toolkit/inplace_editor.h"
#include "toolkit/painter_canvas.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) {
  return std::chrono::duration<double, std::milli>(d).count();
}

long PeakKilobytes() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

struct Step {
  std::string name;
  int repeats;
  // Prepares (untimed), then the timed part runs repeats times.
  std::function<void(grid::TwwDBGrid&, data::TwwTable&)> prepare;
  std::function<void(grid::TwwDBGrid&, data::TwwTable&)> body;
};

// Milliseconds per repetition of one step: wall clock, and processor time,
// which a machine busy with other work inflates far less.
struct Timing {
  double wall = 0;
  double cpu = 0;
};

std::vector<Timing> Run(const std::string& database, const std::string& table,
                        const std::vector<Step>& steps) {
  data::TwwTable dataSet;
  data::TwwDataSource source;
  source.SetDataSet(&dataSet);
  grid::TwwDBGrid grid;
  grid.SetDataSource(&source);
  dataSet.SetDatabaseName(database);
  dataSet.SetTableName(table);
  dataSet.Open();
  grid.resize(640, 200);
  grid.show();
  grid.activateWindow();
  QTest::qWaitForWindowActive(&grid);
  grid.setFocus();
  // Grow the window until 30 rows show whole.
  for (int height = 200; grid.DataLink().BufferCount() < 30 && height < 2000; height += 4)
    grid.resize(640, height);
  QApplication::processEvents();
  std::vector<Timing> times;
  for (const Step& step : steps) {
    if (step.prepare) step.prepare(grid, dataSet);
    QApplication::processEvents();
    const std::clock_t cpuStart = std::clock();
    const Clock::time_point start = Clock::now();
    for (int i = 0; i < step.repeats; ++i) {
      step.body(grid, dataSet);
      // What the step left to repaint is part of its cost.
      QApplication::processEvents();
    }
    Timing timing;
    timing.wall = Milliseconds(Clock::now() - start) / step.repeats;
    timing.cpu =
        1000.0 * static_cast<double>(std::clock() - cpuStart) / CLOCKS_PER_SEC / step.repeats;
    times.push_back(timing);
  }
  grid.SetDataSource(nullptr);
  dataSet.Close();
  return times;
}

void Key(grid::TwwDBGrid& grid, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) {
  QWidget* target = grid.editor() && grid.editor()->hasFocus()
                        ? static_cast<QWidget*>(grid.editor())
                        : static_cast<QWidget*>(&grid);
  QTest::keyClick(target, key, modifiers);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  data::testing::TemporaryDirectory directory;
  const std::vector<int> sizes = {10000, argc > 2 ? std::max(1, std::atoi(argv[2])) : 1000000};
  for (int rows : sizes) {
    const data::testing::CreatedTable made =
        data::testing::WriteNumberedTable(directory.Path(), "ROWS" + std::to_string(rows), rows);
    if (!made.created) {
      std::fprintf(stderr, "no table: %s\n", made.reason.c_str());
      return 1;
    }
  }

  QImage image(640, 700, QImage::Format_RGB32);
  const std::vector<Step> steps = {
      {"paint the full grid (30 rows)", 200, nullptr,
       [&image](grid::TwwDBGrid& grid, data::TwwTable&) {
         QPainter painter(&image);
         toolkit::PainterCanvas canvas(painter);
         grid.PaintAll(canvas);
       }},
      {"Down, one row (held for 1,000 rows)", 1000,
       [](grid::TwwDBGrid&, data::TwwTable& table) { table.First(); },
       [](grid::TwwDBGrid& grid, data::TwwTable&) { Key(grid, Qt::Key_Down); }},
      {"Page Down (through 10,000 rows)", 333,
       [](grid::TwwDBGrid&, data::TwwTable& table) { table.First(); },
       [](grid::TwwDBGrid& grid, data::TwwTable&) { Key(grid, Qt::Key_PageDown); }},
      {"Ctrl+End, then Ctrl+Home", 20, nullptr,
       [](grid::TwwDBGrid& grid, data::TwwTable&) {
         Key(grid, Qt::Key_End, Qt::ControlModifier);
         Key(grid, Qt::Key_Home, Qt::ControlModifier);
       }},
      {"scroll thumb dropped in the middle, then at the top", 20, nullptr,
       [](grid::TwwDBGrid& grid, data::TwwTable&) {
         for (int position : {100, 0}) {
           QScrollBar* bar = grid.verticalBar();
           bar->setSliderDown(true);
           bar->setSliderPosition(position);
           bar->setSliderDown(false);
         }
       }},
      {"type into a cell and post", 50,
       [](grid::TwwDBGrid& grid, data::TwwTable& table) {
         table.First();
         Key(grid, Qt::Key_Right);
       },
       [](grid::TwwDBGrid& grid, data::TwwTable&) {
         QTest::keyClick(&grid, 'Z');
         Key(grid, Qt::Key_Down);
       }},
  };

  // A word on the command line keeps only the steps whose names hold it.
  std::vector<Step> chosen;
  for (const Step& step : steps)
    if (argc < 2 || step.name.find(argv[1]) != std::string::npos) chosen.push_back(step);
  // The larger size with thousands separators, as the heading's first one.
  std::string largeName = std::to_string(sizes[1]);
  for (int at = static_cast<int>(largeName.size()) - 3; at > 0; at -= 3)
    largeName.insert(static_cast<size_t>(at), ",");
  std::map<int, std::vector<Timing>> results;
  std::map<int, long> memory;
  for (int rows : sizes) {
    results[rows] = Run(directory.Database(), "ROWS" + std::to_string(rows), chosen);
    memory[rows] = PeakKilobytes();
  }
  std::printf("%-52s %21s %21s %11s\n", "step (ms each: wall / processor)", "10,000",
              largeName.c_str(), "ratio");
  for (size_t i = 0; i < chosen.size(); ++i) {
    const Timing small = results[sizes[0]][i];
    const Timing large = results[sizes[1]][i];
    std::printf("%-52s %10.3f /%8.3f %10.3f /%8.3f %5.2f /%4.2f\n", chosen[i].name.c_str(),
                small.wall, small.cpu, large.wall, large.cpu,
                small.wall > 0 ? large.wall / small.wall : 0.0,
                small.cpu > 0 ? large.cpu / small.cpu : 0.0);
  }
  std::printf("peak resident memory after each size: %.1f MB, %.1f MB\n",
              static_cast<double>(memory[sizes[0]]) / 1024,
              static_cast<double>(memory[sizes[1]]) / 1024);
  engine::Engine::instance().shutdown();
  return 0;
}
