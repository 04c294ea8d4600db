// The record view, headless: opening the window (layout, controls and the
// first paint of every control) on the widest table of the sample database
// and on a table of 100 fields, and moving to the next row inside it
// (every control shows the new row and the window repaints what changed).
//
//   recordview_bench [ROUNDS]
//   recordview_bench --screenshot FILE   the window on the sample's Portf, as a PNG
//
// Tables are written into a temporary directory by the store. Prints the
// median and the slowest round of each, in milliseconds.
#include <QApplication>
#include <QPixmap>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/engine/engine.h"
#include "data/data_source.h"
#include "data/paradox_table_test_support.h"
#include "data/wwtable.h"
#include "foliodb_schemas.h"
#include "foliodb_writer.h"
#include "recordview/record_view_form.h"
#include "recordview/wwrcdvw.h"
#include "toolkit/glyph_button.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::time_point from, Clock::time_point to) {
  return std::chrono::duration<double, std::milli>(to - from).count();
}

struct Figures {
  double median;
  double slowest;
};

Figures Summarise(std::vector<double> times) {
  std::sort(times.begin(), times.end());
  return Figures{times[times.size() / 2], times.back()};
}

struct Measured {
  Figures open;
  Figures next;
};

Measured Measure(const std::string& database, const std::string& tableName, int rounds) {
  data::TwwTable table;
  table.SetDatabaseName(database);
  table.SetTableName(tableName);
  table.Open();
  data::TwwDataSource source;
  source.SetDataSet(&table);
  recordview::TwwRecordViewDialog dialog;
  dialog.SetDataSource(&source);
  // Not modal, so the program goes on while the window is open.
  dialog.Options.erase(recordview::rvoModalForm);

  std::vector<double> opens, nexts;
  for (int round = 0; round < rounds; ++round) {
    table.First();
    Clock::time_point start = Clock::now();
    dialog.Execute();
    recordview::TwwRecordViewForm* form = dialog.Form();
    form->grab();  // paints every control once
    opens.push_back(Milliseconds(start, Clock::now()));

    for (int step = 0; step < 5 && !table.Eof(); ++step) {
      start = Clock::now();
      table.Next();
      // The controls show the row at once; the window repaints what changed.
      QCoreApplication::processEvents();
      nexts.push_back(Milliseconds(start, Clock::now()));
    }
    form->CancelButton->click();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  }
  table.Close();
  return Measured{Summarise(opens), Summarise(nexts)};
}

bool Screenshot(const std::string& database, const QString& file) {
  data::TwwTable table;
  table.SetDatabaseName(database);
  table.SetTableName("Portf");
  table.Open();
  data::TwwDataSource source;
  source.SetDataSet(&table);
  recordview::TwwRecordViewDialog dialog;
  dialog.SetDataSource(&source);
  dialog.ReadOnlyColor = toolkit::clNavy;
  dialog.Options.erase(recordview::rvoModalForm);
  dialog.Execute();
  recordview::TwwRecordViewForm* form = dialog.Form();
  QCoreApplication::processEvents();
  const bool saved = form->grab().save(file, "PNG");
  form->CancelButton->click();
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
  return saved;
}

void Report(const char* what, const Measured& measured, int fields) {
  std::printf("%-34s %3d fields  open %6.2f ms (slowest %6.2f)  next %5.2f ms (slowest %5.2f)\n",
              what, fields, measured.open.median, measured.open.slowest, measured.next.median,
              measured.next.slowest);
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  const bool screenshot = argc > 2 && std::string(argv[1]) == "--screenshot";
  const int rounds = argc > 1 && !screenshot ? std::max(1, std::atoi(argv[1])) : 20;

  std::string reason;
  if (!data::testing::StartEngine(&reason)) {
    std::fprintf(stderr, "recordview_bench: no table store: %s\n", reason.c_str());
    return 1;
  }
  data::testing::TemporaryDirectory directory;
  if (!foliodb::WriteFolioDb(directory.Path().string(), 1, &reason)) {
    std::fprintf(stderr, "recordview_bench: %s\n", reason.c_str());
    return 1;
  }
  if (screenshot) {
    const bool saved = Screenshot(directory.Database(), QString::fromLocal8Bit(argv[2]));
    engine::Engine::instance().shutdown();
    return saved ? 0 : 1;
  }
  // Sectrans has the most fields of the six.
  Report("sample table Sectrans", Measure(directory.Database(), "Sectrans", rounds), 11);

  std::string schema = "ID\tI*\n";
  for (int i = 1; i < 100; ++i)
    schema += "Field" + std::to_string(i) + "\tA" + std::to_string(5 + i % 30) + "\n";
  engine::Engine::instance().createTable(directory.Database(), "Wide", schema);
  {
    data::TwwTable wide;
    wide.SetDatabaseName(directory.Database());
    wide.SetTableName("Wide");
    wide.Open();
    for (int row = 1; row <= 10; ++row) {
      wide.Append();
      wide.Fields(0)->SetAsInteger(row);
      for (int i = 1; i < 100; ++i) wide.Fields(i)->SetAsString("v" + std::to_string(row * i));
      wide.Post();
    }
  }
  Report("table of 100 fields", Measure(directory.Database(), "Wide", rounds), 100);
  engine::Engine::instance().shutdown();
  return 0;
}
