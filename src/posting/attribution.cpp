#include "posting/attribution.h"

#include "articles/article_date.h"

namespace orvel {

namespace {

std::string MessageIdLink(std::string_view id) {
  if (id.size() >= 3 && id.front() == '<' && id.back() == '>') {
    return "news:" + std::string(id.substr(1, id.size() - 2));
  }
  return std::string(id);
}

std::string FormattedDate(std::string_view pattern, DateTime date,
                          const DateFormatSettings& names) {
  if (date == 0) return {};
  return formatDateTime(pattern, TmOf(date), names);
}

}  // namespace

std::string ExpandAttribution(std::string_view format, const AttributionSource& source,
                              const DateFormatSettings& names) {
  static const DateFormatSettings kEnglish;
  std::string out;
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 == format.size()) {
      out += format[i];
      continue;
    }
    const char token = format[++i];
    switch (token) {
      case 'a': out += source.fromName; break;
      case 'e': out += source.fromAddress; break;
      case 'f': out += source.from; break;
      case 'g': out += source.newsgroups; break;
      case 'm': out += MessageIdLink(source.messageId); break;
      case 'd': out += FormattedDate("dd mmm yyyy", source.date, names); break;
      case 'D': out += FormattedDate("ddd dd mmm yyyy hh:nn:ss", source.date, names); break;
      case 'z':
        out += FormattedDate("ddd, dd mmm yyyy hh:nn:ss \"GMT\"",
                             source.date == 0 ? 0 : source.date - ZoneOffsetDays(source.tz),
                             kEnglish);
        break;
      case 'r': out += "\r\n"; break;
      case '%': out += '%'; break;
      default: out.append({'%', token}); break;
    }
  }
  if (!out.empty()) out += "\r\n\r\n";
  return out;
}

}  // namespace orvel
