// Tables sorted by a national or international collation: keys without
// alpha fields order as their bytes whatever the collation and are written;
// alpha keys stay read-only, and the table says why.
#include <gtest/gtest.h>

#include <cstring>

#include "create_table.h"
#include "field_codec.h"
#include "pdx_codes.h"
#include "schema.h"
#include "store_test_support.h"
#include "table_writer.h"

namespace pdx {
namespace {

using testing::ReadBytes;
using test_support::TemporaryDirectory;
using testing::WriteBytes;

class SortOrderTest : public testing::EngineTest {
 protected:
  // A keyed table whose header names the "intl" collation.
  void MakeTable(const std::string& schema_text) {
    TableSchema schema;
    std::string error;
    ASSERT_EQ(ParseSchema(schema_text, &schema, &error), PDX_OK) << error;
    ASSERT_EQ(CreateTable(FileSystem::Default(), dir_.Path().string(), "T", schema, &error), PDX_OK)
        << error;
    std::vector<uint8_t> header = ReadBytes(dir_.File("T.DB"));
    const char kAscii[] = "ascii";
    auto at = std::search(header.begin(), header.end(), kAscii, kAscii + 6);
    ASSERT_NE(at, header.end());
    std::memcpy(&*at, "intl\0", 6);
    header[0x29] = 0x4C;
    WriteBytes(dir_.File("T.DB"), header);
  }

  pdx_cursor_info Open(pdx_cursor** cursor) {
    pdx_cursor_info info{};
    EXPECT_EQ(pdx_table_open(session_, dir_.Path().string().c_str(), "T", PDX_OPEN_READ_WRITE, cursor),
              PDX_OK)
        << testing::LastErrorText();
    EXPECT_EQ(pdx_cursor_info_get(*cursor, &info), PDX_OK);
    EXPECT_STREQ(info.sort_order, "intl");
    return info;
  }

  TemporaryDirectory dir_;
};

TEST_F(SortOrderTest, NumericKeysAreWrittenUnderANationalCollation) {
  MakeTable("Id\tI*\nWhen\tD*\nName\tA20\n");
  pdx_cursor* cursor = nullptr;
  pdx_cursor_info info = Open(&cursor);
  EXPECT_EQ(info.read_only, 0) << info.read_only_reason;
  std::vector<uint8_t> record(info.record_size);
  for (int id : {5, -3, 12, 0}) {
    pdx_init_record(cursor, record.data());
    pdx_put_int(cursor, record.data(), 1, id);
    pdx_put_int(cursor, record.data(), 2, 738000 + id);
    pdx_put_text(cursor, record.data(), 3, "Ärger", 6);
    ASSERT_EQ(pdx_insert_record(cursor, record.data()), PDX_OK) << testing::LastErrorText();
  }
  pdx_set_to_begin(cursor);
  std::vector<int64_t> order;
  int64_t value = 0;
  int blank = 0;
  while (pdx_next(cursor, record.data()) == PDX_OK) {
    pdx_get_int(cursor, record.data(), 1, &value, &blank);
    order.push_back(value);
  }
  EXPECT_EQ(order, (std::vector<int64_t>{-3, 0, 5, 12}));
  pdx_cursor_close(cursor);
}

TEST_F(SortOrderTest, AlphaKeysStayReadOnlyAndSayWhy) {
  MakeTable("Code\tA8*\nAmount\tN\n");
  pdx_cursor* cursor = nullptr;
  pdx_cursor_info info = Open(&cursor);
  EXPECT_EQ(info.read_only, 1);
  EXPECT_NE(std::string(info.read_only_reason).find("intl"), std::string::npos)
      << info.read_only_reason;
  std::vector<uint8_t> record(info.record_size);
  pdx_init_record(cursor, record.data());
  pdx_put_text(cursor, record.data(), 1, "A", 1);
  EXPECT_EQ(pdx_insert_record(cursor, record.data()), PDX_ERR_TABLE_READ_ONLY);
  pdx_cursor_close(cursor);

  std::unique_ptr<TableWriter> writer;
  std::string error;
  EXPECT_EQ(TableWriter::Open(FileSystem::Default(), dir_.File("T.DB"), &writer, &error),
            PDX_ERR_NOT_SUPPORTED);
  EXPECT_NE(error.find("intl"), std::string::npos) << error;
}

}  // namespace
}  // namespace pdx
