// The search box on real tables written by the store, driven by key strokes
// with the search timer advanced by hand.
#include "edit/wwincrementalsearch.h"

#include <gtest/gtest.h>
#include <QKeyEvent>
#include <QTest>
#include <fstream>

#include "app/engine/cursor.h"
#include "app/engine/engine.h"
#include "app/engine/engine_error.h"
#include "data/data_source.h"
#include "data/paradox_table_test_support.h"
#include "data/wwtable.h"
#include "edit/wwdbedit_texts.h"
#include "toolkit/manual_timers.h"
#include "toolkit/scripted_ui.h"
#include "toolkit/text_codec.h"

namespace edit {
namespace {

using data::testing::TemporaryDirectory;

// A table made by the store from a schema, with rows of texts in field order.
std::string CreateTable(const TemporaryDirectory& directory, const std::string& name,
                        const std::string& schema,
                        const std::vector<std::vector<std::string>>& rows) {
  std::string reason;
  if (!data::testing::StartEngine(&reason)) return reason;
  try {
    engine::Engine::instance().createTable(directory.Database(), name, schema);
    engine::Cursor cursor;
    cursor.open(directory.Database(), name, PDX_OPEN_READ_WRITE);
    std::string record(static_cast<size_t>(cursor.info().record_size), '\0');
    for (const auto& row : rows) {
      cursor.initRecord(record.data());
      for (size_t i = 0; i < row.size(); ++i)
        cursor.putText(record.data(), static_cast<int>(i) + 1, row[i]);
      cursor.insertRecord(record.data());
    }
  } catch (const engine::EngineError& error) {
    return error.what();
  }
  return "";
}

// Renames the table's sort order from the store's "ascii" to the
// international order, which compares letters without regard to case. The
// rows must already lie in an order both agree on.
bool MarkInternational(const TemporaryDirectory& directory, const std::string& name) {
  std::fstream file(directory.Path() / (name + ".DB"),
                    std::ios::in | std::ios::out | std::ios::binary);
  std::string header(2048, '\0');
  file.read(header.data(), static_cast<std::streamsize>(header.size()));
  size_t at = header.find(std::string("ascii\0", 6));
  if (at == std::string::npos) return false;
  file.clear();
  file.seekp(static_cast<std::streamoff>(at));
  file.write("intl\0\0", 6);
  return static_cast<bool>(file);
}

// Sets the code page the table's header names.
bool SetCodePage(const TemporaryDirectory& directory, const std::string& name, int codePage) {
  std::fstream file(directory.Path() / (name + ".DB"),
                    std::ios::in | std::ios::out | std::ios::binary);
  const char bytes[2] = {static_cast<char>(codePage & 0xFF), static_cast<char>(codePage >> 8)};
  file.seekp(0x6A);
  file.write(bytes, 2);
  return static_cast<bool>(file);
}

class SearchTest : public ::testing::Test {
 protected:
  void Open(const std::string& name) {
    table.Name = "wwTable1";
    table.SetDatabaseName(directory.Database());
    table.SetTableName(name);
    table.TableType = data::TTableType::ttParadox;
    source.SetDataSet(&table);
    table.Open();
    box.setObjectName("wwIncrementalSearch1");
    box.SetDataSource(&source);
    box.OnAfterSearch = [this](QObject*, bool match) { results.push_back(match); };
    box.show();
  }
  void Type(const QString& keys) {
    for (QChar c : keys) QTest::keyClick(&box, c.toLatin1());
  }
  std::string Current(const std::string& field = "NAME") {
    return table.FieldByName(field)->AsString();
  }
  void TearDown() override { table.Close(); }

