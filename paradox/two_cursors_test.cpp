// Two cursors of one process on one table: a change through one is seen by
// the other's next move, whichever move that is, on keyed and unkeyed
// tables, also when the change frees or splits blocks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "pdx.h"
#include "pdx_codes.h"
#include "test_support/temporary_directory.h"

namespace {

// Small blocks: nine rows each, so a few dozen rows span several blocks.
constexpr int kRows = 60;

class TwoCursorsTest : public ::testing::TestWithParam<bool> {
 protected:
  void SetUp() override {
    pdx_code rc = pdx_init(PDX_INTERFACE_VERSION, "0009");
    ASSERT_TRUE(rc == PDX_OK || rc == PDX_ERR_ALREADY_INITIALIZED);
    ASSERT_EQ(pdx_session_open("Writer", &session_), PDX_OK);
    ASSERT_EQ(pdx_session_open("Reader", &other_session_), PDX_OK);
    const std::string schema =
        std::string("blocksize 1024\nId\tI") + (Keyed() ? "*" : "") + "\nName\tA100\n";
    ASSERT_EQ(pdx_table_create(session_, directory_.c_str(), "T", schema.c_str()), PDX_OK)
        << LastError();
    writer_ = Open(session_);
    ASSERT_NE(writer_, nullptr);
    for (int i = 0; i < kRows; ++i) {
      ASSERT_EQ(Insert(writer_, i * 10), PDX_OK) << LastError();
      ids_.push_back(i * 10);
    }
  }
  void TearDown() override {
    pdx_session_close(session_);
    pdx_session_close(other_session_);
  }

  bool Keyed() const { return GetParam(); }

  static std::string LastError() {
    char text[512];
    pdx_last_error(nullptr, text, sizeof text);
    return text;
  }

  // The other session names the table differently: the same file must be
  // recognised whatever its spelling.
  pdx_cursor* Open(pdx_session* session) {
    pdx_cursor* cursor = nullptr;
    const std::string directory = session == session_ ? directory_ : directory_ + "/./";
    EXPECT_EQ(pdx_table_open(session, directory.c_str(), session == session_ ? "T" : "t",
                             PDX_OPEN_READ_WRITE, &cursor),
              PDX_OK)
        << LastError();
    return cursor;
  }

  std::vector<uint8_t> Row(int id, const std::string& name = "") {
    std::vector<uint8_t> record(kRecordSize);
    pdx_init_record(writer_, record.data());
    pdx_put_int(writer_, record.data(), 1, id);
    const std::string text = name.empty() ? "row " + std::to_string(id) : name;
    pdx_put_text(writer_, record.data(), 2, text.c_str(), text.size());
    return record;
  }

  pdx_code Insert(pdx_cursor* cursor, int id) {
    std::vector<uint8_t> record = Row(id);
    return pdx_insert_record(cursor, record.data());
  }

  // The id of the row a move lands on, or the code it answered.
  struct Landing {
    pdx_code code = PDX_OK;
    int64_t id = -1;
    std::string name;
  };
  static Landing Read(pdx_cursor* cursor, pdx_code (*move)(pdx_cursor*, void*)) {
    std::vector<uint8_t> record(kRecordSize);
    Landing landing;
    landing.code = move(cursor, record.data());
    if (landing.code != PDX_OK) return landing;
    int blank = 0;
    pdx_get_int(cursor, record.data(), 1, &landing.id, &blank);
    char text[128] = {};
    pdx_get_text(cursor, record.data(), 2, text, sizeof text, nullptr);
    landing.name = text;
    return landing;
  }
  static int64_t NextId(pdx_cursor* cursor) {
    Landing landing = Read(cursor, pdx_next);
    EXPECT_EQ(landing.code, PDX_OK) << LastError();
    return landing.id;
  }
  static int64_t PriorId(pdx_cursor* cursor) {
    Landing landing = Read(cursor, pdx_prior);
    EXPECT_EQ(landing.code, PDX_OK) << LastError();
    return landing.id;
  }
  static int64_t CurrentId(pdx_cursor* cursor) {
    Landing landing = Read(cursor, pdx_get_record);
    EXPECT_EQ(landing.code, PDX_OK) << LastError();
    return landing.id;
  }

  // Puts cursor on the row with id, by its record number.
  void StandOn(pdx_cursor* cursor, int id) {
    const auto at = std::find(ids_.begin(), ids_.end(), id);
    ASSERT_NE(at, ids_.end());
    ASSERT_EQ(pdx_set_to_record_number(cursor, at - ids_.begin() + 1), PDX_OK) << LastError();
    ASSERT_EQ(CurrentId(cursor), id);
  }

  void Delete(int id) {
    StandOn(writer_, id);
    ASSERT_EQ(pdx_delete_record(writer_), PDX_OK) << LastError();
    ids_.erase(std::find(ids_.begin(), ids_.end(), id));
  }

