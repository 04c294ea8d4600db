// The level-3 form of the validity-check file: header with three meaningful
// bytes, records straight after it, fields by their position in the table,
// no footer. The fixture follows the layout the format notes give (no
// genuine level-3 .VAL is at hand); tables with such a file are opened
// through the interface, and a damaged one leaves its table readable.
#include <gtest/gtest.h>

#include <cstring>

#include "byte_order.h"
#include "create_table.h"
#include "field_codec.h"
#include "pdx.h"
#include "pdx_codes.h"
#include "schema.h"
#include "store_test_support.h"
#include "val_file.h"

namespace pdx {
namespace {

using testing::ReadBytes;
using testing::TemporaryDirectory;
using testing::WriteBytes;

Field MakeField(FieldType type, uint8_t size_byte, const std::string& name) {
  Field field;
  field.type = type;
  field.size_byte = size_byte;
  field.length = FieldLength(type, size_byte);
  field.name = name;
  return field;
}

// Part A6, Vendor A4, Price $.
std::vector<Field> PartsFields() {
  return {MakeField(FieldType::kAlpha, 6, "Part"), MakeField(FieldType::kAlpha, 4, "Vendor"),
          MakeField(FieldType::kMoney, 8, "Price")};
}

void AppendMarkers(std::vector<uint8_t>* out, std::initializer_list<uint32_t> words) {
  for (uint32_t word : words) {
    uint8_t b[4];
    StoreLe32(b, word);
    out->insert(out->end(), b, b + 4);
  }
}

// A lookup and the picture "&###" on Vendor, an empty record left for Part
// (out of field order, as genuine files have them), and the minimum 1.5 on
// Price. Bytes 3 to 0x34 hold leftovers, as the original engine left them;
// the presence words hold segment:offset pointers.
std::vector<uint8_t> Level3Image() {
  std::vector<uint8_t> out(kValHeaderLength, 0);
  out[0] = 5;  // the table's structure counter
  out[1] = kValLevel3Marker;
  out[2] = 3;
  for (size_t i = 3; i < kValHeaderLength; ++i) out[i] = static_cast<uint8_t>(0x41 + i % 26);
  out.insert(out.end(), {1, 5, 0, 3});
  AppendMarkers(&out, {0x1A2B0010, 0x1A2B0012, 0, 0, 0, 0x1A2B0008});
  std::vector<uint8_t> area(kValLookupLength, 0);
  std::memcpy(area.data(), "VENDORS.DB", 10);
  std::memcpy(area.data() + 0x20, "C:\\OLD", 6);  // leftovers after +0x10
  out.insert(out.end(), area.begin(), area.end());
  out.insert(out.end(), {'&', '#', '#', '#', 0});
  out.insert(out.end(), {0, 0, 0, 0});
  AppendMarkers(&out, {0, 0, 0, 0, 0, 0});
  out.insert(out.end(), {2, 0, 0, 0});
  AppendMarkers(&out, {0, 0, 0x2C000A, 0, 0, 0});
  uint8_t minimum[8];
  EncodeDouble(1.5, minimum);
  out.insert(out.end(), minimum, minimum + 8);
  return out;
}

TEST(ValLevel3, ReadsRecordsByTablePositionAndWritesTheSameBytesBack) {
  const std::vector<Field> fields = PartsFields();
  const std::vector<uint8_t> image = Level3Image();
  ValFile file;
  ASSERT_EQ(ParseValFile(image.data(), image.size(), &file, &fields), PDX_OK);
  EXPECT_TRUE(file.level3);
  ASSERT_EQ(file.checks.size(), 3u);
  EXPECT_EQ(SerializeValFile(file), image);

  std::vector<FieldCheck> checks;
  EXPECT_EQ(ResolveChecks(file, fields, 5, &checks), PDX_OK);
  ASSERT_EQ(checks.size(), 2u) << "the empty record gives no check";
  EXPECT_EQ(checks[0].field_number, 2);
  EXPECT_EQ(checks[0].picture, "&###");
  EXPECT_EQ(checks[0].lookup_table, "VENDORS.DB");
  EXPECT_EQ(checks[0].lookup_options, 3);
  EXPECT_EQ(checks[1].field_number, 3);
  ASSERT_TRUE(checks[1].minimum);
  EXPECT_EQ(DecodeDouble(checks[1].minimum->data()), 1.5);
  EXPECT_EQ(ResolveChecks(file, fields, 6, &checks), PDX_ERR_VAL_OUT_OF_DATE);
}

TEST(ValLevel3, ChangedChecksKeepTheHeaderBytesAndTheUntouchedRecords) {
  const std::vector<Field> fields = PartsFields();
  const std::vector<uint8_t> image = Level3Image();
  ValFile file;
  ASSERT_EQ(ParseValFile(image.data(), image.size(), &file, &fields), PDX_OK);
  file.checks[2].maximum = std::vector<uint8_t>(8, 0);
  EncodeDouble(99.5, file.checks[2].maximum->data());
  const std::vector<uint8_t> bytes = SerializeValFile(file);
  ASSERT_EQ(bytes.size(), image.size() + 8);
  EXPECT_TRUE(std::equal(image.begin(), image.end() - 8 - 28, bytes.begin()));
  ValFile again;
  ASSERT_EQ(ParseValFile(bytes.data(), bytes.size(), &again, &fields), PDX_OK);
  ASSERT_TRUE(again.checks[2].maximum);
  EXPECT_EQ(DecodeDouble(again.checks[2].maximum->data()), 99.5);
}

TEST(ValLevel3, ParsesOnlyWhenTheRecordsEndExactlyAtTheEndOfTheFile) {
  const std::vector<Field> fields = PartsFields();
  std::vector<uint8_t> image = Level3Image();
  ValFile file;
  EXPECT_EQ(ParseValFile(image.data(), image.size(), &file), PDX_ERR_CORRUPT_VAL)
      << "without the table's fields the records cannot be measured";
  for (size_t size = kValHeaderLength; size < image.size(); ++size)
    EXPECT_EQ(ParseValFile(image.data(), size, &file, &fields), PDX_ERR_CORRUPT_VAL) << size;
  image.push_back(0);
  EXPECT_EQ(ParseValFile(image.data(), image.size(), &file, &fields), PDX_ERR_CORRUPT_VAL);
  image.pop_back();
  image[kValHeaderLength] = 3;  // a field the table does not have
  EXPECT_EQ(ParseValFile(image.data(), image.size(), &file, &fields), PDX_ERR_CORRUPT_VAL);
}

class Level3TableTest : public testing::EngineTest {
 protected:
  // A level-3.0 table made by the store, with a picture and a minimum.
  void MakeTable() {
    TableSchema schema;
    std::string error;
    ASSERT_EQ(ParseSchema("Part\tA6*\nVendor\tA4\nPrice\t$\nlevel 3.0\n"
                          "check Vendor picture &###\ncheck Price min 1.5\n",
                          &schema, &error),
              PDX_OK)
        << error;
    ASSERT_EQ(CreateTable(FileSystem::Default(), dir_.Path(), "Parts", schema, &error), PDX_OK)
        << error;
  }

