#include "value_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <chrono>
#include <cstdlib>

namespace data {
namespace {

enum class DateOrder { kDayMonthYear, kMonthDayYear, kYearMonthDay };

DateOrder OrderOf(const std::string& shortDateFormat) {
  for (char c : shortDateFormat) {
    switch (std::toupper(static_cast<unsigned char>(c))) {
      case 'D':
        return DateOrder::kDayMonthYear;
      case 'M':
        return DateOrder::kMonthDayYear;
      case 'Y':
        return DateOrder::kYearMonthDay;
    }
  }
  return DateOrder::kMonthDayYear;
}

bool EqualIgnoringCase(const std::string& text, size_t at, const std::string& word,
                       const toolkit::LocaleSettings& locale) {
  if (word.empty() || at + word.size() > text.size()) return false;
  for (size_t i = 0; i < word.size(); ++i) {
    if (locale.upperCase(static_cast<unsigned char>(text[at + i])) !=
        locale.upperCase(static_cast<unsigned char>(word[i])))
      return false;
  }
  return true;
}

// Reads a text from left to right the way the checks describe it.
class Scanner {
 public:
  Scanner(const std::string& text, const toolkit::LocaleSettings& locale)
      : text_(text), locale_(locale) {}

  void SkipSpaces() {
    while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
  }
  bool AtEndAfterSpaces() {
    SkipSpaces();
    return pos_ == text_.size();
  }

  // Digits are taken while the value so far is at most 999, which bounds a
  // number to four significant digits.
  std::optional<int> Number() {
    SkipSpaces();
    size_t start = pos_;
    int value = 0;
    while (pos_ < text_.size() && std::isdigit(static_cast<unsigned char>(text_[pos_])) &&
           value <= 999) {
      value = value * 10 + (text_[pos_] - '0');
      ++pos_;
    }
    if (pos_ == start) return std::nullopt;
    return value;
  }

  // A number, or where no digit stands a short month name giving its number.
  std::optional<int> DateItem() {
    if (auto number = Number()) return number;
    for (int month = 0; month < 12; ++month) {
      const std::string& name = locale_.shortMonthNames[static_cast<size_t>(month)];
      if (name.size() == 3 && EqualIgnoringCase(text_, pos_, name, locale_)) {
        pos_ += 3;
        return month + 1;
      }
    }
    return std::nullopt;
  }

  bool Separator(char separator) {
    SkipSpaces();
    if (pos_ < text_.size() && text_[pos_] == separator) {
      ++pos_;
      return true;
    }
    return false;
  }

  bool Word(const std::string& word) {
    if (!EqualIgnoringCase(text_, pos_, word, locale_)) return false;
    pos_ += word.size();
    return true;
  }

  std::optional<CalendarDate> Date() {
    auto first = DateItem();
    if (!first || !Separator(locale_.dateSeparator)) return std::nullopt;
    auto second = DateItem();
    if (!second) return std::nullopt;
    DateOrder order = OrderOf(locale_.shortDateFormat);
    CalendarDate date;
    size_t beforeThird = pos_;
    if (Separator(locale_.dateSeparator)) {
      auto third = DateItem();
      if (!third) return std::nullopt;
      switch (order) {
        case DateOrder::kDayMonthYear:
          date = {*third, *second, *first};
          break;
        case DateOrder::kMonthDayYear:
          date = {*third, *first, *second};
          break;
        case DateOrder::kYearMonthDay:
          date = {*first, *second, *third};
          break;
      }
      if (date.year < 100) date.year += 1900;
    } else {
      pos_ = beforeThird;
      date.year = CurrentYear();
      if (order == DateOrder::kDayMonthYear) {
        date.day = *first;
        date.month = *second;
      } else {
        date.month = *first;
        date.day = *second;
      }
    }
    if (date.year < 1 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1 ||
        date.day > DaysInMonth(date.year, date.month))
      return std::nullopt;
    return date;
  }

