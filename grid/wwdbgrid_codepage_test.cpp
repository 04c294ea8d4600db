// A table in a code page that is not the machine's: the grid shows its
// titles and cells in their own letters and stores typed letters back in the
// table's code page.
#include <gtest/gtest.h>

#include <QTest>
#include <filesystem>

#include "data/data_set.h"
#include "grid/cell_text.h"
#include "grid/grid_test_tables.h"
#include "toolkit/inplace_editor.h"
#include "toolkit/recording_canvas.h"
#include "toolkit/text_codec.h"

namespace grid {
namespace {

namespace fs = std::filesystem;
using toolkit::CanvasCall;

bool CopySample(const std::string& sample, const fs::path& to) {
  const fs::path from = fs::path(VINDRAL_SAMPLES_DIR) / sample;
  if (!fs::exists(from)) return false;
  for (const auto& entry : fs::directory_iterator(from.parent_path()))
    if (entry.path().stem() == from.stem())
      fs::copy_file(entry.path(), to / entry.path().filename());
  return true;
}

TEST(GridCodePage, ACyrillicTableShowsItsLetters) {
  testing::GridOnTable fixture;
  std::string reason;
  if (!data::testing::StartEngine(&reason)) GTEST_SKIP() << reason;
  if (!CopySample("celebithil__Rparadox/of_cp866.db", fixture.directory.Path()))
    GTEST_SKIP() << "the sample of_cp866.db is not there";
  fixture.table.SetDatabaseName(fixture.directory.Database());
  fixture.table.SetTableName("of_cp866");
  fixture.table.Open();
  ASSERT_EQ(866, fixture.table.textCodec().codePage());
  TwwDBGrid& grid = *fixture.grid;
  grid.resize(2000, testing::GridOnTable::HeightFor(3));
  toolkit::RecordingCanvas canvas;
  grid.PaintAll(canvas);
  const toolkit::Rect title = grid.cellRect(4, 0);
  const toolkit::Rect cell = grid.cellRect(4, 1);
  std::string titleText, cellText;
  for (const CanvasCall& call : canvas.callsOf(CanvasCall::Kind::kTextRect)) {
    if (call.rect == title) titleText = call.text;
    if (call.rect == cell) cellText = call.text;
  }
  EXPECT_EQ("Наименование", titleText);
  EXPECT_EQ("АП-Т УЗТ-ПЕРЕНОСНОЙ", cellText);

  // Back the other way: the editor's letters become the table's bytes.
  std::string bytes;
  QString error;
  ASSERT_TRUE(tableText(&fixture.table, QString::fromUtf8("Я"), &bytes, &error));
  EXPECT_EQ("\x9f", bytes);  // Я in code page 866
  EXPECT_FALSE(tableText(&fixture.table, QString::fromUtf8("€"), &bytes, &error));
  EXPECT_FALSE(error.isEmpty());
}

}  // namespace
}  // namespace grid
