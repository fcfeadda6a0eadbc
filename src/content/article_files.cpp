#include "content/article_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "articles/threading.h"
#include "content/mime.h"
#include "content/yenc_lines.h"
#include "core/text.h"

namespace orvel {

namespace {

// Enough of an article for its headers and its first "=ybegin " line.
constexpr std::size_t kHeadBytes = 64 * 1024;

// Reads up to limit bytes of the file into text, reusing its storage: the
// bytes it already holds are overwritten, not cleared first, so a buffer
// kept from article to article is neither reallocated nor zeroed.
bool readFile(const std::string& path, std::size_t limit, std::string& text) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) {
    text.clear();
    return false;
  }
  struct stat st;
  const std::size_t expected = ::fstat(fd, &st) == 0 && st.st_size > 0
                                   ? static_cast<std::size_t>(st.st_size)
                                   : 0;
  // One byte over the expected size, so that the end is seen without growing.
  const std::size_t room = std::min(limit, expected + 1);
  if (text.size() < room) text.resize(room);
  std::size_t used = 0;
  bool ok = true;
  while (used < limit) {
    if (used == text.size()) text.resize(std::min(limit, used * 2));
    const ssize_t got = ::read(fd, text.data() + used, text.size() - used);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      ok = got == 0;
      break;
    }
    used += static_cast<std::size_t>(got);
  }
  ::close(fd);
  text.resize(ok ? used : 0);
  return ok;
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

namespace {

// Parses the headers of text with a parser kept from article to article, so
// that its patterns are compiled once.
const TMime& parseHeaders(TMime& parser, std::string_view text) {
  parser.clearMultipartContinuation();
  parser.ParseHeadersOnly(text);
  return parser;
}

// ArticlePartOf with the headers already parsed (nullptr: headerless).
ArticlePart partOf(std::string_view subject, std::string_view text, const TMime* headers) {
  ArticlePart out;
  PartNumbers counter;
  if (ParsePartNumbers(subject, counter)) {
    out.number = counter.part;
    out.total = counter.total;
    counter.AppendKey(out.series);
    return out;
  }
  if (headers && headers->partNumber() > 0) {
    out.number = clampedPart(headers->partNumber());
    out.total = headers->totalParts() > 0 ? clampedPart(headers->totalParts()) : -1;
    return out;
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

}  // namespace

ArticlePart ArticlePartOf(std::string_view subject, std::string_view text, bool headerless) {
  if (headerless) return partOf(subject, text, nullptr);
  TMime parser(false);
  return partOf(subject, text, &parseHeaders(parser, text));
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
  std::string head;
  if (!readFile(path, kHeadBytes, head)) return info;
  info.headerless = IsBareBody(head);
  const TMime* headers = nullptr;
  if (!info.headerless) {
    headers = &parseHeaders(headerParser_, head);
    info.subject = headers->headers().subject;
    info.from = headers->headers().from;
  }
  ArticlePart part = partOf(info.subject, head, headers);
  info.partNumber = part.number;
  info.partTotal = part.total;
  info.series = std::move(part.series);
  return info;
}

bool ArticleFileHost::storedText(BatchItem item, std::string& text) {
  // An unreadable file is listed and decodes as an empty article.
  const std::string& path = paths_.at(item);
  if (!readFile(path, static_cast<std::size_t>(-1), text)) unreadable_.push_back(path);
  return true;
}

void ArticleFileHost::markMissing(BatchItem item) { missing_.push_back(paths_.at(item)); }

}  // namespace orvel
