// Reads the user's locale settings from the C library once at start
// (LC_TIME of the environment: short date format, separators, morning and
// afternoon markers, 12- or 24-hour clock, short month names; LC_NUMERIC and
// LC_MONETARY: separators and the money format). The "C" and "POSIX" locales,
// and formats this reader cannot express, keep the defaults of
// LocaleSettings. Qt-free.
#pragma once

#include <optional>
#include <string>

#include "toolkit/locale_settings.h"

namespace toolkit {

// The settings of the environment's LC_TIME locale.
LocaleSettings systemLocaleSettings();

// A strftime date format ("%m/%d/%Y", "%d.%m.%y", "%F", ...) as a short date
// pattern ("MM/dd/yyyy") with its separator; nullopt when it uses anything
// but day, month and year numbers and one separator.
struct ShortDate {
  std::string pattern;
  char separator;
};
std::optional<ShortDate> shortDateFromStrftime(const std::string& format);

// What the C library says of numbers and money (texts in UTF-8; a number of
// CHAR_MAX, like an empty text, means the locale leaves it unset).
struct NumberFacts {
  std::string decimalPoint, thousandsSeparator;
  std::string monetaryDecimalPoint, monetaryThousandsSeparator;
  std::string currencySymbol, internationalSymbol;  // "EUR " with its blank
  int fractionDigits = 127;
  int positiveSymbolFirst = 127, positiveSeparatedBySpace = 127;
  int negativeSymbolFirst = 127, negativeSeparatedBySpace = 127, negativeSignPosition = 127;
};
// Sets the number and money fields of settings from facts; unset facts keep
// what settings hold. The money's own separators win over the numbers' (the
// program uses one pair for both).
void applyNumberFacts(const NumberFacts& facts, LocaleSettings& settings);

}  // namespace toolkit
