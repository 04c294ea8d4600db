// Numbers and money as text under the locale settings: the display and edit
// texts of numeric fields, and reading them back. Independent of the C
// library's locale (the program's LC_NUMERIC never changes a text). Qt-free.
//
// The texts of a table's fields are 8-bit in the table's code page, so the
// locale's separators and currency symbol are first put into that page
// (numberSymbols); a symbol the page cannot hold falls back to a neighbour:
// the currency's international code, a plain blank for a thin space.
#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "toolkit/locale_settings.h"
#include "toolkit/text_codec.h"

namespace toolkit {

struct NumberSymbols {
  std::string decimal = ".";
  std::string thousands = ",";
  std::string currency = "$";
};

// The locale's symbols in the code page of codec; in UTF-8 without one.
NumberSymbols numberSymbols(const LocaleSettings& locale, const TextCodec* codec);

// decimals < 0: up to 15 significant digits, as few as the value needs (an
// exponent for very large or small values); else exactly that many decimals.
std::string formatNumber(double value, int decimals, bool grouped, const NumberSymbols& symbols);
// The same text added to out.
void appendNumber(std::string& out, double value, int decimals, bool grouped,
                  const NumberSymbols& symbols);
// The locale's money format: its decimals, grouping, symbol and negative form.
std::string formatMoney(double value, const LocaleSettings& locale, const NumberSymbols& symbols);

// A plain number: blanks around it, an optional sign, digits with one
// decimal separator (the locale's, or "." as keypads type it), an optional
// decimal exponent. Refuses infinities, NaN, hexadecimal and grouped numbers;
// nullopt for those and for values out of the double range.
std::optional<double> parseNumber(std::string_view text, const NumberSymbols& symbols);
// A plain number or an amount in the locale's money format (symbol, grouping,
// sign or parentheses), as formatMoney writes it.
std::optional<double> parseMoney(std::string_view text, const LocaleSettings& locale,
                                 const NumberSymbols& symbols);

}  // namespace toolkit
