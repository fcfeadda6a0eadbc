#include "dates.h"

#include <cstdio>

#include "core/text.h"

namespace orvel::fixture {

namespace {

struct Civil {
  int year;
  unsigned month;  // 1..12
  unsigned day;    // 1..31
};

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
std::int64_t daysFromCivil(int y, unsigned m, unsigned d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const unsigned yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

Civil civilFromDays(std::int64_t z) {
  z += 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const unsigned doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  return {static_cast<int>(yoe + era * 400 + (m <= 2)), m, d};
}

std::int64_t floorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

bool allDigits(std::string_view text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

int digitsAt(std::string_view text, std::size_t pos, std::size_t len) {
  int value = 0;
  for (std::size_t i = 0; i < len; ++i) value = value * 10 + (text[pos + i] - '0');
  return value;
}

void appendTwo(unsigned value, std::string& out) {
  out += static_cast<char>('0' + value / 10 % 10);
  out += static_cast<char>('0' + value % 10);
}

}  // namespace

std::optional<std::int64_t> epochFromNntp(std::string_view date, std::string_view time) {
  if (!allDigits(date) || !allDigits(time) || time.size() != 6) return std::nullopt;
  int year;
  std::size_t pos;
  if (date.size() == 8) {
    year = digitsAt(date, 0, 4);
    pos = 4;
  } else if (date.size() == 6) {
    year = digitsAt(date, 0, 2);
    year += year < 70 ? 2000 : 1900;
    pos = 2;
  } else {
    return std::nullopt;
  }
  int month = digitsAt(date, pos, 2);
  int day = digitsAt(date, pos + 2, 2);
  int hour = digitsAt(time, 0, 2);
  int minute = digitsAt(time, 2, 2);
  int second = digitsAt(time, 4, 2);
  if (month < 1 || month > 12 || day < 1 || day > 31 || hour > 23 || minute > 59 || second > 60) {
    return std::nullopt;
  }
  return daysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day)) * 86400 +
         hour * 3600 + minute * 60 + second;
}

std::optional<std::int64_t> epochFromText(std::string_view text) {
  text = trimView(text);
  if (text.size() == 14 && allDigits(text)) return epochFromNntp(text.substr(0, 8), text.substr(8));
  if (text.size() == 15 && text[8] == ' ') return epochFromNntp(text.substr(0, 8), text.substr(9));
  if (allDigits(text) && text.size() <= 12) return parseDecimal(text);
  return std::nullopt;
}

std::string nntpDateTime(std::int64_t epoch) {
  std::int64_t days = floorDiv(epoch, 86400);
  std::int64_t secs = epoch - days * 86400;
  Civil c = civilFromDays(days);
  char buf[32];
  std::snprintf(buf, sizeof buf, "%04d%02u%02u%02d%02d%02d", c.year, c.month, c.day,
                static_cast<int>(secs / 3600), static_cast<int>(secs / 60 % 60),
                static_cast<int>(secs % 60));
  return buf;
}

void appendArticleDate(std::int64_t epoch, std::string& out) {
  static const char* const kDays[] = {"Thu", "Fri", "Sat", "Sun", "Mon", "Tue", "Wed"};
  static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                        "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
  std::int64_t days = floorDiv(epoch, 86400);
  auto secs = static_cast<unsigned>(epoch - days * 86400);
  // Overview listings ask for runs of dates on the same day.
  thread_local std::int64_t cachedDays = 0;
  thread_local Civil cached = civilFromDays(0);
  if (days != cachedDays) {
    cached = civilFromDays(days);
    cachedDays = days;
  }
  const Civil& c = cached;
  out += kDays[((days % 7) + 7) % 7];
  out += ", ";
  appendTwo(c.day, out);
  out += ' ';
  out += kMonths[c.month - 1];
  out += ' ';
  out += std::to_string(c.year);
  out += ' ';
  appendTwo(secs / 3600, out);
  out += ':';
  appendTwo(secs / 60 % 60, out);
  out += ':';
  appendTwo(secs % 60, out);
  out += " +0000";
}

}  // namespace orvel::fixture
