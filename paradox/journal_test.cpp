#include "journal.h"

#include <gtest/gtest.h>

#include "paradox/testing/memory_file_system.h"
#include "pdx_codes.h"

namespace pdx {
namespace {

using testing::MemoryFileSystem;

class JournalTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs_.SetContents("/t/A.DB", std::string(4096, 'a'));
    fs_.SetContents("/t/A.PX", std::string(1024, 'p'));
    Reopen();
  }

  void Reopen() {
    db_.reset();
    px_.reset();
    ASSERT_EQ(fs_.Open("/t/A.DB", OpenMode::kReadWrite, &db_), PDX_OK);
    ASSERT_EQ(fs_.Open("/t/A.PX", OpenMode::kReadWrite, &px_), PDX_OK);
    journal_ = std::make_unique<Journal>(&fs_, "/t/A.JNL");
  }

  std::vector<File*> Files() { return {db_.get(), px_.get()}; }

  // Overwrites a stretch of the data file, appends a block to it, and
  // rewrites a shorter index: the shape of an insert that splits a block.
  void Change(Transaction* t) {
    t->Write(0, 100, std::string(50, 'X').data(), 50);
    t->Write(0, 4096, std::string(2048, 'N').data(), 2048);
    t->Write(1, 1000, "gone", 4);
    t->SetSize(1, 512);
    t->Write(1, 0, "root", 4);
  }

  std::string NewDb() {
    std::string db(4096, 'a');
    db.replace(100, 50, std::string(50, 'X'));
    return db + std::string(2048, 'N');
  }

  MemoryFileSystem fs_;
  std::unique_ptr<File> db_, px_;
  std::unique_ptr<Journal> journal_;
};

TEST_F(JournalTest, CommitWritesEverythingAndEmptiesTheJournal) {
  Transaction t(journal_.get(), Files());
  Change(&t);
  ASSERT_EQ(t.Commit(), PDX_OK);
  EXPECT_TRUE(t.empty());
  EXPECT_EQ(fs_.Contents("/t/A.DB"), NewDb());
  EXPECT_EQ(fs_.Contents("/t/A.PX"), "root" + std::string(508, 'p'));
  EXPECT_EQ(fs_.Contents("/t/A.JNL"), "");
}

TEST_F(JournalTest, ReadsSeeThePendingWritesMergedOverTheFile) {
  Transaction t(journal_.get(), Files());
  t.Write(0, 10, "xyz", 3);
  t.Write(0, 12, "ZZ", 2);   // overlaps the end of the first
  t.Write(0, 9, "w", 1);     // touches its start
  t.Write(0, 5000, "e", 1);  // past the end of the file
  char got[8];
  ASSERT_EQ(t.Read(0, 8, got, 7), PDX_OK);
  EXPECT_EQ(std::string(got, 7), "awxyZZa");
  uint64_t size = 0;
  ASSERT_EQ(t.Size(0, &size), PDX_OK);
  EXPECT_EQ(size, 5001u);
  char gap[3];
  ASSERT_EQ(t.Read(0, 4095, gap, 3), PDX_OK);
  EXPECT_EQ(std::string(gap, 3), std::string("a\0\0", 3));
  EXPECT_EQ(fs_.Contents("/t/A.DB"), std::string(4096, 'a')) << "nothing written before commit";
  t.Abandon();
  EXPECT_TRUE(t.empty());
}

// Power fails after every possible number of writes: the files come back as
// they were before or, only when the commit had answered success, as after.
TEST_F(JournalTest, ACrashAtAnyWriteLeavesTheOldOrTheNewTable) {
  bool saw_old = false, saw_new = false;
  for (long budget = 0;; ++budget) {
    SetUp();
    fs_.FailWritesAfter(budget);
    Transaction t(journal_.get(), Files());
    Change(&t);
    pdx_code code = t.Commit();
    fs_.Crash();
    fs_.FailWritesAfter(-1);
    Reopen();
    ASSERT_EQ(journal_->Recover(Files()), PDX_OK);
    std::string db = fs_.Contents("/t/A.DB");
    if (code == PDX_OK) {
      EXPECT_EQ(db, NewDb()) << budget;
      EXPECT_EQ(fs_.Contents("/t/A.PX"), "root" + std::string(508, 'p'));
      saw_new = true;
      break;
    }
    EXPECT_EQ(db, std::string(4096, 'a')) << "after " << budget << " writes";
    EXPECT_EQ(fs_.Contents("/t/A.PX"), std::string(1024, 'p')) << budget;
    saw_old = true;
  }
  EXPECT_TRUE(saw_old && saw_new);
}

