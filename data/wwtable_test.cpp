// The component set's table on tables held in memory: masks, validation
// before post, filters, the query rules and the reads by property name.
#include "wwtable.h"

#include "intl/international_strings.h"

#include <gtest/gtest.h>

#include "data_set_error.h"
#include "data_source.h"
#include "memory_table_test_support.h"
#include "recording_link_test_support.h"
#include "toolkit/scripted_ui.h"

namespace data {
namespace {

using testing::MemoryOpener;
using testing::MemoryTable;
using testing::RecordingLink;

// Two tables with a field of the same name and different pictures, as the
// window's tables have.
std::shared_ptr<MemoryTable> CodesTable(const std::string& picture, int rows) {
  auto table = std::make_shared<MemoryTable>();
  table->fields = {{1, "ID", 'I', 0}, {2, "CODE", 'A', 10}, {3, "NOTE", 'A', 10}};
  table->keyFieldCount = 1;
  table->checks = {{2, false, picture}};
  for (int i = 1; i <= rows; ++i) table->AddRow({int64_t{i}, std::string("12"), std::string("n")});
  return table;
}

class WwTableTest : public ::testing::Test {
 protected:
  void SetUp() override {
    opener->tables["Digits"] = CodesTable("##", 5);
    opener->tables["Letters"] = CodesTable("??", 5);
    opener->tables["Letters"]->rows[0].second.values[1] = std::string("ab");
    table.SetTableOpener(opener);
    table.TableType = TTableType::ttParadox;
    table.SetTableName("Digits");
    source.SetDataSet(&table);
    link.SetDataSource(&source);
    link.SetBufferCount(3);
  }
  std::string ErrorOfPost() {
    try {
      table.Post();
    } catch (const EDatabaseError& error) {
      return error.what();
    }
    return "";
  }

