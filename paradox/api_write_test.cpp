// Writing through the C interface, as the program does: create, insert,
// edit under a row lock, post, delete, and the engine's refusals.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "pdx.h"
#include "pdx_codes.h"
#include "test_support/temporary_directory.h"

namespace {

class ApiWriteTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pdx_code rc = pdx_init(PDX_INTERFACE_VERSION, "0009");
    ASSERT_TRUE(rc == PDX_OK || rc == PDX_ERR_ALREADY_INITIALIZED);
    ASSERT_EQ(pdx_session_open("Test", &session_), PDX_OK);
    ASSERT_EQ(pdx_table_create(session_, directory_.c_str(), "Account",
                               "Number\tA8*\nOwner\tA20\nBalance\t$\nOpened\tD\n"
                               "check Owner required\ncheck Balance min -500\n"
                               "check Balance max 100000\n"),
              PDX_OK)
        << LastError();
  }
  void TearDown() override { pdx_session_close(session_); }

  static std::string LastError() {
    char text[512];
    pdx_last_error(nullptr, text, sizeof text);
    return text;
  }

  pdx_cursor* Open(int mode = PDX_OPEN_READ_WRITE) {
    pdx_cursor* cursor = nullptr;
    EXPECT_EQ(pdx_table_open(session_, directory_.c_str(), "account", mode, &cursor), PDX_OK)
        << LastError();
    return cursor;
  }

  pdx_code Insert(pdx_cursor* cursor, const char* number, const char* owner, double balance) {
    std::vector<uint8_t> record(RecordSize(cursor));
    pdx_init_record(cursor, record.data());
    pdx_put_text(cursor, record.data(), 1, number, strlen(number));
    pdx_put_text(cursor, record.data(), 2, owner, strlen(owner));
    pdx_put_double(cursor, record.data(), 3, balance);
    return pdx_insert_record(cursor, record.data());
  }

  static int RecordSize(pdx_cursor* cursor) {
    pdx_cursor_info info;
    pdx_cursor_info_get(cursor, &info);
    return info.record_size;
  }

  static std::string Text(pdx_cursor* cursor, const std::vector<uint8_t>& record, int field) {
    char text[64];
    pdx_get_text(cursor, record.data(), field, text, sizeof text, nullptr);
    return text;
  }

  static std::vector<std::string> Numbers(pdx_cursor* cursor) {
    std::vector<std::string> numbers;
    std::vector<uint8_t> record(RecordSize(cursor));
    pdx_refresh(cursor);
    pdx_set_to_begin(cursor);
    while (pdx_next(cursor, record.data()) == PDX_OK) numbers.push_back(Text(cursor, record, 1));
    return numbers;
  }

  test_support::TemporaryDirectory temporary_;
  const std::string directory_ = temporary_.Path().string();
  pdx_session* session_ = nullptr;
};

TEST_F(ApiWriteTest, InsertKeepsKeyOrderAndTheCursorEndsOnTheNewRow) {
  pdx_cursor* cursor = Open();
  ASSERT_EQ(Insert(cursor, "200-0001", "Ann", 10), PDX_OK) << LastError();
  ASSERT_EQ(Insert(cursor, "100-0001", "Bob", 20), PDX_OK);
  ASSERT_EQ(Insert(cursor, "150-0001", "Cid", 30), PDX_OK);
  std::vector<uint8_t> record(RecordSize(cursor));
  ASSERT_EQ(pdx_get_record(cursor, record.data()), PDX_OK);
  EXPECT_EQ(Text(cursor, record, 2), "Cid");
  int64_t number = 0;
  pdx_get_record_number(cursor, &number);
  EXPECT_EQ(number, 2);
  EXPECT_EQ(Numbers(cursor), (std::vector<std::string>{"100-0001", "150-0001", "200-0001"}));
  pdx_cursor_close(cursor);
}

