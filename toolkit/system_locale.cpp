#include "system_locale.h"

#include <langinfo.h>
#include <locale.h>

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

}  // namespace

// The locale name LC_TIME takes from the environment, as setlocale would.
static std::string environmentTimeLocale() {
  for (const char* variable : {"LC_ALL", "LC_TIME", "LANG"}) {
    const char* value = std::getenv(variable);
    if (value != nullptr && *value != '\0') return value;
  }
  return "C";
}

static bool isPlainC(const std::string& name) {
  return name == "C" || name == "POSIX" || name.rfind("C.", 0) == 0;
}

LocaleSettings systemLocaleSettings() {
  LocaleSettings settings;
  if (isPlainC(environmentTimeLocale())) return settings;
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
