// Fields on a table held in memory: defaults per type, texts under the
// locale settings, and setting values from text.
#include "field.h"

#include <gtest/gtest.h>

#include "data_set.h"
#include "data_set_error.h"
#include "memory_table_test_support.h"
#include "value_text.h"

namespace data {
namespace {

class FieldTest : public ::testing::Test {
 protected:
  void SetUp() override {
    auto table = std::make_shared<testing::MemoryTable>();
    table->fields = {{1, "COUNT", 'S', 0}, {2, "BORN", 'D', 0},  {3, "AT", 'T', 0},
                     {4, "STAMP", '@', 0}, {5, "PAID", 'L', 0},  {6, "PRICE", '$', 0},
                     {7, "CODE", 'A', 4},  {8, "SERIAL", '+', 0}};
    table->AddRow({int64_t{7}, DayNumber({2001, 3, 4}), int64_t{(22 * 60 + 30) * 60000},
                   DayNumber({2001, 3, 4}) * 86400000 + 3600000, int64_t{1}, 12.5,
                   std::string("AB"), int64_t{1}});
    opener->tables["T"] = table;
    dataSet.SetTableOpener(opener);
    dataSet.SetTableName("T");
    dataSet.Open();
    previous = toolkit::localeSettings();
  }
  void TearDown() override { toolkit::setLocaleSettings(previous); }
  TField* F(const char* name) { return dataSet.FieldByName(name); }
  std::string ErrorOf(const std::function<void()>& action) {
    try {
      action();
    } catch (const EDatabaseError& error) {
      return error.what();
    }
    return "";
  }

  std::shared_ptr<testing::MemoryOpener> opener = std::make_shared<testing::MemoryOpener>();
  TDataSet dataSet;
  toolkit::LocaleSettings previous;
};

TEST_F(FieldTest, DescriptionsAndDefaults) {
  EXPECT_EQ(TFieldType::ftSmallint, F("COUNT")->DataType());
  EXPECT_EQ(6, F("COUNT")->DisplayWidth());
  EXPECT_EQ(TAlignment::taRightJustify, F("PRICE")->Alignment());
  EXPECT_EQ(TAlignment::taLeftJustify, F("CODE")->Alignment());
  EXPECT_EQ(4, F("CODE")->DisplayWidth());
  EXPECT_EQ(2, F("BORN")->FieldNo());
  EXPECT_EQ("BORN", F("BORN")->DisplayName());
  F("BORN")->SetDisplayLabel("Born on");
  EXPECT_EQ("Born on", F("BORN")->DisplayName());
  EXPECT_TRUE(F("SERIAL")->ReadOnly()) << "the store numbers auto-increment fields";
  EXPECT_EQ(F("CODE"), dataSet.FindField("code"));
  F("CODE")->SetIndex(0);
  EXPECT_EQ(0, F("CODE")->Index());
  EXPECT_EQ(1, F("COUNT")->Index());
}

TEST_F(FieldTest, TextsFollowTheLocale) {
  EXPECT_EQ("3/4/2001", F("BORN")->AsString());
  EXPECT_EQ("10:30:00 PM", F("AT")->DisplayText());
  EXPECT_EQ("3/4/2001 1:00:00 AM", F("STAMP")->AsString());
  EXPECT_EQ("True", F("PAID")->AsString());
  EXPECT_EQ("12.50", F("PRICE")->AsString());
  EXPECT_EQ("$12.50", F("PRICE")->DisplayText());
  toolkit::LocaleSettings german;
  german.shortDateFormat = "dd.MM.yyyy";
  german.dateSeparator = '.';
  german.twentyFourHourClock = true;
  toolkit::setLocaleSettings(german);
  EXPECT_EQ("04.03.2001", F("BORN")->DisplayText());
  EXPECT_EQ("22:30:00", F("AT")->Text());
}

TEST_F(FieldTest, SettingFromText) {
  EXPECT_EQ("Dataset not in edit or insert mode", ErrorOf([&] { F("CODE")->SetAsString("X"); }));
  dataSet.Edit();
  F("BORN")->SetAsString("12/31/1999");
  EXPECT_EQ(DayNumber({1999, 12, 31}), F("BORN")->AsInteger());
  F("AT")->SetAsString("7:05 am");
  EXPECT_EQ("7:05:00 AM", F("AT")->AsString());
  F("STAMP")->SetAsString("1/2/2003");
  EXPECT_EQ("1/2/2003", F("STAMP")->AsString()) << "a date alone is midnight";
  F("PAID")->SetAsString("f");
  EXPECT_FALSE(F("PAID")->AsBoolean());
  F("CODE")->SetAsString("ABCDEF");
  EXPECT_EQ("ABCD", F("CODE")->AsString()) << "alpha text is cut to the field's size";
  F("COUNT")->SetAsString("");
  EXPECT_TRUE(F("COUNT")->IsNull());

  EXPECT_EQ("'2/30/2001' is not a valid date value",
            ErrorOf([&] { F("BORN")->SetAsString("2/30/2001"); }));
  EXPECT_EQ("'40000' is not a valid integer value",
            ErrorOf([&] { F("COUNT")->SetAsString("40000"); }));
  EXPECT_EQ("'1,5' is not a valid floating point value",
            ErrorOf([&] { F("PRICE")->SetAsString("1,5"); }));
  EXPECT_EQ("'maybe' is not a valid boolean value",
            ErrorOf([&] { F("PAID")->SetAsString("maybe"); }));
  EXPECT_EQ("Field 'SERIAL' cannot be modified", ErrorOf([&] { F("SERIAL")->SetAsInteger(5); }));
  EXPECT_EQ(DayNumber({1999, 12, 31}), F("BORN")->AsInteger()) << "a refused text changes nothing";
}

}  // namespace
}  // namespace data
