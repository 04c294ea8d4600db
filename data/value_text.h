// Whether a text is a valid value of a field type under the locale settings,
// and the conversions between texts and the day numbers and milliseconds that
// the store keeps. The search box asks these before it uses a text as a key;
// fields use the same readings when a value is set from text, so that a text
// accepted as a key is also accepted as a value.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "toolkit/locale_settings.h"
#include "toolkit/number_text.h"

namespace data {

struct CalendarDate {
  int year = 1;
  int month = 1;
  int day = 1;
};

struct ClockTime {
  int hour = 0;
  int minute = 0;
  int second = 0;
  int millisecond = 0;
};

// Only digits, with a leading "-" when the text is longer than one character.
// The empty text counts as valid (it means a blank value).
bool IsValidInteger(const std::string& text);
// Empty, or its first 63 characters are a plain number: the locale's decimal
// separator or a point, an optional exponent; never an infinity, NaN or a
// hexadecimal number, which no number field should take.
bool IsValidFloat(const std::string& text);
bool IsValidFloat(const std::string& text, const toolkit::NumberSymbols& symbols);
bool IsValidDate(const std::string& text, const toolkit::LocaleSettings& locale);
bool IsValidTime(const std::string& text, const toolkit::LocaleSettings& locale);
// A date, optional spaces, then a time: the time part is required.
bool IsValidDateTime(const std::string& text, const toolkit::LocaleSettings& locale);

std::optional<CalendarDate> ParseDate(const std::string& text,
                                      const toolkit::LocaleSettings& locale);
std::optional<ClockTime> ParseTime(const std::string& text, const toolkit::LocaleSettings& locale);
// A date and a time; with dateAloneAllowed a date without time reads as midnight.
std::optional<std::pair<CalendarDate, ClockTime>> ParseDateTime(
    const std::string& text, const toolkit::LocaleSettings& locale, bool dateAloneAllowed);

// The store's day numbers: 1 is 0001-01-01 in the proleptic Gregorian calendar.
int64_t DayNumber(const CalendarDate& date);
CalendarDate DateOfDayNumber(int64_t dayNumber);
int64_t Milliseconds(const ClockTime& time);
ClockTime TimeOfMilliseconds(int64_t milliseconds);
bool IsLeapYear(int year);
int DaysInMonth(int year, int month);

// Texts in the locale's short date format and a long time (hours, minutes,
// seconds, with the day-half marker unless the locale keeps a 24-hour clock).
std::string FormatDate(const CalendarDate& date, const toolkit::LocaleSettings& locale);
std::string FormatTime(const ClockTime& time, const toolkit::LocaleSettings& locale);
// The same texts added to out.
void AppendDate(std::string& out, const CalendarDate& date, const toolkit::LocaleSettings& locale);
void AppendTime(std::string& out, const ClockTime& time, const toolkit::LocaleSettings& locale);

}  // namespace data
