// The data set on real tables through the engine, in a temporary directory.
#include <gtest/gtest.h>

#include "app/engine/engine.h"
#include "app/engine/engine_error.h"
#include "data_set_error.h"
#include "data_source.h"
#include "paradox_table_test_support.h"
#include "recording_link_test_support.h"
#include "toolkit/fixed_locales.h"
#include "toolkit/scripted_ui.h"
#include "wwtable.h"

namespace data {
namespace {

using testing::CreateNumberedTable;
using testing::RecordingLink;
using testing::TemporaryDirectory;

// The engine is stopped before the process's exit handlers run: once they
// have destroyed the store library's own objects it can no longer be called.
class StopEngineAtEnd : public ::testing::Environment {
 public:
  void TearDown() override { engine::Engine::instance().shutdown(); }
};
const ::testing::Environment* const kStopEngineAtEnd =
    ::testing::AddGlobalTestEnvironment(new StopEngineAtEnd);

class RealTableTest : public ::testing::Test {
 protected:
  // False (with the reason) when the table could not be made.
  bool Make(const std::string& name, int rows, const std::string& picture = "") {
    testing::CreatedTable created = CreateNumberedTable(directory.Path(), name, rows, picture);
    if (!created.created) reason = created.reason;
    return created.created;
  }
  void OpenOn(const std::string& name, int bufferCount) {
    table.SetDatabaseName(directory.Database());
    table.TableType = TTableType::ttParadox;
    table.SetTableName(name);
    source.SetDataSet(&table);
    link.SetDataSource(&source);
    link.SetBufferCount(bufferCount);
    table.Open();
    link.Forget();
  }
  int64_t CurrentId() { return table.FieldByName("ID")->AsInteger(); }

