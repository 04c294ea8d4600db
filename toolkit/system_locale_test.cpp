#include "system_locale.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace toolkit {
namespace {

TEST(SystemLocale, DateFormatsOfTheCLibraryBecomeShortDatePatterns) {
  auto us = shortDateFromStrftime("%m/%d/%Y");
  ASSERT_TRUE(us);
  EXPECT_EQ(us->pattern, "MM/dd/yyyy");
  EXPECT_EQ(us->separator, '/');
  auto german = shortDateFromStrftime("%d.%m.%Y");
  ASSERT_TRUE(german);
  EXPECT_EQ(german->pattern, "dd.MM.yyyy");
  EXPECT_EQ(german->separator, '.');
  EXPECT_EQ(shortDateFromStrftime("%D")->pattern, "MM/dd/yy");
  EXPECT_EQ(shortDateFromStrftime("%F")->pattern, "yyyy-MM-dd");
  EXPECT_EQ(shortDateFromStrftime("%-d/%-m/%Y")->pattern, "d/M/yyyy");
  EXPECT_EQ(shortDateFromStrftime("%e/%m/%y")->pattern, "d/MM/yy");
}

TEST(SystemLocale, FormatsThatAShortDateCannotHoldAreRefused) {
  EXPECT_FALSE(shortDateFromStrftime("%d %b %Y"));    // month name
  EXPECT_FALSE(shortDateFromStrftime("%Y-%m/%d"));    // two separators
  EXPECT_FALSE(shortDateFromStrftime("%Y%m%d"));      // none
  EXPECT_FALSE(shortDateFromStrftime("%m/%d"));       // no year
  EXPECT_FALSE(shortDateFromStrftime("%m/%d/%Y %"));  // dangling
}

TEST(SystemLocale, ThePlainCLocaleKeepsTheDefaults) {
  const char* saved = std::getenv("LC_ALL");
  const std::string previous = saved ? saved : "";
  setenv("LC_ALL", "C", 1);
  const LocaleSettings settings = systemLocaleSettings();
  const LocaleSettings defaults;
  EXPECT_EQ(settings.shortDateFormat, defaults.shortDateFormat);
  EXPECT_EQ(settings.timeAMString, "AM");
  EXPECT_EQ(settings.shortMonthNames[11], "Dec");
  if (saved)
    setenv("LC_ALL", previous.c_str(), 1);
  else
    unsetenv("LC_ALL");
}

TEST(SystemLocale, NumberFactsOfTheCLibraryBecomeTheMoneyFormat) {
  // What glibc's de_DE.UTF-8 says.
  NumberFacts german;
  german.decimalPoint = ",";
  german.thousandsSeparator = ".";
  german.monetaryDecimalPoint = ",";
  german.monetaryThousandsSeparator = ".";
  german.currencySymbol = "€";
  german.internationalSymbol = "EUR ";
  german.fractionDigits = 2;
  german.positiveSymbolFirst = german.negativeSymbolFirst = 0;
  german.positiveSeparatedBySpace = german.negativeSeparatedBySpace = 1;
  german.negativeSignPosition = 1;
  LocaleSettings settings;
  applyNumberFacts(german, settings);
  EXPECT_EQ(settings.decimalSeparator, ",");
  EXPECT_EQ(settings.thousandSeparator, ".");
  EXPECT_EQ(settings.currencyString, "€");
  EXPECT_EQ(settings.currencyCode, "EUR");
  EXPECT_FALSE(settings.currencyBefore);
  EXPECT_TRUE(settings.currencySpace);
  EXPECT_EQ(settings.negativeSign, LocaleSettings::NegativeSign::kBeforeAll);

  // The C locale leaves money unset (empty texts, CHAR_MAX): nothing changes.
  NumberFacts unset;
  unset.decimalPoint = ".";
  LocaleSettings defaults;
  applyNumberFacts(unset, defaults);
  EXPECT_EQ(defaults.currencyString, "$");
  EXPECT_EQ(defaults.thousandSeparator, ",");
  EXPECT_EQ(defaults.currencyDecimals, 2);
  EXPECT_TRUE(defaults.currencyBefore);
}

}  // namespace
}  // namespace toolkit
