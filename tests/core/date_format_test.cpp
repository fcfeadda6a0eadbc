#include "core/date_format.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

std::tm at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  std::tm t{};
  t.tm_year = y - 1900;
  t.tm_mon = mo - 1;
  t.tm_mday = d;
  t.tm_hour = h;
  t.tm_min = mi;
  t.tm_sec = s;
  return t;
}

TEST(DateFormat, ShortDateGetsFourDigitYears) {
  EXPECT_EQ(withFourDigitYears("dd/MM/yy"), "dd/MM/yyyy");
  EXPECT_EQ(withFourDigitYears("yyyy-MM-dd"), "yyyy-MM-dd");
  EXPECT_EQ(withFourDigitYears("M/d/yy"), "M/d/yyyy");
  EXPECT_EQ(withFourDigitYears("dd.MM."), "dd.MM.");
}

TEST(DateFormat, StrftimePatternsBecomePictures) {
  char sep = 0;
  EXPECT_EQ(pictureFromStrftime("%d/%m/%y", &sep), "dd/mm/yy");
  EXPECT_EQ(sep, '/');
  EXPECT_EQ(pictureFromStrftime("%d.%m.%Y", &sep), "dd/mm/yyyy");
  EXPECT_EQ(sep, '.');
  EXPECT_EQ(pictureFromStrftime("%Y-%m-%d", &sep), "yyyy/mm/dd");
  EXPECT_EQ(sep, '-');
}

struct FormatCase {
  const char* name;
  const char* format;
  std::tm time;
  const char* expected;
  friend void PrintTo(const FormatCase& c, std::ostream* os) { *os << c.name; }
};

class FormatDateTimeTest : public ::testing::TestWithParam<FormatCase> {};

TEST_P(FormatDateTimeTest, Formats) {
  DateFormatSettings s;
  s.shortDateFormat = "dd/mm/yyyy";
  s.dateSeparator = '-';
  EXPECT_EQ(formatDateTime(GetParam().format, GetParam().time, s), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Pictures, FormatDateTimeTest,
    ::testing::Values(
        FormatCase{"ListTime", "hh:nn", at(2026, 12, 6, 9, 5), "09:05"},
        FormatCase{"WeekdayDay", "ddd dd", at(2026, 12, 6), "Sun 06"},
        FormatCase{"MonthDay", "mmm dd", at(2026, 1, 9), "Jan 09"},
        FormatCase{"FullDate", "dd mmm yyyy", at(1999, 12, 31), "31 Dec 1999"},
        FormatCase{"Long", "ddd dd mmm yyyy hh:nn:ss", at(2026, 12, 6, 23, 59, 1),
                   "Sun 06 Dec 2026 23:59:01"},
        FormatCase{"MinutesAfterHour", "h:mm", at(2026, 2, 3, 7, 4), "7:04"},
        FormatCase{"SeparatorsFromSettings", "dd/mm/yy", at(2026, 2, 3), "03-02-26"},
        FormatCase{"QuotedLiteral", "\"GMT\" hh 'h'", at(2026, 2, 3, 14), "GMT 14 h"},
        FormatCase{"ShortDateToken", "ddddd", at(2026, 2, 3), "03-02-2026"},
        FormatCase{"MonthNames", "mmmm d", at(2026, 7, 4), "July 4"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(DateFormat, ParsesShortDatesInFormatOrder) {
  DateFormatSettings dmy;
  dmy.shortDateFormat = "dd/mm/yyyy";
  auto d = parseShortDate("31/12/2026", dmy);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->tm_mday, 31);
  EXPECT_EQ(d->tm_mon, 11);
  EXPECT_EQ(d->tm_year, 126);

  DateFormatSettings mdy;
  mdy.shortDateFormat = "mm/dd/yy";
  d = parseShortDate("2/29/24", mdy);
  ASSERT_TRUE(d);
  EXPECT_EQ(d->tm_mon, 1);
  EXPECT_EQ(d->tm_mday, 29);
  EXPECT_EQ(d->tm_year, 124);

  EXPECT_FALSE(parseShortDate("29/02/2025", dmy));
  EXPECT_FALSE(parseShortDate("13/13/2025", dmy));
  EXPECT_FALSE(parseShortDate("1/2", dmy));
  EXPECT_FALSE(parseShortDate("1/2/2026x", dmy));
  EXPECT_FALSE(parseShortDate("", dmy));
}

}  // namespace
}  // namespace orvel
