#include "memory_source.h"

#include "article_text.h"

namespace orvel::fixture {

MemorySource::MemorySource(std::string host, std::string group)
    : host_(std::move(host)), group_(std::move(group)) {}

void MemorySource::add(std::int64_t n, std::string text) {
  Entry entry;
  entry.messageId = headerValue(text, "Message-ID").value_or("");
  entry.overview = overviewLine(n, text, host_ + " " + group_ + ":" + std::to_string(n));
  entry.text = std::move(text);
  auto old = articles_.find(n);
  if (old != articles_.end()) byId_.erase(old->second.messageId);
  if (!entry.messageId.empty()) byId_[entry.messageId] = n;
  articles_[n] = std::move(entry);
}

std::int64_t MemorySource::low() const {
  return articles_.empty() ? 1 : articles_.begin()->first;
}

std::int64_t MemorySource::high() const {
  return articles_.empty() ? 0 : articles_.rbegin()->first;
}

std::int64_t MemorySource::count() const { return static_cast<std::int64_t>(articles_.size()); }

std::optional<std::int64_t> MemorySource::next(std::int64_t n) const {
  auto it = articles_.lower_bound(n);
  if (it == articles_.end()) return std::nullopt;
  return it->first;
}

std::optional<std::int64_t> MemorySource::previous(std::int64_t n) const {
  auto it = articles_.upper_bound(n);
  if (it == articles_.begin()) return std::nullopt;
  return std::prev(it)->first;
}

void MemorySource::appendOverview(std::int64_t n, std::string& out) const {
  out += articles_.at(n).overview;
}

std::string MemorySource::article(std::int64_t n) const { return articles_.at(n).text; }

std::string MemorySource::messageId(std::int64_t n) const { return articles_.at(n).messageId; }

std::optional<std::int64_t> MemorySource::findMessageId(std::string_view id) const {
  auto it = byId_.find(std::string(id));
  if (it == byId_.end()) return std::nullopt;
  return it->second;
}

}  // namespace orvel::fixture
