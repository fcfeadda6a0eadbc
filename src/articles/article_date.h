#pragma once
// Article dates. A date-time is a double counting days since 1899-12-30, the
// time of day as the fraction (the header and store files keep it so).
// ParseArticleDate reads the Date header of an article into GMT; a numeric
// zone is hours and minutes ("+0530" is 5 h 30 min), and so is the TZ
// setting (530 shifts by 5 h 30 min).

#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

#include "core/date_format.h"

namespace orvel {

using DateTime = double;

inline constexpr DateTime kUnixEpochDays = 25569.0;  // 1970-01-01

struct DateParts {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int weekday = 0;  // 0 Sunday
};

// Nothing when a part is out of range (years 1 to 9999; seconds up to 60).
std::optional<DateTime> EncodeDateTime(int year, int month, int day, int hour = 0, int minute = 0,
                                       int second = 0);
DateParts DecodeDateTime(DateTime value);
DateTime DateTimeFromUnix(std::int64_t seconds);
std::int64_t UnixFromDateTime(DateTime value);

// A zone or TZ value written as hours x 100 plus minutes, in days.
DateTime ZoneOffsetDays(int hhmm);

// The Date header text as a GMT date-time; 0 when the text ends or fails before
// day, month and year are read, else the value reached when it fails later.
DateTime ParseArticleDate(std::string_view text);

// A date of 0 gives the Date header line for now (local time, zone from tz,
// "GMT" for 0); any other date the mailbox separator form " Tue Jun 03 10:00:00 2003".
std::string FormatDateHeader(DateTime date, int tz, DateTime now);

// Short list form: "hh:nn" today, "ddd dd" within a week, "mmm dd" within a
// year, else "dd mmm yyyy" (names from formats).
// The local date and time now.
DateTime LocalNow();
// A date as the C library's broken-down time (weekday included).
std::tm TmOf(DateTime value);
std::string FormatListDate(DateTime date, DateTime today, const DateFormatSettings& formats);

}  // namespace orvel