  std::shared_ptr<MemoryOpener> opener = std::make_shared<MemoryOpener>();
  TwwTable table;
  TwwDataSource source;
  RecordingLink link;
  toolkit::ScopedScriptedUi ui;
};

TEST_F(WwTableTest, MaskComesFromTheListThenFromTheTablesChecks) {
  table.PictureMasks = {"note\t&&&\tT\tF", "CODE\t#\tF\tT"};
  auto note = table.FieldMask("NOTE", true);
  ASSERT_TRUE(note);
  EXPECT_EQ("&&&", note->mask);
  EXPECT_TRUE(note->autoFill);
  EXPECT_FALSE(note->usePictureMaskInGrid);
  // Without the table's checks the list's mask stands.
  EXPECT_EQ("#", table.FieldMask("CODE", false)->mask);
  // With them the table's picture replaces it, and the line is rewritten in place.
  auto code = table.FieldMask("CODE", true);
  EXPECT_EQ("##", code->mask);
  EXPECT_FALSE(code->autoFill);
  EXPECT_TRUE(code->usePictureMaskInGrid);
  EXPECT_EQ("CODE\t##\tF\tT", table.PictureMasks[1]);
  EXPECT_FALSE(table.FieldMask("ID", true)) << "no line and no picture: no mask";
  // The checks are matched by exact name.
  table.PictureMasks.clear();
  EXPECT_FALSE(table.FieldMask("code", true));
  auto fromTable = table.FieldMask("CODE", true);
  EXPECT_TRUE(fromTable->autoFill && fromTable->usePictureMaskInGrid) << "no line: both flags true";
}

TEST_F(WwTableTest, PicturesFollowTheTableAfterASwitch) {
  table.Open();
  EXPECT_EQ("##", table.FieldMask("CODE", true)->mask);
  table.Close();
  table.SetTableName("Letters");
  table.Open();
  EXPECT_EQ("??", table.FieldMask("CODE", true)->mask);
  table.Edit();
  table.FieldByName("CODE")->SetAsString("xy");
  EXPECT_NO_THROW(table.Post()) << "letters pass the letters table's own picture";
  // Even without a new open, another table name gets its own list.
  table.Close();
  table.SetTableName("Digits");
  EXPECT_EQ("##", table.FieldMask("CODE", true)->mask);
}

TEST_F(WwTableTest, PicturesAreReadAgainAtEachOpen) {
  table.Open();
  EXPECT_EQ("##", table.FieldMask("CODE", true)->mask);
  table.Close();
  opener->tables["Digits"]->checks[0].picture = "###";
  table.Open();
  EXPECT_EQ("###", table.FieldMask("CODE", true)->mask);
}

TEST_F(WwTableTest, FailingPictureStopsThePost) {
  table.Open();
  TField* seen = nullptr;
  table.OnInvalidValue = [&](TwwTable&, TField& field) { seen = &field; };
  table.FieldByName("CODE")->SetDisplayLabel("Code number");
  table.Edit();
  table.FieldByName("CODE")->SetAsString("1x");
  link.Forget();
  EXPECT_EQ("Invalid characters. Field : Code number", ErrorOfPost());
  EXPECT_EQ(table.FieldByName("CODE"), seen);
  EXPECT_EQ(DataSetState::kEdit, table.State());
  EXPECT_EQ("1x", table.FieldByName("CODE")->AsString());
  EXPECT_NE(std::string::npos, link.Joined().find("focus(CODE)"));
  EXPECT_EQ("12", std::get<std::string>(opener->tables["Digits"]->rows[0].second.values[1]));
}

TEST_F(WwTableTest, PictureErrorSpeaksTheInternationalStrings) {
  intl::GlobalIntl().UserMessages().PictureValidateError = "Wrong characters in ";
  table.Open();
  table.Edit();
  table.FieldByName("CODE")->SetAsString("1x");
  const std::string error = ErrorOfPost();
  intl::FreeGlobalIntl();
  EXPECT_EQ("Wrong characters in CODE", error);
}

TEST_F(WwTableTest, BlankReadOnlyAndSwitchedOffChecksPass) {
  table.Open();
  table.Edit();
  table.FieldByName("CODE")->Clear();
  EXPECT_EQ("", ErrorOfPost()) << "an empty value always passes";

  table.Edit();
  table.FieldByName("CODE")->SetAsString("zz");
  table.FieldByName("CODE")->SetReadOnly(true);
  EXPECT_EQ("", ErrorOfPost()) << "read-only fields are skipped";
  table.FieldByName("CODE")->SetReadOnly(false);

  table.ValidateWithMask = false;
  table.Edit();
  table.FieldByName("CODE")->SetAsString("qq");
  EXPECT_EQ("", ErrorOfPost());
}

TEST_F(WwTableTest, RequiredFieldsMustHaveAValue) {
  opener->tables["Digits"]->checks.push_back({3, true, ""});
  table.Open();
  table.Edit();
  table.FieldByName("NOTE")->Clear();
  EXPECT_EQ("Field 'NOTE' must have a value", ErrorOfPost());
  EXPECT_EQ(DataSetState::kEdit, table.State());
}

TEST_F(WwTableTest, FilterLinesAreJoinedAndInstalled) {
  table.SetwwFilter({"ID > 1", "", "ID < 5", "ID <> 3"});
  EXPECT_EQ("ID > 1 AND (ID < 5) AND (ID <> 3)", table.FilterText());
  table.Open();
  EXPECT_FALSE(table.IsSequenced());
  std::vector<int64_t> ids;
  for (table.First(); !table.Eof(); table.Next())
    ids.push_back(table.FieldByName("ID")->AsInteger());
  EXPECT_EQ((std::vector<int64_t>{2, 4}), ids);
  table.SetwwFilter({"ID >= 4"});
  EXPECT_EQ(4, table.FieldByName("ID")->AsInteger());
  EXPECT_TRUE(ui.shown.empty());
}

TEST_F(WwTableTest, RefusedFilterWarnsAndShowsEveryRow) {
  table.Open();
  table.SetwwFilter({"NOSUCHFIELD = 1"});
  ASSERT_EQ(1u, ui.shown.size());
  EXPECT_EQ("Fail to set filter", ui.shown[0].text);
  EXPECT_EQ(toolkit::MessageKind::kWarning, ui.shown[0].kind);
  EXPECT_EQ(toolkit::MessageButtons::kOk, ui.shown[0].buttons);
  EXPECT_TRUE(table.IsSequenced());
  EXPECT_EQ(3, table.RecordCount());
}

TEST_F(WwTableTest, OnFilterDecidesRowByRow) {
  table.OnFilter = [](TwwTable& t, bool& accept) {
    accept = t.FieldByName("ID")->AsInteger() % 2 == 1;
  };
  table.Open();
  EXPECT_FALSE(table.IsSequenced());
  std::vector<int64_t> ids;
  for (table.First(); !table.Eof(); table.Next())
    ids.push_back(table.FieldByName("ID")->AsInteger());
  EXPECT_EQ((std::vector<int64_t>{1, 3, 5}), ids);
  // The hourglass of a rejected row goes back to the arrow after the notification.
  EXPECT_NE(ui.cursorHistory.end(), std::find(ui.cursorHistory.begin(), ui.cursorHistory.end(),
                                              toolkit::CursorShape::kHourGlass));
  EXPECT_EQ(toolkit::CursorShape::kArrow, ui.cursor());
  // Switching it off re-reads at once, unfiltered.
  TwwOnFilterOptions options = table.OnFilterOptions();
  options.ofoEnabled = false;
  table.SetOnFilterOptions(options);
  EXPECT_EQ("1 2 3", [&] {
    std::string shown;
    for (int i = 0; i < table.RecordCount(); ++i) {
      table.SetActiveRecord(i);
      shown += (i ? " " : "") + table.FieldByName("ID")->AsString();
    }
    return shown;
  }());
}

TEST_F(WwTableTest, EscapeStopsOnFilter) {
  auto big = CodesTable("", 400);
  opener->tables["Big"] = big;
  table.Close();
  table.SetTableName("Big");
  int calls = 0;
  int escapes = 0;
  table.OnFilter = [&](TwwTable&, bool& accept) {
    ++calls;
    accept = false;
  };
  table.OnFilterEscape = [&](TwwTable&) { ++escapes; };
  table.SetOnFilterOptions({true, false, true});
  ui.escapeAfterCalls = 1;  // pressed at the second check, row 200
  table.Open();
  EXPECT_EQ(199, calls);
  EXPECT_EQ(1, escapes);
  EXPECT_FALSE(table.OnFilterOptions().ofoEnabled);
  EXPECT_EQ(200, table.FieldByName("ID")->AsInteger()) << "rows show unfiltered from there";
}

TEST_F(WwTableTest, QueryAndTableNameRules) {
  table.Open();
  table.SetQuery({"select * from Acctr"});
  EXPECT_FALSE(table.Active());
  EXPECT_EQ("", table.TableName());
  EXPECT_THROW(table.Open(), EDatabaseError);
  EXPECT_FALSE(table.Active());
  table.SetTableName("Acctr");
  EXPECT_TRUE(table.Query().empty());
  table.SetTableName("Digits");
  table.Open();
  EXPECT_THROW(table.SetTableName("Letters"), EDatabaseError) << "only while closed";
}

TEST_F(WwTableTest, ParadoxTest) {
  table.TableType = TTableType::ttDefault;
  table.SetTableName("portf.DB");
  EXPECT_TRUE(table.IsParadox());
  table.SetTableName("PORTF.db");
  EXPECT_TRUE(table.IsParadox());
  table.SetTableName("portf.dbf");
  EXPECT_FALSE(table.IsParadox());
  table.SetTableName("Portf");
  EXPECT_FALSE(table.IsParadox());
  EXPECT_FALSE(table.FieldMask("CODE", true)) << "not Paradox: the checks do not count";
  table.TableType = TTableType::ttParadox;
  EXPECT_TRUE(table.IsParadox());
}

TEST_F(WwTableTest, PropertiesByNameAndTheClassTest) {
  table.PictureMasks = {"CODE\t##\tT\tT"};
  table.ValidateWithMask = false;
  table.SetDatabaseName("FOLIODB");
  EXPECT_EQ(table.PictureMasks,
            std::get<std::vector<std::string>>(table.ReadProperty("PictureMasks")));
  EXPECT_FALSE(std::get<bool>(table.ReadProperty("ValidateWithMask")));
  EXPECT_EQ("FOLIODB", std::get<std::string>(table.ReadProperty("DatabaseName")));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(table.ReadProperty("OnInvalidValue")));
  EXPECT_TRUE(IsWwDataSet(&table));