  // Before the box, whose timer it makes.
  toolkit::ScopedManualTimers timers;
  toolkit::ScopedScriptedUi ui;
  TemporaryDirectory directory;
  data::TwwTable table;
  data::TwwDataSource source;
  TwwIncrementalSearch box;
  std::vector<bool> results;
};

const char* kNames = "NAME\tA20*\nCITY\tA20\n";
const std::vector<std::vector<std::string>> kPeople = {
    {"ADAMS", "Oslo"}, {"BAKER", "Rome"}, {"SMALL", "Lima"}, {"SMITH", "Bonn"}, {"TURNER", "Kyiv"}};

TEST_F(SearchTest, TwoQuickLettersSearchOnceAfterTheShortDelay) {
  ASSERT_EQ(CreateTable(directory, "PEOPLE", kNames, kPeople), "");
  Open("PEOPLE");
  box.SetCharCase(TEditCharCase::ecUpperCase);
  Type("s");
  timers.advance(100);
  Type("m");
  EXPECT_EQ(box.text(), "SM");
  timers.advance(165);
  EXPECT_TRUE(results.empty());
  timers.advance(1);
  EXPECT_EQ(results, std::vector<bool>{true});
  EXPECT_EQ(Current(), "SMALL");
  EXPECT_EQ(box.SearchTimer().interval(), TwwIncrementalSearch::kSearchDelay / 2);
  Type("i");
  timers.advance(166);
  EXPECT_EQ(Current(), "SMITH");
  // Nothing found: the row stays and the box keeps the text.
  Type("x");
  timers.advance(166);
  EXPECT_EQ(results, (std::vector<bool>{true, true, false}));
  EXPECT_EQ(Current(), "SMITH");
  EXPECT_EQ(box.text(), "SMIX");
}

TEST_F(SearchTest, NarrowSearchShowsOnlyTheRowsThatBeginWithTheText) {
  ASSERT_EQ(CreateTable(directory, "PEOPLE", kNames, kPeople), "");
  Open("PEOPLE");
  table.NarrowSearch = true;
  Type("SM");
  timers.advance(166);
  EXPECT_EQ(results, std::vector<bool>{true});
  EXPECT_EQ(Current(), "SMALL");
  table.Last();
  EXPECT_EQ(Current(), "SMITH");
  EXPECT_EQ(ui.cursorHistory.back(), toolkit::CursorShape::kArrow);
  EXPECT_FALSE(table.ControlsDisabled());
  QTest::keyClick(&box, Qt::Key_Backspace);
  QTest::keyClick(&box, Qt::Key_Backspace);
  timers.advance(166);
  table.Last();
  EXPECT_EQ(Current(), "TURNER");
}

TEST_F(SearchTest, KeysThatMoveOrModifyNeverSearch) {
  ASSERT_EQ(CreateTable(directory, "PEOPLE", kNames, kPeople), "");
  Open("PEOPLE");
  box.setText("TU");
  for (Qt::Key key : {Qt::Key_Left, Qt::Key_Tab, Qt::Key_Shift, Qt::Key_F5, Qt::Key_Home,
                      Qt::Key_Return, Qt::Key_Escape}) {
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
    QCoreApplication::sendEvent(&box, &release);
    EXPECT_FALSE(box.SearchTimer().isActive()) << key;
  }
  QTest::keyClick(&box, Qt::Key_End);
  EXPECT_FALSE(box.SearchTimer().isActive());
  QTest::keyClick(&box, Qt::Key_Backspace);
  EXPECT_TRUE(box.SearchTimer().isActive());
}

TEST_F(SearchTest, ShowMatchTextCompletesAndBackspaceTakesTheCompletionAway) {
  ASSERT_EQ(CreateTable(directory, "PEOPLE", kNames, kPeople), "");
  Open("PEOPLE");
  box.ShowMatchText = true;
  Type("T");
  timers.advance(166);
  EXPECT_EQ(box.text(), "TURNER");
  EXPECT_EQ(box.selectedText(), "URNER");
  Type("U");
  EXPECT_EQ(box.text(), "TU");
  EXPECT_TRUE(box.SearchTimer().isActive());
  timers.advance(166);
  EXPECT_EQ(box.text(), "TURNER");
  QTest::keyClick(&box, Qt::Key_Backspace);
  EXPECT_EQ(box.text(), "TU");
  EXPECT_FALSE(box.SearchTimer().isActive());
  EXPECT_EQ(results.size(), 2u);
}

TEST_F(SearchTest, AnEmptyTextGoesToTheFirstRowAndClearSearchesAgain) {
  ASSERT_EQ(CreateTable(directory, "PEOPLE", kNames, kPeople), "");
  Open("PEOPLE");
  Type("T");
  timers.advance(166);
  EXPECT_EQ(Current(), "TURNER");
  QTest::keyClick(&box, Qt::Key_Backspace);
  timers.advance(166);
  EXPECT_EQ(Current(), "ADAMS");
  EXPECT_EQ(results, (std::vector<bool>{true, true}));

  table.Last();
  box.Clear();
  Type("A");
  timers.advance(166);
  EXPECT_EQ(Current(), "ADAMS");
}

TEST_F(SearchTest, LettersOnAnIntegerKeyDoNotMoveTheRow) {
  auto created = data::testing::CreateNumberedTable(directory.Path(), "NUMBERS", 30);
  ASSERT_TRUE(created.created) << created.reason;
  Open("NUMBERS");
  table.MoveBy(4);
  Type("a");
  timers.advance(166);
  EXPECT_EQ(results, std::vector<bool>{false});
  EXPECT_EQ(Current("ID"), "5");
  QTest::keyClick(&box, Qt::Key_Backspace);
  Type("17");
  timers.advance(166);
  EXPECT_EQ(Current("ID"), "17");
  EXPECT_EQ(results.back(), true);
}

TEST_F(SearchTest, ANonKeyFieldIsFoundByAScanWithoutRegardToCase) {
  auto created = data::testing::CreateNumberedTable(directory.Path(), "NUMBERS", 30);
  ASSERT_TRUE(created.created) << created.reason;
  Open("NUMBERS");
  box.SearchField = "NAME";
  Type("NAME2");
  timers.advance(166);
  EXPECT_EQ(Current("ID"), "2");
  Type("7");
  timers.advance(166);
  EXPECT_EQ(Current("ID"), "27");
  Type("9");
  timers.advance(166);
  EXPECT_EQ(Current("ID"), "27");
  EXPECT_EQ(results, (std::vector<bool>{true, true, false}));
}

TEST_F(SearchTest, WithoutADataSourceTheFirstChangeWarns) {
  box.setObjectName("wwIncrementalSearch1");
  Type("A");
  ASSERT_EQ(ui.shown.size(), 1u);
  EXPECT_EQ(ui.shown[0].text, std::string(texts::kDataSourceNotDefined) + "wwIncrementalSearch1");
  EXPECT_EQ(ui.shown[0].kind, toolkit::MessageKind::kWarning);
  EXPECT_FALSE(box.SearchTimer().isActive());
  data::TwwDataSource empty;
  box.SetDataSource(&empty);
  Type("B");
  ASSERT_EQ(ui.shown.size(), 2u);
  EXPECT_EQ(ui.shown[1].text, texts::kDataSetNotDefined);
}

TEST_F(SearchTest, TheSecondFieldOfAKeySearchesWithinTheCurrentGroup) {
  ASSERT_EQ(CreateTable(directory, "GROUPS", "GRP\tA5*\nNAME\tA20*\n",
                        {{"A", "ADAMS"}, {"A", "BAKER"}, {"B", "ADAMS"}, {"B", "BAKER"}}),
            "");
  Open("GROUPS");
  box.SearchField = "name";
  table.MoveBy(2);
  ASSERT_EQ(Current("GRP"), "B");
  Type("BA");
  timers.advance(166);
  EXPECT_EQ(Current("GRP"), "B");
  EXPECT_EQ(Current(), "BAKER");
  EXPECT_EQ(results, std::vector<bool>{true});
}

TEST_F(SearchTest, AnInternationalSortOrderFindsKeysWithoutRegardToCase) {
  // Both orders agree on these rows: capitals first, then small letters.
  const std::vector<std::vector<std::string>> fruit = {
      {"Apple", "a"}, {"Berry", "b"}, {"cherry", "c"}, {"date", "d"}};
  ASSERT_EQ(CreateTable(directory, "ASCII", kNames, fruit), "");
  ASSERT_EQ(CreateTable(directory, "INTL", kNames, fruit), "");
  ASSERT_TRUE(MarkInternational(directory, "INTL"));

  Open("ASCII");
  EXPECT_FALSE(table.IndexCaseInsensitive());
  box.SetCharCase(TEditCharCase::ecUpperCase);
  Type("CH");
  timers.advance(166);
  EXPECT_EQ(results, std::vector<bool>{false});
  EXPECT_EQ(Current(), "Apple");

  table.Close();
  table.SetTableName("INTL");
  table.Open();
  ASSERT_TRUE(table.IndexCaseInsensitive());
  box.Clear();
  Type("CH");
  timers.advance(166);
  EXPECT_EQ(results.back(), true);
  EXPECT_EQ(Current(), "cherry");
}

TEST_F(SearchTest, CyrillicTypingReachesTheTableInItsCodePage) {
  auto cp866 = toolkit::TextCodec::forCodePage(866);
  std::vector<std::vector<std::string>> names;
  for (const char* name : {"АННА", "БОРИС", "БОРЯ", "ВЕРА"})
    names.push_back({cp866->fromUtf8(name).text, "x"});
  ASSERT_EQ(CreateTable(directory, "NAMES", kNames, names), "");
  ASSERT_TRUE(SetCodePage(directory, "NAMES", 866));
  Open("NAMES");
  box.SetCharCase(TEditCharCase::ecUpperCase);
  for (QChar c : QString::fromUtf8("боря")) {
    // A Cyrillic layout's key: Qt names it by its capital letter.
    QKeyEvent press(QEvent::KeyPress, c.toUpper().unicode(), Qt::NoModifier, QString(c));
    QKeyEvent release(QEvent::KeyRelease, c.toUpper().unicode(), Qt::NoModifier, QString(c));
    QCoreApplication::sendEvent(&box, &press);
    QCoreApplication::sendEvent(&box, &release);
  }
  EXPECT_EQ(box.text(), QString::fromUtf8("БОРЯ"));
  timers.advance(166);
  EXPECT_EQ(results, std::vector<bool>{true});
  EXPECT_EQ(cp866->toUtf8(Current()), "БОРЯ");
}

}  // namespace
}  // namespace edit
