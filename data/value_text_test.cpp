#include "value_text.h"

#include <gtest/gtest.h>

namespace data {
namespace {

toolkit::LocaleSettings Us() {
  toolkit::LocaleSettings locale;
  // A fixed "now" in 2026 so that two-item dates have a known year.
  locale.now = [] {
    return std::chrono::sys_days(std::chrono::year(2026) / 12 / 7) + std::chrono::hours(12);
  };
  return locale;
}

toolkit::LocaleSettings German() {
  toolkit::LocaleSettings locale = Us();
  locale.shortDateFormat = "dd.MM.yyyy";
  locale.dateSeparator = '.';
  locale.timeAMString = "vorm.";
  locale.timePMString = "nachm.";
  locale.twentyFourHourClock = true;
  locale.shortMonthNames = {"Jan", "Feb", "M\xE4r", "Apr", "Mai", "Jun",
                            "Jul", "Aug", "Sep",    "Okt", "Nov", "Dez"};
  return locale;
}

toolkit::LocaleSettings Iso() {
  toolkit::LocaleSettings locale = Us();
  locale.shortDateFormat = "yyyy-MM-dd";
  locale.dateSeparator = '-';
  locale.timeSeparator = '.';
  return locale;
}

TEST(IntegerTextTest, DigitsWithAnOptionalLeadingMinus) {
  EXPECT_TRUE(IsValidInteger(""));
  EXPECT_TRUE(IsValidInteger("0"));
  EXPECT_TRUE(IsValidInteger("-12"));
  EXPECT_FALSE(IsValidInteger("-"));
  EXPECT_FALSE(IsValidInteger("1-2"));
  EXPECT_FALSE(IsValidInteger("+1"));
  EXPECT_FALSE(IsValidInteger(" 1"));
  EXPECT_FALSE(IsValidInteger("1.0"));
}

TEST(FloatTextTest, WholeTextMustConvert) {
  EXPECT_TRUE(IsValidFloat(""));
  EXPECT_TRUE(IsValidFloat("1.5"));
  EXPECT_TRUE(IsValidFloat("-2e3"));
  EXPECT_FALSE(IsValidFloat("abc"));
  EXPECT_FALSE(IsValidFloat("1.5x"));
  // Only the first 63 characters count: garbage after them is not looked at.
  EXPECT_TRUE(IsValidFloat(std::string(63, '1') + "x"));
}

TEST(DateTextTest, MonthDayYearLocale) {
  auto us = Us();
  EXPECT_TRUE(IsValidDate("12/31/1999", us));
  EXPECT_TRUE(IsValidDate(" 2 / 29 / 2000  ", us));
  EXPECT_FALSE(IsValidDate("2/29/1900", us)) << "1900 is not a leap year";
  EXPECT_TRUE(IsValidDate("2/29/2024", us));
  EXPECT_FALSE(IsValidDate("13/1/2000", us));
  EXPECT_FALSE(IsValidDate("4/31/2000", us));
  EXPECT_FALSE(IsValidDate("1/1/2000x", us));
  EXPECT_FALSE(IsValidDate("1-1-2000", us));
  EXPECT_FALSE(IsValidDate("1/", us));
  EXPECT_FALSE(IsValidDate("", us));
  EXPECT_FALSE(IsValidDate("1/1/10000", us)) << "five digits leave one over";
  EXPECT_TRUE(IsValidDate("jan/5/2001", us));
  EXPECT_FALSE(IsValidDate("Janx/5/2001", us));

  auto date = ParseDate("3/4/99", us);
  ASSERT_TRUE(date);
  EXPECT_EQ(1999, date->year);
  EXPECT_EQ(3, date->month);
  EXPECT_EQ(4, date->day);
  // Two items: month and day of the current year.
  date = ParseDate("2/29", us);
  EXPECT_FALSE(date) << "2026 has no February 29";
  date = ParseDate("3/4", us);
  ASSERT_TRUE(date);
  EXPECT_EQ(2026, date->year);
  EXPECT_EQ(3, date->month);
}

TEST(DateTextTest, DayMonthYearAndYearMonthDayLocales) {
  auto de = German();
  auto date = ParseDate("3.4.2001", de);
  ASSERT_TRUE(date);
  EXPECT_EQ(4, date->month);
  EXPECT_EQ(3, date->day);
  date = ParseDate("5.M\xE4r", de);
  ASSERT_TRUE(date);
  EXPECT_EQ(5, date->day);
  EXPECT_EQ(3, date->month);
  EXPECT_FALSE(IsValidDate("3/4/2001", de));

  auto iso = Iso();
  date = ParseDate("2001-04-03", iso);
  ASSERT_TRUE(date);
  EXPECT_EQ(2001, date->year);
  EXPECT_EQ(4, date->month);
  EXPECT_EQ(3, date->day);
  // Two items outside day-month-year order are month then day.
  date = ParseDate("4-3", iso);
  ASSERT_TRUE(date);
  EXPECT_EQ(4, date->month);
  EXPECT_EQ(3, date->day);
}

TEST(TimeTextTest, HoursMinutesSecondsAndMarkers) {
  auto us = Us();
  EXPECT_TRUE(IsValidTime("23:59", us));
  EXPECT_TRUE(IsValidTime("0:00:59", us));
  EXPECT_FALSE(IsValidTime("24:00", us));
  EXPECT_FALSE(IsValidTime("12:60", us));
  EXPECT_FALSE(IsValidTime("12", us));
  EXPECT_TRUE(IsValidTime("10:30 PM", us)) << "blanks before the marker are skipped";
  EXPECT_TRUE(IsValidTime("10:30pm  ", us));
  EXPECT_FALSE(IsValidTime("13:00 PM", us));
  EXPECT_FALSE(IsValidTime("0:10 AM", us));
  EXPECT_FALSE(IsValidTime("10:30 PMX", us));
  EXPECT_EQ(0, ParseTime("12:15 AM", us)->hour);
  EXPECT_EQ(12, ParseTime("12:15 PM", us)->hour);
  EXPECT_EQ(22, ParseTime("10:30 PM", us)->hour);

  auto de = German();
  EXPECT_EQ(14, ParseTime("2:00 nachm.", de)->hour);
  EXPECT_EQ(14, ParseTime("2:00 PM", de)->hour) << "the English markers always count";
  auto iso = Iso();
  EXPECT_TRUE(IsValidTime("10.30", iso));
  EXPECT_FALSE(IsValidTime("10:30", iso));
}

TEST(DateTimeTextTest, NeedsItsTimePart) {
  auto us = Us();
  EXPECT_TRUE(IsValidDateTime("1/2/2003 4:05", us));
  EXPECT_TRUE(IsValidDateTime("1/2/2003   4:05:06 PM ", us));
  EXPECT_FALSE(IsValidDateTime("1/2/2003", us));
  EXPECT_FALSE(IsValidDateTime("1/2/2003 25:00", us));
  EXPECT_TRUE(ParseDateTime("1/2/2003", us, true));
}

TEST(DayNumberTest, RoundTripsAndKnownDays) {
  EXPECT_EQ(1, DayNumber({1, 1, 1}));
  EXPECT_EQ(719163, DayNumber({1970, 1, 1}));
  for (int64_t day : {1, 59, 60, 366, 730120, 3652059}) {
    EXPECT_EQ(day, DayNumber(DateOfDayNumber(day)));
  }
}

TEST(FormatTest, DatesAndTimesFollowTheLocale) {
  EXPECT_EQ("3/4/2001", FormatDate({2001, 3, 4}, Us()));
  EXPECT_EQ("04.03.2001", FormatDate({2001, 3, 4}, German()));
  EXPECT_EQ("2001-03-04", FormatDate({2001, 3, 4}, Iso()));
  EXPECT_EQ("10:30:00 PM", FormatTime({22, 30, 0, 0}, Us()));
  EXPECT_EQ("12:05:09 AM", FormatTime({0, 5, 9, 0}, Us()));
  EXPECT_EQ("22:30:00", FormatTime({22, 30, 0, 0}, German()));
  // What is shown reads back as the same value.
  auto us = Us();
  EXPECT_EQ(22, ParseTime(FormatTime({22, 30, 0, 0}, us), us)->hour);
  auto de = German();
  EXPECT_EQ(3, ParseDate(FormatDate({2001, 3, 4}, de), de)->month);
}

}  // namespace
}  // namespace data