TEST_F(ApiWriteTest, RefusalsAnswerTheEngineCodesWithTheirTexts) {
  pdx_cursor* cursor = Open();
  ASSERT_EQ(Insert(cursor, "100-0001", "Bob", 20), PDX_OK);
  EXPECT_EQ(Insert(cursor, "100-0001", "Eve", 1), PDX_ERR_KEY_VIOLATION);
  EXPECT_NE(LastError().find("Key violation"), std::string::npos) << LastError();
  EXPECT_EQ(Insert(cursor, "100-0002", "", 1), PDX_ERR_REQUIRED);
  EXPECT_NE(LastError().find("Owner"), std::string::npos) << LastError();
  EXPECT_EQ(Insert(cursor, "100-0003", "Max", 100000.01), PDX_ERR_MAXIMUM);
  EXPECT_EQ(Insert(cursor, "100-0004", "Min", -501), PDX_ERR_MINIMUM);
  EXPECT_NE(LastError().find("Balance"), std::string::npos) << LastError();
  EXPECT_EQ(Numbers(cursor), std::vector<std::string>{"100-0001"});
  pdx_cursor_close(cursor);

  pdx_cursor* reader = Open(PDX_OPEN_READ_ONLY);
  EXPECT_EQ(Insert(reader, "100-0005", "Ro", 1), PDX_ERR_TABLE_READ_ONLY);
  pdx_cursor_close(reader);
}

TEST_F(ApiWriteTest, ModifyMovesARowWhoseKeyChangedAndDeleteLandsOnTheNextRow) {
  pdx_cursor* cursor = Open();
  for (const char* n : {"100-0001", "100-0002", "100-0003"})
    ASSERT_EQ(Insert(cursor, n, "x", 1), PDX_OK);
  std::vector<uint8_t> record(RecordSize(cursor));
  ASSERT_EQ(pdx_set_to_record_number(cursor, 1), PDX_OK);
  ASSERT_EQ(pdx_lock_record(cursor, record.data()), PDX_OK);
  pdx_put_text(cursor, record.data(), 1, "999-0001", 8);
  ASSERT_EQ(pdx_modify_record(cursor, record.data()), PDX_OK) << LastError();
  int64_t number = 0;
  pdx_get_record_number(cursor, &number);
  EXPECT_EQ(number, 3) << "the cursor follows the moved row";
  EXPECT_EQ(Numbers(cursor), (std::vector<std::string>{"100-0002", "100-0003", "999-0001"}));

  ASSERT_EQ(pdx_set_to_record_number(cursor, 1), PDX_OK);
  ASSERT_EQ(pdx_delete_record(cursor), PDX_OK);
  ASSERT_EQ(pdx_get_record(cursor, record.data()), PDX_OK);
  EXPECT_EQ(Text(cursor, record, 1), "100-0003");
  ASSERT_EQ(pdx_set_to_record_number(cursor, 2), PDX_OK);
  ASSERT_EQ(pdx_delete_record(cursor), PDX_OK) << "the last row";
  EXPECT_EQ(pdx_get_record(cursor, record.data()), PDX_ERR_NO_CURRENT_RECORD);
  EXPECT_EQ(Numbers(cursor), std::vector<std::string>{"100-0003"});
  pdx_cursor_close(cursor);
}

