#include "number_text.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdint>

namespace toolkit {
namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string_view trimBlanks(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// The text in the codec's page, or nullopt when the page cannot hold it.
std::optional<std::string> inCodePage(const std::string& utf8, const TextCodec* codec) {
  if (codec == nullptr) return utf8;
  TextCodec::Encoded encoded = codec->fromUtf8(utf8);
  if (!encoded.ok) return std::nullopt;
  return std::move(encoded.text);
}

std::string grouped(std::string_view integerDigits, const std::string& separator) {
  std::string out;
  out.reserve(integerDigits.size() + integerDigits.size() / 3 * separator.size());
  for (size_t i = 0; i < integerDigits.size(); ++i) {
    if (i > 0 && (integerDigits.size() - i) % 3 == 0) out += separator;
    out += integerDigits[i];
  }
  return out;
}

// Removes the thousands separators of an amount's integer part; false when
// one stands anywhere but between groups of three digits.
bool removeGrouping(std::string& text, const NumberSymbols& symbols) {
  const std::string& separator = symbols.thousands;
  if (separator.empty() || separator == symbols.decimal) return true;
  size_t integerEnd = text.find(symbols.decimal);
  if (integerEnd == std::string::npos) integerEnd = text.size();
  std::string out;
  size_t digitsSinceSeparator = 0;
  bool sawSeparator = false;
  for (size_t i = 0; i < integerEnd;) {
    if (text.compare(i, separator.size(), separator) == 0) {
      if (out.empty() || !isDigit(out.back()) || (sawSeparator && digitsSinceSeparator != 3))
        return false;
      sawSeparator = true;
      digitsSinceSeparator = 0;
      i += separator.size();
      continue;
    }
    if (isDigit(text[i])) ++digitsSinceSeparator;
    out += text[i++];
  }
  if (sawSeparator && digitsSinceSeparator != 3) return false;
  text = out + text.substr(integerEnd);
  return true;
}

bool startsWith(std::string_view text, std::string_view prefix) {
  return !prefix.empty() && text.substr(0, prefix.size()) == prefix;
}
bool endsWith(std::string_view text, std::string_view suffix) {
  return !suffix.empty() && text.size() >= suffix.size() &&
         text.substr(text.size() - suffix.size()) == suffix;
}

constexpr double kPowersOfTen[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                   1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
constexpr double kTwoTo52 = 4503599627370496.0;
constexpr double kTwoTo53 = 9007199254740992.0;

// The magnitude of value as digits / 10^scale with the fewest decimals, at
// most maxScale, such that the decimal number reads back as exactly value;
// false when there is none.
bool shortDecimal(double magnitude, int maxScale, std::uint64_t& digits, int& scale) {
  for (scale = 0; scale <= maxScale; ++scale) {
    const double scaled = magnitude * kPowersOfTen[scale];
    if (!(scaled < kTwoTo53)) return false;
    const auto whole = static_cast<std::uint64_t>(scaled);
    if (static_cast<double>(whole) == scaled &&
        static_cast<double>(whole) / kPowersOfTen[scale] == magnitude) {
      digits = whole;
      return true;
    }
  }
  return false;
}

// What printf's "%.15g" (decimals < 0) or "%.*f" writes for value in the C
// locale, at buffer; answers its length, 0 when it does not fit.
//
// Most values a table holds are short decimals: 12.5, 1000, 0.07. When a
// decimal of at most the digits the text keeps (fifteen significant ones, or
// the fixed decimals) reads back as exactly the value, it is the text's
// correctly rounded digits: the value lies within half a unit in its last
// binary place of that decimal, which is less than half a step of the text's
// last digit. Writing those digits costs a fraction of rounding the value at a
// precision, which is kept for every other value.
size_t plainNumber(char* buffer, size_t size, double value, int decimals) {
  const double magnitude = std::fabs(value);
  std::uint64_t digits = 0;
  int scale = 0;
  const bool general = decimals < 0;
  // A fixed text needs a unit in the value's last place below a step of its
  // last decimal; a general one writes values from 1e-4 to below 1e15 plainly.
  const bool plainRange = general ? magnitude == 0 || (magnitude >= 1e-4 && magnitude < 1e15)
                                  : decimals <= 15 && magnitude < kTwoTo52 / kPowersOfTen[decimals];
  if (plainRange && size >= 64 && shortDecimal(magnitude, general ? 15 : decimals, digits, scale)) {
    char text[24];
    const auto written = std::to_chars(text, text + sizeof text, digits);
    const std::string_view all(text, static_cast<size_t>(written.ptr - text));
    // "%.15g" keeps fifteen significant digits; the digits have no leading
    // zeros, so all of them count.
    if (!general || all.size() <= 15) {
      char* out = buffer;
      if (std::signbit(value)) *out++ = '-';
      const size_t fractionDigits = static_cast<size_t>(scale);
      std::string_view fraction = all;
      size_t leadingZeros = 0;
      if (all.size() > fractionDigits) {
        out = std::copy_n(all.begin(), all.size() - fractionDigits, out);
        fraction = all.substr(all.size() - fractionDigits);
      } else {
        *out++ = '0';
        leadingZeros = fractionDigits - all.size();
      }
      // "%g" drops the fraction's trailing zeros; "%f" pads to its decimals.
      const size_t trailingZeros = general ? 0 : static_cast<size_t>(decimals) - fractionDigits;
      if (general)
        while (!fraction.empty() && fraction.back() == '0') fraction.remove_suffix(1);
      if (!fraction.empty() || trailingZeros > 0) {
        *out++ = '.';
        out = std::fill_n(out, leadingZeros, '0');
        out = std::copy(fraction.begin(), fraction.end(), out);
        out = std::fill_n(out, trailingZeros, '0');
      }
      return static_cast<size_t>(out - buffer);
    }
  }
  const auto result =
      general ? std::to_chars(buffer, buffer + size, value, std::chars_format::general, 15)
              : std::to_chars(buffer, buffer + size, value, std::chars_format::fixed, decimals);
  if (result.ec != std::errc()) return 0;
  return static_cast<size_t>(result.ptr - buffer);
}

}  // namespace

NumberSymbols numberSymbols(const LocaleSettings& locale, const TextCodec* codec) {
  NumberSymbols symbols;
  symbols.decimal = inCodePage(locale.decimalSeparator, codec).value_or(".");
  if (symbols.decimal.empty()) symbols.decimal = ".";
  // Thin and narrow spaces group digits in some locales; a no-break space,
  // then a blank, stand in where the page lacks them.
  if (auto thousands = inCodePage(locale.thousandSeparator, codec))
    symbols.thousands = std::move(*thousands);
  else
    symbols.thousands = inCodePage("\u00A0", codec).value_or(" ");
  symbols.currency = inCodePage(locale.currencyString, codec).value_or(locale.currencyCode);
  return symbols;
}

std::string formatNumber(double value, int decimals, bool grouped_, const NumberSymbols& symbols) {
  std::string out;
  appendNumber(out, value, decimals, grouped_, symbols);
  return out;
}

void appendNumber(std::string& out, double value, int decimals, bool grouped_,
                  const NumberSymbols& symbols) {
  if (value == 0) value = 0;  // no "-0"
  char buffer[512];
  const size_t length = plainNumber(buffer, sizeof buffer, value, decimals);
  if (length == 0) return;
  std::string_view text(buffer, length);
  if (!std::isfinite(value)) {
    out += text;
    return;
  }

  bool negative = false;
  if (!text.empty() && text.front() == '-') {
    negative = true;
    text.remove_prefix(1);
  }
  std::string_view exponent;
  if (const size_t e = text.find('e'); e != std::string_view::npos) {
    exponent = text.substr(e);
    text = text.substr(0, e);
  }
  std::string_view integer = text, fraction;
  if (const size_t point = text.find('.'); point != std::string_view::npos) {
    integer = text.substr(0, point);
    fraction = text.substr(point + 1);
  }
  // A negative value that rounds to zero shows no sign.
  if (integer.find_first_not_of('0') == std::string_view::npos &&
      fraction.find_first_not_of('0') == std::string_view::npos)
    negative = false;
  if (negative) out += '-';
  if (grouped_)
    out += grouped(integer, symbols.thousands);
  else
    out += integer;
  if (!fraction.empty()) {
    out += symbols.decimal;
    out += fraction;
  }
  out += exponent;
}

std::string formatMoney(double value, const LocaleSettings& locale, const NumberSymbols& symbols) {
  const int decimals = std::clamp(locale.currencyDecimals, 0, 15);
  std::string number = formatNumber(std::fabs(value), decimals, true, symbols);
  const bool negative = value < 0 && formatNumber(value, decimals, false, symbols)[0] == '-';
  const std::string& symbol = symbols.currency;
  if (!negative) {
    if (symbol.empty()) return number;
    const std::string blank = locale.currencySpace ? " " : "";
    return locale.currencyBefore ? symbol + blank + number : number + blank + symbol;
  }
  using Sign = LocaleSettings::NegativeSign;
  std::string marked = symbol;
  if (locale.negativeSign == Sign::kBeforeSymbol) marked = "-" + symbol;
  if (locale.negativeSign == Sign::kAfterSymbol) marked = symbol + "-";
  const std::string blank = locale.negativeCurrencySpace ? " " : "";
  std::string core = symbol.empty()                  ? number
                     : locale.negativeCurrencyBefore ? marked + blank + number
                                                     : number + blank + marked;
  switch (locale.negativeSign) {
    case Sign::kParentheses:
      return "(" + core + ")";
    case Sign::kAfterAll:
      return core + "-";
    case Sign::kBeforeSymbol:
    case Sign::kAfterSymbol:
      if (!symbol.empty()) return core;
      [[fallthrough]];
    case Sign::kBeforeAll:
    default:
      return "-" + core;
  }
}

std::optional<double> parseNumber(std::string_view text, const NumberSymbols& symbols) {
  text = trimBlanks(text);
  std::string plain;  // the number as from_chars reads it
  size_t i = 0;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
    if (text[i] == '-') plain += '-';
    ++i;
  }
  size_t digits = 0;
  while (i < text.size() && isDigit(text[i])) plain += text[i++], ++digits;
  if (startsWith(text.substr(i), symbols.decimal)) {
    i += symbols.decimal.size();
    plain += '.';
  } else if (i < text.size() && text[i] == '.') {
    ++i;
    plain += '.';
  }
  while (i < text.size() && isDigit(text[i])) plain += text[i++], ++digits;
  if (digits == 0) return std::nullopt;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    plain += 'e';
    ++i;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) plain += text[i++];
    size_t exponentDigits = 0;
    while (i < text.size() && isDigit(text[i])) plain += text[i++], ++exponentDigits;
    if (exponentDigits == 0) return std::nullopt;
  }
  if (i != text.size()) return std::nullopt;
  double value = 0;
  const auto result =
      std::from_chars(plain.data(), plain.data() + plain.size(), value, std::chars_format::general);
  if (result.ec != std::errc() || result.ptr != plain.data() + plain.size() ||
      !std::isfinite(value))
    return std::nullopt;
  return value == 0 ? 0.0 : value;
}

