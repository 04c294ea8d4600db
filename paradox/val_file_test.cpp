#include "val_file.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "paradox/testing/samples.h"
#include "pdx_codes.h"

namespace pdx {
namespace {

// A validity-check file of the shared samples.
std::vector<uint8_t> ReadSample(const std::string& path) {
  return testing::ReadSample("leonhad__paradoxdriver/" + path);
}

// The golden copy of fields/logical.val, which every clone has.
std::vector<uint8_t> ReadLogicalVal() {
  return testing::ReadTestFile(testing::TestdataPath("logical.val"));
}

// The files a damage test goes through: the golden copy of logical.val, and
// the named shared samples when they are there.
std::vector<std::pair<std::string, std::vector<uint8_t>>> DamageSubjects(
    const std::vector<const char*>& samples) {
  std::vector<std::pair<std::string, std::vector<uint8_t>>> files = {
      {"testdata/logical.val", ReadLogicalVal()}};
  if (testing::HaveSamples())
    for (const char* name : samples) files.emplace_back(name, ReadSample(name));
  return files;
}

const char* const kSamples[] = {"fields/logical.val",
                                "areas/ZIPCODES.VAL",
                                "joins/A.VAL",
                                "joins/B.VAL",
                                "joins/C.VAL",
                                "joins/fk1.val",
                                "joins/fk2.val",
                                "joins/fk3.val",
                                "joins/fk4.val",
                                "joins/joinb.val",
                                "joins/multiple.val",
                                "joins/origin.val",
                                "joins/paradox-ascii.val",
                                "joins/primary.val",
                                "joins/to_multiple.val",
                                "joins/two.val"};

ValFile Parse(const std::vector<uint8_t>& bytes) {
  ValFile file;
  EXPECT_EQ(ParseValFile(bytes.data(), bytes.size(), &file), PDX_OK);
  return file;
}

Field MakeField(FieldType type, uint8_t size_byte, uint16_t id, const std::string& name) {
  Field field;
  field.type = type;
  field.size_byte = size_byte;
  field.length = FieldLength(type, size_byte);
  field.id = id;
  field.name = name;
  return field;
}

TEST(ValSamples, EveryFileParsesAndSerializesToItsOwnBytes) {
  SKIP_WITHOUT_SAMPLES();
  for (const char* name : kSamples) {
    std::vector<uint8_t> bytes = ReadSample(name);
    ValFile file;
    ASSERT_EQ(ParseValFile(bytes.data(), bytes.size(), &file), PDX_OK) << name;
    EXPECT_EQ(SerializeValFile(file), bytes) << name;
  }
}

TEST(ValSamples, RequiredLogicalWithADefault) {
  ValFile file = Parse(ReadLogicalVal());
  ASSERT_EQ(file.fields.size(), 1u);
  EXPECT_EQ(file.fields[0].name, "BOOL");
  std::vector<FieldCheck> checks;
  std::vector<Field> table = {MakeField(FieldType::kLogical, 1, 1, "BOOL")};
  ASSERT_EQ(ResolveChecks(file, table, 0x83, &checks), PDX_OK);
  ASSERT_EQ(checks.size(), 1u);
  EXPECT_EQ(checks[0].field_number, 1);
  EXPECT_TRUE(checks[0].required);
  EXPECT_FALSE(checks[0].minimum);
  EXPECT_FALSE(checks[0].maximum);
  ASSERT_TRUE(checks[0].default_value);
  EXPECT_EQ(*checks[0].default_value, std::vector<uint8_t>{0x81});
  EXPECT_TRUE(checks[0].picture.empty());
}

TEST(ValSamples, PicturesAndLookups) {
  SKIP_WITHOUT_SAMPLES();
  ValFile zip = Parse(ReadSample("areas/ZIPCODES.VAL"));
  std::vector<Field> table = {MakeField(FieldType::kAlpha, 5, 1, "Zip"),
                              MakeField(FieldType::kAlpha, 2, 2, "State"),
                              MakeField(FieldType::kAlpha, 25, 3, "City")};
  std::vector<FieldCheck> checks;
  ASSERT_EQ(ResolveChecks(zip, table, zip.structure_count(), &checks), PDX_OK);
  ASSERT_EQ(checks.size(), 2u);
  EXPECT_EQ(checks[0].field_number, 1);
  EXPECT_EQ(checks[0].picture, "#####");
  EXPECT_EQ(checks[1].field_number, 2);
  EXPECT_EQ(checks[1].picture, "&&");
  EXPECT_FALSE(checks[1].required);

  ValFile joinb = Parse(ReadSample("joins/joinb.val"));
  ASSERT_EQ(joinb.checks.size(), 1u);
  EXPECT_EQ(joinb.checks[0].LookupTable(), "joina.db");
  EXPECT_EQ(joinb.checks[0].lookup_options, 2);
}

TEST(ValSamples, LinkSectionIsKeptWhole) {
  SKIP_WITHOUT_SAMPLES();
  ValFile file = Parse(ReadSample("joins/C.VAL"));
  EXPECT_EQ(file.checks.size(), 2u);
  ASSERT_TRUE(file.links_offset);
  EXPECT_FALSE(file.links.empty());
  // A changed check moves the link section; its offset follows.
  file.checks[0].SetPicture("###");
  std::vector<uint8_t> bytes = SerializeValFile(file);
  ValFile again = Parse(bytes);
  EXPECT_EQ(again.links, file.links);
  EXPECT_EQ(again.checks[0].PictureText(), "###");
}

TEST(ValResolve, StaleFileStillGivesItsChecks) {
  ValFile file = Parse(ReadLogicalVal());
  std::vector<Field> table = {MakeField(FieldType::kLogical, 1, 1, "BOOL")};
  std::vector<FieldCheck> checks;
  EXPECT_EQ(ResolveChecks(file, table, 0x84, &checks), PDX_ERR_VAL_OUT_OF_DATE);
  EXPECT_EQ(checks.size(), 1u);
}

TEST(ValResolve, FieldsAreMatchedByIdThenNameAndMustKeepTheirType) {
  SKIP_WITHOUT_SAMPLES();
  ValFile file = Parse(ReadSample("areas/ZIPCODES.VAL"));
  std::vector<FieldCheck> checks;
  // Field ids renumbered, names the same (in another case): matched by name.
  std::vector<Field> renamed_ids = {MakeField(FieldType::kAlpha, 2, 7, "STATE"),
                                    MakeField(FieldType::kAlpha, 5, 8, "ZIP")};
  ResolveChecks(file, renamed_ids, file.structure_count(), &checks);
  ASSERT_EQ(checks.size(), 2u);
  EXPECT_EQ(checks[0].field_number, 1);
  EXPECT_EQ(checks[0].picture, "&&");
  EXPECT_EQ(checks[1].field_number, 2);
  EXPECT_EQ(checks[1].picture, "#####");
  // Zip widened and State gone: neither check applies any more.
  std::vector<Field> changed = {MakeField(FieldType::kAlpha, 9, 1, "Zip"),
                                MakeField(FieldType::kAlpha, 25, 3, "City")};
  ResolveChecks(file, changed, file.structure_count(), &checks);
  EXPECT_TRUE(checks.empty());
}

TEST(ValBuilt, ValuesTakeTheWidthOfTheirFieldAndRoundTrip) {
  ValFile file;
  file.set_structure_count(5);
  file.header[1] = 0x0B;
  file.table_name = std::string(79, '\0');
  file.fields = {
      {1, 0x01, 10, "Name"}, {2, 0x02, 4, "Born"}, {3, 0x17, 2, "Amount"}, {4, 0x06, 8, "Rate"}};
  ValCheck name;
  name.field_index = 0;
  name.required = 1;
  name.minimum = std::vector<uint8_t>{'A', 0, 0, 0, 0, 0, 0, 0, 0, 0};
  name.SetPicture("&*?");
  ValCheck amount;
  amount.field_index = 2;
  amount.minimum = std::vector<uint8_t>(17, 0xC2);
  amount.maximum = std::vector<uint8_t>(17, 0xC3);
  amount.default_value = std::vector<uint8_t>(17, 0xC4);
  ValCheck rate;
  rate.field_index = 3;
  rate.lookup.emplace();
  rate.lookup->fill(0);
  std::string table = "RATES.DB";
  std::copy(table.begin(), table.end(), rate.lookup->begin());
  rate.default_value = std::vector<uint8_t>{0xBF, 0xF0, 0, 0, 0, 0, 0, 0};
  file.checks = {name, amount, rate};

  std::vector<uint8_t> bytes = SerializeValFile(file);
  ValFile again = Parse(bytes);
  ASSERT_EQ(again.checks.size(), 3u);
  EXPECT_EQ(again.checks[0].minimum, name.minimum);
  EXPECT_EQ(again.checks[0].PictureText(), "&*?");
  EXPECT_EQ(again.checks[0].picture_marker, 1u);
  EXPECT_EQ(again.checks[1].maximum, amount.maximum);
  EXPECT_EQ(again.checks[1].default_value, amount.default_value);
  EXPECT_EQ(again.checks[2].LookupTable(), "RATES.DB");
  EXPECT_EQ(again.checks[2].default_value, rate.default_value);
  EXPECT_EQ(again.fields.size(), 4u);
  EXPECT_EQ(again.fields[3].name, "Rate");
  EXPECT_EQ(SerializeValFile(again), bytes);
}

TEST(ValBuilt, LongTableNameArea) {
  ValFile file;
  file.table_name = std::string(261, '\0');
  file.fields = {{1, 0x03, 2, "Count"}};
  ValCheck check;
  check.maximum = std::vector<uint8_t>{0x80, 0x09};
  file.checks = {check};
  ValFile again = Parse(SerializeValFile(file));
  EXPECT_EQ(again.table_name.size(), 261u);
  EXPECT_EQ(again.checks[0].maximum, check.maximum);
}

TEST(ValDamaged, EveryTruncationIsRefused) {
  for (const auto& [name, bytes] :
       DamageSubjects(std::vector<const char*>(std::begin(kSamples), std::end(kSamples)))) {
    for (size_t size = 0; size < bytes.size(); ++size) {
      ValFile file;
      ASSERT_EQ(ParseValFile(bytes.data(), size, &file), PDX_ERR_CORRUPT_VAL)
          << name << " cut at " << size;
    }
  }
}

TEST(ValDamaged, WrongCountsAndOffsetsAreRefusedWithoutReadingOutside) {
  SKIP_WITHOUT_SAMPLES();
  std::vector<uint8_t> bytes = ReadSample("areas/ZIPCODES.VAL");
  auto refused = [](std::vector<uint8_t> image) {
    ValFile file;
    return ParseValFile(image.data(), image.size(), &file) == PDX_ERR_CORRUPT_VAL;
  };
  std::vector<uint8_t> image = bytes;
  image[2] = 200;  // more records than there is room for
  EXPECT_TRUE(refused(image));
  image = bytes;
  image[0x09] = 0xF0;  // footer past the end
  image[0x0C] = 0x7F;
  EXPECT_TRUE(refused(image));
  image = bytes;
  image[0x0D] = 0xF0;  // link section past the footer
  EXPECT_TRUE(refused(image));
  image = bytes;
  image[0x35] = 9;  // a field the footer does not list
  EXPECT_TRUE(refused(image));
  image = bytes;
  image[0x76] = 0xFF;  // footer field count
  image[0x77] = 0xFF;
  EXPECT_TRUE(refused(image));
  image = bytes;
  image[0x36] = 0;  // a picture of no bytes
  EXPECT_TRUE(refused(image));
}

TEST(ValDamaged, NoByteValueCrashesTheParser) {
  // Under the sanitizers, any read outside the image fails this test.
  for (const auto& [name, bytes] :
       DamageSubjects({"areas/ZIPCODES.VAL", "joins/C.VAL", "joins/joinb.val"})) {
    for (size_t i = 0; i < bytes.size(); ++i) {
      for (uint8_t value : {uint8_t{0x00}, uint8_t{0x7F}, uint8_t{0xFF}}) {
        std::vector<uint8_t> image = bytes;
        image[i] = value;
        ValFile file;
        if (ParseValFile(image.data(), image.size(), &file) == PDX_OK) {
          std::vector<FieldCheck> checks;
          ResolveChecks(file, {}, 0, &checks);
          SerializeValFile(file);
        }
      }
    }
  }
}

}  // namespace
}  // namespace pdx
