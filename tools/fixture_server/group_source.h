#pragma once
// The articles of one newsgroup as the fixture server sees them: a numbered,
// possibly sparse set of articles, each with an overview line and a full text.
// Sources are asked one article at a time so that a million-line XOVER is
// produced while the socket drains, never built whole in memory.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvel::fixture {

// What LIST NEWSGROUPS, LIST ACTIVE and NEWGROUPS tell about a group.
struct GroupInfo {
  std::string description;
  std::int64_t created = 946684800;  // seconds since 1970 (UTC); 2000-01-01 by default
  char status = 'y';                 // y posting, n no posting, m moderated
};

class GroupSource {
 public:
  virtual ~GroupSource() = default;

  // Lowest and highest article numbers; an empty source has low = high + 1.
  virtual std::int64_t low() const = 0;
  virtual std::int64_t high() const = 0;
  virtual std::int64_t count() const = 0;

  // Smallest existing number >= n, or nothing.
  virtual std::optional<std::int64_t> next(std::int64_t n) const = 0;
  // Largest existing number <= n, or nothing.
  virtual std::optional<std::int64_t> previous(std::int64_t n) const = 0;
  bool exists(std::int64_t n) const { return next(n) == n; }

  // Appends the overview line of existing article n: its number and the seven
  // fields of LIST OVERVIEW.FMT, tab-separated, without the line end.
  virtual void appendOverview(std::int64_t n, std::string& out) const = 0;
  // The full text (headers, blank line, body) of existing article n; line
  // ends may be LF or CRLF, without dot-stuffing.
  virtual std::string article(std::int64_t n) const = 0;
  virtual std::string messageId(std::int64_t n) const = 0;
  // The number of the article with this Message-ID (angle brackets included).
  virtual std::optional<std::int64_t> findMessageId(std::string_view id) const = 0;
};

}  // namespace orvel::fixture
