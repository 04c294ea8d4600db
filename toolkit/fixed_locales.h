// Locale settings of a few countries, fixed, for tests that must not depend on
// the machine's locale: number and money formats as the GNU C library gives
// them for the UTF-8 locales (the dates keep the defaults).
#pragma once

#include "toolkit/locale_settings.h"

namespace toolkit::fixed_locales {

inline LocaleSettings unitedStates() {
  return LocaleSettings{};  // the defaults are the United States'
}

inline LocaleSettings germany() {
  LocaleSettings s;
  s.decimalSeparator = ",";
  s.thousandSeparator = ".";
  s.currencyString = "€";
  s.currencyCode = "EUR";
  s.currencyBefore = s.negativeCurrencyBefore = false;
  s.currencySpace = s.negativeCurrencySpace = true;
  s.negativeSign = LocaleSettings::NegativeSign::kBeforeAll;
  return s;
}

inline LocaleSettings sweden() {
  LocaleSettings s;
  s.decimalSeparator = ",";
  s.thousandSeparator = "\u202F";  // narrow no-break space
  s.currencyString = "kr";
  s.currencyCode = "SEK";
  s.currencyBefore = s.negativeCurrencyBefore = false;
  s.currencySpace = s.negativeCurrencySpace = true;
  s.negativeSign = LocaleSettings::NegativeSign::kBeforeAll;
  return s;
}

// French-speaking Switzerland: an apostrophe groups, the sign goes right
// after the symbol ("CHF- 1’234.50").
inline LocaleSettings frenchSwitzerland() {
  LocaleSettings s;
  s.decimalSeparator = ".";
  s.thousandSeparator = "\u2019";
  s.currencyString = "CHF";
  s.currencyCode = "CHF";
  s.currencyBefore = s.negativeCurrencyBefore = true;
  s.currencySpace = s.negativeCurrencySpace = true;
  s.negativeSign = LocaleSettings::NegativeSign::kAfterSymbol;
  return s;
}

}  // namespace toolkit::fixed_locales
