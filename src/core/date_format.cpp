#include "core/date_format.h"

#include <langinfo.h>

#include <cctype>
#include <cstdio>

namespace orvel {

namespace {

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

bool startsWithNoCase(std::string_view text, std::size_t pos, std::string_view word) {
  if (text.size() - pos < word.size()) return false;
  for (std::size_t i = 0; i < word.size(); ++i) {
    if (lower(text[pos + i]) != lower(word[i])) return false;
  }
  return true;
}

std::size_t runOf(std::string_view text, std::size_t pos, char c) {
  std::size_t n = 0;
  while (pos + n < text.size() && lower(text[pos + n]) == c) ++n;
  return n;
}

void appendNumber(std::string& out, int value, int width) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "%0*d", width, value);
  out += buf;
}

int weekday(int year, int month, int day) {
  // Sakamoto's method: 0 = Sunday.
  static const int offsets[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) year -= 1;
  return (year + year / 4 - year / 100 + year / 400 + offsets[(month + 11) % 12] + day) % 7;
}

bool validMonth(int m) { return m >= 1 && m <= 12; }

class Formatter {
 public:
  Formatter(const std::tm& t, const DateFormatSettings& s) : t_(t), s_(s) {
    month_ = t.tm_mon + 1;
    year_ = t.tm_year + 1900;
    wday_ = validMonth(month_) ? weekday(year_, month_, t.tm_mday) : 0;
  }

  std::string run(std::string_view format, int depth = 0) {
    std::string out;
    bool lastWasHour = false;
    std::size_t i = 0;
    while (i < format.size()) {
      const char c = format[i];
      const char lc = lower(c);
      if (c == '\'' || c == '"') {
        const std::size_t end = format.find(c, i + 1);
        const std::size_t stop = end == std::string_view::npos ? format.size() : end;
        out.append(format.substr(i + 1, stop - i - 1));
        i = stop == format.size() ? stop : stop + 1;
        continue;
      }
      if (c == '/') {
        out += s_.dateSeparator;
        ++i;
        continue;
      }
      if (c == ':') {
        out += s_.timeSeparator;
        ++i;
        continue;
      }
      if (startsWithNoCase(format, i, "am/pm")) {
        out += t_.tm_hour < 12 ? "am" : "pm";
        i += 5;
        continue;
      }
      if (startsWithNoCase(format, i, "a/p")) {
        out += t_.tm_hour < 12 ? "a" : "p";
        i += 3;
        continue;
      }
      if (startsWithNoCase(format, i, "ampm")) {
        out += t_.tm_hour < 12 ? s_.timeAm : s_.timePm;
        i += 4;
        continue;
      }
      const std::size_t n = runOf(format, i, lc);
      bool hourToken = false;
      switch (lc) {
        case 'y':
          if (n <= 2) {
            appendNumber(out, year_ % 100, 2);
          } else {
            appendNumber(out, year_, 4);
          }
          break;
        case 'm':
          if (lastWasHour) {
            appendNumber(out, t_.tm_min, n >= 2 ? 2 : 1);
          } else if (n == 1 || n == 2) {
            appendNumber(out, month_, static_cast<int>(n));
          } else if (validMonth(month_)) {
            out += n == 3 ? s_.shortMonthNames[month_ - 1] : s_.longMonthNames[month_ - 1];
          }
          break;
        case 'd':
          if (n <= 2) {
            appendNumber(out, t_.tm_mday, static_cast<int>(n));
          } else if (n == 3) {
            out += s_.shortDayNames[wday_];
          } else if (n == 4) {
            out += s_.longDayNames[wday_];
          } else if (depth == 0) {
            out += run(n == 5 ? s_.shortDateFormat : s_.longDateFormat, depth + 1);
          }
          break;
        case 'h':
          appendNumber(out, t_.tm_hour, n >= 2 ? 2 : 1);
          hourToken = true;
          break;
        case 'n':
          appendNumber(out, t_.tm_min, n >= 2 ? 2 : 1);
          break;
        case 's':
          appendNumber(out, t_.tm_sec, n >= 2 ? 2 : 1);
          break;
        case 'z':
          appendNumber(out, 0, n >= 3 ? 3 : 1);
          break;
        case 't':
          if (depth == 0) out += run(n == 1 ? s_.shortTimeFormat : s_.longTimeFormat, depth + 1);
          break;
        case 'c':
          if (depth == 0) {
            out += run(s_.shortDateFormat, depth + 1);
            if (t_.tm_hour || t_.tm_min || t_.tm_sec) {
              out += ' ';
              out += run(s_.longTimeFormat, depth + 1);
            }
          }
          break;
        default:
          out += c;
          i += 1;
          continue;
      }
      // An "m" right after an hour token (separators between) means minutes.
      lastWasHour = hourToken;
      i += n;
    }
    return out;
  }

 private:
  const std::tm& t_;
  const DateFormatSettings& s_;
  int month_ = 1;
  int year_ = 1900;
  int wday_ = 0;
};

std::string langinfoText(nl_item item) {
  const char* text = nl_langinfo(item);
  return text ? std::string(text) : std::string();
}

}  // namespace

std::string withFourDigitYears(std::string_view shortDateFormat) {
  std::string format(shortDateFormat);
  std::string lowered;
  for (char c : format) lowered += lower(c);
  if (lowered.find("yyyy") != std::string::npos) return format;
  const std::size_t at = lowered.find("yy");
  if (at == std::string::npos) return format;
  format.insert(at, "yy");
  return format;
}

