// The data set's costs against the table's size, through the engine on real
// tables ("Engine") and on tables held in memory ("Memory", the window logic
// alone). Compare the 1,000,000-row figures with the 10,000-row ones: they
// should be about equal.
#include <benchmark/benchmark.h>

#include <map>
#include <memory>

#include "app/engine/engine.h"
#include "app/engine/engine_error.h"
#include "data/data_link.h"
#include "data/data_source.h"
#include "data/memory_table_test_support.h"
#include "data/paradox_table_test_support.h"
#include "data/wwtable.h"
#include "paradox/pdx_codes.h"

namespace {

constexpr int kWindow = 30;

class WindowLink : public data::TDataLink {};

// One directory of real tables for the whole run, one table per size.
struct RealTables {
  data::testing::TemporaryDirectory directory;
  std::map<int, std::string> made;  // rows -> table name, or empty with failure
  std::string failure;

  std::string TableFor(int rows) {
    auto found = made.find(rows);
    if (found != made.end()) return found->second;
    std::string name = "ROWS" + std::to_string(rows);
    data::testing::CreatedTable created =
        data::testing::WriteNumberedTable(directory.Path(), name, rows);
    if (!created.created) {
      failure = created.reason;
      name.clear();
    }
    made[rows] = name;
    return name;
  }
};

RealTables& Real() {
  static RealTables tables;
  return tables;
}

struct Fixture {
  data::TwwTable table;
  data::TwwDataSource source;
  WindowLink link;

  Fixture() {
    source.SetDataSet(&table);
    link.SetDataSource(&source);
    link.SetBufferCount(kWindow);
  }
};

// Points fixture at a table of rows; false (benchmark skipped) when it cannot.
bool Prepare(benchmark::State& state, Fixture& fixture, bool engine, int rows) {
  fixture.table.TableType = data::TTableType::ttParadox;
  if (engine) {
    std::string name = Real().TableFor(rows);
    if (name.empty()) {
      state.SkipWithError(("no real table: " + Real().failure).c_str());
      return false;
    }
    fixture.table.SetDatabaseName(Real().directory.Database());
    fixture.table.SetTableName(name);
  } else {
    static std::map<int, std::shared_ptr<data::testing::MemoryTable>> tables;
    auto& table = tables[rows];
    if (!table) table = data::testing::NumberedTable(rows);
    auto opener = std::make_shared<data::testing::MemoryOpener>();
    opener->tables["T"] = table;
    fixture.table.SetTableOpener(opener);
    fixture.table.SetTableName("T");
  }
  return true;
}

void OpenWindow(benchmark::State& state, bool engine) {
  Fixture fixture;
  if (!Prepare(state, fixture, engine, static_cast<int>(state.range(0)))) return;
  for (auto _ : state) {
    fixture.table.Open();
    benchmark::DoNotOptimize(fixture.table.RecordCount());
    fixture.table.Close();
  }
}

void Last(benchmark::State& state, bool engine) {
  Fixture fixture;
  if (!Prepare(state, fixture, engine, static_cast<int>(state.range(0)))) return;
  fixture.table.Open();
  for (auto _ : state) {
    fixture.table.Last();
    state.PauseTiming();
    fixture.table.First();
    state.ResumeTiming();
  }
}

// One MoveBy of a page, forward through the whole table and back again.
void PageBy30(benchmark::State& state, bool engine) {
  Fixture fixture;
  if (!Prepare(state, fixture, engine, static_cast<int>(state.range(0)))) return;
  fixture.table.Open();
  int direction = kWindow;
  for (auto _ : state) {
    fixture.table.MoveBy(direction);
    if (fixture.table.Eof()) direction = -kWindow;
    if (fixture.table.Bof()) direction = kWindow;
  }
}

void PostEditedRow(benchmark::State& state, bool engine) {
  Fixture fixture;
  if (!Prepare(state, fixture, engine, static_cast<int>(state.range(0)))) return;
  fixture.table.Open();
  fixture.table.MoveBy(static_cast<int>(state.range(0) / 2) % 1000);
  int round = 0;
  for (auto _ : state) {
    try {
      fixture.table.Edit();
      fixture.table.FieldByName("NAME")->SetAsString("Edited" + std::to_string(++round));
      fixture.table.Post();
    } catch (const engine::EngineError& error) {
      state.SkipWithError(error.what());
      return;
    }
  }
}

void Sizes(benchmark::internal::Benchmark* benchmark) {
  benchmark->Arg(10000)->Arg(1000000)->Unit(benchmark::kMicrosecond);
}

}  // namespace

BENCHMARK_CAPTURE(OpenWindow, Engine, true)->Apply(Sizes);
BENCHMARK_CAPTURE(Last, Engine, true)->Apply(Sizes);
BENCHMARK_CAPTURE(PageBy30, Engine, true)->Apply(Sizes);
BENCHMARK_CAPTURE(PostEditedRow, Engine, true)->Apply(Sizes);
BENCHMARK_CAPTURE(OpenWindow, Memory, false)->Apply(Sizes);
BENCHMARK_CAPTURE(Last, Memory, false)->Apply(Sizes);
BENCHMARK_CAPTURE(PageBy30, Memory, false)->Apply(Sizes);
BENCHMARK_CAPTURE(PostEditedRow, Memory, false)->Apply(Sizes);

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  // Stopped here, before the exit handlers take the store library's own
  // objects away.
  engine::Engine::instance().shutdown();
  return 0;
}
