// Completing a date or time from today's date and the current time, one part
// per press of the space bar: day, month and year in the order of the
// locale's short date format, then (for date-and-time values) the hour,
// minutes, seconds and the day-half marker. Widget-free: the edit box passes
// its text and applies the answer.
#pragma once

#include <string>

#include "toolkit/locale_settings.h"

namespace edit {

enum class DateFillKind { kDate, kTime, kDateTime };

struct DateFillResult {
  bool changed = false;  // false: nothing more to fill in; the key is still used
  std::string text;
};

// The text after one press of the space bar. allSelected starts a new value
// from the first part; otherwise the caret is at the end of text.
DateFillResult FillDateOnSpace(const std::string& text, bool allSelected, DateFillKind kind,
                               const toolkit::LocaleSettings& locale);

}  // namespace edit
