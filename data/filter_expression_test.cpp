#include "filter_expression.h"

#include <gtest/gtest.h>

#include "value_text.h"

namespace data {
namespace {

const std::vector<FieldDef> kFields = {{1, "NAME", 'A', 20}, {2, "AMOUNT", 'N', 0},
                                       {3, "BORN", 'D', 0},  {4, "Last name", 'A', 10},
                                       {5, "NOTE", 'M', 5},  {6, "COST", 'N', 0}};

FieldValue Convert(const FieldDef& field, const std::string& text) {
  if (field.storeType == 'N') {
    if (!IsValidFloat(text)) throw std::runtime_error("not a number");
    return std::stod(text);
  }
  if (field.storeType == 'D') {
    auto date = ParseDate(text, toolkit::LocaleSettings{});
    if (!date) throw std::runtime_error("not a date");
    return DayNumber(*date);
  }
  return text;
}

Row MakeRow(FieldValue name, FieldValue amount, FieldValue born = {}, FieldValue last = {},
            FieldValue note = {}, FieldValue cost = {}) {
  Row row;
  row.values = {name, amount, born, last, note, cost};
  return row;
}

bool Matches(const std::string& text, const Row& row) {
  return FilterExpression::Compile(text, kFields, Convert).Matches(row);
}

TEST(FilterExpressionTest, ComparisonsOnTextNumbersAndDates) {
  Row smith = MakeRow("Smith", 150.0, DayNumber({1990, 1, 15}), "O'Brien");
  EXPECT_TRUE(Matches("NAME = 'smith'", smith)) << "text compares without case";
  EXPECT_FALSE(Matches("NAME <> 'SMITH'", smith));
  EXPECT_TRUE(Matches("AMOUNT >= 150", smith));
  EXPECT_FALSE(Matches("AMOUNT > 150", smith));
  EXPECT_TRUE(Matches("100 < AMOUNT", smith)) << "a value may stand on the left";
  EXPECT_TRUE(Matches("BORN < '1/31/1990'", smith));
  EXPECT_FALSE(Matches("BORN >= '2/1/1990'", smith));
  EXPECT_TRUE(Matches("[Last name] = 'O''Brien'", smith));
  EXPECT_TRUE(Matches("\"last NAME\" = 'o''brien'", smith));
  EXPECT_TRUE(Matches("amount<=150.0", smith));
}

TEST(FilterExpressionTest, PrefixAndBlankTests) {
  Row smith = MakeRow("Smith", 1.0, {}, {}, UnreadBlob{});
  EXPECT_TRUE(Matches("NAME = 'Sm*'", smith));
  EXPECT_FALSE(Matches("NAME = 'St*'", smith));
  EXPECT_TRUE(Matches("NAME <> 'St*'", smith));
  EXPECT_TRUE(Matches("BORN IS BLANK", smith));
  EXPECT_TRUE(Matches("NOTE IS NOT BLANK", smith));
  EXPECT_TRUE(Matches("BORN = ''", smith));
  EXPECT_FALSE(Matches("NAME = ''", smith));
  // A blank field fails every comparison, even "not equal".
  EXPECT_FALSE(Matches("BORN <> '1/1/2000'", smith));
  EXPECT_FALSE(Matches("BORN < '1/1/2000'", smith));
}

TEST(FilterExpressionTest, LogicPrecedenceAndParentheses) {
  Row row = MakeRow("A", 1.0, {}, {}, {}, 2.0);
  EXPECT_TRUE(Matches("NAME = 'B' OR NAME = 'A' AND AMOUNT = 1", row));
  EXPECT_FALSE(Matches("(NAME = 'B' OR NAME = 'A') AND AMOUNT = 2", row));
  EXPECT_TRUE(Matches("NOT NAME = 'B' and not (AMOUNT = 2)", row));
  EXPECT_TRUE(Matches("COST > AMOUNT", row)) << "field against field";
  // What the data set builds from three filter lines.
  EXPECT_TRUE(Matches("NAME = 'A' AND (AMOUNT = 1) AND (COST = 2 OR COST = 3)", row));
}

TEST(FilterExpressionTest, RefusesWhatItCannotRead) {
  for (const char* bad : {"", "NAME", "NAME =", "NAME = 'x", "(NAME = 'x'", "NAME = 'x')",
                          "NOBODY = 1", "AMOUNT = 'abc'", "BORN = '2/30/2001'", "1 = 1",
                          "NOTE = 'x'", "NAME IS 'x'", "NAME = 'x' AND", "NAME ! 'x'"}) {
    EXPECT_THROW(FilterExpression::Compile(bad, kFields, Convert), FilterSyntaxError) << bad;
  }
}

}  // namespace
}  // namespace data
