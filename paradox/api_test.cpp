// The interface's own behaviour: starting and stopping, handles, errors with
// context lines, aliases from the configuration file, passwords, and values
// put into a record buffer.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "engine_config.h"
#include "pxlib_writer_test_support.h"
#include "store_test_support.h"

namespace pdx::testing {
namespace {

const std::vector<PxlibField> kFields = {{"Name", pxfAlpha, 10, 0},  {"When", pxfDate, 4, 0},
                                         {"Count", pxfShort, 2, 0},  {"Price", pxfNumber, 8, 0},
                                         {"At", pxfTime, 4, 0},      {"Amount", pxfBCD, 17, 2},
                                         {"Flag", pxfLogical, 1, 0}, {"Raw", pxfBytes, 3, 0}};

void Fill(pxdoc_t* doc, char* record, int row) {
  std::string name = "n" + std::to_string(row);
  PX_put_data_alpha(doc, record, 10, name.data());
}

TEST(EngineLifecycle, StartTwiceAndExitClosesEverything) {
  ASSERT_EQ(pdx_init(PDX_INTERFACE_VERSION + 1, "0009"), PDX_ERR_INTERFACE_VERSION);
  pdx_code first = pdx_init(PDX_INTERFACE_VERSION, "0009");
  ASSERT_TRUE(first == PDX_OK || first == PDX_ERR_ALREADY_INITIALIZED);
  EXPECT_EQ(pdx_init(PDX_INTERFACE_VERSION, "0009"), PDX_ERR_ALREADY_INITIALIZED);
  TemporaryDirectory dir;
  ASSERT_TRUE(WritePxlibTable(dir.File("t.db"), kFields, 0, 3, Fill));
  pdx_session* session;
  pdx_cursor* cursor;
  ASSERT_EQ(pdx_session_open("s", &session), PDX_OK);
  ASSERT_EQ(pdx_table_open(session, dir.Path().c_str(), "t", PDX_OPEN_READ_ONLY, &cursor), PDX_OK);
  ASSERT_EQ(pdx_exit(), PDX_OK);
  // Handles of the stopped engine are no longer taken.
  EXPECT_EQ(pdx_next(cursor, nullptr), PDX_ERR_INVALID_HANDLE);
  EXPECT_EQ(pdx_session_close(session), PDX_ERR_INVALID_HANDLE);
  EXPECT_EQ(pdx_session_open("s", &session), PDX_ERR_NOT_INITIALIZED);
  EXPECT_EQ(pdx_exit(), PDX_ERR_NOT_INITIALIZED);
  ASSERT_EQ(pdx_init(PDX_INTERFACE_VERSION, "0009"), PDX_OK);
}

// A program whose engine wrapper is a static object closes the engine from
// its destructor, after the thread's own state is destroyed; that must end
// the process cleanly rather than write to freed memory.
TEST(EngineLifecycle, CallsFromStaticDestructorsAtExitAreSafe) {
  EXPECT_EXIT(
      {
        struct ClosesAtExit {
          ~ClosesAtExit() {
            pdx_session* session = nullptr;
            pdx_table_open(nullptr, "/nonexistent", "late", PDX_OPEN_READ_ONLY, nullptr);
            pdx_session_open("late", &session);
            pdx_exit();
          }
        };
        static ClosesAtExit closer;
        pdx_init(PDX_INTERFACE_VERSION, "0009");
        pdx_cursor* cursor;
        pdx_session* session;
        pdx_session_open("s", &session);
        // Leaves a long last error and context lines behind in this thread.
        pdx_table_open(session, "/nonexistent/directory/with/a/long/name", "missing_table",
                       PDX_OPEN_READ_ONLY, &cursor);
        std::exit(0);
      },
      ::testing::ExitedWithCode(0), "");
}

class ApiTest : public EngineTest {};

TEST_F(ApiTest, LastErrorCarriesTheTextAndContextLines) {
  pdx_cursor* cursor;
  TemporaryDirectory dir;
  EXPECT_EQ(Open(dir.Path(), "missing", &cursor), PDX_ERR_TABLE_NOT_FOUND);
  pdx_code code = 0;
  char text[512];
  ASSERT_EQ(pdx_last_error(&code, text, sizeof text), PDX_OK);
  EXPECT_EQ(code, PDX_ERR_TABLE_NOT_FOUND);
  EXPECT_EQ(std::string(text), "Table does not exist.\nTable: " + dir.File("missing.DB"));
  // A successful call leaves the last error alone; a short buffer cuts it.
  pdx_session_remove_all_passwords(session_);
  char small[6];
  ASSERT_EQ(pdx_last_error(&code, small, sizeof small), PDX_OK);
  EXPECT_STREQ(small, "Table");
  ASSERT_EQ(pdx_code_text(PDX_ERR_PASSWORD_REQUIRED, text, sizeof text), PDX_OK);
  EXPECT_STREQ(text, "Insufficient table rights for operation. Password required.");
  ASSERT_EQ(pdx_code_text(0x7777, text, sizeof text), PDX_OK);
  EXPECT_STREQ(text, "");
}

TEST_F(ApiTest, AliasesComeFromTheConfigurationFile) {
  TemporaryDirectory dir;
  ASSERT_TRUE(WritePxlibTable(dir.File("T.DB"), kFields, 0, 2, Fill));
  const std::string config = dir.File("engine.cfg");
  std::ofstream(config) << "; comment\n[Other]\nDATA=/nowhere\n[Aliases]\n Data = "
                        << dir.Path().string() << "\nGone=" << dir.File("no-such-dir") << "\n"
                        << "[data]\nCODEPAGE = 866\n[Gone]\nCODEPAGE=cyrillic\n";
  const char* old = std::getenv("PDX_CONFIG");
  std::string saved = old ? old : "";
  setenv("PDX_CONFIG", config.c_str(), 1);
  char path[256];
  EXPECT_EQ(pdx_alias_path(session_, "data", path, sizeof path), PDX_OK);
  EXPECT_EQ(std::string(path), dir.Path().string());
  EXPECT_EQ(pdx_alias_path(session_, "OTHER", path, sizeof path), PDX_ERR_UNKNOWN_DATABASE);
  pdx_cursor* cursor;
  ASSERT_EQ(pdx_table_open(session_, "DATA", "t", PDX_OPEN_READ_ONLY, &cursor), PDX_OK);
  pdx_cursor_info info;
  ASSERT_EQ(pdx_cursor_info_get(cursor, &info), PDX_OK);
  EXPECT_EQ(info.configured_code_page, 866);
  pdx_cursor_close(cursor);
  // The alias's code page is the alias's: the same table by its directory has none.
  ASSERT_EQ(pdx_table_open(session_, dir.Path().c_str(), "t", PDX_OPEN_READ_ONLY, &cursor), PDX_OK);
  ASSERT_EQ(pdx_cursor_info_get(cursor, &info), PDX_OK);
  EXPECT_EQ(info.configured_code_page, 0);
  pdx_cursor_close(cursor);
  EXPECT_EQ(ParseEngineConfig("[Gone]\nCODEPAGE=cyrillic\n[X]\nCODEPAGE=-3\n").code_pages.size(),
            0u);
  EXPECT_EQ(pdx_table_open(session_, "GONE", "t", PDX_OPEN_READ_ONLY, &cursor),
            PDX_ERR_UNKNOWN_DATABASE);
  EXPECT_NE(LastErrorText().find("no-such-dir"), std::string::npos);
  if (old)
    setenv("PDX_CONFIG", saved.c_str(), 1);
  else
    unsetenv("PDX_CONFIG");
}

TEST_F(ApiTest, PasswordsAddRemoveAndRemoveAll) {
  const std::string dir = PDX_TESTDATA_DIR;
  pdx_cursor* cursor;
  EXPECT_EQ(Open(dir, "encrypted35", &cursor), PDX_ERR_PASSWORD_REQUIRED);
  ASSERT_EQ(pdx_session_add_password(session_, "123"), PDX_OK);
  ASSERT_EQ(Open(dir, "encrypted35", &cursor), PDX_OK);
  pdx_cursor_info info;
  ASSERT_EQ(pdx_cursor_info_get(cursor, &info), PDX_OK);
  EXPECT_EQ(info.encrypted, 1);
  pdx_cursor_close(cursor);
  ASSERT_EQ(pdx_session_remove_password(session_, "123"), PDX_OK);
  EXPECT_EQ(Open(dir, "encrypted35", &cursor), PDX_ERR_PASSWORD_REQUIRED);
  ASSERT_EQ(pdx_session_add_password(session_, "123"), PDX_OK);
  ASSERT_EQ(pdx_session_remove_all_passwords(session_), PDX_OK);
  EXPECT_EQ(Open(dir, "encrypted35", &cursor), PDX_ERR_PASSWORD_REQUIRED);
}

TEST_F(ApiTest, NewRecordsTakeTheDefaultsOfTheValidityChecks) {
  pdx_cursor* cursor;
  ASSERT_EQ(Open(PDX_TESTDATA_DIR, "logical", &cursor), PDX_OK) << LastErrorText();
  uint8_t record[1] = {0x55};
  ASSERT_EQ(pdx_init_record(cursor, record), PDX_OK);
  char text[8];
  ASSERT_EQ(pdx_get_text(cursor, record, 1, text, sizeof text, nullptr), PDX_OK);
  EXPECT_STREQ(text, "T");
  int count = 0;
  ASSERT_EQ(pdx_check_count(cursor, &count), PDX_OK);
  ASSERT_EQ(count, 1);
  pdx_check_desc check;
  ASSERT_EQ(pdx_check_desc_get(cursor, 0, &check), PDX_OK);
  EXPECT_EQ(check.field_number, 1);
  EXPECT_EQ(check.required, 1);
  EXPECT_EQ(check.has_default, 1);
  EXPECT_STREQ(check.default_value, "T");
  EXPECT_EQ(check.has_minimum, 0);
  pdx_cursor_close(cursor);
}

TEST_F(ApiTest, ValuesPutIntoABufferReadBack) {
  TemporaryDirectory dir;
  ASSERT_TRUE(WritePxlibTable(dir.File("t.db"), kFields, 0, 1, Fill));
  pdx_cursor* cursor;
  ASSERT_EQ(Open(dir.Path(), "t", &cursor), PDX_OK);
  pdx_cursor_info info;
  ASSERT_EQ(pdx_cursor_info_get(cursor, &info), PDX_OK);
  std::vector<uint8_t> record(info.record_size, 0xEE);
  ASSERT_EQ(pdx_init_record(cursor, record.data()), PDX_OK);
  ASSERT_EQ(pdx_put_text(cursor, record.data(), 1, "abc", 3), PDX_OK);
  ASSERT_EQ(pdx_put_int(cursor, record.data(), 2, 728783), PDX_OK);
  ASSERT_EQ(pdx_put_int(cursor, record.data(), 3, -5), PDX_OK);
  ASSERT_EQ(pdx_put_double(cursor, record.data(), 4, 2.5), PDX_OK);
  ASSERT_EQ(pdx_put_text(cursor, record.data(), 5, "01:02:03.004", 12), PDX_OK);
  ASSERT_EQ(pdx_put_double(cursor, record.data(), 6, -7.126), PDX_OK);
  ASSERT_EQ(pdx_put_int(cursor, record.data(), 7, 1), PDX_OK);
  ASSERT_EQ(pdx_put_bytes(cursor, record.data(), 8, "\x01\x02", 2), PDX_OK);
  const char* expected[] = {"abc", "1996-05-04", "-5", "2.5", "01:02:03.004", "-7.13", "T", "0102"};
  for (int i = 1; i <= 8; ++i) {
    char text[64];
    ASSERT_EQ(pdx_get_text(cursor, record.data(), i, text, sizeof text, nullptr), PDX_OK);
    EXPECT_STREQ(text, expected[i - 1]) << i;
  }
  // Values that do not fit are refused and leave the buffer as it was.
  const std::vector<uint8_t> before = record;
  EXPECT_EQ(pdx_put_int(cursor, record.data(), 3, 40000), PDX_ERR_OUT_OF_RANGE);
  EXPECT_EQ(pdx_put_text(cursor, record.data(), 5, "25:00:00.000", 12), PDX_ERR_INVALID_TIME);
  EXPECT_EQ(pdx_put_text(cursor, record.data(), 2, "2023-02-30", 10), PDX_ERR_INVALID_DATE);
  EXPECT_EQ(pdx_put_bytes(cursor, record.data(), 8, "\x01\x02\x03\x04", 4), PDX_ERR_OUT_OF_RANGE);
  EXPECT_EQ(pdx_put_double(cursor, record.data(), 3, 1.5), PDX_ERR_OUT_OF_RANGE);
  EXPECT_EQ(pdx_put_text(cursor, record.data(), 9, "x", 1), PDX_ERR_INVALID_PARAMETER);
  EXPECT_EQ(record, before);
  ASSERT_EQ(pdx_put_blank(cursor, record.data(), 4), PDX_OK);
  int blank = 0;
  ASSERT_EQ(pdx_is_blank(cursor, record.data(), 4, &blank), PDX_OK);
  EXPECT_EQ(blank, 1);
  pdx_cursor_close(cursor);
}

}  // namespace
}  // namespace pdx::testing
