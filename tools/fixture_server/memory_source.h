#pragma once
// A group held in memory: the articles of a corpus directory and the
// articles posted while the server runs. Overview lines are computed once,
// when an article is added.

#include <map>
#include <memory>
#include <string>
#include <unordered_map>

#include "group_source.h"

namespace orvel::fixture {

class MemorySource : public GroupSource {
 public:
  // Articles without an Xref header of their own get "Xref: host group:n".
  MemorySource(std::string host, std::string group);

  // Adds (or replaces) article n.
  void add(std::int64_t n, std::string text);

  std::int64_t low() const override;
  std::int64_t high() const override;
  std::int64_t count() const override;
  std::optional<std::int64_t> next(std::int64_t n) const override;
  std::optional<std::int64_t> previous(std::int64_t n) const override;
  void appendOverview(std::int64_t n, std::string& out) const override;
  std::string article(std::int64_t n) const override;
  std::string messageId(std::int64_t n) const override;
  std::optional<std::int64_t> findMessageId(std::string_view id) const override;

 private:
  struct Entry {
    std::string text;
    std::string overview;
    std::string messageId;
  };
  std::string host_;
  std::string group_;
  std::map<std::int64_t, Entry> articles_;
  std::unordered_map<std::string, std::int64_t> byId_;
};

}  // namespace orvel::fixture
