// Genuine tables: the golden dumps of a few small ones kept as fixtures, and
// every table of the shared sample folder read whole (or refused with a
// clear code).
#include <gtest/gtest.h>
#include <strings.h>

#include <cstdio>
#include <filesystem>
#include <map>

#include "paradox/testing/samples.h"
#include "store_test_support.h"

namespace pdx::testing {
namespace {

namespace fs = std::filesystem;

struct ToolResult {
  int status = -1;
  std::string out;
};

ToolResult RunTool(const std::string& arguments) {
  ToolResult result;
  FILE* pipe = popen((std::string(PDX_TOOL_PATH) + " " + arguments + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return result;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) result.out.append(buffer, n);
  int status = pclose(pipe);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

std::string ReadText(const std::string& path) {
  std::vector<uint8_t> bytes = ReadBytes(path);
  return std::string(bytes.begin(), bytes.end());
}

TEST(GoldenDump, ToolDumpsFixturesExactly) {
  const std::string dir = PDX_TESTDATA_DIR;
  for (const char* table :
       {"bcd.db", "timestamp.db", "date7.db", "memo.db", "logical.db", "STATES.DB"}) {
    ToolResult result = RunTool("dump " + dir + "/" + table);
    EXPECT_EQ(result.status, 0) << table;
    std::string golden = fs::path(table).stem().string() + ".dump";
    EXPECT_EQ(result.out, ReadText(dir + "/" + golden)) << table;
  }
}

TEST(GoldenDump, ProtectedTableNeedsItsPassword) {
  const std::string table = std::string(PDX_TESTDATA_DIR) + "/encrypted35.db";
  EXPECT_EQ(RunTool("dump " + table).status, 2);
  EXPECT_EQ(RunTool("--password wrong dump " + table).status, 2);
  ToolResult result = RunTool("--password wrong --password 123 dump " + table);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.out, ReadText(std::string(PDX_TESTDATA_DIR) + "/encrypted35.dump"));
}

class SampleTables : public EngineTest {
 protected:
  void SetUp() override {
    SKIP_WITHOUT_SAMPLES();
    EngineTest::SetUp();
  }
};

// Rows per table where the sample notes state them.
const std::map<std::string, int64_t> kKnownRowCounts = {
    {"AREACODE.DB", 239}, {"STATES.DB", 53},     {"ZIPCODES.DB", 43185}, {"of.db", 2197},
    {"zakazky.db", 3988}, {"County.DB", 3218},   {"KOMMENT.DB", 59},     {"LAND.DB", 216},
    {"mushrooms.db", 5},  {"TypSammlung.DB", 5}, {"encrypted.db", 4},    {"fk1.db", 0},
};

TEST_F(SampleTables, EveryTableReadsWholeOrIsRefusedClearly) {
  int tables = 0;
  for (const auto& entry : fs::recursive_directory_iterator(testing::SamplesDirectory())) {
    const std::string name = entry.path().filename().string();
    if (entry.path().extension().string().size() != 3 ||
        strcasecmp(entry.path().extension().c_str(), ".db") != 0)
      continue;
    SCOPED_TRACE(entry.path().string());
    ++tables;
    pdx_cursor* cursor = nullptr;
    pdx_code rc = Open(entry.path().parent_path().string(), name, &cursor);
    if (rc == PDX_ERR_PASSWORD_REQUIRED) {
      pdx_session_add_password(session_, "123");
      rc = Open(entry.path().parent_path().string(), name, &cursor);
      pdx_session_remove_all_passwords(session_);
    }
    ASSERT_EQ(rc, PDX_OK) << LastErrorText();
    pdx_cursor_info info;
    ASSERT_EQ(pdx_cursor_info_get(cursor, &info), PDX_OK) << LastErrorText();
    std::string dump = Dump(cursor);
    EXPECT_EQ(dump.find(kError), std::string::npos) << dump.substr(dump.rfind('\n') + 1);
    const int64_t rows = std::count(dump.begin(), dump.end(), '\n') - 1;
    EXPECT_EQ(rows, info.record_count);
    if (auto known = kKnownRowCounts.find(name); known != kKnownRowCounts.end())
      EXPECT_EQ(rows, known->second);
    pdx_cursor_close(cursor);
  }
  EXPECT_GE(tables, 50);
}

TEST_F(SampleTables, LevelsCodePagesAndKeysAsTheHeadersSay) {
  struct Expect {
    const char* path;
    int level, key_fields, code_page;
    const char* sort_order;
  };
  const Expect expects[] = {
      {"leonhad__paradoxdriver/areas/AREACODE.DB", 30, 0, 0, ""},
      {"leonhad__paradoxdriver/fields/date35.db", 35, 0, 0, ""},
      {"nilsfr__python-pxlib/KOMMENT.DB", 40, 2, 865, "nordan40"},
      {"kymuweb__Paradox-Reader/zakazky.db", 50, 1, 1252, "DBWINUS0"},
      {"celebithil__Rparadox/TypSammlung.DB", 70, 2, 1252, "ANSIINTL"},
  };
  for (const Expect& e : expects) {
    fs::path path = testing::SamplePath(e.path);
    pdx_cursor* cursor;
    ASSERT_EQ(Open(path.parent_path().string(), path.filename().string(), &cursor), PDX_OK)
        << e.path << LastErrorText();
    pdx_cursor_info info;
    ASSERT_EQ(pdx_cursor_info_get(cursor, &info), PDX_OK);
    EXPECT_EQ(info.level, e.level) << e.path;
    EXPECT_EQ(info.key_field_count, e.key_fields) << e.path;
    EXPECT_EQ(info.code_page, e.code_page) << e.path;
    EXPECT_STREQ(info.sort_order, e.sort_order) << e.path;
    pdx_cursor_close(cursor);
  }
}

// A table whose last block is cut short and whose index header counts far
// more rows than there are: numbers and keys still lead to the right rows.
TEST_F(SampleTables, ShortLastBlockAndOddIndexHeader) {
  fs::path dir = testing::SamplePath("leonhad__paradoxdriver/areas");
  pdx_cursor* cursor;
  ASSERT_EQ(Open(dir.string(), "zipcodes", &cursor), PDX_OK) << LastErrorText();
  int64_t count = 0;
  ASSERT_EQ(pdx_get_record_count(cursor, &count), PDX_OK);
  EXPECT_EQ(count, 43185);
  pdx_cursor_info info;
  pdx_cursor_info_get(cursor, &info);
  std::vector<uint8_t> record(info.record_size), key(info.record_size);
  ASSERT_EQ(pdx_set_to_record_number(cursor, 43185), PDX_OK);
  ASSERT_EQ(pdx_get_record(cursor, record.data()), PDX_OK);
  EXPECT_EQ(pdx_next(cursor, nullptr), PDX_ERR_EOF);
  pdx_init_record(cursor, key.data());
  ASSERT_EQ(pdx_put_text(cursor, key.data(), 1, "10001", 5), PDX_OK);
  ASSERT_EQ(pdx_find_nearest(cursor, key.data(), 1, 0), PDX_OK);
  ASSERT_EQ(pdx_get_record(cursor, record.data()), PDX_OK);
  char text[32];
  ASSERT_EQ(pdx_get_text(cursor, record.data(), 1, text, sizeof text, nullptr), PDX_OK);
  EXPECT_STREQ(text, "10001");
  pdx_cursor_close(cursor);
}

}  // namespace
}  // namespace pdx::testing
