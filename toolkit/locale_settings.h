// The user's locale, read once at start into one object that every component
// asks and that tests replace with fixed settings. Qt-free: the data layer
// uses it.
#pragma once

#include <array>
#include <chrono>
#include <functional>
#include <string>

namespace toolkit {

struct LocaleSettings {
  // A pattern of d/dd, M/MM, yy/yyyy and the date separator, e.g. "M/d/yyyy".
  std::string shortDateFormat = "M/d/yyyy";
  char dateSeparator = '/';
  char timeSeparator = ':';
  std::string timeAMString = "AM";
  std::string timePMString = "PM";
  // e.g. "h:mm AMPM" style patterns are not needed: long time is hh:mm:ss.
  bool twentyFourHourClock = false;
  std::array<std::string, 12> shortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

  // Numbers and money, in UTF-8 (number_text.h puts them into a table's code
  // page). Where the sign of a negative amount goes, as the C library's
  // n_sign_posn: around the whole in parentheses, before or after the whole,
  // or just before or after the currency symbol.
  enum class NegativeSign { kParentheses, kBeforeAll, kAfterAll, kBeforeSymbol, kAfterSymbol };
  std::string decimalSeparator = ".";
  std::string thousandSeparator = ",";
  std::string currencyString = "$";
  // The international code ("EUR"), shown where a table's code page cannot
  // hold the symbol.
  std::string currencyCode = "USD";
  int currencyDecimals = 2;
  bool currencyBefore = true;  // "$1.00" rather than "1.00 $"
  bool currencySpace = false;  // a blank between symbol and number
  bool negativeCurrencyBefore = true;
  bool negativeCurrencySpace = false;
  NegativeSign negativeSign = NegativeSign::kBeforeAll;
  // Case conversion of one 8-bit character of the tables' code page.
  std::function<unsigned char(unsigned char)> upperCase = asciiLatin1Upper;
  std::function<unsigned char(unsigned char)> lowerCase = asciiLatin1Lower;
  // Now, as local wall-clock time; tests fix it.
  std::function<std::chrono::system_clock::time_point()> now = [] {
    return std::chrono::system_clock::now();
  };

  static unsigned char asciiLatin1Upper(unsigned char c);
  static unsigned char asciiLatin1Lower(unsigned char c);
};

// The process's settings. Until setLocaleSettings is called they are the
// defaults above; the program installs the system's at start.
const LocaleSettings& localeSettings();
void setLocaleSettings(const LocaleSettings& settings);

}  // namespace toolkit
