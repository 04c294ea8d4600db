// Tables of every plain field type written by pxlib, read back through the
// interface.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "pxlib_writer_test_support.h"
#include "store_test_support.h"

namespace pdx::testing {
namespace {

const std::vector<PxlibField> kAllTypes = {
    {"Name", pxfAlpha, 20, 0},    {"Born", pxfDate, 4, 0},      {"Small", pxfShort, 2, 0},
    {"Big", pxfLong, 4, 0},       {"Price", pxfCurrency, 8, 0}, {"Ratio", pxfNumber, 8, 0},
    {"Flag", pxfLogical, 1, 0},   {"At", pxfTime, 4, 0},        {"Stamp", pxfTimestamp, 8, 0},
    {"Serial", pxfAutoInc, 4, 0}, {"Amount", pxfBCD, 17, 2},    {"Raw", pxfBytes, 6, 0},
};

// Row r: values derived from r; every third row leaves its fields blank
// except the name.
void FillAllTypes(pxdoc_t* doc, char* record, int row) {
  const std::vector<int> at = PxlibOffsets(kAllTypes);
  std::string name = "row " + std::to_string(row);
  PX_put_data_alpha(doc, record + at[0], 20, name.data());
  if (row % 3 == 2) return;
  PX_put_data_long(doc, record + at[1], 4, 728783 + row);  // 1996-05-04 onwards
  PX_put_data_short(doc, record + at[2], 2, static_cast<short>(row - 100));
  PX_put_data_long(doc, record + at[3], 4, row * 100000 - 7);
  PX_put_data_double(doc, record + at[4], 8, row + 0.25);
  PX_put_data_double(doc, record + at[5], 8, -(row + 1) / 8.0);
  PX_put_data_byte(doc, record + at[6], 1, static_cast<char>(row % 2));
  PX_put_data_long(doc, record + at[7], 4, 49530250 + row);  // 13:45:30.250
  PX_put_data_double(doc, record + at[8], 8, 63716202001000.0 + row * 1000.0);
  PX_put_data_long(doc, record + at[9], 4, row + 1);
  std::string amount = std::to_string(row) + ".5";
  PX_put_data_bcd(doc, record + at[10], 2, amount.data());
  char raw[6] = {1, 2, 3, static_cast<char>(row), 0, 0};
  PX_put_data_bytes(doc, record + at[11], 6, raw);
}

class PxlibReadTest : public EngineTest {};

TEST_F(PxlibReadTest, EveryPlainTypeReadsAsWritten) {
  TemporaryDirectory dir;
  ASSERT_TRUE(WritePxlibTable(dir.File("types.db"), kAllTypes, 0, 6, FillAllTypes));
  pdx_cursor* cursor;
  ASSERT_EQ(Open(dir.Path(), "TYPES", &cursor), PDX_OK) << LastErrorText();
  EXPECT_EQ(Dump(cursor),
            "Name\tBorn\tSmall\tBig\tPrice\tRatio\tFlag\tAt\tStamp\tSerial\tAmount\tRaw\n"
            "row 0\t1996-05-04\t-100\t-7\t0.25\t-0.125\tF\t13:45:30.250\t2020-02-01 01:00:01.000\t1"
            "\t0.50\t010203\n"
            "row 1\t1996-05-05\t-99\t99993\t1.25\t-0.25\tT\t13:45:30.251\t2020-02-01 "
            "01:00:02.000\t2\t1.50\t01020301\n"
            "row 2\t\t\t\t\t\t\t\t\t\t\t\n"
            "row 3\t1996-05-07\t-97\t299993\t3.25\t-0.5\tT\t13:45:30.253\t2020-02-01 "
            "01:00:04.000\t4\t3.50\t01020303\n"
            "row 4\t1996-05-08\t-96\t399993\t4.25\t-0.625\tF\t13:45:30.254\t2020-02-01 "
            "01:00:05.000\t5\t4.50\t01020304\n"
            "row 5\t\t\t\t\t\t\t\t\t\t\t\n");
  pdx_cursor_close(cursor);
}

TEST_F(PxlibReadTest, TypedGettersDecodeValuesAndBlanks) {
  TemporaryDirectory dir;
  ASSERT_TRUE(WritePxlibTable(dir.File("types.db"), kAllTypes, 0, 3, FillAllTypes));
  pdx_cursor* cursor;
  ASSERT_EQ(Open(dir.Path(), "types.db", &cursor), PDX_OK) << LastErrorText();
  pdx_cursor_info info;
  ASSERT_EQ(pdx_cursor_info_get(cursor, &info), PDX_OK);
  std::vector<uint8_t> record(info.record_size);
  ASSERT_EQ(pdx_set_to_record_number(cursor, 2), PDX_OK);
  ASSERT_EQ(pdx_get_record(cursor, record.data()), PDX_OK);
  int64_t number;
  double real;
  int blank;
  ASSERT_EQ(pdx_get_int(cursor, record.data(), 2, &number, &blank), PDX_OK);
  EXPECT_EQ(number, 728784);
  EXPECT_EQ(blank, 0);
  ASSERT_EQ(pdx_get_int(cursor, record.data(), 7, &number, &blank), PDX_OK);
  EXPECT_EQ(number, 1);
  ASSERT_EQ(pdx_get_double(cursor, record.data(), 11, &real, &blank), PDX_OK);
  EXPECT_DOUBLE_EQ(real, 1.5);
  EXPECT_EQ(pdx_get_int(cursor, record.data(), 5, &number, &blank), PDX_ERR_INVALID_FIELD_TYPE);
  uint8_t bytes[8];
  size_t length;
  ASSERT_EQ(pdx_get_bytes(cursor, record.data(), 12, bytes, sizeof bytes, &length), PDX_OK);
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(std::memcmp(bytes, "\x01\x02\x03\x01", 4), 0);

  ASSERT_EQ(pdx_next(cursor, record.data()), PDX_OK);  // row 2: blank values
  ASSERT_EQ(pdx_get_int(cursor, record.data(), 4, &number, &blank), PDX_OK);
  EXPECT_EQ(blank, 1);
  EXPECT_EQ(number, 0);
  ASSERT_EQ(pdx_is_blank(cursor, record.data(), 1, &blank), PDX_OK);
  EXPECT_EQ(blank, 0);
  pdx_cursor_close(cursor);
}

}  // namespace
}  // namespace pdx::testing