std::string pictureFromStrftime(std::string_view pattern, char* separatorOut) {
  std::string out;
  char separator = 0;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c != '%' || i + 1 >= pattern.size()) {
      if (!std::isalnum(static_cast<unsigned char>(c)) && c != ' ' && separator == 0) {
        separator = c;
      }
      if (c == separator) {
        out += '/';
      } else if (std::isalpha(static_cast<unsigned char>(c))) {
        out += '"';
        out += c;
        out += '"';
      } else {
        out += c;
      }
      continue;
    }
    char spec = pattern[++i];
    if ((spec == 'E' || spec == 'O') && i + 1 < pattern.size()) spec = pattern[++i];
    switch (spec) {
      case 'd': out += "dd"; break;
      case 'e': out += "d"; break;
      case 'm': out += "mm"; break;
      case 'y': out += "yy"; break;
      case 'Y': out += "yyyy"; break;
      case 'b':
      case 'h': out += "mmm"; break;
      case 'B': out += "mmmm"; break;
      case 'a': out += "ddd"; break;
      case 'A': out += "dddd"; break;
      case 'D': out += "mm/dd/yy"; if (!separator) separator = '/'; break;
      case 'F': out += "yyyy/mm/dd"; if (!separator) separator = '-'; break;
      default: break;
    }
  }
  if (separatorOut) *separatorOut = separator ? separator : '/';
  return out;
}

DateFormatSettings dateFormatsFromLocale() {
  DateFormatSettings s;
  char separator = '/';
  std::string shortDate = pictureFromStrftime(langinfoText(D_FMT), &separator);
  if (!shortDate.empty()) s.shortDateFormat = withFourDigitYears(shortDate);
  s.dateSeparator = separator;
  s.timeSeparator = ':';
  static const nl_item abmon[] = {ABMON_1, ABMON_2, ABMON_3, ABMON_4,  ABMON_5,  ABMON_6,
                                  ABMON_7, ABMON_8, ABMON_9, ABMON_10, ABMON_11, ABMON_12};
  static const nl_item mon[] = {MON_1, MON_2, MON_3, MON_4,  MON_5,  MON_6,
                                MON_7, MON_8, MON_9, MON_10, MON_11, MON_12};
  static const nl_item abday[] = {ABDAY_1, ABDAY_2, ABDAY_3, ABDAY_4, ABDAY_5, ABDAY_6, ABDAY_7};
  static const nl_item day[] = {DAY_1, DAY_2, DAY_3, DAY_4, DAY_5, DAY_6, DAY_7};
  for (int i = 0; i < 12; ++i) {
    if (auto t = langinfoText(abmon[i]); !t.empty()) s.shortMonthNames[i] = t;
    if (auto t = langinfoText(mon[i]); !t.empty()) s.longMonthNames[i] = t;
  }
  for (int i = 0; i < 7; ++i) {
    if (auto t = langinfoText(abday[i]); !t.empty()) s.shortDayNames[i] = t;
    if (auto t = langinfoText(day[i]); !t.empty()) s.longDayNames[i] = t;
  }
  if (auto t = langinfoText(AM_STR); !t.empty()) s.timeAm = t;
  if (auto t = langinfoText(PM_STR); !t.empty()) s.timePm = t;
  return s;
}

std::string formatDateTime(std::string_view format, const std::tm& t,
                           const DateFormatSettings& settings) {
  return Formatter(t, settings).run(format);
}

std::optional<std::tm> parseShortDate(std::string_view text, const DateFormatSettings& settings) {
  // The order of day, month and year is the order of their first letters in
  // the short date format.
  std::string order;
  for (char c : settings.shortDateFormat) {
    const char lc = lower(c);
    if ((lc == 'd' || lc == 'm' || lc == 'y') && order.find(lc) == std::string::npos) order += lc;
  }
  if (order.size() != 3) order = "dmy";

  int values[3] = {0, 0, 0};
  int digits[3] = {0, 0, 0};
  int count = 0;
  std::size_t i = 0;
  while (i < text.size() && count < 3) {
    while (i < text.size() && !std::isdigit(static_cast<unsigned char>(text[i]))) {
      if (!std::isspace(static_cast<unsigned char>(text[i])) && text[i] != settings.dateSeparator &&
          !std::ispunct(static_cast<unsigned char>(text[i]))) {
        return std::nullopt;
      }
      ++i;
    }
    long value = 0;
    int n = 0;
    while (i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])) && n < 5) {
      value = value * 10 + (text[i] - '0');
      ++i;
      ++n;
    }
    if (n == 0) break;
    values[count] = static_cast<int>(value);
    digits[count] = n;
    ++count;
  }
  while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
  if (count != 3 || i != text.size()) return std::nullopt;

  int day = 0, month = 0, year = 0, yearDigits = 0;
  for (int k = 0; k < 3; ++k) {
    switch (order[k]) {
      case 'd': day = values[k]; break;
      case 'm': month = values[k]; break;
      default: year = values[k]; yearDigits = digits[k]; break;
    }
  }
  if (yearDigits <= 2) year += year < 50 ? 2000 : 1900;
  static const int monthDays[] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (!validMonth(month) || day < 1 || day > monthDays[month - 1]) return std::nullopt;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  if (month == 2 && day == 29 && !leap) return std::nullopt;

  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_wday = weekday(year, month, day);
  return t;
}

}  // namespace orvel
