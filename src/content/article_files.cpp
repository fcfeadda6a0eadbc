#include "content/article_files.h"

#include <sys/stat.h>

#include <fstream>

#include "content/mime.h"
#include "content/yenc_lines.h"
#include "core/text.h"

namespace orvel {

namespace {

// Enough of an article for its headers and its first "=ybegin " line.
constexpr std::size_t kHeadBytes = 64 * 1024;

std::optional<std::string> readFile(const std::string& path, std::size_t limit) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::nullopt;
  std::string text;
  char buffer[65536];
  while (text.size() < limit) {
    in.read(buffer, sizeof buffer);
    const auto got = static_cast<std::size_t>(in.gcount());
    if (got == 0) break;
    text.append(buffer, got);
  }
  if (text.size() > limit) text.resize(limit);
  if (in.bad()) return std::nullopt;
  return text;
}

// The last "(k/N)" or "[k/N]" of a subject.
int subjectPart(std::string_view subject) {
  int part = -1;
  for (std::size_t i = 0; i < subject.size(); ++i) {
    const char open = subject[i];
    if (open != '(' && open != '[') continue;
    const char close = open == '(' ? ')' : ']';
    const std::size_t slash = subject.find('/', i + 1);
    const std::size_t end = subject.find(close, i + 1);
    if (slash == std::string_view::npos || end == std::string_view::npos || slash > end) continue;
    const auto k = parseDecimal(trimView(subject.substr(i + 1, slash - i - 1)));
    const auto n = parseDecimal(trimView(subject.substr(slash + 1, end - slash - 1)));
    if (k && n && *k >= 0 && *k <= 1000000 && *n >= 0) part = static_cast<int>(*k);
  }
  return part;
}

}  // namespace

int ArticlePartNumber(std::string_view subject, std::string_view text) {
  if (const int part = subjectPart(subject); part >= 0) return part;
  TMime headers(false);
  headers.ParseHeadersOnly(text);
  if (headers.partNumber() > 0) return static_cast<int>(headers.partNumber());
  for (std::size_t at = text.find("=ybegin "); at != std::string_view::npos;
       at = text.find("=ybegin ", at + 1)) {
    if (at != 0 && text[at - 1] != '\n') continue;
    const std::size_t end = text.find_first_of("\r\n", at);
    const YBeginLine begin = ReadYBegin(text.substr(at, end - at));
    if (begin.part && *begin.part >= 0 && *begin.part <= 1000000) {
      return static_cast<int>(*begin.part);
    }
    break;
  }
  return -1;
}

ArticleFileHost::ArticleFileHost(std::vector<std::string> paths) : paths_(std::move(paths)) {}

void ArticleFileHost::queueAll(TBatch& batch) {
  for (std::size_t i = 0; i < paths_.size(); ++i) batch.Append(i);
}

BatchArticleInfo ArticleFileHost::articleInfo(BatchItem item) const {
  BatchArticleInfo info;
  const std::string& path = paths_.at(item);
  struct stat st;
  if (::stat(path.c_str(), &st) == 0) info.bytes = static_cast<std::int64_t>(st.st_size);
  const std::optional<std::string> head = readFile(path, kHeadBytes);
  if (!head) return info;
  TMime headers(false);
  headers.ParseHeadersOnly(*head);
  info.subject = headers.headers().subject;
  info.from = headers.headers().from;
  info.partNumber = ArticlePartNumber(info.subject, *head);
  return info;
}

std::optional<std::string> ArticleFileHost::storedText(BatchItem item) {
  const std::string& path = paths_.at(item);
  std::optional<std::string> text = readFile(path, static_cast<std::size_t>(-1));
  if (!text) {
    unreadable_.push_back(path);
    return std::string();
  }
  return text;
}

void ArticleFileHost::markMissing(BatchItem item) { missing_.push_back(paths_.at(item)); }

}  // namespace orvel
