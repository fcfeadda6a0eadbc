#include "news_store.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "article_text.h"
#include "core/text.h"
#include "dates.h"

namespace orvel::fixture {

Group::Group(std::string host, std::string name, GroupInfo info, std::unique_ptr<GroupSource> base)
    : name_(std::move(name)), info_(std::move(info)), base_(std::move(base)),
      posted_(std::move(host), name_) {}

std::int64_t Group::high() const {
  return std::max({base_->high(), posted_.high(), lastPosted_});
}

std::int64_t Group::low() const {
  auto first = next(std::numeric_limits<std::int64_t>::min());
  return first ? *first : high() + 1;
}

std::int64_t Group::count() const { return base_->count() + posted_.count(); }

std::optional<std::int64_t> Group::next(std::int64_t n) const {
  auto a = base_->next(n);
  auto b = posted_.next(n);
  if (a && b) return std::min(*a, *b);
  return a ? a : b;
}

std::optional<std::int64_t> Group::previous(std::int64_t n) const {
  auto a = base_->previous(n);
  auto b = posted_.previous(n);
  if (a && b) return std::max(*a, *b);
  return a ? a : b;
}

const GroupSource& Group::holder(std::int64_t n) const {
  if (posted_.exists(n)) return posted_;
  return *base_;
}

void Group::appendOverview(std::int64_t n, std::string& out) const {
  holder(n).appendOverview(n, out);
}

std::string Group::article(std::int64_t n) const { return holder(n).article(n); }

std::string Group::messageId(std::int64_t n) const { return holder(n).messageId(n); }

std::optional<std::int64_t> Group::findMessageId(std::string_view id) const {
  if (auto n = posted_.findMessageId(id)) return n;
  return base_->findMessageId(id);
}

std::int64_t Group::nextNumber() const { return high() + 1; }

void Group::addPosted(std::int64_t n, std::string text) {
  posted_.add(n, std::move(text));
  lastPosted_ = std::max(lastPosted_, n);
}

NewsStore::NewsStore(std::string host) : host_(std::move(host)) {}

Group* NewsStore::add(std::string name, GroupInfo info, std::unique_ptr<GroupSource> source) {
  if (groups_.count(name)) return nullptr;
  auto group = std::make_unique<Group>(host_, name, std::move(info), std::move(source));
  Group* raw = group.get();
  groups_.emplace(std::move(name), std::move(group));
  return raw;
}

Group* NewsStore::find(std::string_view name) {
  auto it = groups_.find(name);
  return it == groups_.end() ? nullptr : it->second.get();
}

std::optional<NewsStore::Location> NewsStore::findMessageId(std::string_view id) {
  for (auto& [name, group] : groups_) {
    if (auto n = group->findMessageId(id)) return Location{group.get(), *n};
  }
  return std::nullopt;
}

std::string NewsStore::recommendMessageId(std::int64_t now) {
  return "<fixture." + std::to_string(now) + "." + std::to_string(++idCounter_) + "@" + host_ + ">";
}

PostResult NewsStore::post(std::string_view text, std::int64_t now, std::string_view recommendedId) {
  if (trimView(text).empty()) return {false, "441 Article is empty"};
  ArticleParts parts = splitArticle(text);
  auto newsgroups = headerValue(text, "Newsgroups");
  if (!newsgroups || trimView(*newsgroups).empty()) {
    return {false, "441 Missing required Newsgroups header field"};
  }
  if (!headerValue(text, "Subject")) return {false, "441 Missing required Subject header field"};
  if (!headerValue(text, "From")) return {false, "441 Missing required From header field"};

  std::vector<Group*> targets;
  for (const std::string& name : splitChar(*newsgroups, ',')) {
    Group* group = find(trimView(name));
    if (group && std::find(targets.begin(), targets.end(), group) == targets.end()) {
      targets.push_back(group);
    }
  }
  if (targets.empty()) return {false, "441 No valid newsgroups in \"" + trim(*newsgroups) + "\""};

  auto id = headerValue(text, "Message-ID");
  if (id && findMessageId(trimView(*id))) return {false, "441 435 Duplicate"};

  // Headers a server adds on injection: Path first, Date and Message-ID
  // when missing, Xref last.
  std::string stored;
  if (!headerValue(text, "Path")) stored += "Path: " + host_ + "!not-for-mail\r\n";
  stored.append(parts.headers);
  if (!stored.ends_with("\r\n")) stored += "\r\n";
  if (!headerValue(text, "Date")) {
    stored += "Date: ";
    appendArticleDate(now, stored);
    stored += "\r\n";
  }
  std::string messageId = id ? trim(*id) : std::string(recommendedId);
  if (!id) stored += "Message-ID: " + messageId + "\r\n";
  std::string xref = "Xref: " + host_;
  std::vector<std::int64_t> numbers;
  for (Group* group : targets) {
    numbers.push_back(group->nextNumber());
    xref += " " + group->name() + ":" + std::to_string(numbers.back());
  }
  stored += xref + "\r\n\r\n";
  stored.append(parts.body);
  for (std::size_t i = 0; i < targets.size(); ++i) targets[i]->addPosted(numbers[i], stored);
  return {true, "240 Article received " + messageId};
}

}  // namespace orvel::fixture
