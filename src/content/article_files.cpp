#include "content/article_files.h"

#include <sys/stat.h>

#include <fstream>

#include "articles/threading.h"
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

int clampedPart(std::int64_t value) {
  return value >= 0 && value <= kMaxYEncParts ? static_cast<int>(value) : -1;
}

// "Name:" with a name of printable characters but the colon.
bool isHeaderLine(std::string_view line) {
  if (line.starts_with("From ")) return true;
  for (std::size_t i = 0; i < line.size(); ++i) {
    const auto c = static_cast<unsigned char>(line[i]);
    if (c == ':') return i > 0;
    if (c < 33 || c > 126) return false;
  }
  return false;
}

}  // namespace

bool IsBareBody(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t end = text.find('\n', pos);
    std::string_view line = text.substr(pos, end == std::string_view::npos ? end : end - pos);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (!line.empty()) return !isHeaderLine(line);
    if (end == std::string_view::npos) break;
    pos = end + 1;
  }
  return false;
}

ArticlePart ArticlePartOf(std::string_view subject, std::string_view text, bool headerless) {
  ArticlePart out;
  PartNumbers counter;
  if (ParsePartNumbers(subject, counter)) {
    out.number = counter.part;
    out.total = counter.total;
    counter.AppendKey(out.series);
    return out;
  }
  if (!headerless) {
    TMime headers(false);
    headers.ParseHeadersOnly(text);
    if (headers.partNumber() > 0) {
      out.number = clampedPart(headers.partNumber());
      out.total = headers.totalParts() > 0 ? clampedPart(headers.totalParts()) : -1;
      return out;
    }
  }
  for (std::size_t at = text.find("=ybegin "); at != std::string_view::npos;
       at = text.find("=ybegin ", at + 1)) {
    if (at != 0 && text[at - 1] != '\n') continue;
    const std::size_t end = text.find_first_of("\r\n", at);
    const YBeginLine begin = ReadYBegin(text.substr(at, end - at));
    if (begin.part) {
      out.number = clampedPart(*begin.part);
      if (begin.total) out.total = clampedPart(*begin.total);
    }
    break;
  }
  return out;
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
  info.headerless = IsBareBody(*head);
  if (!info.headerless) {
    TMime headers(false);
    headers.ParseHeadersOnly(*head);
    info.subject = headers.headers().subject;
    info.from = headers.headers().from;
  }
  ArticlePart part = ArticlePartOf(info.subject, *head, info.headerless);
  info.partNumber = part.number;
  info.partTotal = part.total;
  info.series = std::move(part.series);
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
