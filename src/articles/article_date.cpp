#include "articles/article_date.h"

#include <cmath>
#include <cstdio>
#include <ctime>

#include "core/date_format.h"

namespace orvel {

namespace {

constexpr const char* kDayNames[] = {"Sun", "Mon", "Tue", "Wed", "Thu", "Fri", "Sat"};
constexpr const char* kMonthNames[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                       "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Days from 1970-01-01 to a civil date (proleptic Gregorian).
std::int64_t daysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void civilFromDays(std::int64_t z, int& year, int& month, int& day) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  day = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
  month = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
  year = static_cast<int>(static_cast<std::int64_t>(yoe) + era * 400 + (month <= 2));
}

int daysInMonth(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// A cursor over the date text; words end at blanks and line ends.
class DateReader {
 public:
  explicit DateReader(std::string_view text) : text_(text) {}

  bool skipToDigit() {
    while (pos_ < text_.size() && !isDigit(text_[pos_])) ++pos_;
    return pos_ < text_.size();
  }

  // Digits at the cursor; nothing when there are none or they overflow.
  std::optional<int> digits() {
    const std::size_t start = pos_;
    std::int64_t value = 0;
    while (pos_ < text_.size() && isDigit(text_[pos_])) {
      value = value * 10 + (text_[pos_++] - '0');
      if (value > 99999999) return std::nullopt;
    }
    if (pos_ == start) return std::nullopt;
    return static_cast<int>(value);
  }

  std::string_view word() {
    while (pos_ < text_.size() && isSeparator(text_[pos_])) ++pos_;
    const std::size_t start = pos_;
    while (pos_ < text_.size() && !isSeparator(text_[pos_])) ++pos_;
    return text_.substr(start, pos_ - start);
  }

  static bool isDigit(char c) { return c >= '0' && c <= '9'; }

 private:
  static bool isSeparator(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

  std::string_view text_;
  std::size_t pos_ = 0;
};

// A whole word of digits (an optional sign first); nothing otherwise.
std::optional<int> wordNumber(std::string_view word) {
  bool negative = false;
  if (!word.empty() && (word[0] == '+' || word[0] == '-')) {
    negative = word[0] == '-';
    word.remove_prefix(1);
  }
  if (word.empty() || word.size() > 8) return std::nullopt;
  int value = 0;
  for (char c : word) {
    if (!DateReader::isDigit(c)) return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return negative ? -value : value;
}

int monthOf(std::string_view word) {
  if (word.size() < 3) return 0;
  char m[3];
  for (int i = 0; i < 3; ++i) {
    const char c = word[static_cast<std::size_t>(i)];
    m[i] = c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c;
  }
  static constexpr std::string_view kMonths = "JAN}FEB}MAR}APR}MAY}JUN}JUL}AUG}SEP}OCT}NOV}DEC";
  const std::size_t at = kMonths.find(std::string_view(m, 3));
  return at == std::string_view::npos || at % 4 != 0 ? 0 : static_cast<int>(at / 4 + 1);
}

std::optional<DateTime> timeOfDay(std::string_view word) {
  int parts[3] = {0, 0, 0};
  int count = 0;
  std::size_t start = 0;
  while (count < 3) {
    const std::size_t colon = std::min(word.find(':', start), word.size());
    const auto value = wordNumber(word.substr(start, colon - start));
    if (!value || *value < 0 || word[start] == '+' || word[start] == '-') return std::nullopt;
    parts[count++] = *value;
    if (colon == word.size()) break;
    start = colon + 1;
  }
  if (count < 2 || start > word.size()) return std::nullopt;
  if (parts[0] > 23 || parts[1] > 59 || parts[2] > 60) return std::nullopt;
  return (parts[0] * 3600 + parts[1] * 60 + parts[2]) / 86400.0;
}

// The zone as hours x 100 plus minutes east of GMT; nothing for no change.
std::optional<int> zoneValue(std::string_view zone) {
  if (zone.empty()) return std::nullopt;
  const char c0 = zone[0];
  if (c0 == '+' || c0 == '-' || DateReader::isDigit(c0)) return wordNumber(zone);
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; };
  if (zone.size() == 1) {
    const char l = upper(c0);
    if (l >= 'A' && l <= 'M') return -100 * (l - 'A' + 1);
    if (l >= 'N' && l <= 'Y') return 100 * (l - 'N' + 1);
    return 0;
  }
  if (zone.size() != 3) return std::nullopt;
  const std::string word{upper(zone[0]), upper(zone[1]), upper(zone[2])};
  static const struct {
    const char* name;
    int value;
  } kZones[] = {{"EST", -500}, {"EDT", -400}, {"CST", -600}, {"CDT", -500}, {"MST", -700},
                {"MDT", -600}, {"PST", -800}, {"PDT", -700}, {"EET", 200}};
  for (const auto& z : kZones) {
    if (word == z.name) return z.value;
  }
  return 0;
}


int digitAt(const char* p) { return *p - '0'; }
bool isDigitAt(const char* p) { return *p >= '0' && *p <= '9'; }

// The common form "[Www, ]D[D] Mmm YYYY HH:MM:SS +HHMM|-HHMM|GMT", read by
// position; anything else is left to the general reader (nothing here).
std::optional<DateTime> commonDate(std::string_view text) {
  const char* p = text.data();
  const char* e = p + text.size();
  while (p < e && !isDigitAt(p)) ++p;
  int day = 0;
  if (e - p < 2) return std::nullopt;
  day = digitAt(p++);
  if (isDigitAt(p)) day = day * 10 + digitAt(p++);
  // " Mmm YYYY HH:MM:SS" is 18 characters.
  if (e - p < 18 || p[0] != ' ' || p[4] != ' ' || p[9] != ' ' || p[12] != ':' || p[15] != ':') {
    return std::nullopt;
  }
  const int month = monthOf(std::string_view(p + 1, 3));
  for (int k : {5, 6, 7, 8, 10, 11, 13, 14, 16, 17}) {
    if (!isDigitAt(p + k)) return std::nullopt;
  }
  if (month == 0) return std::nullopt;
  const int year = digitAt(p + 5) * 1000 + digitAt(p + 6) * 100 + digitAt(p + 7) * 10 + digitAt(p + 8);
  if (year < 100) return std::nullopt;  // read as a two-digit year
  const int hour = digitAt(p + 10) * 10 + digitAt(p + 11);
  const int minute = digitAt(p + 13) * 10 + digitAt(p + 14);
  const int second = digitAt(p + 16) * 10 + digitAt(p + 17);
  p += 18;
  const auto date = EncodeDateTime(year, month, day);
  if (!date || hour > 23 || minute > 59 || second > 60) return std::nullopt;
  DateTime result = *date;
  result += (hour * 3600 + minute * 60 + second) / 86400.0;
  if (p == e) return result;
  if (*p != ' ' || e - p < 4) return std::nullopt;
  ++p;
  const bool zoneEnds = e - p == 3 || p[3] == ' ';
  if (zoneEnds && p[0] == 'G' && p[1] == 'M' && p[2] == 'T') return result;
  if ((p[0] != '+' && p[0] != '-') || e - p < 5 || (e - p > 5 && p[5] != ' ')) return std::nullopt;
  for (int k = 1; k <= 4; ++k) {
    if (!isDigitAt(p + k)) return std::nullopt;
  }
  const int zone = digitAt(p + 1) * 1000 + digitAt(p + 2) * 100 + digitAt(p + 3) * 10 + digitAt(p + 4);
  return result - ZoneOffsetDays(p[0] == '-' ? -zone : zone);
}

}  // namespace

DateTime LocalNow() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return DateTimeFromUnix(static_cast<std::int64_t>(now) + local.tm_gmtoff);
}

std::tm TmOf(DateTime value) {
  const DateParts p = DecodeDateTime(value);
  std::tm t{};
  t.tm_year = p.year - 1900;
  t.tm_mon = p.month - 1;
  t.tm_mday = p.day;
  t.tm_hour = p.hour;
  t.tm_min = p.minute;
  t.tm_sec = p.second;
  t.tm_wday = p.weekday;
  return t;
}

std::optional<DateTime> EncodeDateTime(int year, int month, int day, int hour, int minute,
                                       int second) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > daysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 60) {
    return std::nullopt;
  }
  const auto days = static_cast<double>(daysFromCivil(year, static_cast<unsigned>(month),
                                                      static_cast<unsigned>(day)));
  return days + kUnixEpochDays + (hour * 3600 + minute * 60 + second) / 86400.0;
}