  TemporaryDirectory directory;
  TwwTable table;
  TwwDataSource source;
  RecordingLink link;
  toolkit::ScopedScriptedUi ui;
  std::string reason;
};

#define MAKE(...) ASSERT_TRUE(Make(__VA_ARGS__)) << reason

TEST_F(RealTableTest, WindowMovesThroughTheTable) {
  MAKE("NUMBERS", 50);
  OpenOn("numbers", 5);  // names resolve without regard to case
  EXPECT_EQ(5, table.RecordCount());
  EXPECT_TRUE(table.Bof());
  EXPECT_EQ("Name1", table.FieldByName("NAME")->AsString());
  EXPECT_EQ(1.5, table.FieldByName("AMOUNT")->AsFloat());
  table.MoveBy(5);
  EXPECT_EQ(6, CurrentId());
  EXPECT_EQ("check scrolled(1)", link.Joined());
  table.Last();
  EXPECT_TRUE(table.Eof());
  EXPECT_EQ(50, CurrentId());
  EXPECT_EQ(50, table.RecNo());
  EXPECT_EQ(50, table.RecordCountTotal());
  Bookmark last = table.GetBookmark();
  EXPECT_EQ(-49, table.MoveBy(-60));
  EXPECT_TRUE(table.Bof());
  table.GotoBookmark(last);
  EXPECT_EQ(50, CurrentId());
  table.SetwwFilter({"ID > 45", "AMOUNT < 72"});
  EXPECT_EQ(46, CurrentId());
  EXPECT_FALSE(table.IsSequenced());
  table.Last();
  EXPECT_EQ(47, CurrentId());
}

TEST_F(RealTableTest, EditPostAndCancel) {
  MAKE("NUMBERS", 10);
  OpenOn("NUMBERS", 4);
  table.MoveBy(2);
  table.Edit();
  table.FieldByName("NAME")->SetAsString("Third");
  table.Post();
  EXPECT_EQ("Third", table.FieldByName("NAME")->AsString());
  table.Edit();
  table.FieldByName("NAME")->SetAsString("Dropped");
  table.Cancel();
  table.Close();
  table.Open();
  table.MoveBy(2);
  EXPECT_EQ("Third", table.FieldByName("NAME")->AsString());
}

TEST_F(RealTableTest, InsertAndDelete) {
  MAKE("NUMBERS", 5);
  OpenOn("NUMBERS", 3);
  table.Append();
  table.FieldByName("ID")->SetAsInteger(6);
  table.FieldByName("NAME")->SetAsString("Six");
  table.Post();
  EXPECT_EQ(6, CurrentId());
  EXPECT_EQ(6, table.RecordCountTotal());
  table.First();
  table.Delete();
  EXPECT_EQ(2, CurrentId());
  EXPECT_EQ(5, table.RecordCountTotal());
}

TEST_F(RealTableTest, FailingPictureKeepsTheEdit) {
  MAKE("CODES", 3, "&&*&");
  OpenOn("CODES", 3);
  EXPECT_EQ("&&*&", table.FieldMask("NAME", true)->mask);
  table.Edit();
  table.FieldByName("NAME")->SetAsString("1x");
  try {
    table.Post();
    FAIL() << "the picture let 1x through";
  } catch (const EDatabaseError& error) {
    EXPECT_STREQ("Invalid characters. Field : NAME", error.what());
  }
  EXPECT_EQ(DataSetState::kEdit, table.State());
  EXPECT_NE(std::string::npos, link.Joined().find("focus(NAME)"));
  table.FieldByName("NAME")->SetAsString("AB");
  EXPECT_NO_THROW(table.Post());
}

TEST_F(RealTableTest, PictureOfTheRightTableAfterASwitch) {
  MAKE("DIGITS", 2, "##");
  MAKE("LETTERS", 2, "??");
  OpenOn("DIGITS", 2);
  EXPECT_EQ("##", table.FieldMask("NAME", true)->mask);
  table.Close();
  table.SetTableName("LETTERS");
  table.Open();
  EXPECT_EQ("??", table.FieldMask("NAME", true)->mask);
}

TEST_F(RealTableTest, MemosAreReadWhenAskedAndWrittenWithTheRow) {
  std::string why;
  ASSERT_TRUE(testing::StartEngine(&why)) << why;
  engine::Engine::instance().createTable(directory.Database(), "NOTES", "ID\tI*\nNOTE\tM10\n");
  OpenOn("NOTES", 2);
  EXPECT_TRUE(table.IsEmpty());
  table.Insert();
  table.FieldByName("ID")->SetAsInteger(1);
  std::string longText(3000, 'x');
  longText += " end";
  table.FieldByName("NOTE")->SetAsString(longText);
  table.Post();
  table.Insert();
  table.FieldByName("ID")->SetAsInteger(2);
  table.Post();
  table.Close();
  table.Open();
  EXPECT_EQ(longText, table.FieldByName("NOTE")->AsString());
  table.Next();
  EXPECT_TRUE(table.FieldByName("NOTE")->IsNull());
  // An edit that leaves the memo alone keeps it.
  table.First();
  table.Edit();
  table.FieldByName("ID")->SetAsInteger(3);
  table.Post();
  table.Last();
  EXPECT_EQ(3, CurrentId());
  EXPECT_EQ(longText, table.FieldByName("NOTE")->AsString());
}

// Every field's display text of the current row, "|" between them.
std::string RowTexts(const TDataSet& set) {
  std::string texts;
  for (int i = 0; i < set.FieldCount(); ++i) texts += (i ? "|" : "") + set.Fields(i)->DisplayText();
  return texts;
}

TEST_F(RealTableTest, RowsReadIntoReusedBuffersShowOnlyTheirOwnValues) {
  // The window reads each row into the storage of the row that left it: a
  // long text followed by a short or blank one, a memo read followed by an
  // unread one, must each show their own row's value in either direction.
  std::string why;
  ASSERT_TRUE(testing::StartEngine(&why)) << why;
  const toolkit::LocaleSettings previous = toolkit::localeSettings();
  toolkit::setLocaleSettings(toolkit::fixed_locales::unitedStates());
  engine::Engine::instance().createTable(directory.Database(), "MIXED",
                                         "ID\tI*\nNAME\tA40\nAMOUNT\tN\nDAY\tD\nNOTE\tM10\n");
  OpenOn("MIXED", 1);
  const std::vector<std::vector<std::string>> rows = {
      {"1", "a name long enough to need its storage", "2.5", "3/4/2001", "memo of row one"},
      {"2", "", "", "", ""},
      {"3", "Bo", "-0.07", "12/31/1999", ""},
      {"4", "another name long enough for the heap", "1e-7", "", "a memo longer than its leader"},
      {"5", "x", "123456789012345", "1/1/2000", "m"}};
  std::vector<std::string> expected;
  for (const auto& row : rows) {
    table.Insert();
    std::string joined;
    for (size_t i = 0; i < row.size(); ++i) {
      table.Fields(static_cast<int>(i))->SetAsString(row[i]);
      joined += (i ? "|" : "") + row[i];
    }
    table.Post();
    expected.push_back(joined);
  }
  expected[3] = "4|another name long enough for the heap|1e-07||a memo longer than its leader";
  for (int buffers : {1, 2, 3}) {
    SCOPED_TRACE(buffers);
    link.SetBufferCount(buffers);
    std::vector<std::string> forward, backward;
    table.First();
    for (; !table.Eof(); table.Next()) {
      forward.push_back(RowTexts(table));
      // Reading the memo fills the buffer's value; the next row's must not show it.
      table.FieldByName("NOTE")->AsString();
    }
    table.Last();
    for (; !table.Bof(); table.Prior()) backward.insert(backward.begin(), RowTexts(table));
    EXPECT_EQ(forward, expected);
    EXPECT_EQ(backward, expected);
  }
  toolkit::setLocaleSettings(previous);
}

TEST_F(RealTableTest, AChangeThroughAnotherDataSetIsFollowedAfterARefresh) {
  // A data set remembers where the engine's cursor stands between moves; a
  // row deleted through another data set of the same table must not leave it
  // reading from a stale place once it has refreshed.
  MAKE("NUMBERS", 6);
  OpenOn("NUMBERS", 1);
  table.MoveBy(1);
  ASSERT_EQ(2, CurrentId());
  TwwTable other;
  other.SetDatabaseName(directory.Database());
  other.SetTableName("NUMBERS");
  other.Open();
  other.MoveBy(2);
  ASSERT_EQ(3, other.FieldByName("ID")->AsInteger());
  other.Delete();
  table.Refresh();
  EXPECT_EQ(2, CurrentId());
  table.Next();
  EXPECT_EQ(4, CurrentId());
  table.Prior();
  EXPECT_EQ(2, CurrentId());
}

TEST_F(RealTableTest, AMissingTableLeavesTheDataSetInactive) {
  std::string why;
  ASSERT_TRUE(testing::StartEngine(&why)) << why;
  table.SetDatabaseName(directory.Database());
  table.SetTableName("NOSUCH");
  EXPECT_THROW(table.Open(), engine::EngineError);
  EXPECT_FALSE(table.Active());
}

}  // namespace
}  // namespace data

