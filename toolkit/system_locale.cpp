#include "system_locale.h"

#include <iconv.h>
#include <langinfo.h>
#include <locale.h>

#include <climits>
#include <cstdlib>

namespace toolkit {

std::optional<ShortDate> shortDateFromStrftime(const std::string& format) {
  std::string expanded;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 'D') {
      expanded += "%m/%d/%y";
      ++i;
    } else if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 'F') {
      expanded += "%Y-%m-%d";
      ++i;
    } else {
      expanded += format[i];
    }
  }
  ShortDate date{"", '\0'};
  int fields = 0;
  for (std::size_t i = 0; i < expanded.size(); ++i) {
    const char c = expanded[i];
    if (c != '%') {
      if (date.separator != '\0' && date.separator != c) return std::nullopt;
      date.separator = c;
      date.pattern += c;
      continue;
    }
    if (++i >= expanded.size()) return std::nullopt;
    char field = expanded[i];
    const bool unpadded = field == '-';
    if (field == '0' || field == '-') {  // padding flags of some C libraries
      if (++i >= expanded.size()) return std::nullopt;
      field = expanded[i];
    }
    switch (field) {
      case 'd':
        date.pattern += unpadded ? "d" : "dd";
        break;
      case 'e':
        date.pattern += "d";
        break;
      case 'm':
        date.pattern += unpadded ? "M" : "MM";
        break;
      case 'y':
        date.pattern += "yy";
        break;
      case 'Y':
        date.pattern += "yyyy";
        break;
      default:
        return std::nullopt;
    }
    ++fields;
  }
  if (fields != 3 || date.separator == '\0') return std::nullopt;
  return date;
}

namespace {

std::string item(locale_t locale, nl_item which) {
  return nl_langinfo_l(which, locale);
}

void readTime(locale_t locale, LocaleSettings& settings) {
  const std::string format = item(locale, T_FMT);
  const std::size_t hour = format.find_first_of("HIkl", format.find('%'));
  if (hour == std::string::npos) return;
  settings.twentyFourHourClock = format[hour] == 'H' || format[hour] == 'k';
  if (hour + 1 < format.size() && format[hour + 1] != '%')
    settings.timeSeparator = format[hour + 1];
  settings.timeAMString = item(locale, AM_STR);
  settings.timePMString = item(locale, PM_STR);
}

// The text in UTF-8, from the locale's own character set.
std::string toUtf8(const std::string& text, const std::string& codeset) {
  if (text.empty() || codeset == "UTF-8") return text;
  iconv_t cd = iconv_open("UTF-8", codeset.c_str());
  if (cd == reinterpret_cast<iconv_t>(-1)) return text;
  std::string out(text.size() * 4, '\0');
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  const size_t rc = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
  iconv_close(cd);
  if (rc == static_cast<size_t>(-1)) return {};
  out.resize(out.size() - outLeft);
  return out;
}

void readNumbers(locale_t locale, LocaleSettings& settings) {
  const std::string codeset = item(locale, CODESET);
  const auto text = [&](nl_item which) { return toUtf8(item(locale, which), codeset); };
  const auto number = [&](nl_item which) {
    return static_cast<int>(static_cast<signed char>(*nl_langinfo_l(which, locale)));
  };
  NumberFacts facts;
  facts.decimalPoint = text(RADIXCHAR);
  facts.thousandsSeparator = text(THOUSEP);
  facts.monetaryDecimalPoint = text(MON_DECIMAL_POINT);
  facts.monetaryThousandsSeparator = text(MON_THOUSANDS_SEP);
  facts.currencySymbol = text(CURRENCY_SYMBOL);
  facts.internationalSymbol = text(INT_CURR_SYMBOL);
  facts.fractionDigits = number(FRAC_DIGITS);
  facts.positiveSymbolFirst = number(P_CS_PRECEDES);
  facts.positiveSeparatedBySpace = number(P_SEP_BY_SPACE);
  facts.negativeSymbolFirst = number(N_CS_PRECEDES);
  facts.negativeSeparatedBySpace = number(N_SEP_BY_SPACE);
  facts.negativeSignPosition = number(N_SIGN_POSN);
  applyNumberFacts(facts, settings);
}

}  // namespace

void applyNumberFacts(const NumberFacts& facts, LocaleSettings& settings) {
  const auto set = [](const std::string& value, std::string& field) {
    if (!value.empty()) field = value;
  };
  const auto known = [](int value) { return value >= 0 && value != CHAR_MAX; };
  set(facts.decimalPoint, settings.decimalSeparator);
  set(facts.monetaryDecimalPoint, settings.decimalSeparator);
  set(facts.thousandsSeparator, settings.thousandSeparator);
  set(facts.monetaryThousandsSeparator, settings.thousandSeparator);
  set(facts.currencySymbol, settings.currencyString);
  std::string code = facts.internationalSymbol;
  while (!code.empty() && code.back() == ' ') code.pop_back();
  set(code, settings.currencyCode);
  if (known(facts.fractionDigits)) settings.currencyDecimals = facts.fractionDigits;
  if (known(facts.positiveSymbolFirst)) settings.currencyBefore = facts.positiveSymbolFirst != 0;
  if (known(facts.positiveSeparatedBySpace))
    settings.currencySpace = facts.positiveSeparatedBySpace == 1;
  if (known(facts.negativeSymbolFirst))
    settings.negativeCurrencyBefore = facts.negativeSymbolFirst != 0;
  if (known(facts.negativeSeparatedBySpace))
    settings.negativeCurrencySpace = facts.negativeSeparatedBySpace == 1;
  if (known(facts.negativeSignPosition) && facts.negativeSignPosition <= 4)
    settings.negativeSign = static_cast<LocaleSettings::NegativeSign>(facts.negativeSignPosition);
}

namespace {

// The locale name a category takes from the environment, as setlocale would.
std::string environmentLocale(const char* category) {
  for (const char* variable : {"LC_ALL", category, "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
}

bool isPlainC(const std::string& name) {
  return name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

}  // namespace

LocaleSettings systemLocaleSettings() {
  LocaleSettings settings;
  if (!isPlainC(environmentLocale("LC_NUMERIC")) || !isPlainC(environmentLocale("LC_MONETARY"))) {
    locale_t numbers = newlocale(LC_NUMERIC_MASK | LC_MONETARY_MASK | LC_CTYPE_MASK, "",
                                 static_cast<locale_t>(nullptr));
    if (numbers != static_cast<locale_t>(nullptr)) {
      readNumbers(numbers, settings);
      freelocale(numbers);
    }
  }
  if (isPlainC(environmentLocale("LC_TIME"))) return settings;
  locale_t locale = newlocale(LC_TIME_MASK, "", static_cast<locale_t>(nullptr));
  if (locale == static_cast<locale_t>(nullptr)) return settings;
  if (const auto date = shortDateFromStrftime(item(locale, D_FMT))) {
    settings.shortDateFormat = date->pattern;
    settings.dateSeparator = date->separator;
  }
  readTime(locale, settings);
  static constexpr nl_item kMonths[12] = {ABMON_1, ABMON_2, ABMON_3, ABMON_4,  ABMON_5,  ABMON_6,
                                          ABMON_7, ABMON_8, ABMON_9, ABMON_10, ABMON_11, ABMON_12};
  for (int m = 0; m < 12; ++m) settings.shortMonthNames[m] = item(locale, kMonths[m]);
  freelocale(locale);
  return settings;
}

}  // namespace toolkit