  TDataSet plain;
  EXPECT_TRUE(std::holds_alternative<std::monostate>(plain.ReadProperty("PictureMasks")));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(plain.ReadProperty("ValidateWithMask")));
  EXPECT_FALSE(IsWwDataSet(&plain));
  EXPECT_FALSE(IsWwDataSet(nullptr));
}

TEST_F(WwTableTest, NarrowSearchRangeOnTheKey) {
  auto names = std::make_shared<MemoryTable>();
  names->fields = {{1, "NAME", 'A', 8}};
  names->keyFieldCount = 1;
  for (const char* name : {"ADAMS", "SMALL", "SMITH", "STONE"}) names->AddRow({std::string(name)});
  opener->tables["Names"] = names;
  table.SetTableName("Names");
  table.Open();
  table.NarrowToPrefix("SM");
  EXPECT_EQ(2, table.RecordCountTotal());
  EXPECT_EQ("SMALL", table.FieldByName("NAME")->AsString());
  table.NarrowToPrefix("");
  EXPECT_EQ(4, table.RecordCountTotal());

  // Locating on the text key goes by the key and agrees with a walk.
  EXPECT_TRUE(table.Locate("NAME", {"SMI"}, {false, true}));
  EXPECT_EQ("SMITH", table.FieldByName("NAME")->AsString());
  EXPECT_TRUE(table.Locate("NAME", {"ST"}, {false, true}));
  EXPECT_EQ("STONE", table.FieldByName("NAME")->AsString());
  EXPECT_FALSE(table.Locate("NAME", {"SMZ"}, {false, true}));
  EXPECT_FALSE(table.Locate("NAME", {"SM"}, {false, false})) << "exact: no row is just SM";
  EXPECT_EQ("STONE", table.FieldByName("NAME")->AsString()) << "no match leaves the row";
  EXPECT_TRUE(table.Locate("NAME", {"sm"}, {true, true}));
  EXPECT_EQ("SMALL", table.FieldByName("NAME")->AsString()) << "case-insensitive walks";
}

}  // namespace
}  // namespace data