  // Every row forwards and backwards, as the cursor sees the table now.
  static std::vector<int64_t> Forwards(pdx_cursor* cursor) {
    std::vector<int64_t> ids;
    pdx_set_to_begin(cursor);
    for (Landing l = Read(cursor, pdx_next); l.code == PDX_OK; l = Read(cursor, pdx_next))
      ids.push_back(l.id);
    return ids;
  }
  static std::vector<int64_t> Backwards(pdx_cursor* cursor) {
    std::vector<int64_t> ids;
    pdx_set_to_end(cursor);
    for (Landing l = Read(cursor, pdx_prior); l.code == PDX_OK; l = Read(cursor, pdx_prior))
      ids.insert(ids.begin(), l.id);
    return ids;
  }
  void ExpectSeesTheTable(pdx_cursor* cursor) {
    std::vector<int64_t> expected(ids_.begin(), ids_.end());
    EXPECT_EQ(Forwards(cursor), expected);
    EXPECT_EQ(Backwards(cursor), expected);
    int64_t count = 0;
    EXPECT_EQ(pdx_get_record_count(cursor, &count), PDX_OK) << LastError();
    EXPECT_EQ(count, static_cast<int64_t>(ids_.size()));
  }

  static constexpr int kRecordSize = 4 + 100;
  test_support::TemporaryDirectory temporary_;
  const std::string directory_ = temporary_.Path().string();
  pdx_session* session_ = nullptr;
  pdx_session* other_session_ = nullptr;
  pdx_cursor* writer_ = nullptr;
  std::vector<int> ids_;  // the table's ids in table order
};

// The deleted row cannot be read, but both its neighbours are one move away,
// for a cursor of the same session and one of another.
TEST_P(TwoCursorsTest, ARowDeletedUnderAnotherCursorLeavesItBetweenTheNeighbours) {
  for (pdx_session* session : {session_, other_session_}) {
    SCOPED_TRACE(session == session_ ? "same session" : "other session");
    pdx_cursor* forward = Open(session);
    pdx_cursor* backward = Open(session);
    const int id = ids_[ids_.size() / 2];
    const int before = ids_[ids_.size() / 2 - 1], after = ids_[ids_.size() / 2 + 1];
    StandOn(forward, id);
    StandOn(backward, id);
    Delete(id);
    Landing gone = Read(forward, pdx_get_record);
    EXPECT_EQ(gone.code, PDX_ERR_RECORD_NOT_FOUND);
    EXPECT_EQ(NextId(forward), after);
    EXPECT_EQ(PriorId(backward), before);
    ExpectSeesTheTable(forward);
    pdx_cursor_close(forward);
    pdx_cursor_close(backward);
  }
}

// Deleting a run of rows longer than a block frees blocks from the chain;
// the other cursor's moves by number, by key and by bookmark all follow.
TEST_P(TwoCursorsTest, FreedBlocksAreFollowedByEveryKindOfMove) {
  pdx_cursor* reader = Open(other_session_);
  StandOn(reader, 400);
  int size = 0;
  ASSERT_EQ(pdx_bookmark_size(reader, &size), PDX_OK);
  std::vector<uint8_t> mark(size);
  ASSERT_EQ(pdx_get_bookmark(reader, mark.data()), PDX_OK);
  for (int id = 100; id < 300; id += 10) Delete(id);

  EXPECT_EQ(NextId(reader), 410);
  ASSERT_EQ(pdx_set_to_bookmark(reader, mark.data()), PDX_OK) << LastError();
  EXPECT_EQ(CurrentId(reader), 400);
  int64_t number = 0;
  ASSERT_EQ(pdx_get_record_number(reader, &number), PDX_OK) << LastError();
  EXPECT_EQ(number, std::find(ids_.begin(), ids_.end(), 400) - ids_.begin() + 1);

  for (int id = 300; id < 340; id += 10) Delete(id);
  ASSERT_EQ(pdx_set_to_record_number(reader, 11), PDX_OK) << LastError();
  EXPECT_EQ(CurrentId(reader), ids_[10]);
  if (Keyed()) {
    for (int id = 340; id < 380; id += 10) Delete(id);
    std::vector<uint8_t> key = Row(150);
    ASSERT_EQ(pdx_find_nearest(reader, key.data(), 1, 0), PDX_OK) << LastError();
    EXPECT_EQ(CurrentId(reader), 380);
  }
  ExpectSeesTheTable(reader);
}

// Inserts that split blocks (keyed: all between two rows) or fill new ones
// (unkeyed: at the end) show on the other cursor's next move.
TEST_P(TwoCursorsTest, InsertsThatSplitOrAddBlocksAreSeen) {
  pdx_cursor* reader = Open(session_);
  StandOn(reader, 200);
  std::vector<int> added;
  for (int id = 201; id < 210; ++id) {
    ASSERT_EQ(Insert(writer_, id), PDX_OK) << LastError();
    added.push_back(id);
  }
  for (int id = 1000; id < 1030; ++id) {
    ASSERT_EQ(Insert(writer_, id), PDX_OK) << LastError();
    added.push_back(id);
  }
  if (Keyed()) {
    ids_.insert(ids_.end(), added.begin(), added.end());
    std::sort(ids_.begin(), ids_.end());
    EXPECT_EQ(NextId(reader), 201);
  } else {
    ids_.insert(ids_.end(), added.begin(), added.end());
    EXPECT_EQ(NextId(reader), 210);
  }
  EXPECT_EQ(PriorId(reader), 200);
  pdx_cursor_info info;
  ASSERT_EQ(pdx_cursor_info_get(reader, &info), PDX_OK);
  EXPECT_EQ(info.record_count, static_cast<int64_t>(ids_.size()));
  ExpectSeesTheTable(reader);
}

// A row rewritten in place shows its new values; a keyed row whose key
// changed is gone from its place, and the next move finds it at its new one.
TEST_P(TwoCursorsTest, AModifiedRowIsSeenWhereItNowIs) {
  pdx_cursor* reader = Open(other_session_);
  StandOn(reader, 300);
  StandOn(writer_, 300);
  std::vector<uint8_t> renamed = Row(300, "renamed");
  ASSERT_EQ(pdx_modify_record(writer_, renamed.data()), PDX_OK) << LastError();
  Landing now = Read(reader, pdx_get_record);
  ASSERT_EQ(now.code, PDX_OK) << LastError();
  EXPECT_EQ(now.id, 300);
  EXPECT_EQ(now.name, "renamed");

  if (Keyed()) {
    std::vector<uint8_t> moved = Row(305, "moved");
    ASSERT_EQ(pdx_modify_record(writer_, moved.data()), PDX_OK) << LastError();
    *std::find(ids_.begin(), ids_.end(), 300) = 305;
    EXPECT_EQ(Read(reader, pdx_get_record).code, PDX_ERR_RECORD_NOT_FOUND);
    now = Read(reader, pdx_next);
    EXPECT_EQ(now.id, 305);
    EXPECT_EQ(now.name, "moved");
  } else {
    EXPECT_EQ(NextId(reader), 310);
  }
  ExpectSeesTheTable(reader);
}

// A cursor cannot edit, lock or delete a row another cursor deleted: it is
// told so, instead of acting on the row that took its place.
TEST_P(TwoCursorsTest, ChangingARowDeletedUnderTheCursorIsRefused) {
  pdx_cursor* reader = Open(session_);
  StandOn(reader, 250);
  Delete(250);
  std::vector<uint8_t> record(kRecordSize);
  EXPECT_EQ(pdx_lock_record(reader, record.data()), PDX_ERR_RECORD_NOT_FOUND);
  std::vector<uint8_t> changed = Row(250, "changed");
  EXPECT_EQ(pdx_modify_record(reader, changed.data()), PDX_ERR_RECORD_NOT_FOUND);
  EXPECT_EQ(pdx_delete_record(reader), PDX_ERR_RECORD_NOT_FOUND);
  EXPECT_EQ(NextId(reader), 260);
  ExpectSeesTheTable(reader);
}

// A range is worked out again over the changed table: rows deleted and
// inserted inside it show in its count and its rows.
TEST_P(TwoCursorsTest, ARangeFollowsRowsDeletedAndInsertedWithinIt) {
  if (!Keyed()) GTEST_SKIP() << "ranges need a key";
  pdx_cursor* reader = Open(other_session_);
  std::vector<uint8_t> low = Row(100), high = Row(300);
  ASSERT_EQ(pdx_set_range(reader, low.data(), 1, 0, 1, high.data(), 1, 0, 1), PDX_OK)
      << LastError();
  while (NextId(reader) != 200) {
  }
  Delete(200);
  Delete(100);
  ASSERT_EQ(Insert(writer_, 105), PDX_OK) << LastError();
  ids_.insert(std::upper_bound(ids_.begin(), ids_.end(), 105), 105);
  EXPECT_EQ(NextId(reader), 210);
  std::vector<int64_t> inside;
  for (int id : ids_)
    if (id >= 100 && id <= 300) inside.push_back(id);
  int64_t count = 0;
  ASSERT_EQ(pdx_get_record_count(reader, &count), PDX_OK) << LastError();
  EXPECT_EQ(count, static_cast<int64_t>(inside.size()));
  EXPECT_EQ(Forwards(reader), inside);
}

INSTANTIATE_TEST_SUITE_P(KeyedAndUnkeyed, TwoCursorsTest, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& info) {
                           return info.param ? "Keyed" : "Unkeyed";
                         });

}  // namespace
