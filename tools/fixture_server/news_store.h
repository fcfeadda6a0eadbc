#pragma once
// The newsgroups the fixture server carries. A group is a base source
// (a corpus directory or a generator) plus the articles posted to it while
// the server runs; posted articles take numbers above every number the group
// ever had, as a real server would give them.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "group_source.h"
#include "memory_source.h"

namespace orvel::fixture {

class Group {
 public:
  Group(std::string host, std::string name, GroupInfo info, std::unique_ptr<GroupSource> base);

  const std::string& name() const { return name_; }
  GroupInfo& info() { return info_; }
  const GroupInfo& info() const { return info_; }
  GroupSource& base() { return *base_; }

  std::int64_t low() const;
  std::int64_t high() const;
  std::int64_t count() const;
  std::optional<std::int64_t> next(std::int64_t n) const;
  std::optional<std::int64_t> previous(std::int64_t n) const;
  bool exists(std::int64_t n) const { return next(n) == n; }
  void appendOverview(std::int64_t n, std::string& out) const;
  std::string article(std::int64_t n) const;
  std::string messageId(std::int64_t n) const;
  std::optional<std::int64_t> findMessageId(std::string_view id) const;

  // The number a posted article will get.
  std::int64_t nextNumber() const;
  void addPosted(std::int64_t n, std::string text);

 private:
  const GroupSource& holder(std::int64_t n) const;

  std::string name_;
  GroupInfo info_;
  std::unique_ptr<GroupSource> base_;
  MemorySource posted_;
  std::int64_t lastPosted_ = 0;
};

struct PostResult {
  bool accepted = false;
  std::string reply;  // the status line without CRLF
};

class NewsStore {
 public:
  explicit NewsStore(std::string host);

  const std::string& host() const { return host_; }
  // Adds a group; nothing when the name is taken.
  Group* add(std::string name, GroupInfo info, std::unique_ptr<GroupSource> source);
  Group* find(std::string_view name);
  const std::map<std::string, std::unique_ptr<Group>, std::less<>>& groups() const {
    return groups_;
  }

  struct Location {
    Group* group;
    std::int64_t number;
  };
  std::optional<Location> findMessageId(std::string_view id);

  // The Message-ID offered in the 340 reply to POST.
  std::string recommendMessageId(std::int64_t now);
  // Stores a posted article (CRLF lines, dot-stuffing already undone) in the
  // groups its Newsgroups header names, with recommendedId as its Message-ID
  // when it has none; the reply is 240 or 441 as INN gives.
  PostResult post(std::string_view text, std::int64_t now, std::string_view recommendedId);

 private:
  std::string host_;
  std::map<std::string, std::unique_ptr<Group>, std::less<>> groups_;
  std::int64_t idCounter_ = 0;
};

}  // namespace orvel::fixture