// The commit has written the table files but power fails before the journal
// is emptied: the change was never acknowledged, so it is rolled back.
TEST_F(JournalTest, AWholeJournalLeftBehindIsRolledBack) {
  // The journal and two table writes succeed; the third table write fails,
  // and so does the undo that follows, so the journal stays behind as a
  // crash would leave it.
  fs_.FailWritesAfter(3);
  Transaction t(journal_.get(), Files());
  Change(&t);
  EXPECT_EQ(t.Commit(), PDX_ERR_WRITE);
  EXPECT_NE(fs_.Contents("/t/A.JNL"), "");
  fs_.FailWritesAfter(-1);
  Reopen();
  ASSERT_EQ(journal_->Recover(Files()), PDX_OK);
  EXPECT_EQ(fs_.Contents("/t/A.DB"), std::string(4096, 'a'));
  EXPECT_EQ(fs_.Contents("/t/A.PX"), std::string(1024, 'p'));
  EXPECT_EQ(fs_.Contents("/t/A.JNL"), "");
}

// A journal of the first layout (summed byte by byte) that a writer of
// that kind left behind is rolled back all the same.
TEST_F(JournalTest, AJournalOfTheFirstLayoutIsRolledBack) {
  fs_.FailWritesAfter(3);
  Transaction t(journal_.get(), Files());
  Change(&t);
  EXPECT_EQ(t.Commit(), PDX_ERR_WRITE);
  fs_.FailWritesAfter(-1);
  std::string journal = fs_.Contents("/t/A.JNL");
  ASSERT_GT(journal.size(), 32u);
  uint64_t hash = 14695981039346656037ull;
  for (size_t i = 32; i < journal.size(); ++i) {
    hash ^= static_cast<unsigned char>(journal[i]);
    hash *= 1099511628211ull;
  }
  journal[7] = '1';
  for (int i = 0; i < 8; ++i) journal[24 + i] = static_cast<char>(hash >> (8 * i));
  fs_.SetContents("/t/A.JNL", journal);
  Reopen();
  ASSERT_EQ(journal_->Recover(Files()), PDX_OK);
  EXPECT_EQ(fs_.Contents("/t/A.DB"), std::string(4096, 'a'));
  EXPECT_EQ(fs_.Contents("/t/A.PX"), std::string(1024, 'p'));
  EXPECT_EQ(fs_.Contents("/t/A.JNL"), "");
}

TEST_F(JournalTest, AFullDiskAnswersAnErrorAndLeavesTheFilesAsTheyWere) {
  fs_.SetSizeLimit(5000);  // the appended block does not fit
  Transaction t(journal_.get(), Files());
  Change(&t);
  EXPECT_EQ(t.Commit(), PDX_ERR_DISK_FULL);
  EXPECT_EQ(fs_.Contents("/t/A.DB"), std::string(4096, 'a'));
  EXPECT_EQ(fs_.Contents("/t/A.PX"), std::string(1024, 'p'));
  EXPECT_EQ(fs_.Contents("/t/A.JNL"), "");
}

TEST_F(JournalTest, ATornJournalIsDiscardedWithoutTouchingTheFiles) {
  fs_.SetContents("/t/A.JNL", "PDXJRNL1 this is not a whole journal");
  Reopen();
  ASSERT_EQ(journal_->Recover(Files()), PDX_OK);
  EXPECT_EQ(fs_.Contents("/t/A.DB"), std::string(4096, 'a'));
  EXPECT_EQ(fs_.Contents("/t/A.JNL"), "");
}

TEST_F(JournalTest, WithoutSyncNothingIsSynced) {
  journal_->set_sync(false);
  long before = fs_.syncs();
  Transaction t(journal_.get(), Files());
  Change(&t);
  ASSERT_EQ(t.Commit(), PDX_OK);
  EXPECT_EQ(fs_.syncs(), before);
  EXPECT_EQ(fs_.Contents("/t/A.DB"), NewDb());
}

}  // namespace
}  // namespace pdx
