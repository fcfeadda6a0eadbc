#pragma once
// TAltServs: the servers a group view may fetch a missing article from, in
// the order they are tried. The list comes from the group's effective
// "AltServers" value: "*" is every profile, "a|b" those aliases in that
// order, "~a|b" every profile but those; the view's own server stands first
// unless the list already holds the same server. The list is rebuilt only when
// that value changes.

#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "config/profile.h"

namespace orvel {

struct MainState;

class EAltServs : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class TAltServs {
 public:
  // The view's own profile and group, used when NextServer builds the list.
  TAltServs(MainState& main, std::shared_ptr<TProfile> viewProfile, std::string group);

  void Build(const std::shared_ptr<TProfile>& profile, std::string_view group);

  // The next listed server that is not the same server as current (the list
  // is built first when no alternative is in use). Past the end: with wrap
  // the first entry, whatever it is; without, nothing, and the walk restarts.
  std::shared_ptr<TProfile> NextServer(const TProfile& current, bool wrap);

  // The server at the current index; raises EAltServs "Faux Index de serveur "
  // when no server is chosen.
  const std::shared_ptr<TProfile>& CurrentServer() const;

  // The subject column's caption: "Sujet   ", "+ " while an alternative
  // server is in use, then the listed aliases joined by "|".
  std::string SubjectCaption() const;

  const std::vector<std::shared_ptr<TProfile>>& servers() const { return servers_; }
  int index() const { return index_; }
  bool inUse() const { return inUse_; }

 private:
  MainState& main_;
  std::shared_ptr<TProfile> viewProfile_;
  std::string group_;
  std::vector<std::shared_ptr<TProfile>> servers_;
  int index_ = -1;
  bool inUse_ = false;
  std::optional<std::string> builtFrom_;  // nothing until the first build
};

}  // namespace orvel