std::optional<double> parseMoney(std::string_view text, const LocaleSettings& locale,
                                 const NumberSymbols& symbols) {
  (void)locale;
  std::string_view rest = trimBlanks(text);
  bool negative = false, sawSymbol = false;
  if (rest.size() >= 2 && rest.front() == '(' && rest.back() == ')') {
    negative = true;
    rest = trimBlanks(rest.substr(1, rest.size() - 2));
  }
  // Sign and symbol may stand in either order on either side.
  for (int pass = 0; pass < 2; ++pass) {
    if (!rest.empty() && rest.front() == '-' && !negative) {
      negative = true;
      rest = trimBlanks(rest.substr(1));
    }
    if (!rest.empty() && rest.back() == '-' && !negative) {
      negative = true;
      rest = trimBlanks(rest.substr(0, rest.size() - 1));
    }
    if (startsWith(rest, symbols.currency)) {
      sawSymbol = true;
      rest = trimBlanks(rest.substr(symbols.currency.size()));
    } else if (endsWith(rest, symbols.currency)) {
      sawSymbol = true;
      rest = trimBlanks(rest.substr(0, rest.size() - symbols.currency.size()));
    }
  }
  std::string number(rest);
  // Where the locale groups with "." a lone "." in a plain number is the
  // keypad's decimal point; an amount with its symbol or decimal separator
  // is grouped the locale's way.
  const bool keypadPoint = symbols.thousands == "." && symbols.decimal != "." && !sawSymbol &&
                           number.find(symbols.decimal) == std::string::npos;
  if (!keypadPoint && !removeGrouping(number, symbols)) return std::nullopt;
  if (!number.empty() && (number.front() == '-' || number.front() == '+') && negative)
    return std::nullopt;
  const std::optional<double> value = parseNumber(number, symbols);
  if (!value) return std::nullopt;
  return negative && *value != 0 ? -*value : *value;
}

}  // namespace toolkit