  std::optional<ClockTime> Time() {
    auto hour = Number();
    if (!hour || !Separator(locale_.timeSeparator)) return std::nullopt;
    auto minute = Number();
    if (!minute) return std::nullopt;
    int second = 0;
    if (Separator(locale_.timeSeparator)) {
      auto value = Number();
      if (!value) return std::nullopt;
      second = *value;
    }
    // Blanks before the day-half marker are allowed: "10:30 PM".
    SkipSpaces();
    int h = *hour;
    std::optional<bool> afternoon;
    if (Word(locale_.timeAMString) || Word("AM"))
      afternoon = false;
    else if (Word(locale_.timePMString) || Word("PM"))
      afternoon = true;
    if (afternoon) {
      if (h < 1 || h > 12) return std::nullopt;
      if (h == 12) h = 0;
      if (*afternoon) h += 12;
    }
    if (h > 23 || *minute > 59 || second > 59) return std::nullopt;
    return ClockTime{h, *minute, second, 0};
  }

 private:
  int CurrentYear() const {
    auto days = std::chrono::floor<std::chrono::days>(locale_.now());
    return static_cast<int>(std::chrono::year_month_day(days).year());
  }

  const std::string& text_;
  const toolkit::LocaleSettings& locale_;
  size_t pos_ = 0;
};

}  // namespace

bool IsValidInteger(const std::string& text) {
  for (size_t i = 0; i < text.size(); ++i) {
    if (i == 0 && text[i] == '-' && text.size() > 1) continue;
    if (!std::isdigit(static_cast<unsigned char>(text[i]))) return false;
  }
  return true;
}

bool IsValidFloat(const std::string& text) {
  return IsValidFloat(text, toolkit::numberSymbols(toolkit::localeSettings(), nullptr));
}

bool IsValidFloat(const std::string& text, const toolkit::NumberSymbols& symbols) {
  if (text.empty()) return true;
  return toolkit::parseNumber(std::string_view(text).substr(0, 63), symbols).has_value();
}

std::optional<CalendarDate> ParseDate(const std::string& text,
                                      const toolkit::LocaleSettings& locale) {
  Scanner scanner(text, locale);
  auto date = scanner.Date();
  if (!date || !scanner.AtEndAfterSpaces()) return std::nullopt;
  return date;
}

std::optional<ClockTime> ParseTime(const std::string& text, const toolkit::LocaleSettings& locale) {
  Scanner scanner(text, locale);
  auto time = scanner.Time();
  if (!time || !scanner.AtEndAfterSpaces()) return std::nullopt;
  return time;
}

std::optional<std::pair<CalendarDate, ClockTime>> ParseDateTime(
    const std::string& text, const toolkit::LocaleSettings& locale, bool dateAloneAllowed) {
  Scanner scanner(text, locale);
  auto date = scanner.Date();
  if (!date) return std::nullopt;
  if (dateAloneAllowed && scanner.AtEndAfterSpaces()) return std::pair{*date, ClockTime{}};
  auto time = scanner.Time();
  if (!time || !scanner.AtEndAfterSpaces()) return std::nullopt;
  return std::pair{*date, *time};
}

bool IsValidDate(const std::string& text, const toolkit::LocaleSettings& locale) {
  return ParseDate(text, locale).has_value();
}

bool IsValidTime(const std::string& text, const toolkit::LocaleSettings& locale) {
  return ParseTime(text, locale).has_value();
}

bool IsValidDateTime(const std::string& text, const toolkit::LocaleSettings& locale) {
  return ParseDateTime(text, locale, false).has_value();
}

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month) {
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month == 2 && IsLeapYear(year)) return 29;
  return kDays[month - 1];
}

// Day 1 is 0001-01-01; std::chrono's epoch is 1970-01-01, day 719163 here.
constexpr int64_t kDayNumberOfUnixEpoch = 719163;

