// The session's commands on groups and articles: GROUP, LISTGROUP, XOVER and
// OVER, XHDR and HDR, XPAT, ARTICLE, HEAD, BODY, STAT, NEXT and LAST.
// Listings over a range are produced by the reply chunk by chunk.

#include <charconv>
#include <memory>

#include "article_text.h"
#include "core/text.h"
#include "text_util.h"
#include "session.h"
#include "wildmat.h"

namespace orvel::fixture {

namespace {

constexpr std::size_t kChunk = 256 * 1024;

struct NumberRange {
  std::int64_t from;
  std::int64_t to;
};

std::optional<std::int64_t> articleNumber(std::string_view text) {
  if (text.empty() || text.size() > 18 || text[0] < '0' || text[0] > '9') return std::nullopt;
  return parseDecimal(text);
}

// "n", "n-" (up to the high mark) or "n-m".
std::optional<NumberRange> parseRange(std::string_view text, const Group& g) {
  std::size_t dash = text.find('-');
  auto from = articleNumber(text.substr(0, dash));
  if (!from) return std::nullopt;
  if (dash == std::string_view::npos) return NumberRange{*from, *from};
  if (dash + 1 == text.size()) return NumberRange{*from, std::max(g.high(), *from - 1)};
  auto to = articleNumber(text.substr(dash + 1));
  if (!to) return std::nullopt;
  return NumberRange{*from, *to};
}

bool anyIn(const Group& g, NumberRange r) {
  auto n = g.next(r.from);
  return n && *n <= r.to;
}

// Appends one line per existing, not omitted number of the range; each
// line's text comes from lineFor (which returns false to leave it out).
template <typename LineFor>
std::function<bool(std::string&)> rangeProducer(const Group* g, NumberRange r, OmitSet omit,
                                                LineFor lineFor) {
  return [g, n = r.from, to = r.to, omit = std::move(omit), lineFor](std::string& out) mutable {
    while (out.size() < kChunk) {
      auto k = n <= to ? g->next(n) : std::nullopt;
      if (!k || *k > to) {
        out += ".\r\n";
        return false;
      }
      if (!omit.contains(*k)) lineFor(*k, out);
      n = *k + 1;
    }
    return true;
  };
}

// Overview field index of a header name (1 Subject ... 8 Xref), or 0.
int overviewIndex(std::string_view name) {
  static constexpr std::string_view kFields[] = {"subject",    "from",  "date",  "message-id",
                                                 "references", "bytes", "lines", "xref"};
  for (int i = 0; i < 8; ++i) {
    if (equalsNoCase(name, kFields[i])) return i + 1;
  }
  if (equalsNoCase(name, ":bytes")) return 6;
  if (equalsNoCase(name, ":lines")) return 7;
  return 0;
}

// The value of a header of article n, from its overview line when the header
// is an overview field, else from the article; nothing when absent.
std::optional<std::string> headerOf(const Group& g, std::int64_t n, std::string_view name) {
  int field = overviewIndex(name);
  if (field == 0) return headerValue(g.article(n), name);
  std::string line;
  g.appendOverview(n, line);
  std::vector<std::string> fields = splitChar(line, '\t');
  if (static_cast<std::size_t>(field) >= fields.size()) return std::string();
  std::string value = fields[field];
  if (field == 8 && startsWithNoCase(value, "Xref: ")) value.erase(0, 6);
  return value;
}

std::string fromWhere(std::string_view name) {
  return overviewIndex(name) ? "(from overview)" : "(from articles)";
}

}  // namespace

Reply Session::group(const Args& args) {
  if (args.empty()) return lineReply("501 Syntax is: GROUP newsgroup");
  Group* g = state_.store.find(args[0]);
  if (!g) return lineReply("411 No such group " + std::string(args[0]));
  group_ = g;
  current_ = g->count() > 0 ? g->low() : 0;
  return lineReply("211 " + std::to_string(g->count()) + " " + std::to_string(g->low()) + " " +
                   std::to_string(g->high()) + " " + g->name());
}

Reply Session::listgroup(const Args& args) {
  Group* g = group_;
  if (!args.empty()) {
    g = state_.store.find(args[0]);
    if (!g) return lineReply("411 No such group " + std::string(args[0]));
  }
  if (!g) return lineReply("412 Not in a newsgroup");
  NumberRange range{g->low(), g->high()};
  if (args.size() > 1) {
    auto r = parseRange(args[1], *g);
    if (!r) return lineReply("501 Syntax is: LISTGROUP [newsgroup [range]]");
    range = *r;
  }
  group_ = g;
  current_ = g->count() > 0 ? g->low() : 0;
  Reply reply = lineReply("211 " + std::to_string(g->count()) + " " + std::to_string(g->low()) +
                          " " + std::to_string(g->high()) + " " + g->name());
  reply.produce = rangeProducer(g, range, {}, [](std::int64_t n, std::string& out) {
    appendNumber(n, out);
    out += "\r\n";
  });
  return reply;
}

Reply Session::overview(const std::string& command, const Args& args, const OmitSet& omit) {
  if (!args.empty() && args[0].starts_with("<")) {
    return lineReply("503 Overview by Message-ID unsupported");
  }
  if (!group_) return lineReply("412 Not in a newsgroup");
  std::string rangeText;
  NumberRange range{};
  if (args.empty()) {
    if (current_ == 0 || !group_->exists(current_)) {
      return lineReply("420 Current article number " + std::to_string(current_) + " is invalid");
    }
    range = {current_, current_};
    rangeText = std::to_string(current_);
  } else {
    auto r = parseRange(args[0], *group_);
    if (!r || args.size() > 1) return lineReply("501 Syntax is: " + command + " [range]");
    range = *r;
    rangeText = std::string(args[0]);
  }
  if (!anyIn(*group_, range)) {
    if (command == "OVER") return lineReply("423 No articles in " + rangeText);
    return Reply("224 No articles in " + rangeText + "\r\n.\r\n");
  }
  Reply reply = lineReply("224 Overview information for " + rangeText + " follows");
  const Group* g = group_;
  reply.produce = rangeProducer(g, range, omit, [g](std::int64_t n, std::string& out) {
    g->appendOverview(n, out);
    out += "\r\n";
  });
  return reply;
}

Reply Session::headers(const std::string& command, const Args& args, const OmitSet& omit) {
  bool hdr = command == "HDR";
  if (args.empty() || args.size() > 2) {
    return lineReply("501 Syntax is: " + command + " header [message-ID|range]");
  }
  std::string name(args[0]);
  if (args.size() == 2 && args[1].starts_with("<")) {
    auto found = state_.store.findMessageId(args[1]);
    if (!found) return lineReply("430 No such article");
    std::string value = headerOf(*found->group, found->number, name).value_or("");
    std::string status = hdr ? "225 Header information for " + name + " follows (from the article)"
                             : "221 Header information for " + name + " follows " + fromWhere(name);
    std::string key = hdr ? "0" : std::string(args[1]);
    return Reply(status + "\r\n" + key + " " + overviewField(value) + "\r\n.\r\n");
  }
  if (!group_) return lineReply("412 Not in a newsgroup");
  NumberRange range{current_, current_};
  std::string rangeText = std::to_string(current_);
  if (args.size() == 2) {
    auto r = parseRange(args[1], *group_);
    if (!r) return lineReply("501 Syntax is: " + command + " header [message-ID|range]");
    range = *r;
    rangeText = std::string(args[1]);
  } else if (current_ == 0 || !group_->exists(current_)) {
    return lineReply("420 Current article number " + std::to_string(current_) + " is invalid");
  }
  if (!anyIn(*group_, range)) {
    if (hdr) return lineReply("423 No articles in " + rangeText);
    return Reply("221 No header information for " + name + " follows " + fromWhere(name) +
                 "\r\n.\r\n");
  }
  Reply reply = lineReply(hdr ? "225 Header or metadata information for " + name + " follows " +
                                    fromWhere(name)
                              : "221 Header information for " + name + " follows " +
                                    fromWhere(name));
  const Group* g = group_;
  reply.produce = rangeProducer(g, range, omit, [g, name](std::int64_t n, std::string& out) {
    auto value = headerOf(*g, n, name);
    if (!value) return;
    appendNumber(n, out);
    out += ' ';
    out += overviewField(*value);
    out += "\r\n";
  });
  return reply;
}

Reply Session::xpat(const Args& args, const OmitSet& omit) {
  if (args.size() < 3) {
    return lineReply("501 Syntax is: XPAT header message-ID|range pattern [pattern ...]");
  }
  std::string name(args[0]);
  std::vector<std::string> patterns(args.begin() + 2, args.end());
  auto matches = [patterns](std::string_view value) {
    for (const std::string& p : patterns) {
      if (wildmatListMatch(p, value)) return true;
    }
    return false;
  };
  std::string status = "221 Header or metadata information for " + name + " follows " + fromWhere(name);
  if (args[1].starts_with("<")) {
    auto found = state_.store.findMessageId(args[1]);
    if (!found) return lineReply("430 No such article");
    std::string text = status + "\r\n";
    auto value = headerOf(*found->group, found->number, name);
    if (value && matches(*value)) text += std::string(args[1]) + " " + overviewField(*value) + "\r\n";
    return Reply(text + ".\r\n");
  }
  if (!group_) return lineReply("412 Not in a newsgroup");
  auto range = parseRange(args[1], *group_);
  if (!range) return lineReply("501 Syntax is: XPAT header message-ID|range pattern [pattern ...]");
  if (!anyIn(*group_, *range)) {
    return Reply("221 No header information for " + name + " follows " + fromWhere(name) +
                 "\r\n.\r\n");
  }
  Reply reply = lineReply(status);
  const Group* g = group_;
  reply.produce = rangeProducer(g, *range, omit, [g, name, matches](std::int64_t n, std::string& out) {
    auto value = headerOf(*g, n, name);
    if (!value || !matches(*value)) return;
    appendNumber(n, out);
    out += ' ';
    out += overviewField(*value);
    out += "\r\n";
  });
  return reply;
}

Reply Session::article(const std::string& command, const Args& args) {
  const Group* g = group_;
  std::int64_t n = current_;
  std::int64_t shown = current_;
  if (!args.empty() && args[0].starts_with("<")) {
    auto found = state_.store.findMessageId(args[0]);
    if (!found) return lineReply("430 No such article");
    g = found->group;
    n = found->number;
    shown = 0;
  } else if (!group_) {
    return lineReply("412 Not in a newsgroup");
  } else if (!args.empty()) {
    auto number = articleNumber(args[0]);
    if (!number) return lineReply("501 Syntax is: " + command + " [message-ID|number]");
    if (!group_->exists(*number)) {
      return lineReply("423 No such article number " + std::string(args[0]));
    }
    n = shown = current_ = *number;
  } else if (current_ == 0 || !group_->exists(current_)) {
    return lineReply("420 Current article number " + std::to_string(current_) + " is invalid");
  }
  std::string id = g->messageId(n);
  std::string head = std::to_string(shown) + " " + id + " ";
  if (command == "STAT") return lineReply("223 " + head + "status");
  std::string text = g->article(n);
  ArticleParts parts = splitArticle(text);
  std::string out;
  if (command == "ARTICLE") {
    out = "220 " + head + "article\r\n";
    appendWireText(text, out);
  } else if (command == "HEAD") {
    out = "221 " + head + "head\r\n";
    appendWireText(parts.headers, out);
  } else {
    out = "222 " + head + "body\r\n";
    appendWireText(parts.body, out);
  }
  out += ".\r\n";
  return Reply(std::move(out));
}

Reply Session::nextLast(bool forward) {
  if (!group_) return lineReply("412 Not in a newsgroup");
  if (current_ == 0 || !group_->exists(current_)) {
    return lineReply("420 Current article number " + std::to_string(current_) + " is invalid");
  }
  auto k = forward ? group_->next(current_ + 1) : group_->previous(current_ - 1);
  if (!k) {
    return lineReply(forward ? "421 No next article to retrieve" : "422 No previous article to retrieve");
  }
  current_ = *k;
  return lineReply("223 " + std::to_string(*k) + " " + group_->messageId(*k) +
                   " Article retrieved; request text separately");
}

}  // namespace orvel::fixture
