// Reads the user's locale settings from the C library once at start
// (LC_TIME of the environment: short date format, separators, morning and
// afternoon markers, 12- or 24-hour clock, short month names). The "C" and
// "POSIX" locales, and formats this reader cannot express, keep the defaults
// of LocaleSettings. Qt-free.
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

}  // namespace toolkit