DateParts DecodeDateTime(DateTime value) {
  DateParts p;
  if (!std::isfinite(value) || value < -693593 || value > 2958466) return p;
  const double dayPart = std::floor(value);
  auto seconds = static_cast<std::int64_t>(std::llround((value - dayPart) * 86400.0));
  auto day = static_cast<std::int64_t>(dayPart);
  if (seconds >= 86400) {
    seconds -= 86400;
    ++day;
  }
  civilFromDays(day - static_cast<std::int64_t>(kUnixEpochDays), p.year, p.month, p.day);
  p.hour = static_cast<int>(seconds / 3600);
  p.minute = static_cast<int>(seconds / 60 % 60);
  p.second = static_cast<int>(seconds % 60);
  const std::int64_t w = (day - static_cast<std::int64_t>(kUnixEpochDays) + 4) % 7;  // 1970-01-01 was a Thursday
  p.weekday = static_cast<int>(w < 0 ? w + 7 : w);
  return p;
}

DateTime DateTimeFromUnix(std::int64_t seconds) {
  return kUnixEpochDays + static_cast<double>(seconds) / 86400.0;
}

std::int64_t UnixFromDateTime(DateTime value) {
  return std::llround((value - kUnixEpochDays) * 86400.0);
}

DateTime ZoneOffsetDays(int hhmm) {
  const int magnitude = hhmm < 0 ? -hhmm : hhmm;
  const int minutes = magnitude / 100 * 60 + magnitude % 100;
  return (hhmm < 0 ? -minutes : minutes) / 1440.0;
}

