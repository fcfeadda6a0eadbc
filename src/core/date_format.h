#pragma once
// Date and time formats of the program: the short and long date formats, the
// time formats, the separators and the month and day names. The program
// settles them once at start-up from the locale (AppState::dateFormats) and
// hands them to what formats dates.
//
// Format strings use the classic picture tokens: d dd ddd dddd ddddd dddddd,
// m mm mmm mmmm (minutes right after an hour token), yy yyyy, h hh, n nn,
// s ss, z zzz, t tt, am/pm a/p ampm, c, "/" (date separator), ":" (time
// separator) and quoted literal text ('...' or "...").

#include <array>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>

namespace orvel {

struct DateFormatSettings {
  std::string shortDateFormat = "dd/mm/yyyy";
  std::string longDateFormat = "dddd d mmmm yyyy";
  std::string shortTimeFormat = "hh:nn";
  std::string longTimeFormat = "hh:nn:ss";
  char dateSeparator = '/';
  char timeSeparator = ':';
  std::string timeAm = "AM";
  std::string timePm = "PM";
  std::array<std::string, 12> shortMonthNames{"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                              "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::array<std::string, 12> longMonthNames{"January", "February", "March",     "April",
                                             "May",     "June",     "July",      "August",
                                             "September", "October", "November", "December"};
  std::array<std::string, 7> shortDayNames{"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
  std::array<std::string, 7> longDayNames{"Sunday",   "Monday", "Tuesday", "Wednesday",
                                          "Thursday", "Friday", "Saturday"};
};

// The formats of the current C locale (LC_TIME), with the program's rules
// applied: four-digit years and ":" as the time separator.
DateFormatSettings dateFormatsFromLocale();

// A short date format with "yy" but no "yyyy" gets a second "yy" at its first
// "yy", so years always show four digits.
std::string withFourDigitYears(std::string_view shortDateFormat);

// Converts a strftime date pattern ("%d/%m/%y") to picture tokens ("dd/mm/yy");
// the first separator character becomes the date separator.
std::string pictureFromStrftime(std::string_view pattern, char* separatorOut = nullptr);

// Formats the broken-down time t (tm_wday is recomputed from the date).
std::string formatDateTime(std::string_view format, const std::tm& t,
                           const DateFormatSettings& settings);

// Reads a date written in the short date format's day, month and year order;
// nothing when the text is not such a date. Two-digit years fall in 1950-2049.
std::optional<std::tm> parseShortDate(std::string_view text,
                                      const DateFormatSettings& settings);

}  // namespace orvel