int64_t DayNumber(const CalendarDate& date) {
  std::chrono::year_month_day ymd{std::chrono::year(date.year),
                                  std::chrono::month(static_cast<unsigned>(date.month)),
                                  std::chrono::day(static_cast<unsigned>(date.day))};
  return std::chrono::sys_days(ymd).time_since_epoch().count() + kDayNumberOfUnixEpoch;
}

CalendarDate DateOfDayNumber(int64_t dayNumber) {
  std::chrono::sys_days days{std::chrono::days(dayNumber - kDayNumberOfUnixEpoch)};
  std::chrono::year_month_day ymd(days);
  return {static_cast<int>(ymd.year()), static_cast<int>(static_cast<unsigned>(ymd.month())),
          static_cast<int>(static_cast<unsigned>(ymd.day()))};
}

int64_t Milliseconds(const ClockTime& time) {
  return ((int64_t{time.hour} * 60 + time.minute) * 60 + time.second) * 1000 + time.millisecond;
}

ClockTime TimeOfMilliseconds(int64_t milliseconds) {
  ClockTime time;
  time.millisecond = static_cast<int>(milliseconds % 1000);
  int64_t seconds = milliseconds / 1000;
  time.second = static_cast<int>(seconds % 60);
  time.minute = static_cast<int>(seconds / 60 % 60);
  time.hour = static_cast<int>(seconds / 3600);
  return time;
}

namespace {

// The value's digits, with zeros in front up to width: texts are built in
// place, without a string per part, since every shown date and time passes here.
void AppendPadded(std::string& out, int value, size_t width) {
  // Days, months, hours, minutes and seconds: one or two digits.
  if (value >= 0 && value < 100 && width <= 2) {
    if (value >= 10 || width == 2) out += static_cast<char>('0' + value / 10);
    out += static_cast<char>('0' + value % 10);
    return;
  }
  char digits[16];
  const auto written = std::to_chars(digits, digits + sizeof digits, value);
  const size_t length = static_cast<size_t>(written.ptr - digits);
  if (length < width) out.append(width - length, '0');
  out.append(digits, length);
}

}  // namespace

std::string FormatDate(const CalendarDate& date, const toolkit::LocaleSettings& locale) {
  std::string out;
  AppendDate(out, date, locale);
  return out;
}

std::string FormatTime(const ClockTime& time, const toolkit::LocaleSettings& locale) {
  std::string out;
  AppendTime(out, time, locale);
  return out;
}

void AppendDate(std::string& out, const CalendarDate& date, const toolkit::LocaleSettings& locale) {
  const std::string& format = locale.shortDateFormat;
  for (size_t i = 0; i < format.size();) {
    char c = format[i];
    size_t run = 1;
    while (i + run < format.size() && format[i + run] == c) ++run;
    switch (c) {
      case 'd':
      case 'D':
        AppendPadded(out, date.day, run >= 2 ? 2 : 1);
        break;
      case 'M':
      case 'm':
        if (run >= 3)
          out += locale.shortMonthNames[static_cast<size_t>(date.month - 1)];
        else
          AppendPadded(out, date.month, run);
        break;
      case 'y':
      case 'Y':
        if (run <= 2)
          AppendPadded(out, date.year % 100, 2);
        else
          AppendPadded(out, date.year, 4);
        break;
      case '/':
        out += locale.dateSeparator;
        break;
      default:
        out.append(run, c);
    }
    i += run;
  }
}

void AppendTime(std::string& out, const ClockTime& time, const toolkit::LocaleSettings& locale) {
  if (locale.twentyFourHourClock)
    AppendPadded(out, time.hour, 2);
  else
    AppendPadded(out, time.hour % 12 == 0 ? 12 : time.hour % 12, 1);
  out += locale.timeSeparator;
  AppendPadded(out, time.minute, 2);
  out += locale.timeSeparator;
  AppendPadded(out, time.second, 2);
  if (!locale.twentyFourHourClock) {
    out += ' ';
    out += time.hour < 12 ? locale.timeAMString : locale.timePMString;
  }
}

}  // namespace data