DateTime ParseArticleDate(std::string_view text) {
  if (const auto common = commonDate(text)) return *common;
  DateReader reader(text);
  if (!reader.skipToDigit()) return 0;
  const auto day = reader.digits();
  if (!day) return 0;
  const int month = monthOf(reader.word());
  if (month == 0) return 0;
  auto year = wordNumber(reader.word());
  if (!year || *year < 0) return 0;
  if (*year < 69) {
    *year += 2000;
  } else if (*year < 100) {
    *year += 1900;
  }
  const auto date = EncodeDateTime(*year, month, *day);
  if (!date) return 0;
  DateTime result = *date;
  const auto time = timeOfDay(reader.word());
  if (!time) return result;
  result += *time;
  const std::string_view zone = reader.word();
  if (zone.size() == 3 && (zone[0] == 'G' || zone[0] == 'g') && (zone[1] == 'M' || zone[1] == 'm') &&
      (zone[2] == 'T' || zone[2] == 't')) {
    return result;
  }
  if (const auto z = zoneValue(zone)) result -= ZoneOffsetDays(*z);
  return result;
}

std::string FormatDateHeader(DateTime date, int tz, DateTime now) {
  char buf[96];
  if (date == 0) {
    const DateParts p = DecodeDateTime(now);
    char zone[16];
    if (tz == 0) {
      std::snprintf(zone, sizeof zone, "GMT");
    } else {
      std::snprintf(zone, sizeof zone, tz > 0 ? "+%.4d" : "%.4d", tz);
    }
    std::snprintf(buf, sizeof buf, "Date: %s, %.2d %s %d %.2d:%.2d:%.2d %s", kDayNames[p.weekday],
                  p.day, kMonthNames[p.month > 0 ? p.month - 1 : 0], p.year, p.hour, p.minute,
                  p.second, zone);
    return buf;
  }
  const DateParts p = DecodeDateTime(date);
  std::snprintf(buf, sizeof buf, " %s %s %.2d %.2d:%.2d:%.2d %d", kDayNames[p.weekday],
                kMonthNames[p.month > 0 ? p.month - 1 : 0], p.day, p.hour, p.minute, p.second,
                p.year);
  return buf;
}

std::string FormatListDate(DateTime date, DateTime today, const DateFormatSettings& formats) {
  const double days = std::floor(today) - std::floor(date);
  const char* format = days == 0 ? "hh:nn" : days < 7 ? "ddd dd" : days < 365 ? "mmm dd" : "dd mmm yyyy";
  return formatDateTime(format, TmOf(date), formats);
}

}  // namespace orvel
