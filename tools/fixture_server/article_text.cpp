#include "article_text.h"

#include <charconv>

#include "core/text.h"
#include "text_util.h"

namespace orvel::fixture {

namespace {

// Calls f(line) for each line without its LF or CRLF.
template <typename F>
void forEachLine(std::string_view text, F f) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = text.find('\n', pos);
    std::size_t next = end == std::string_view::npos ? text.size() : end + 1;
    std::size_t stop = end == std::string_view::npos ? text.size() : end;
    if (stop > pos && text[stop - 1] == '\r') --stop;
    f(text.substr(pos, stop - pos));
    pos = next;
  }
}

}  // namespace

ArticleParts splitArticle(std::string_view article) {
  std::size_t pos = 0;
  while (pos < article.size()) {
    std::size_t end = article.find('\n', pos);
    if (end == std::string_view::npos) break;
    std::size_t len = end - pos;
    if (len == 0 || (len == 1 && article[pos] == '\r')) {
      return {article.substr(0, pos), article.substr(end + 1)};
    }
    pos = end + 1;
  }
  return {article, {}};
}

std::optional<std::string> headerValue(std::string_view article, std::string_view name) {
  std::optional<std::string> value;
  bool inWanted = false;
  bool done = false;
  forEachLine(splitArticle(article).headers, [&](std::string_view line) {
    if (done) return;
    bool continuation = !line.empty() && (line[0] == ' ' || line[0] == '\t');
    if (continuation) {
      if (inWanted) value->append(line);
      return;
    }
    if (inWanted) {
      done = true;
      return;
    }
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos || !equalsNoCase(line.substr(0, colon), name)) return;
    inWanted = true;
    value = std::string(trimLeftView(line.substr(colon + 1)));
  });
  return value;
}

std::string overviewField(std::string_view value) {
  std::string out(value);
  for (char& c : out) {
    if (c == '\t' || c == '\r' || c == '\n') c = ' ';
  }
  return out;
}

std::int64_t countLines(std::string_view text) {
  std::int64_t lines = 0;
  forEachLine(text, [&](std::string_view) { ++lines; });
  return lines;
}

std::int64_t crlfSize(std::string_view text) {
  std::int64_t size = 0;
  forEachLine(text, [&](std::string_view line) { size += static_cast<std::int64_t>(line.size()) + 2; });
  return size;
}

std::string overviewLine(std::int64_t number, std::string_view article,
                         std::string_view xrefFallback) {
  std::string line;
  appendNumber(number, line);
  for (const char* name : {"Subject", "From", "Date", "Message-ID", "References"}) {
    line += '\t';
    line += overviewField(headerValue(article, name).value_or(""));
  }
  line += '\t';
  appendNumber(crlfSize(article), line);
  line += '\t';
  appendNumber(countLines(splitArticle(article).body), line);
  line += "\tXref: ";
  auto xref = headerValue(article, "Xref");
  line += xref ? overviewField(*xref) : std::string(xrefFallback);
  return line;
}

void appendWireText(std::string_view text, std::string& out) {
  out.reserve(out.size() + text.size() + text.size() / 32 + 2);
  forEachLine(text, [&](std::string_view line) {
    if (!line.empty() && line[0] == '.') out += '.';
    out.append(line);
    out += "\r\n";
  });
}

}  // namespace orvel::fixture
