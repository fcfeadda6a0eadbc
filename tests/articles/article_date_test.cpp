#include "articles/article_date.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace orvel {
namespace {

DateTime at(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return *EncodeDateTime(y, mo, d, h, mi, s);
}

struct DateCase {
  const char* name;
  const char* text;
  DateTime expected;
};
void PrintTo(const DateCase& c, std::ostream* os) { *os << c.name; }

class ParseArticleDateTest : public testing::TestWithParam<DateCase> {};

TEST_P(ParseArticleDateTest, ReadsGmt) {
  const auto& c = GetParam();
  EXPECT_NEAR(ParseArticleDate(c.text), c.expected, 0.5 / 86400) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseArticleDateTest,
    testing::Values(
        DateCase{"Gmt", "Tue, 03 Jun 2003 10:00:00 GMT", at(2003, 6, 3, 10)},
        DateCase{"TwoDigitYear98Minus0500", "Wed, 4 Mar 98 12:30:00 -0500", at(1998, 3, 4, 17, 30)},
        DateCase{"TwoDigitYear03", "3 Jun 03 10:00:00 +0000", at(2003, 6, 3, 10)},
        DateCase{"HalfHourZoneIsHoursAndMinutes", "Tue, 03 Jun 2003 10:00:00 +0530",
                 at(2003, 6, 3, 4, 30)},
        DateCase{"NegativeHalfHourZone", "Tue, 03 Jun 2003 10:00:00 -0930",
                 at(2003, 6, 3, 19, 30)},
        DateCase{"NamedZone", "Tue, 03 Jun 2003 10:00:00 PDT", at(2003, 6, 3, 17)},
        DateCase{"MilitaryLetterA", "Tue, 03 Jun 2003 10:00:00 A", at(2003, 6, 3, 11)},
        DateCase{"MilitaryLetterZ", "Tue, 03 Jun 2003 10:00:00 Z", at(2003, 6, 3, 10)},
        DateCase{"UnknownThreeLetters", "Tue, 03 Jun 2003 10:00:00 UTC", at(2003, 6, 3, 10)},
        DateCase{"OtherLengthNoChange", "Tue, 03 Jun 2003 10:00:00 UT", at(2003, 6, 3, 10)},
        DateCase{"NoSeconds", "03 jun 2003 10:07", at(2003, 6, 3, 10, 7)},
        DateCase{"EndsAfterYear", "03 Jun 2003", at(2003, 6, 3)},
        DateCase{"BadTimeKeepsDate", "03 Jun 2003 25:00:00 +0100", at(2003, 6, 3)},
        DateCase{"BadZoneKeepsTime", "03 Jun 2003 10:00:00 +01x0", at(2003, 6, 3, 10)},
        DateCase{"EndsBeforeYear", "Tue, 03 Jun", 0},
        DateCase{"UnknownMonth", "03 Foo 2003 10:00:00", 0},
        DateCase{"NoDigits", "yesterday", 0},
        DateCase{"ImpossibleDay", "31 Feb 2003 10:00:00", 0},
        DateCase{"HugeDay", "99999999999 Jun 2003", 0},
        DateCase{"Empty", "", 0}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ArticleDateTest, CommonFormMatchesTheGeneralReading) {
  // Each text is read by the positional fast path; the same text with a tab
  // instead of the first space can only go through the general reader.
  const char* texts[] = {"Tue, 03 Jun 2003 10:00:00 +0530", "3 Jun 2003 23:59:60 -0930",
                         "Sat, 29 Feb 2020 00:00:01 GMT", "Mon, 1 Jan 2024 12:00:00 +0000 (UTC)",
                         "01 Jan 2024 12:00:00", "31 Dec 1999 23:59:59 -1200"};
  for (const char* t : texts) {
    std::string general = t;
    general[general.find(' ', general.find_first_of("0123456789"))] = '\t';
    EXPECT_EQ(ParseArticleDate(t), ParseArticleDate(general)) << t;
    EXPECT_NE(ParseArticleDate(t), 0) << t;
  }
}

TEST(ArticleDateTest, EncodeDecodeRoundTripAndEpoch) {
  EXPECT_EQ(at(1899, 12, 30), 0.0);
  EXPECT_EQ(at(1970, 1, 1), kUnixEpochDays);
  const DateParts p = DecodeDateTime(at(2003, 6, 3, 10, 11, 12));
  EXPECT_EQ(p.year, 2003);
  EXPECT_EQ(p.month, 6);
  EXPECT_EQ(p.day, 3);
  EXPECT_EQ(p.hour, 10);
  EXPECT_EQ(p.minute, 11);
  EXPECT_EQ(p.second, 12);
  EXPECT_EQ(p.weekday, 2);  // a Tuesday
  EXPECT_EQ(UnixFromDateTime(DateTimeFromUnix(1054634400)), 1054634400);
}

TEST(ArticleDateTest, ZoneOffsetIsHoursAndMinutes) {
  EXPECT_DOUBLE_EQ(ZoneOffsetDays(530), 330.0 / 1440);
  EXPECT_DOUBLE_EQ(ZoneOffsetDays(-930), -570.0 / 1440);
  EXPECT_DOUBLE_EQ(ZoneOffsetDays(100), 1.0 / 24);
}

TEST(ArticleDateTest, FormatDateHeaderBothForms) {
  const DateTime d = at(2003, 6, 3, 10, 0, 5);
  EXPECT_EQ(FormatDateHeader(d, 0, 0), " Tue Jun 03 10:00:05 2003");
  EXPECT_EQ(FormatDateHeader(0, 0, d), "Date: Tue, 03 Jun 2003 10:00:05 GMT");
  EXPECT_EQ(FormatDateHeader(0, 200, d), "Date: Tue, 03 Jun 2003 10:00:05 +0200");
  EXPECT_EQ(FormatDateHeader(0, -500, d), "Date: Tue, 03 Jun 2003 10:00:05 -0500");
}

TEST(ArticleDateTest, FormatListDateByAge) {
  const DateTime today = at(2003, 6, 10, 18);
  const DateFormatSettings english;
  EXPECT_EQ(FormatListDate(at(2003, 6, 10, 9, 5), today, english), "09:05");
  EXPECT_EQ(FormatListDate(at(2003, 6, 5, 9), today, english), "Thu 05");
  EXPECT_EQ(FormatListDate(at(2003, 1, 2, 9), today, english), "Jan 02");
  EXPECT_EQ(FormatListDate(at(2001, 1, 2, 9), today, english), "02 Jan 2001");
  DateFormatSettings french;
  french.shortDayNames[4] = "jeu.";
  french.shortMonthNames[0] = "janv.";
  EXPECT_EQ(FormatListDate(at(2003, 6, 5, 9), today, french), "jeu. 05");
  EXPECT_EQ(FormatListDate(at(2001, 1, 2, 9), today, french), "02 janv. 2001");
}

}  // namespace
}  // namespace orvel