namespace data {
namespace {

// Locate by a seek on the key and by a scan of a text field, with and without
// a filter; a search that finds nothing leaves the row where it was.
TEST_F(RealTableTest, LocateSeeksKeysAndScansTextFields) {
  MAKE("LOCATE", 40);
  OpenOn("LOCATE", 5);
  TDataSet::LocateOptions partial{false, true};
  TDataSet::LocateOptions anyCase{true, true};
  EXPECT_TRUE(table.Locate("ID", {"17"}, partial));
  EXPECT_EQ(CurrentId(), 17);
  EXPECT_FALSE(table.Locate("ID", {"41"}, partial));
  EXPECT_EQ(CurrentId(), 17);
  EXPECT_TRUE(table.Locate("NAME", {"name3"}, anyCase));
  EXPECT_EQ(CurrentId(), 3);
  EXPECT_FALSE(table.Locate("NAME", {"name3"}, partial));
  EXPECT_EQ(CurrentId(), 3);
  EXPECT_TRUE(table.Locate("NAME", {"Name25"}, {false, false}));
  EXPECT_EQ(CurrentId(), 25);
  EXPECT_FALSE(table.Locate("NAME", {"Name"}, {false, false}));
  EXPECT_EQ(CurrentId(), 25);

  // Beginnings of a number: 4 is gone, so 40 is the first that begins with 4.
  ASSERT_TRUE(table.Locate("ID", {"4"}, {false, false}));
  table.Delete();
  EXPECT_TRUE(table.Locate("ID", {"4"}, partial));
  EXPECT_EQ(CurrentId(), 40);
  EXPECT_TRUE(table.Locate("ID", {"1"}, partial));
  EXPECT_EQ(CurrentId(), 1);
  EXPECT_FALSE(table.Locate("ID", {"-"}, partial));
  EXPECT_FALSE(table.Locate("ID", {"07"}, partial));
  EXPECT_EQ(CurrentId(), 1);

  table.SetwwFilter({"ID > 30"});
  EXPECT_TRUE(table.Locate("NAME", {"NAME3"}, anyCase));
  EXPECT_EQ(CurrentId(), 31);
}

}  // namespace
}  // namespace data
