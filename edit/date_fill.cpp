#include "edit/date_fill.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <chrono>
#include <cstdio>
#include <ctime>

namespace edit {
namespace {

enum class Part { kDay, kMonth, kYear, kHour, kMinute, kSecond, kMarker, kNone };

struct Now {
  int year, month, day, hour, minute, second;
};

Now ReadNow(const toolkit::LocaleSettings& locale) {
  std::time_t t = std::chrono::system_clock::to_time_t(locale.now());
  std::tm local{};
  localtime_r(&t, &local);
  return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday,
          local.tm_hour,        local.tm_min,     local.tm_sec};
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

// The date parts in the order of the short date format.
std::array<Part, 3> DateOrder(const std::string& format) {
  for (char c : Lower(format)) {
    if (c == 'd') return {Part::kDay, Part::kMonth, Part::kYear};
    if (c == 'm') return {Part::kMonth, Part::kDay, Part::kYear};
    if (c == 'y') return {Part::kYear, Part::kMonth, Part::kDay};
  }
  return {Part::kMonth, Part::kDay, Part::kYear};
}

std::string TwoDigits(int value) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%02d", value % 100);
  return buffer;
}

bool EndsWith(const std::string& text, char c) {
  return !text.empty() && text.back() == c;
}

// The part the space bar fills next in a time (the text after the date).
Part NextTimePart(const std::string& time, const toolkit::LocaleSettings& locale) {
  const char separator = locale.timeSeparator;
  int separators = static_cast<int>(std::count(time.begin(), time.end(), separator));
  if (separators == 0) return Part::kHour;
  if (separators == 1) return Part::kMinute;
  size_t second = time.rfind(separator);
  if (!EndsWith(time, separator)) return Part::kMarker;
  return time.size() - second > 3 ? Part::kMarker : Part::kSecond;
}

// Whether the time is finished: it holds the marker's first letter, or, on
// a 24-hour clock, hours, minutes and seconds.
bool TimeFinished(const std::string& time, const toolkit::LocaleSettings& locale) {
  if (locale.timeAMString.empty()) {
    return std::count(time.begin(), time.end(), locale.timeSeparator) >= 2 &&
           !EndsWith(time, locale.timeSeparator);
  }
  auto holds = [&](const std::string& marker) {
    return !marker.empty() && time.find(marker[0]) != std::string::npos;
  };
  return holds(locale.timeAMString) || holds(locale.timePMString);
}

// Fills one time part into text (which holds the date and a blank before the
// time, if any); answers false when nothing changes.
bool FillTimePart(std::string& text, size_t timeStart, const Now& now,
                  const toolkit::LocaleSettings& locale) {
  std::string time = text.substr(timeStart);
  if (TimeFinished(time, locale)) return false;
  const char separator = locale.timeSeparator;
  switch (NextTimePart(time, locale)) {
    case Part::kHour: {
      int hour = now.hour;
      if (!locale.timeAMString.empty()) {
        hour %= 12;
        if (hour == 0) hour = 12;
      }
      text += std::to_string(hour) + separator;
      return true;
    }
    case Part::kMinute:
      if (!EndsWith(text, separator)) {
        text += separator;
        return true;
      }
      text += TwoDigits(now.minute) + separator;
      return true;
    case Part::kSecond:
      text += TwoDigits(now.second);
      return true;
    case Part::kMarker:
      if (locale.timeAMString.empty()) return false;
      if (!EndsWith(text, ' ')) text += ' ';
      text += now.hour < 12 ? locale.timeAMString : locale.timePMString;
      return true;
    default:
      return false;
  }
}

void FillDatePart(std::string& text, Part part, const Now& now,
                  const toolkit::LocaleSettings& locale) {
  const std::string format = Lower(locale.shortDateFormat);
  switch (part) {
    case Part::kDay:
      text += format.find("dd") != std::string::npos ? TwoDigits(now.day) : std::to_string(now.day);
      break;
    case Part::kMonth:
      text +=
          format.find("mm") != std::string::npos ? TwoDigits(now.month) : std::to_string(now.month);
      break;
    default:
      text +=
          format.find("yyyy") != std::string::npos ? std::to_string(now.year) : TwoDigits(now.year);
      break;
  }
  const char separator = locale.dateSeparator;
  if (!EndsWith(text, separator) && std::count(text.begin(), text.end(), separator) < 2)
    text += separator;
}

}  // namespace

DateFillResult FillDateOnSpace(const std::string& current, bool allSelected, DateFillKind kind,
                               const toolkit::LocaleSettings& locale) {
  DateFillResult result;
  std::string text = allSelected ? std::string() : current;
  const Now now = ReadNow(locale);

  auto finish = [&](bool changed) {
    result.changed = changed && text != current;
    result.text = changed ? text : current;
    return result;
  };

  if (kind == DateFillKind::kTime) return finish(FillTimePart(text, 0, now, locale));

  const char separator = locale.dateSeparator;
  if (text.empty()) {
    FillDatePart(text, DateOrder(locale.shortDateFormat)[0], now, locale);
    return finish(true);
  }
  // The date ends at the first blank after it; what follows is the time.
  size_t blank = text.find(' ');
  std::string date = blank == std::string::npos ? text : text.substr(0, blank);
  int separators = static_cast<int>(std::count(date.begin(), date.end(), separator));
  if (blank == std::string::npos) {
    if (separators < 2 && !EndsWith(date, separator)) {
      text += separator;
      return finish(true);
    }
    if (separators < 2 || EndsWith(date, separator)) {
      FillDatePart(text, DateOrder(locale.shortDateFormat)[std::min(separators, 2)], now, locale);
      return finish(true);
    }
    // A complete date: the time follows, after a blank.
    if (kind == DateFillKind::kDate) return finish(false);
    text += ' ';
    return finish(true);
  }
  if (kind == DateFillKind::kDate) return finish(false);
  size_t timeStart = text.find_first_not_of(' ', blank);
  if (timeStart == std::string::npos) timeStart = text.size();
  return finish(FillTimePart(text, timeStart, now, locale));
}

}  // namespace edit
