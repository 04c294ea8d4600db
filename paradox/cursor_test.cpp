// Moving over larger tables written by pxlib: keyed ones with a primary index
// of two levels, the same without their index, and unkeyed ones.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>

#include "pxlib_writer_test_support.h"
#include "store_test_support.h"

namespace pdx::testing {
namespace {

constexpr int kRows = 60000;
const std::vector<PxlibField> kFields = {{"Code", pxfAlpha, 8, 0}, {"Row", pxfLong, 4, 0}};

// Row r has the key "k" + 6 digits of 2r, so odd numbers fall between rows.
std::string KeyOf(int number) {
  char key[16];
  std::snprintf(key, sizeof key, "k%06d", number);
  return key;
}

void Fill(pxdoc_t* doc, char* record, int row) {
  std::string key = KeyOf(2 * row);
  PX_put_data_alpha(doc, record, 8, key.data());
  PX_put_data_long(doc, record + 8, 4, row);
}

class CursorTest : public EngineTest, public ::testing::WithParamInterface<bool> {
 protected:
  void SetUp() override {
    EngineTest::SetUp();
    const bool with_index = GetParam();
    ASSERT_TRUE(WritePxlibTable(dir_.File("keyed.db"), kFields, 1, kRows, Fill,
                                with_index ? dir_.File("keyed.px") : ""));
    ASSERT_EQ(std::filesystem::exists(dir_.File("keyed.px")), with_index);
    ASSERT_EQ(Open(dir_.Path(), "keyed", &cursor_), PDX_OK) << LastErrorText();
    record_.resize(12);
    key_.resize(12);
  }
  void TearDown() override {
    if (cursor_ != nullptr) pdx_cursor_close(cursor_);
    EngineTest::TearDown();
  }

  // The Row field of the current row, or -1.
  int64_t CurrentRow() {
    int64_t value = -1;
    int blank;
    if (pdx_get_record(cursor_, record_.data()) != PDX_OK) return -1;
    pdx_get_int(cursor_, record_.data(), 2, &value, &blank);
    return value;
  }
  int64_t Number() {
    int64_t number = -1;
    pdx_get_record_number(cursor_, &number);
    return number;
  }
  uint8_t* Key(const std::string& text) {
    pdx_init_record(cursor_, key_.data());
    EXPECT_EQ(pdx_put_text(cursor_, key_.data(), 1, text.data(), text.size()), PDX_OK);
    return key_.data();
  }

