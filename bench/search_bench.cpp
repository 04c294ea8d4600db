// The search box and the edit box against the table's size. A keystroke on a
// key field is timed from the search timer's tick until the 30 rows a grid
// shows have been read again ("Key", on 10,000 and 1,000,000 rows: the two
// should be about equal); a search on a field outside the index scans every
// row ("Scan", reported in rows per second); typing a 20-character value
// under a picture mask into the edit box, key by key through Qt's events
// ("PictureTyping", reported per key).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QTest>
#include <map>
#include <random>

#include "app/engine/engine.h"
#include "data/data_link.h"
#include "data/data_source.h"
#include "data/field.h"
#include "data/paradox_table_test_support.h"
#include "data/wwtable.h"
#include "edit/wwdbedit.h"
#include "edit/wwincrementalsearch.h"
#include "read_table_generator.h"
#include "toolkit/manual_timers.h"
#include "toolkit/scripted_ui.h"

namespace {

constexpr int kVisibleRows = 30;

// What a grid does after the data set moved: read every shown row's texts.
class ScreenLink : public data::TDataLink {
 public:
  size_t characters = 0;

 protected:
  void DataSetChanged() override { ReadRows(); }
  void DataSetScrolled(int) override { ReadRows(); }

 private:
  void ReadRows() {
    data::TDataSet* dataSet = DataSet();
    const int active = ActiveRecord();
    for (int row = 0; row < RecordCount(); ++row) {
      SetActiveRecord(row);
      for (int i = 0; i < dataSet->FieldCount(); ++i)
        characters += dataSet->Fields(i)->DisplayText().size();
    }
    SetActiveRecord(active);
  }
};

struct Tables {
  data::testing::TemporaryDirectory directory;
  std::map<int, std::string> made;
  std::string failure;

  std::string TableFor(int rows) {
    auto found = made.find(rows);
    if (found != made.end()) return found->second;
    std::string name = "SEARCH" + std::to_string(rows);
    if (!bench::WriteBenchTable(directory.Path().string(), name, rows)) {
      failure = "cannot write the benchmark table";
      name.clear();
    }
    made[rows] = name;
    return name;
  }
};

Tables& SharedTables() {
  static Tables tables;
  return tables;
}

struct SearchFixture {
  toolkit::ScopedManualTimers timers;
  toolkit::ScopedScriptedUi ui;
  data::TwwTable table;
  data::TwwDataSource source;
  ScreenLink screen;
  edit::TwwIncrementalSearch box;

  bool Open(benchmark::State& state, int rows) {
    std::string reason;
    if (!data::testing::StartEngine(&reason)) {
      state.SkipWithError(("no engine: " + reason).c_str());
      return false;
    }
    std::string name = SharedTables().TableFor(rows);
    if (name.empty()) {
      state.SkipWithError(SharedTables().failure.c_str());
      return false;
    }
    table.SetDatabaseName(SharedTables().directory.Database());
    table.SetTableName(name);
    table.TableType = data::TTableType::ttParadox;
    source.SetDataSet(&table);
    screen.SetDataSource(&source);
    screen.SetBufferCount(kVisibleRows);
    table.Open();
    box.SetDataSource(&source);
    box.SetCharCase(edit::TEditCharCase::ecUpperCase);
    return true;
  }
};

void Key(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  SearchFixture fixture;
  if (!fixture.Open(state, rows)) return;
  std::mt19937 random(7);
  std::uniform_int_distribution<int> pick(0, rows - 1);
  int found = 0;
  for (auto _ : state) {
    state.PauseTiming();
    // A key's first eight characters, as a user types them.
    fixture.box.setText(QString::fromStdString(bench::BenchKey(pick(random)).substr(0, 8)));
    state.ResumeTiming();
    fixture.box.TimerTick();
    found +=
        fixture.table.Fields(0)->AsString().compare(0, 8, fixture.box.text().toStdString()) == 0;
  }
  if (found != static_cast<int>(state.iterations())) state.SkipWithError("a key was not found");
  benchmark::DoNotOptimize(fixture.screen.characters);
}
BENCHMARK(Key)->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);

void Scan(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  SearchFixture fixture;
  if (!fixture.Open(state, rows)) return;
  fixture.box.SearchField = "Name";
  bool flip = false;
  for (auto _ : state) {
    // No row holds the text, so every row is read; the text changes each
    // time so that each tick searches.
    fixture.box.setText(flip ? "NOBODY" : "NOBODY ");
    flip = !flip;
    fixture.box.TimerTick();
  }
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(Scan)->Arg(1000000)->Unit(benchmark::kMillisecond)->Iterations(5);

void PictureTyping(benchmark::State& state) {
  toolkit::ScopedScriptedUi ui;
  edit::TwwDBEdit box;
  box.SetReadOnly(false);
  box.Picture().SetPictureMask("&&&-####-####-######");
  box.show();
  const char* value = "abc12345678901234567";  // 20 keys; the dashes are filled in
  for (auto _ : state) {
    box.selectAll();
    for (const char* key = value; *key; ++key) QTest::keyClick(&box, *key);
  }
  if (box.text() != "ABC-1234-5678-901234567" && box.text() != "ABC-1234-5678-901234")
    state.SkipWithError(("unexpected text " + box.text().toStdString()).c_str());
  state.SetItemsProcessed(state.iterations() * 20);
}
BENCHMARK(PictureTyping)->Unit(benchmark::kMicrosecond);

// The same twenty keys under an edit mask: typed over positions, the
// literals stepped over.
void EditMaskTyping(benchmark::State& state) {
  toolkit::ScopedScriptedUi ui;
  edit::TwwDBEdit box;
  box.SetReadOnly(false);
  box.EditMask = ">LLL-0000-0000-000000000;0;_";
  box.show();
  box.setFocus();
  const char* value = "abc12345678901234567";
  for (auto _ : state) {
    box.selectAll();
    for (const char* key = value; *key; ++key) QTest::keyClick(&box, *key);
  }
  if (box.text() != "ABC-1234-5678-901234567")
    state.SkipWithError(("unexpected text " + box.text().toStdString()).c_str());
  state.SetItemsProcessed(state.iterations() * 20);
}
BENCHMARK(EditMaskTyping)->Unit(benchmark::kMicrosecond);

// Twenty keys at the end of a wrapping box that already holds a memo of
// 4,400 characters in 100 lines. (A single paragraph that long costs the
// platform's own multi-line box over a millisecond a key to lay out again.)
void MultiLineTyping(benchmark::State& state) {
  toolkit::ScopedScriptedUi ui;
  edit::TwwDBEdit box;
  box.SetReadOnly(false);
  box.SetWordWrap(true);
  box.SetWantReturns(true);
  box.resize(300, 120);
  box.show();
  const QString memo = QString("a few words of a memo, a few words more\n").repeated(110);
  for (auto _ : state) {
    state.PauseTiming();
    box.SetTableText(memo.toStdString());
    box.setCursorPosition(static_cast<int>(memo.size()));
    state.ResumeTiming();
    for (int key = 0; key < 20; ++key) QTest::keyClick(box.focusProxy(), 'x');
  }
  if (box.text().size() != memo.size() + 20)
    state.SkipWithError(("unexpected length " + std::to_string(box.text().size())).c_str());
  state.SetItemsProcessed(state.iterations() * 20);
}
BENCHMARK(MultiLineTyping)->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication application(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // Stopped here rather than from a static destructor, which runs after the
  // store's per-thread error text is gone.
  engine::Engine::instance().shutdown();
  return 0;
}
