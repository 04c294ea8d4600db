// The record-buffer window and the state machine of the data set, on tables
// held in memory: what rows the window holds after each move, what every link
// is told, and how editing moves between states.
#include <gtest/gtest.h>

#include "data_set.h"
#include "data_set_error.h"
#include "data_source.h"
#include "memory_table_test_support.h"
#include "recording_link_test_support.h"

namespace data {
namespace {

using testing::MemoryOpener;
using testing::NumberedTable;
using testing::RecordingLink;

class WindowTest : public ::testing::Test {
 protected:
  void SetUpTable(int rows, int bufferCount) {
    table = NumberedTable(rows);
    opener->tables["T"] = table;
    dataSet.SetTableOpener(opener);
    dataSet.SetTableName("T");
    source.SetDataSet(&dataSet);
    link.SetDataSource(&source);
    link.SetBufferCount(bufferCount);
    dataSet.Open();
    link.Forget();
  }
  // The IDs of the rows in the window, and the current one.
  std::string Window() {
    std::string ids;
    int active = dataSet.ActiveRecord();
    for (int i = 0; i < dataSet.RecordCount(); ++i) {
      dataSet.SetActiveRecord(i);
      ids += (i ? " " : "") + std::to_string(dataSet.FieldByName("ID")->AsInteger());
    }
    dataSet.SetActiveRecord(active);
    return ids;
  }
  int64_t CurrentId() { return dataSet.FieldByName("ID")->AsInteger(); }

