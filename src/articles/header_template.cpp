#include "articles/header_template.h"

#include "articles/article.h"
#include "articles/article_date.h"

namespace orvel {

namespace {

std::string author(const HeaderTemplateFields& f) {
  if (f.fromName.empty() || f.fromName == f.fromAddress) return f.fromAddress;
  if (f.fromAddress.empty()) return f.fromName;
  return f.fromName + " <" + f.fromAddress + ">";
}

}  // namespace

std::string FormatHeaderTemplate(std::string_view pattern, const HeaderTemplateFields& fields) {
  std::string out;
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    if (c != '%' || i + 1 == pattern.size()) {
      out += c;
      continue;
    }
    const char code = pattern[++i];
    switch (code) {
      case 's': out += fields.subject; break;
      case 'f': out += author(fields); break;
      case 'n': out += fields.fromName; break;
      case 'a': out += fields.fromAddress; break;
      case 'd': out += fields.date; break;
      case 'm': out += fields.messageId; break;
      case 'g': out += fields.group; break;
      case 'N': out += std::to_string(fields.number); break;
      case 'r': out += '\n'; break;
      case 't': out += '\t'; break;
      case '%': out += '%'; break;
      default:
        out += '%';
        out += code;
        break;
    }
  }
  return out;
}

HeaderTemplateFields HeaderTemplateFieldsOf(const TArticle& article, std::string_view group,
                                            const DateFormatSettings& dates) {
  HeaderTemplateFields f;
  f.subject = std::string(article.Subject.view());
  f.fromName = std::string(article.FromName());
  f.fromAddress = std::string(article.FromAddress());
  if (article.Date != 0) {
    f.date = formatDateTime(dates.shortDateFormat + " " + dates.longTimeFormat, TmOf(article.Date),
                            dates);
  }
  f.messageId = std::string(article.MessageID.view());
  f.group = std::string(group);
  f.number = article.Number;
  return f;
}

}  // namespace orvel
