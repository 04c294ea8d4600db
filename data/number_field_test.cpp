// Numeric fields under fixed locale settings of four countries: display and
// edit texts, the float check, and setting values back from those texts.
#include <gtest/gtest.h>

#include "data_set.h"
#include "data_set_error.h"
#include "memory_table_test_support.h"
#include "toolkit/fixed_locales.h"
#include "value_text.h"

namespace data {
namespace {

struct Country {
  const char* name;
  toolkit::LocaleSettings locale;
  // The texts of -1234.5 in a float, a currency and a BCD field of 2 decimals.
  const char* floatText;
  const char* moneyDisplay;
  const char* moneyEdit;
  const char* bcdText;
};

const Country kCountries[] = {
    {"en_US", toolkit::fixed_locales::unitedStates(), "-1234.5", "-$1,234.50", "-1234.50",
     "-1234.50"},
    {"de_DE", toolkit::fixed_locales::germany(), "-1234,5", "-1.234,50 \x80", "-1234,50",
     "-1234,50"},
    {"sv_SE", toolkit::fixed_locales::sweden(), "-1234,5",
     "-1\xA0"
     "234,50 kr",
     "-1234,50", "-1234,50"},
    {"fr_CH", toolkit::fixed_locales::frenchSwitzerland(), "-1234.5",
     "CHF- 1\x92"
     "234.50",
     "-1234.50", "-1234.50"},
};

class NumberFieldTest : public ::testing::TestWithParam<Country> {
 protected:
  void SetUp() override {
    previous = toolkit::localeSettings();
    toolkit::setLocaleSettings(GetParam().locale);
    auto table = std::make_shared<testing::MemoryTable>();
    table->codePage = 1252;
    table->fields = {{1, "SMALL", 'S', 0}, {2, "LONG", 'I', 0},  {3, "REAL", 'N', 0},
                     {4, "MONEY", '$', 0}, {5, "EXACT", '#', 2}, {6, "SERIAL", '+', 0}};
    table->AddRow({int64_t{-12}, int64_t{-123456}, -1234.5, -1234.5, -1234.5, int64_t{7}});
    opener->tables["T"] = table;
    dataSet.SetTableOpener(opener);
    dataSet.SetTableName("T");
    dataSet.Open();
  }
  void TearDown() override { toolkit::setLocaleSettings(previous); }
  TField* F(const char* name) { return dataSet.FieldByName(name); }

  std::shared_ptr<testing::MemoryOpener> opener = std::make_shared<testing::MemoryOpener>();
  TDataSet dataSet;
  toolkit::LocaleSettings previous;
};

TEST_P(NumberFieldTest, TextsFollowTheLocaleInTheTablesCodePage) {
  const Country& country = GetParam();
  EXPECT_EQ(F("REAL")->DisplayText(), country.floatText);
  EXPECT_EQ(F("REAL")->Text(), country.floatText);
  EXPECT_EQ(F("MONEY")->DisplayText(), country.moneyDisplay);
  EXPECT_EQ(F("MONEY")->Text(), country.moneyEdit);
  EXPECT_EQ(F("EXACT")->DisplayText(), country.bcdText);
  EXPECT_EQ(F("EXACT")->Text(), country.bcdText);
  EXPECT_EQ(F("SMALL")->DisplayText(), "-12");
  EXPECT_EQ(F("LONG")->Text(), "-123456");
}

TEST_P(NumberFieldTest, DisplayAndEditTextsSetTheSameValueBack) {
  dataSet.Edit();
  for (double value : {-1234.5, 0.0, 0.01, 98765432.1, 1e6}) {
    for (const char* name : {"REAL", "MONEY", "EXACT"}) {
      SCOPED_TRACE(std::string(name) + " " + std::to_string(value));
      F(name)->SetAsFloat(value);
      const std::string display = F(name)->DisplayText(), edit = F(name)->Text();
      F(name)->SetAsString(edit);
      EXPECT_EQ(F(name)->AsFloat(), value) << edit;
      F(name)->SetAsString(display);
      EXPECT_EQ(F(name)->AsFloat(), value) << display;
    }
  }
  for (const char* name : {"SMALL", "LONG"}) {
    F(name)->SetAsInteger(-32000);
    F(name)->SetAsString(F(name)->DisplayText());
    EXPECT_EQ(F(name)->AsInteger(), -32000);
  }
  // More decimals than the money format shows stay in the edit text.
  F("MONEY")->SetAsFloat(2.125);
  F("MONEY")->SetAsString(F("MONEY")->Text());
  EXPECT_EQ(F("MONEY")->AsFloat(), 2.125);
}

TEST_P(NumberFieldTest, TheFloatCheckTakesTheLocaleSeparatorAndAPoint) {
  const bool comma = GetParam().locale.decimalSeparator == ",";
  EXPECT_EQ(IsValidFloat("9,5"), comma);
  EXPECT_TRUE(IsValidFloat("9.5")) << "keypads type a point";
  for (const char* refused : {"Infinity", "inf", "nan", "-NAN", "0x1p3", "1e999"}) {
    EXPECT_FALSE(IsValidFloat(refused)) << refused;
    dataSet.Edit();
    EXPECT_THROW(F("REAL")->SetAsString(refused), EDatabaseError) << refused;
    dataSet.Cancel();
  }
  dataSet.Edit();
  EXPECT_THROW(F("REAL")->SetAsFloat(std::numeric_limits<double>::infinity()), EDatabaseError);
  EXPECT_EQ(F("REAL")->AsFloat(), -1234.5) << "a refused value changes nothing";
}

INSTANTIATE_TEST_SUITE_P(Countries, NumberFieldTest, ::testing::ValuesIn(kCountries),
                         [](const auto& test) { return std::string(test.param.name); });

TEST(NumberFieldCodePageTest, AMoneySymbolTheCodePageLacksShowsAsItsCode) {
  toolkit::LocaleSettings previous = toolkit::localeSettings();
  toolkit::setLocaleSettings(toolkit::fixed_locales::germany());
  auto table = std::make_shared<testing::MemoryTable>();
  table->codePage = 866;
  table->fields = {{1, "MONEY", '$', 0}};
  table->AddRow({1234.5});
  auto opener = std::make_shared<testing::MemoryOpener>();
  opener->tables["T"] = table;
  TDataSet dataSet;
  dataSet.SetTableOpener(opener);
  dataSet.SetTableName("T");
  dataSet.Open();
  EXPECT_EQ(dataSet.FieldByName("MONEY")->DisplayText(), "1.234,50 EUR");
  dataSet.Edit();
  dataSet.FieldByName("MONEY")->SetAsString("2.000,25 EUR");
  EXPECT_EQ(dataSet.FieldByName("MONEY")->AsFloat(), 2000.25);
  toolkit::setLocaleSettings(previous);
}

}  // namespace
}  // namespace data
