// The space bar's date and time fill under several short date formats.
#include "edit/date_fill.h"

#include <gtest/gtest.h>

#include <ctime>

namespace edit {
namespace {

// 2026-03-07 14:05:09 local time.
toolkit::LocaleSettings At(const std::string& format, char separator) {
  toolkit::LocaleSettings locale;
  locale.shortDateFormat = format;
  locale.dateSeparator = separator;
  std::tm local{};
  local.tm_year = 126;
  local.tm_mon = 2;
  local.tm_mday = 7;
  local.tm_hour = 14;
  local.tm_min = 5;
  local.tm_sec = 9;
  local.tm_isdst = -1;
  auto when = std::chrono::system_clock::from_time_t(std::mktime(&local));
  locale.now = [when] { return when; };
  return locale;
}

// The texts after each of presses presses, starting from an empty value.
std::vector<std::string> Presses(DateFillKind kind, const toolkit::LocaleSettings& locale,
                                 int presses) {
  std::vector<std::string> texts;
  std::string text;
  for (int i = 0; i < presses; ++i) {
    text = FillDateOnSpace(text, text.empty(), kind, locale).text;
    texts.push_back(text);
  }
  return texts;
}

TEST(DateFill, ThreePressesGiveTodayInTheOrderOfTheShortDateFormat) {
  EXPECT_EQ(Presses(DateFillKind::kDate, At("dd/mm/yyyy", '/'), 3),
            (std::vector<std::string>{"07/", "07/03/", "07/03/2026"}));
  EXPECT_EQ(Presses(DateFillKind::kDate, At("M/d/yyyy", '/'), 3),
            (std::vector<std::string>{"3/", "3/7/", "3/7/2026"}));
  EXPECT_EQ(Presses(DateFillKind::kDate, At("yy.MM.dd", '.'), 3),
            (std::vector<std::string>{"26.", "26.03.", "26.03.07"}));
}

TEST(DateFill, ADateIsCompleteAfterThreeParts) {
  auto locale = At("dd/mm/yyyy", '/');
  DateFillResult more = FillDateOnSpace("07/03/2026", false, DateFillKind::kDate, locale);
  EXPECT_FALSE(more.changed);
  EXPECT_EQ(more.text, "07/03/2026");
  // A typed day gets its separator first.
  EXPECT_EQ(FillDateOnSpace("12", false, DateFillKind::kDate, locale).text, "12/");
  EXPECT_EQ(FillDateOnSpace("12/", false, DateFillKind::kDate, locale).text, "12/03/");
}

TEST(DateFill, ADateAndTimeGoesOnWithTheClock) {
  auto locale = At("M/d/yyyy", '/');
  EXPECT_EQ(Presses(DateFillKind::kDateTime, locale, 8),
            (std::vector<std::string>{"3/", "3/7/", "3/7/2026", "3/7/2026 ",
                                      "3/7/2026 2:", "3/7/2026 2:05:", "3/7/2026 2:05:09",
                                      "3/7/2026 2:05:09 PM"}));
  EXPECT_FALSE(
      FillDateOnSpace("3/7/2026 2:05:09 PM", false, DateFillKind::kDateTime, locale).changed);
  auto clock24 = locale;
  clock24.timeAMString.clear();
  clock24.timePMString.clear();
  EXPECT_EQ(Presses(DateFillKind::kTime, clock24, 4),
            (std::vector<std::string>{"14:", "14:05:", "14:05:09", "14:05:09"}));
}

}  // namespace
}  // namespace edit