// Two cursors stand for two programs: each has its own file handles, so
// its own locks.
TEST_F(ApiWriteTest, ARowInEditIsLockedForOthersUntilPostedOrCancelled) {
  pdx_cursor* first = Open();
  pdx_cursor* second = Open();
  ASSERT_EQ(Insert(first, "100-0001", "Ann", 1), PDX_OK);
  ASSERT_EQ(Insert(first, "100-0002", "Bob", 2), PDX_OK);
  std::vector<uint8_t> mine(RecordSize(first)), theirs(RecordSize(second));
  ASSERT_EQ(pdx_set_to_record_number(first, 1), PDX_OK);
  ASSERT_EQ(pdx_lock_record(first, mine.data()), PDX_OK);

  pdx_refresh(second);
  ASSERT_EQ(pdx_set_to_record_number(second, 1), PDX_OK);
  EXPECT_EQ(pdx_lock_record(second, theirs.data()), PDX_ERR_RECORD_LOCKED);
  EXPECT_EQ(pdx_delete_record(second), PDX_ERR_RECORD_LOCKED);
  pdx_get_record(second, theirs.data());
  EXPECT_EQ(pdx_modify_record(second, theirs.data()), PDX_ERR_RECORD_LOCKED);
  // Other rows stay free, and inserts go on.
  ASSERT_EQ(pdx_set_to_record_number(second, 2), PDX_OK);
  ASSERT_EQ(pdx_lock_record(second, theirs.data()), PDX_OK);
  ASSERT_EQ(pdx_unlock_record(second), PDX_OK);
  ASSERT_EQ(Insert(second, "100-0003", "Cid", 3), PDX_OK);

  pdx_put_text(first, mine.data(), 2, "Anne", 4);
  ASSERT_EQ(pdx_modify_record(first, mine.data()), PDX_OK) << LastError();
  ASSERT_EQ(pdx_set_to_record_number(second, 1), PDX_OK);
  pdx_refresh(second);
  ASSERT_EQ(pdx_lock_record(second, theirs.data()), PDX_OK) << "the post released the lock";
  EXPECT_EQ(Text(second, theirs, 2), "Anne") << "and the other program sees the posted row";
  EXPECT_EQ(Numbers(first), (std::vector<std::string>{"100-0001", "100-0002", "100-0003"}));
  pdx_cursor_close(second);  // a lock dies with its holder
  ASSERT_EQ(pdx_set_to_record_number(first, 1), PDX_OK);
  EXPECT_EQ(pdx_lock_record(first, mine.data()), PDX_OK);
  pdx_cursor_close(first);
}

TEST_F(ApiWriteTest, DeleteTableRemovesEveryFile) {
  ASSERT_EQ(pdx_table_delete(session_, directory_.c_str(), "ACCOUNT"), PDX_OK) << LastError();
  EXPECT_TRUE(std::filesystem::is_empty(directory_));
  EXPECT_EQ(pdx_table_delete(session_, directory_.c_str(), "Account"), PDX_ERR_TABLE_NOT_FOUND);
}

TEST_F(ApiWriteTest, ExclusiveUseShutsOutEveryOtherOpening) {
  pdx_cursor* only = Open(PDX_OPEN_READ_WRITE | PDX_OPEN_EXCLUSIVE);
  ASSERT_NE(only, nullptr);
  pdx_cursor* other = nullptr;
  EXPECT_EQ(pdx_table_open(session_, directory_.c_str(), "Account", PDX_OPEN_READ_ONLY, &other),
            PDX_ERR_TABLE_BUSY);
  EXPECT_EQ(pdx_table_delete(session_, directory_.c_str(), "Account"), PDX_ERR_NO_EXCLUSIVE);
  ASSERT_EQ(Insert(only, "100-0001", "Ann", 1), PDX_OK) << LastError();
  pdx_cursor_close(only);

  pdx_cursor* reader = Open(PDX_OPEN_READ_ONLY);
  EXPECT_EQ(pdx_table_open(session_, directory_.c_str(), "Account",
                           PDX_OPEN_READ_WRITE | PDX_OPEN_EXCLUSIVE, &other),
            PDX_ERR_NO_EXCLUSIVE);
  EXPECT_EQ(pdx_table_delete(session_, directory_.c_str(), "Account"), PDX_ERR_NO_EXCLUSIVE)
      << "nor is an open table deleted under its reader";
  pdx_cursor* writer = Open();
  EXPECT_EQ(Numbers(writer), (std::vector<std::string>{"100-0001"}));
  pdx_cursor_close(writer);
  pdx_cursor_close(reader);
  EXPECT_EQ(pdx_table_delete(session_, directory_.c_str(), "Account"), PDX_OK) << LastError();
}

}  // namespace
