#include "toolkit/number_text.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "toolkit/fixed_locales.h"

namespace toolkit {
namespace {

struct Country {
  const char* name;
  LocaleSettings locale;
};

const Country kCountries[] = {{"en_US", fixed_locales::unitedStates()},
                              {"de_DE", fixed_locales::germany()},
                              {"sv_SE", fixed_locales::sweden()},
                              {"fr_CH", fixed_locales::frenchSwitzerland()}};

TEST(NumberTextTest, MoneyTakesEachCountrysFormat) {
  const char* const expected[][3] = {
      {"$1,234.50", "-$1,234.50", "$0.00"},
      {"1.234,50 €", "-1.234,50 €", "0,00 €"},
      {"1\u202F234,50 kr", "-1\u202F234,50 kr", "0,00 kr"},
      {"CHF 1’234.50", "CHF- 1’234.50", "CHF 0.00"},
  };
  for (size_t i = 0; i < std::size(kCountries); ++i) {
    SCOPED_TRACE(kCountries[i].name);
    const LocaleSettings& locale = kCountries[i].locale;
    const NumberSymbols symbols = numberSymbols(locale, nullptr);
    EXPECT_EQ(formatMoney(1234.5, locale, symbols), expected[i][0]);
    EXPECT_EQ(formatMoney(-1234.5, locale, symbols), expected[i][1]);
    // A negative amount that rounds to nothing carries no sign.
    EXPECT_EQ(formatMoney(-0.001, locale, symbols), expected[i][2]);
    for (const char* text : expected[i]) EXPECT_TRUE(parseMoney(text, locale, symbols)) << text;
    EXPECT_EQ(parseMoney(expected[i][1], locale, symbols), -1234.5);
  }
}

TEST(NumberTextTest, NegativeFormsAndLargeAmounts) {
  LocaleSettings locale;
  const NumberSymbols symbols = numberSymbols(locale, nullptr);
  locale.negativeSign = LocaleSettings::NegativeSign::kParentheses;
  EXPECT_EQ(formatMoney(-5, locale, symbols), "($5.00)");
  EXPECT_EQ(parseMoney("($5.00)", locale, symbols), -5.0);
  locale.negativeSign = LocaleSettings::NegativeSign::kAfterAll;
  EXPECT_EQ(formatMoney(-5, locale, symbols), "$5.00-");
  EXPECT_EQ(parseMoney("$5.00-", locale, symbols), -5.0);
  locale.negativeSign = LocaleSettings::NegativeSign::kBeforeSymbol;
  locale.negativeCurrencyBefore = false;
  EXPECT_EQ(formatMoney(-5, locale, symbols), "5.00-$");
  EXPECT_EQ(formatMoney(1234567890123.456, LocaleSettings{}, symbols), "$1,234,567,890,123.46");
  EXPECT_EQ(parseMoney("$1,234,567,890,123.46", locale, symbols), 1234567890123.46);
}

TEST(NumberTextTest, GroupingIsReadOnlyWhereItBelongs) {
  const LocaleSettings german = fixed_locales::germany();
  const NumberSymbols symbols = numberSymbols(german, nullptr);
  EXPECT_EQ(parseMoney("1.234.567,5", german, symbols), 1234567.5);
  EXPECT_EQ(parseMoney("1.234 €", german, symbols), 1234.0);
  // Without the symbol or a decimal comma a lone point is the keypad's.
  EXPECT_EQ(parseMoney("1.5", german, symbols), 1.5);
  EXPECT_FALSE(parseMoney("1.23,5", german, symbols));
  EXPECT_FALSE(parseMoney("12.34.567,5", german, symbols));
  EXPECT_FALSE(parseMoney("--5", german, symbols));
  EXPECT_FALSE(parseMoney("€", german, symbols));
}

TEST(NumberTextTest, PlainNumbersTakeTheLocaleSeparatorOrAPointAndNothingExotic) {
  const NumberSymbols german = numberSymbols(fixed_locales::germany(), nullptr);
  EXPECT_EQ(parseNumber("9,5", german), 9.5);
  EXPECT_EQ(parseNumber(" -9.5 ", german), -9.5);
  EXPECT_EQ(parseNumber(",5", german), 0.5);
  EXPECT_EQ(parseNumber("1,5e3", german), 1500.0);
  EXPECT_EQ(parseNumber("+7", german), 7.0);
  const NumberSymbols american = numberSymbols(LocaleSettings{}, nullptr);
  EXPECT_FALSE(parseNumber("9,5", american));
  for (const char* refused : {"", "-", ".", "1.2.3", "9,5,1", "1e", "1e+", "1 000", "inf",
                              "Infinity", "-INF", "nan", "NaN", "0x1p3", "0x10", "1e400", "5$"})
    EXPECT_FALSE(parseNumber(refused, german)) << refused;
}

TEST(NumberTextTest, NumbersShowUpTo15SignificantDigitsOrExactDecimals) {
  const NumberSymbols german = numberSymbols(fixed_locales::germany(), nullptr);
  EXPECT_EQ(formatNumber(0.1 + 0.2, -1, false, german), "0,3");
  EXPECT_EQ(formatNumber(1234.5, -1, false, german), "1234,5");
  EXPECT_EQ(formatNumber(1234.5, -1, true, german), "1.234,5");
  EXPECT_EQ(formatNumber(123456789012345678.0, -1, false, german), "1,23456789012346e+17");
  EXPECT_EQ(formatNumber(-0.0, -1, false, german), "0");
  EXPECT_EQ(formatNumber(2.5, 3, false, german), "2,500");
  EXPECT_EQ(formatNumber(2.0004, 3, false, german), "2,000");
  EXPECT_EQ(formatNumber(7, 0, false, german), "7");
  // A value of up to 15 significant digits reads back exactly as shown.
  for (double value : {1234.5, 1e-7, 98765.4321, -2.5e300, 0.000123456789012345})
    EXPECT_EQ(parseNumber(formatNumber(value, -1, false, german), german), value);
}

// The C library's text of value ("%.15g" or "%.Nf"), as formatNumber gives it
// with a point: without the sign of a value that shows as zero.
std::string printfText(double value, int decimals) {
  char text[512];
  if (decimals < 0)
    std::snprintf(text, sizeof text, "%.15g", value);
  else
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
  std::string out = text;
  const std::string mantissa = out.substr(0, out.find('e'));
  if (out[0] == '-' && mantissa.find_first_of("123456789") == std::string::npos) out.erase(0, 1);
  return out;
}

TEST(NumberTextTest, NumbersAreTheCLibrarysTextsForEveryKindOfValue) {
  // Short decimals take a quicker road than other values; both must give
  // what the C library gives, digit for digit.
  const NumberSymbols plain;
  std::mt19937_64 random(20261208);
  std::vector<double> values = {0.0,
                                -0.0,
                                1e-4,
                                0.0001,
                                9.99e-5,
                                1e15,
                                999999999999999.0,
                                999999999999999.9,
                                1e15 - 0.125,
                                0.1 + 0.2,
                                0.07,
                                1.005,
                                2.675,
                                4503599627370495.5,
                                45035996273704.96,
                                45035996273704.955,
                                123456789012345.6,
                                12345678901234.56,
                                0.30000000000000004,
                                -1234.5,
                                5e-324,
                                1.7976931348623157e308};
  for (int i = 0; i < 4000; ++i) {
    const std::uint64_t bits = random();
    double fromBits;
    std::memcpy(&fromBits, &bits, sizeof fromBits);
    if (std::isfinite(fromBits)) values.push_back(fromBits);
    // Amounts of a few decimals, and values of many digits near them.
    const auto whole = static_cast<std::int64_t>(random() % 100000000000000000ull);
    const int scale = static_cast<int>(random() % 18);
    const double amount = static_cast<double>(whole) / std::pow(10.0, scale);
    values.push_back(amount);
    values.push_back(-amount);
    values.push_back(std::nextafter(amount, 0.0));
    values.push_back(static_cast<double>(whole % 100000000) * 1.25);
    values.push_back(static_cast<double>(whole % 1000000) / 3.0);
  }
  for (double value : values) {
    for (int decimals : {-1, 0, 1, 2, 4, 6, 15}) {
      ASSERT_EQ(formatNumber(value, decimals, false, plain), printfText(value, decimals))
          << std::hexfloat << value << " with " << decimals << " decimals";
    }
  }
}

TEST(NumberTextTest, SymbolsAreInTheTablesCodePageWithNeighboursForWhatItLacks) {
  const auto western = TextCodec::forCodePage(1252);
  const auto cyrillicDos = TextCodec::forCodePage(866);
  const NumberSymbols euroIn1252 = numberSymbols(fixed_locales::germany(), western.get());
  EXPECT_EQ(euroIn1252.currency, "\x80");
  const NumberSymbols euroIn866 = numberSymbols(fixed_locales::germany(), cyrillicDos.get());
  EXPECT_EQ(euroIn866.currency, "EUR");
  EXPECT_EQ(formatMoney(-1234.5, fixed_locales::germany(), euroIn866), "-1.234,50 EUR");
  // The narrow no-break space is in neither page: the no-break space of the
  // page stands in (0xA0 in 1252, 0xFF in 866).
  EXPECT_EQ(numberSymbols(fixed_locales::sweden(), western.get()).thousands, "\xA0");
  EXPECT_EQ(numberSymbols(fixed_locales::sweden(), cyrillicDos.get()).thousands, "\xFF");
  EXPECT_EQ(numberSymbols(fixed_locales::frenchSwitzerland(), western.get()).thousands, "\x92");
  EXPECT_EQ(numberSymbols(fixed_locales::sweden(), TextCodec::forCodePage(737).get()).thousands,
            "\xFF");
}

}  // namespace
}  // namespace toolkit