  std::shared_ptr<MemoryOpener> opener = std::make_shared<MemoryOpener>();
  std::shared_ptr<testing::MemoryTable> table;
  TDataSet dataSet;
  TwwDataSource source;
  RecordingLink link;
};

TEST_F(WindowTest, OpeningReadsOneWindow) {
  SetUpTable(1000, 5);
  EXPECT_EQ("1 2 3 4 5", Window());
  EXPECT_TRUE(dataSet.Bof());
  EXPECT_FALSE(dataSet.Eof());
  EXPECT_LE(table->rowReads, 6);
  EXPECT_EQ(5, link.RecordCount());
  EXPECT_EQ(0, link.ActiveRecord());
}

TEST_F(WindowTest, NextMovesInsideTheWindowThenSlidesIt) {
  SetUpTable(8, 3);
  dataSet.Next();
  dataSet.Next();
  EXPECT_EQ("check scrolled(0) check scrolled(0)", link.Joined())
      << "every move first asks the controls for their pending input";
  EXPECT_EQ(2, dataSet.ActiveRecord());
  link.Forget();
  dataSet.Next();
  EXPECT_EQ("2 3 4", Window());
  EXPECT_EQ(2, dataSet.ActiveRecord());
  EXPECT_EQ("check scrolled(1)", link.Joined());
  EXPECT_EQ(4, CurrentId());
  link.Forget();
  EXPECT_EQ(3, dataSet.MoveBy(3));
  EXPECT_EQ("5 6 7", Window());
  EXPECT_EQ("check scrolled(3)", link.Joined())
      << "one notification per move, with the whole distance";
  dataSet.Next();
  EXPECT_FALSE(dataSet.Eof());
  link.Forget();
  EXPECT_EQ(0, dataSet.MoveBy(1));
  EXPECT_TRUE(dataSet.Eof());
  EXPECT_EQ(8, CurrentId());
  EXPECT_EQ("check scrolled(0)", link.Joined());
  link.Forget();
  dataSet.Next();
  EXPECT_EQ("check", link.Joined()) << "at the end nothing moves";
}

TEST_F(WindowTest, PriorMirrorsNext) {
  SetUpTable(8, 3);
  dataSet.Last();
  EXPECT_EQ("6 7 8", Window());
  EXPECT_TRUE(dataSet.Eof());
  EXPECT_EQ(2, dataSet.ActiveRecord());
  link.Forget();
  dataSet.MoveBy(-2);
  EXPECT_EQ(0, dataSet.ActiveRecord());
  dataSet.Prior();
  EXPECT_EQ("5 6 7", Window());
  EXPECT_EQ(0, dataSet.ActiveRecord());
  EXPECT_EQ("check scrolled(0) check scrolled(-1)", link.Joined());
  EXPECT_EQ(-4, dataSet.MoveBy(-30));
  EXPECT_TRUE(dataSet.Bof());
  EXPECT_EQ("1 2 3", Window());
}

TEST_F(WindowTest, LinksSeeTheWindowThroughTheirOwnOffset) {
  SetUpTable(20, 5);
  RecordingLink small;
  small.SetDataSource(&source);
  small.SetBufferCount(2);
  EXPECT_EQ(5, dataSet.BufferCount()) << "the data set keeps the largest request";
  dataSet.MoveBy(3);
  EXPECT_EQ(3, dataSet.ActiveRecord());
  EXPECT_EQ(1, small.ActiveRecord());
  EXPECT_EQ(2, small.FirstRecord());
  EXPECT_EQ("active check scrolled(2)", small.Joined());
  small.Forget();
  dataSet.MoveBy(-1);
  EXPECT_EQ("check scrolled(0)", small.Joined());
  // Painting another row through a link does not move the cursor's row.
  small.SetActiveRecord(1);
  EXPECT_EQ(4, CurrentId());
  small.SetActiveRecord(0);
  EXPECT_EQ(3, CurrentId());
}

TEST_F(WindowTest, BufferCountFollowsTheLinks) {
  SetUpTable(20, 3);
  dataSet.MoveBy(2);
  link.SetBufferCount(6);
  EXPECT_EQ("1 2 3 4 5 6", Window());
  EXPECT_EQ(3, CurrentId());
  dataSet.Last();
  link.SetBufferCount(2);
  EXPECT_EQ("19 20", Window());
  EXPECT_EQ(20, CurrentId());
  link.SetBufferCount(4);
  EXPECT_EQ("17 18 19 20", Window()) << "at the end the window grows backwards";
}

TEST_F(WindowTest, EmptyTableIsAtBothEnds) {
  SetUpTable(0, 4);
  EXPECT_TRUE(dataSet.Bof());
  EXPECT_TRUE(dataSet.Eof());
  EXPECT_TRUE(dataSet.IsEmpty());
  EXPECT_EQ(0, dataSet.RecordCount());
  EXPECT_THROW(dataSet.Delete(), EDatabaseError);
  EXPECT_EQ(0, dataSet.MoveBy(1));
}

TEST_F(WindowTest, EditPostKeepsThePositionAndTellsTheLinks) {
  SetUpTable(10, 4);
  dataSet.MoveBy(5);  // window 3..6, row 6 current
  int position = dataSet.ActiveRecord();
  link.Forget();
  dataSet.Edit();
  EXPECT_EQ(DataSetState::kEdit, dataSet.State());
  EXPECT_EQ(1, table->lockCount);
  EXPECT_EQ("editing record(all)", link.Joined());
  link.Forget();
  link.pendingInput = [&] { dataSet.FieldByName("NAME")->SetAsString("Changed"); };
  dataSet.Post();
  EXPECT_EQ("update check browsing changed", link.Joined())
      << "pending input first (its own change not echoed back), then check browse mode, then the "
         "re-read";
  EXPECT_EQ(DataSetState::kBrowse, dataSet.State());
  EXPECT_EQ(position, dataSet.ActiveRecord());
  EXPECT_EQ("Changed", dataSet.FieldByName("NAME")->AsString());
  EXPECT_EQ("Changed", std::get<std::string>(table->rows[5].second.values[1]));
}

TEST_F(WindowTest, CancelRestoresTheRowAndReleasesTheLock) {
  SetUpTable(5, 3);
  dataSet.Edit();
  dataSet.FieldByName("NAME")->SetAsString("Typed");
  EXPECT_TRUE(dataSet.Modified());
  dataSet.Cancel();
  EXPECT_EQ("Name1", dataSet.FieldByName("NAME")->AsString());
  EXPECT_EQ(1, table->unlockCount);
  EXPECT_FALSE(dataSet.Modified());
}

TEST_F(WindowTest, MovesBringTheDataSetToBrowseState) {
  SetUpTable(5, 3);
  dataSet.Edit();
  dataSet.Next();  // unmodified: cancelled
  EXPECT_EQ(DataSetState::kBrowse, dataSet.State());
  EXPECT_EQ(1, table->unlockCount);
  dataSet.Edit();
  dataSet.FieldByName("AMOUNT")->SetAsString("99.5");
  dataSet.Next();  // modified: posted
  EXPECT_EQ(99.5, std::get<double>(table->rows[1].second.values[2]));
  EXPECT_EQ(3, CurrentId());
}

TEST_F(WindowTest, InsertPutsANewRowBeforeTheCurrentOne) {
  SetUpTable(5, 3);
  dataSet.MoveBy(1);
  dataSet.Insert();
  EXPECT_EQ(DataSetState::kInsert, dataSet.State());
  EXPECT_EQ(1, dataSet.ActiveRecord());
  EXPECT_TRUE(dataSet.FieldByName("ID")->IsNull());
  dataSet.Cancel();
  EXPECT_EQ("1 2 3", Window());
  EXPECT_EQ(2, CurrentId());

  dataSet.Insert();
  dataSet.FieldByName("ID")->SetAsString("10");
  dataSet.FieldByName("NAME")->SetAsString("Ten");
  dataSet.Post();
  EXPECT_EQ(10, CurrentId());
  EXPECT_EQ(6u, table->rows.size());
  EXPECT_TRUE(dataSet.Eof() == false);
}

TEST_F(WindowTest, CancelledInsertReturnsToItsRowEvenWithOneBuffer) {
  SetUpTable(5, 1);
  dataSet.MoveBy(3);
  dataSet.Insert();
  EXPECT_EQ(1, dataSet.RecordCount()) << "the new row took the only buffer";
  dataSet.Cancel();
  EXPECT_EQ(4, CurrentId());
  EXPECT_FALSE(dataSet.Bof());
}

TEST_F(WindowTest, AppendGoesToTheEnd) {
  SetUpTable(5, 3);
  dataSet.Append();
  EXPECT_TRUE(dataSet.Eof());
  EXPECT_EQ(2, dataSet.ActiveRecord());
  dataSet.FieldByName("ID")->SetAsInteger(6);
  dataSet.Post();
  EXPECT_EQ("4 5 6", Window());
}

TEST_F(WindowTest, DeleteRereadsAroundTheNextRow) {
  SetUpTable(5, 3);
  dataSet.MoveBy(1);
  link.Forget();
  dataSet.Delete();
  EXPECT_EQ("check changed", link.Joined());
  EXPECT_EQ(3, CurrentId());
  EXPECT_EQ("1 3 4", Window());
  dataSet.Last();
  dataSet.Delete();
  EXPECT_EQ(4, CurrentId()) << "deleting the last row leaves the one before it";
  while (!dataSet.IsEmpty()) dataSet.Delete();
  EXPECT_TRUE(dataSet.Bof() && dataSet.Eof());
}

TEST_F(WindowTest, StateErrorsUseTheDataSetMessages) {
  SetUpTable(3, 2);
  try {
    dataSet.Post();
    FAIL();
  } catch (const EDatabaseError& error) {
    EXPECT_STREQ("Dataset not in edit or insert mode", error.what());
  }
  dataSet.Close();
  try {
    dataSet.Next();
    FAIL();
  } catch (const EDatabaseError& error) {
    EXPECT_STREQ("Cannot perform this operation on a closed dataset", error.what());
  }
  table->readOnly = true;
  dataSet.Open();
  EXPECT_FALSE(dataSet.CanModify());
  try {
    dataSet.Edit();
    FAIL();
  } catch (const EDatabaseError& error) {
    EXPECT_STREQ("Cannot modify a read-only dataset", error.what());
  }
  dataSet.Close();
  dataSet.SetTableName("");
  try {
    dataSet.Open();
    FAIL();
  } catch (const EDatabaseError& error) {
    EXPECT_STREQ("Missing TableName property", error.what());
  }
}

TEST_F(WindowTest, ClosingDropsAnEdit) {
  SetUpTable(3, 2);
  dataSet.Edit();
  dataSet.FieldByName("NAME")->SetAsString("Lost");
  link.Forget();
  dataSet.Close();
  EXPECT_EQ("Name1", std::get<std::string>(table->rows[0].second.values[1]));
  EXPECT_EQ("inactive browsing", link.Joined());
  EXPECT_EQ(1, table->unlockCount);
}

TEST_F(WindowTest, DisableControlsNestsAndReportsOnce) {
  SetUpTable(10, 3);
  dataSet.DisableControls();
  dataSet.DisableControls();
  dataSet.Next();
  dataSet.Last();
  dataSet.EnableControls();
  EXPECT_EQ("check check", link.Joined()) << "pending input is still asked for";
  link.Forget();
  dataSet.EnableControls();
  EXPECT_EQ("changed", link.Joined()) << "same state: one data-set-changed only";
  link.Forget();
  dataSet.DisableControls();
  dataSet.Close();
  dataSet.EnableControls();
  EXPECT_EQ("inactive", link.Joined()) << "closed meanwhile: the state change only";
  link.Forget();
  dataSet.DisableControls();
  dataSet.Open();
  dataSet.EnableControls();
  EXPECT_EQ("active", link.Joined()) << "inactive at the first switch-off: no data-set-changed";
}

TEST_F(WindowTest, BookmarksReturnToTheirRow) {
  SetUpTable(50, 4);
  dataSet.MoveBy(20);
  Bookmark mark = dataSet.GetBookmark();
  dataSet.First();
  Bookmark first = dataSet.GetBookmark();
  EXPECT_EQ(-1, dataSet.CompareBookmarks(first, mark));
  EXPECT_EQ(0, dataSet.CompareBookmarks(mark, mark));
  dataSet.GotoBookmark(mark);
  EXPECT_EQ(21, CurrentId());
  dataSet.FreeBookmark(mark);
  EXPECT_TRUE(mark.empty());
  EXPECT_THROW(dataSet.GotoBookmark(mark), EDatabaseError);
}

TEST_F(WindowTest, RecordNumbersComeFromTheTable) {
  SetUpTable(30, 4);
  dataSet.MoveBy(9);
  EXPECT_EQ(10, dataSet.RecNo());
  EXPECT_EQ(30, dataSet.RecordCountTotal());
  dataSet.SetRecNo(25);
  EXPECT_EQ(25, CurrentId());
}

TEST_F(WindowTest, KeysRangesAndLocate) {
  SetUpTable(40, 4);
  dataSet.FindNearest({"17"});
  EXPECT_EQ(17, CurrentId());
  dataSet.FindNearest({"99"});
  EXPECT_TRUE(dataSet.Eof());
  dataSet.SetRange({"10"}, {"12"});
  EXPECT_EQ("10 11 12", Window());
  EXPECT_EQ(3, dataSet.RecordCountTotal());
  dataSet.CancelRange();
  EXPECT_EQ("1 2 3 4", Window());
  EXPECT_TRUE(dataSet.Locate("NAME", {"name3"}, {true, true}));
  EXPECT_EQ(3, CurrentId()) << "the first row whose name begins so";
  EXPECT_FALSE(dataSet.Locate("NAME", {"nobody"}, {true, true}));
  EXPECT_EQ(3, CurrentId());
  EXPECT_FALSE(dataSet.Locate("NAME", {"name3"}, {false, false}));
  EXPECT_THROW(dataSet.FindNearest({"x"}), EDatabaseError);
}

TEST_F(WindowTest, BlobsAreReadOnlyWhenAsked) {
  SetUpTable(3, 3);
  table->rows[1].second.record = "4=A long note";
  dataSet.Refresh();
  dataSet.Next();
  EXPECT_EQ("A long note", dataSet.FieldByName("NOTE")->AsString());
  dataSet.Next();
  EXPECT_TRUE(dataSet.FieldByName("NOTE")->IsNull());
}

}  // namespace
}  // namespace data