  pdx_cursor_info OpenForWriting(pdx_cursor** cursor) {
    pdx_cursor_info info{};
    EXPECT_EQ(pdx_table_open(session_, dir_.Path().c_str(), "Parts", PDX_OPEN_READ_WRITE, cursor),
              PDX_OK)
        << testing::LastErrorText();
    EXPECT_EQ(pdx_cursor_info_get(*cursor, &info), PDX_OK);
    return info;
  }

  TemporaryDirectory dir_;
};

TEST_F(Level3TableTest, CreatedFileHasTheLevel3FormAndItsChecksHold) {
  MakeTable();
  const std::vector<uint8_t> val = ReadBytes(dir_.File("Parts.VAL"));
  ASSERT_GE(val.size(), kValHeaderLength);
  EXPECT_EQ(val[1], kValLevel3Marker);
  EXPECT_EQ(val[2], 2);
  EXPECT_TRUE(std::all_of(val.begin() + 3, val.begin() + kValHeaderLength,
                          [](uint8_t b) { return b == 0; }));
  pdx_cursor* cursor = nullptr;
  pdx_cursor_info info = OpenForWriting(&cursor);
  EXPECT_EQ(info.read_only, 0) << info.read_only_reason;
  int count = 0;
  ASSERT_EQ(pdx_check_count(cursor, &count), PDX_OK);
  EXPECT_EQ(count, 2);
  std::vector<uint8_t> record(info.record_size);
  pdx_init_record(cursor, record.data());
  pdx_put_text(cursor, record.data(), 1, "P1", 2);
  pdx_put_text(cursor, record.data(), 2, "A123", 4);
  pdx_put_double(cursor, record.data(), 3, 1.0);
  EXPECT_NE(pdx_insert_record(cursor, record.data()), PDX_OK) << "below the minimum";
  pdx_put_double(cursor, record.data(), 3, 2.0);
  EXPECT_EQ(pdx_insert_record(cursor, record.data()), PDX_OK) << testing::LastErrorText();
  pdx_cursor_close(cursor);
}

TEST_F(Level3TableTest, DamagedChecksLeaveTheTableReadableButRefuseChanges) {
  MakeTable();
  std::vector<uint8_t> val = ReadBytes(dir_.File("Parts.VAL"));
  val.resize(val.size() - 3);
  WriteBytes(dir_.File("Parts.VAL"), val);
  pdx_cursor* cursor = nullptr;
  pdx_cursor_info info = OpenForWriting(&cursor);
  EXPECT_EQ(info.read_only, 1);
  EXPECT_NE(std::string(info.read_only_reason).find("Parts.VAL"), std::string::npos)
      << info.read_only_reason;
  int count = -1;
  EXPECT_EQ(pdx_check_count(cursor, &count), PDX_OK);
  EXPECT_EQ(count, 0);
  std::vector<uint8_t> record(info.record_size);
  EXPECT_EQ(pdx_next(cursor, record.data()), PDX_ERR_EOF);
  pdx_init_record(cursor, record.data());
  pdx_put_text(cursor, record.data(), 1, "P1", 2);
  EXPECT_EQ(pdx_insert_record(cursor, record.data()), PDX_ERR_TABLE_READ_ONLY);
  EXPECT_NE(testing::LastErrorText().find("Parts.VAL"), std::string::npos);
  pdx_cursor_close(cursor);
}

}  // namespace
}  // namespace pdx
