// The data set's case rules come from its table's code page: case-insensitive
// searches, filters, field names and picture masks on a Cyrillic table.
#include <gtest/gtest.h>

#include "memory_table_test_support.h"
#include "picture_validator.h"
#include "toolkit/scripted_ui.h"
#include "wwtable.h"

namespace data {
namespace {

using testing::MemoryOpener;
using testing::MemoryTable;

// Moscow and Kiev in code page 866, upper and lower case.
const std::string kMoscowUpper = "\x8C\x8E\x91\x8A\x82\x80";
const std::string kMoscowLower = "\xAC\xAE\xE1\xAA\xA2\xA0";
const std::string kKievUpper = "\x8A\x88\x85\x82";
const std::string kCityUpper = "\x83\x8E\x90\x8E\x84";  // the field name ГОРОД
const std::string kCityLower = "\xA3\xAE\xE0\xAE\xA4";

class CaseRulesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto cities = std::make_shared<MemoryTable>();
    cities->codePage = 866;
    cities->fields = {{1, "ID", 'I', 0}, {2, kCityUpper, 'A', 20}};
    cities->AddRow({int64_t{1}, kKievUpper});
    cities->AddRow({int64_t{2}, kMoscowUpper});
    opener->tables["Cities"] = cities;
    table.SetTableOpener(opener);
    table.TableType = TTableType::ttParadox;
    table.SetTableName("Cities");
    table.Open();
  }

  std::shared_ptr<MemoryOpener> opener = std::make_shared<MemoryOpener>();
  TwwTable table;
  toolkit::ScopedScriptedUi ui;
};

TEST_F(CaseRulesTest, SearchesFiltersAndFieldNamesFoldCyrillicLetters) {
  EXPECT_EQ(table.textCodec().codePage(), 866);
  ASSERT_NE(table.FindField(kCityLower), nullptr) << "field names fold by the table's code page";

  EXPECT_FALSE(table.Locate(kCityUpper, {kMoscowLower}, {false, false}));
  EXPECT_TRUE(table.Locate(kCityUpper, {kMoscowLower}, {true, false}));
  EXPECT_EQ(table.FieldByName("ID")->AsInteger(), 2);

  table.SetwwFilter({kCityLower + " = '" + kMoscowLower.substr(0, 3) + "*'"});
  table.First();
  EXPECT_EQ(table.FieldByName("ID")->AsInteger(), 2);
  table.Next();
  EXPECT_TRUE(table.Eof()) << "only Moscow begins so";
}

TEST_F(CaseRulesTest, PictureMasksChangeCaseByTheTablesCodePage) {
  // ! upper-cases any character, & a letter, ~ lower-cases a letter.
  std::string text = kMoscowLower;
  EXPECT_EQ(TwwPictureValidator("!!!!!!", false, &table.textCodec()).MatchPicture(text, false),
            TwwPictureResult::Complete);
  EXPECT_EQ(text, kMoscowUpper);
  text = kMoscowLower;
  EXPECT_EQ(TwwPictureValidator("&*?", false, &table.textCodec()).MatchPicture(text, false),
            TwwPictureResult::Complete);
  EXPECT_EQ(text, "\x8C" + kMoscowLower.substr(1));
  text = kMoscowUpper;
  EXPECT_EQ(TwwPictureValidator("*~", false, &table.textCodec()).MatchPicture(text, false),
            TwwPictureResult::Complete);
  EXPECT_EQ(text, kMoscowLower);

  // The same bytes under Latin-1 rules would be other letters entirely: the
  // lower-case 'а' (0xA0) is a no-break space there.
  text = kMoscowLower;
  TwwPictureValidator("!!!!!!", false).MatchPicture(text, false);
  EXPECT_NE(text, kMoscowUpper);
}

}  // namespace
}  // namespace data
