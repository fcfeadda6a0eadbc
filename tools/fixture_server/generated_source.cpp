#include "generated_source.h"

#include <limits>

#include "core/text.h"

namespace orvel::fixture {

namespace {

constexpr std::string_view kCorpusHost = corpus::Corpus::kHost;
constexpr std::int64_t kLargest = std::numeric_limits<std::int32_t>::max();

// Replaces the corpus host after the first occurrence of prefix.
void replaceHost(std::string& text, std::string_view prefix, const std::string& host) {
  const std::size_t at = text.find(prefix);
  if (at == std::string::npos) return;
  const std::size_t start = at + prefix.size();
  if (text.compare(start, kCorpusHost.size(), kCorpusHost) == 0) {
    text.replace(start, kCorpusHost.size(), host);
  }
}

}  // namespace

GeneratedSource::GeneratedSource(std::string host, std::string group, std::int64_t count,
                                 std::uint64_t seed)
    : host_(std::move(host)), corpus_(std::move(group), seed), high_(std::min(count, kLargest)) {}

void GeneratedSource::setRange(std::int64_t low, std::int64_t high) {
  low_ = low < 1 ? 1 : low;
  high_ = std::min(high, kLargest);
}

std::optional<std::int64_t> GeneratedSource::next(std::int64_t n) const {
  if (n < low_) n = low_;
  if (n > high_) return std::nullopt;
  return n;
}

std::optional<std::int64_t> GeneratedSource::previous(std::int64_t n) const {
  if (n > high_) n = high_;
  if (n < low_) return std::nullopt;
  return n;
}

void GeneratedSource::appendOverview(std::int64_t n, std::string& out) const {
  corpus::Header h = corpus_.HeaderOf(static_cast<std::int32_t>(n));
  replaceHost(h.xref, "Xref: ", host_);
  // Path and Xref of the article carry the host.
  const std::int64_t bytes =
      h.bytes + 2 * (static_cast<std::int64_t>(host_.size()) - static_cast<std::int64_t>(kCorpusHost.size()));
  out += std::to_string(n);
  for (const std::string* field : {&h.subject, &h.from, &h.date, &h.messageId, &h.references}) {
    out += '\t';
    out += *field;
  }
  out += '\t';
  out += std::to_string(bytes);
  out += '\t';
  out += std::to_string(h.lines);
  out += '\t';
  out += h.xref;
}

std::string GeneratedSource::article(std::int64_t n) const {
  std::string text = corpus_.ArticleText(static_cast<std::int32_t>(n));
  replaceHost(text, "Path: ", host_);
  replaceHost(text, "\r\nXref: ", host_);
  return text;
}

std::string GeneratedSource::messageId(std::int64_t n) const {
  return corpus_.HeaderOf(static_cast<std::int32_t>(n)).messageId;
}

std::optional<std::int64_t> GeneratedSource::findMessageId(std::string_view id) const {
  // "<" + key + "." + number + "@" + domain + ">"
  const std::size_t at = id.find('@');
  if (id.size() < 4 || id.front() != '<' || id.back() != '>' || at == std::string_view::npos) {
    return std::nullopt;
  }
  const std::size_t dot = id.rfind('.', at);
  if (dot == std::string_view::npos) return std::nullopt;
  const std::string_view digits = id.substr(dot + 1, at - dot - 1);
  if (digits.empty() || digits.size() > 10 || digits[0] < '0' || digits[0] > '9') {
    return std::nullopt;
  }
  const auto n = parseDecimal(digits);
  if (!n || !exists(*n) || messageId(*n) != id) return std::nullopt;
  return n;
}

}  // namespace orvel::fixture