  TemporaryDirectory dir_;
  pdx_cursor* cursor_ = nullptr;
  std::vector<uint8_t> record_, key_;
};

TEST_P(CursorTest, MovesForwardBackwardAndByNumber) {
  int64_t count = 0;
  ASSERT_EQ(pdx_get_record_count(cursor_, &count), PDX_OK);
  EXPECT_EQ(count, kRows);
  for (int64_t number : {1, 2, kRows / 2, kRows - 1, kRows}) {
    ASSERT_EQ(pdx_set_to_record_number(cursor_, number), PDX_OK);
    EXPECT_EQ(CurrentRow(), number - 1);
    EXPECT_EQ(Number(), number);
  }
  EXPECT_EQ(pdx_next(cursor_, nullptr), PDX_ERR_EOF);
  ASSERT_EQ(pdx_prior(cursor_, record_.data()), PDX_OK);
  EXPECT_EQ(CurrentRow(), kRows - 1);
  EXPECT_EQ(pdx_set_to_record_number(cursor_, kRows + 1), PDX_ERR_EOF);
  EXPECT_EQ(pdx_set_to_record_number(cursor_, 0), PDX_ERR_BOF);
  EXPECT_EQ(pdx_get_record(cursor_, record_.data()), PDX_ERR_NO_CURRENT_RECORD);

  // A full pass each way sees every row once, in order, across block borders.
  ASSERT_EQ(pdx_set_to_begin(cursor_), PDX_OK);
  int64_t expected = 0;
  while (pdx_next(cursor_, nullptr) == PDX_OK) ASSERT_EQ(CurrentRow(), expected++);
  EXPECT_EQ(expected, kRows);
  ASSERT_EQ(pdx_set_to_end(cursor_), PDX_OK);
  while (pdx_prior(cursor_, nullptr) == PDX_OK) ASSERT_EQ(CurrentRow(), --expected);
  EXPECT_EQ(expected, 0);
  EXPECT_EQ(pdx_prior(cursor_, nullptr), PDX_ERR_BOF);
  ASSERT_EQ(pdx_next(cursor_, nullptr), PDX_OK);
  EXPECT_EQ(Number(), 1);
}

TEST_P(CursorTest, FindsTheNearestKeyWholeOrByPrefix) {
  ASSERT_EQ(pdx_find_nearest(cursor_, Key(KeyOf(2 * 4321)), 1, 0), PDX_OK);
  EXPECT_EQ(CurrentRow(), 4321);
  EXPECT_EQ(Number(), 4322);
  ASSERT_EQ(pdx_find_nearest(cursor_, Key(KeyOf(2 * 4321 + 1)), 1, 0), PDX_OK);
  EXPECT_EQ(CurrentRow(), 4322);
  ASSERT_EQ(pdx_find_nearest(cursor_, Key("a"), 1, 0), PDX_OK);
  EXPECT_EQ(CurrentRow(), 0);
  EXPECT_EQ(pdx_find_nearest(cursor_, Key("z"), 1, 0), PDX_ERR_EOF);
  // "k0123" covers k012300..k012399: the first of them is row 6150.
  ASSERT_EQ(pdx_find_nearest(cursor_, Key("k0123"), 1, 5), PDX_OK);
  EXPECT_EQ(CurrentRow(), 6150);
  ASSERT_EQ(pdx_next(cursor_, nullptr), PDX_OK);
  EXPECT_EQ(CurrentRow(), 6151);
  EXPECT_EQ(pdx_find_nearest(cursor_, Key("k"), 2, 0), PDX_ERR_INVALID_PARAMETER);
}

TEST_P(CursorTest, RangesLimitRowsCountsAndNumbers) {
  std::vector<uint8_t> low(12), high(12);
  low.assign(Key(KeyOf(200)), Key(KeyOf(200)) + 12);
  high.assign(Key(KeyOf(300)), Key(KeyOf(300)) + 12);
  ASSERT_EQ(pdx_set_range(cursor_, low.data(), 1, 0, 1, high.data(), 1, 0, 1), PDX_OK);
  int64_t count = 0;
  ASSERT_EQ(pdx_get_record_count(cursor_, &count), PDX_OK);
  EXPECT_EQ(count, 51);
  ASSERT_EQ(pdx_next(cursor_, nullptr), PDX_OK);
  EXPECT_EQ(CurrentRow(), 100);
  EXPECT_EQ(Number(), 1);
  EXPECT_EQ(pdx_prior(cursor_, nullptr), PDX_ERR_BOF);
  ASSERT_EQ(pdx_set_to_end(cursor_), PDX_OK);
  ASSERT_EQ(pdx_prior(cursor_, nullptr), PDX_OK);
  EXPECT_EQ(CurrentRow(), 150);
  EXPECT_EQ(pdx_next(cursor_, nullptr), PDX_ERR_EOF);
  EXPECT_EQ(pdx_find_nearest(cursor_, Key(KeyOf(1000)), 1, 0), PDX_ERR_EOF);
  ASSERT_EQ(pdx_find_nearest(cursor_, Key(KeyOf(0)), 1, 0), PDX_OK);
  EXPECT_EQ(CurrentRow(), 100);

  // Exclusive bounds leave out the rows that equal them; prefixes cover groups.
  ASSERT_EQ(pdx_set_range(cursor_, low.data(), 1, 0, 0, high.data(), 1, 0, 0), PDX_OK);
  ASSERT_EQ(pdx_get_record_count(cursor_, &count), PDX_OK);
  EXPECT_EQ(count, 49);
  ASSERT_EQ(pdx_set_range(cursor_, Key("k0012"), 1, 5, 1, nullptr, 0, 0, 0), PDX_OK);
  ASSERT_EQ(pdx_set_to_record_number(cursor_, 1), PDX_OK);
  EXPECT_EQ(CurrentRow(), 600);
  ASSERT_EQ(pdx_reset_range(cursor_), PDX_OK);
  ASSERT_EQ(pdx_get_record_count(cursor_, &count), PDX_OK);
  EXPECT_EQ(count, kRows);
}

TEST_P(CursorTest, BookmarksReturnToTheirRows) {
  int size = 0;
  ASSERT_EQ(pdx_bookmark_size(cursor_, &size), PDX_OK);
  std::vector<uint8_t> early(size), late(size);
  ASSERT_EQ(pdx_set_to_record_number(cursor_, 10), PDX_OK);
  ASSERT_EQ(pdx_get_bookmark(cursor_, early.data()), PDX_OK);
  ASSERT_EQ(pdx_set_to_record_number(cursor_, kRows - 10), PDX_OK);
  ASSERT_EQ(pdx_get_bookmark(cursor_, late.data()), PDX_OK);
  ASSERT_EQ(pdx_set_to_bookmark(cursor_, early.data()), PDX_OK);
  EXPECT_EQ(CurrentRow(), 9);
  int order = 0;
  ASSERT_EQ(pdx_compare_bookmarks(cursor_, early.data(), late.data(), &order), PDX_OK);
  EXPECT_EQ(order, -1);
  ASSERT_EQ(pdx_compare_bookmarks(cursor_, late.data(), late.data(), &order), PDX_OK);
  EXPECT_EQ(order, 0);
  // A bookmark whose place no longer holds its row finds the row by its key;
  // one naming a row that does not exist answers "not found".
  std::vector<uint8_t> moved = early;
  moved[0] = 3;
  ASSERT_EQ(pdx_set_to_bookmark(cursor_, moved.data()), PDX_OK);
  EXPECT_EQ(CurrentRow(), 9);
  std::vector<uint8_t> missing = early;
  missing[16 + 6] = '9';
  missing[16 + 7] = '9';
  EXPECT_EQ(pdx_set_to_bookmark(cursor_, missing.data()), PDX_ERR_RECORD_NOT_FOUND);
}

INSTANTIATE_TEST_SUITE_P(WithAndWithoutIndex, CursorTest, ::testing::Bool());

class UnkeyedCursorTest : public EngineTest {};

TEST_F(UnkeyedCursorTest, NumbersBookmarksAndBackwardMoves) {
  TemporaryDirectory dir;
  ASSERT_TRUE(WritePxlibTable(dir.File("plain.db"), kFields, 0, 5000, Fill));
  pdx_cursor* cursor;
  ASSERT_EQ(Open(dir.Path(), "PLAIN.DB", &cursor), PDX_OK) << LastErrorText();
  std::vector<uint8_t> record(12);
  int64_t value, number;
  int blank, size;
  ASSERT_EQ(pdx_set_to_end(cursor), PDX_OK);
  ASSERT_EQ(pdx_prior(cursor, record.data()), PDX_OK);
  pdx_get_int(cursor, record.data(), 2, &value, &blank);
  EXPECT_EQ(value, 4999);
  ASSERT_EQ(pdx_bookmark_size(cursor, &size), PDX_OK);
  std::vector<uint8_t> bookmark(size);
  ASSERT_EQ(pdx_set_to_record_number(cursor, 1234), PDX_OK);
  ASSERT_EQ(pdx_get_bookmark(cursor, bookmark.data()), PDX_OK);
  ASSERT_EQ(pdx_set_to_begin(cursor), PDX_OK);
  ASSERT_EQ(pdx_set_to_bookmark(cursor, bookmark.data()), PDX_OK);
  ASSERT_EQ(pdx_get_record_number(cursor, &number), PDX_OK);
  EXPECT_EQ(number, 1234);
  EXPECT_EQ(pdx_find_nearest(cursor, record.data(), 1, 0), PDX_ERR_INVALID_PARAMETER);
  pdx_cursor_close(cursor);
}

TEST_F(UnkeyedCursorTest, BookmarksTakenWhileWalkingCompareInTableOrder) {
  TemporaryDirectory dir;
  ASSERT_TRUE(WritePxlibTable(dir.File("plain.db"), kFields, 0, 5000, Fill));
  pdx_cursor* cursor;
  ASSERT_EQ(Open(dir.Path(), "PLAIN.DB", &cursor), PDX_OK) << LastErrorText();
  int size;
  ASSERT_EQ(pdx_bookmark_size(cursor, &size), PDX_OK);
  // Bookmarks taken by walking, before any row number was asked for, in
  // different blocks and within one block.
  std::vector<std::vector<uint8_t>> marks;
  for (int row = 1; row <= 3000; ++row) {
    ASSERT_EQ(pdx_next(cursor, nullptr), PDX_OK);
    if (row == 2 || row == 3 || row == 2999) {
      marks.emplace_back(size);
      ASSERT_EQ(pdx_get_bookmark(cursor, marks.back().data()), PDX_OK);
    }
  }
  int order = 0;
  ASSERT_EQ(pdx_compare_bookmarks(cursor, marks[0].data(), marks[1].data(), &order), PDX_OK);
  EXPECT_EQ(order, -1);
  ASSERT_EQ(pdx_compare_bookmarks(cursor, marks[2].data(), marks[1].data(), &order), PDX_OK);
  EXPECT_EQ(order, 1);
  ASSERT_EQ(pdx_compare_bookmarks(cursor, marks[2].data(), marks[2].data(), &order), PDX_OK);
  EXPECT_EQ(order, 0);
  int64_t number;
  ASSERT_EQ(pdx_set_to_bookmark(cursor, marks[1].data()), PDX_OK);
  ASSERT_EQ(pdx_get_record_number(cursor, &number), PDX_OK);
  EXPECT_EQ(number, 3);
  ASSERT_EQ(pdx_set_to_bookmark(cursor, marks[1].data()), PDX_OK);  // already there
  ASSERT_EQ(pdx_get_record_number(cursor, &number), PDX_OK);
  EXPECT_EQ(number, 3);
  pdx_cursor_close(cursor);
}

}  // namespace
}  // namespace pdx::testing
