#pragma once
// What every connection of one fixture server shares: its settings, its
// groups, its faults and the clock used for DATE, NEWGROUPS and POST.

#include <cstdint>
#include <ctime>
#include <functional>
#include <optional>
#include <string>

#include "fault.h"
#include "news_store.h"

namespace orvel::fixture {

struct ServerConfig {
  std::string host = "fixture.invalid";  // in the greeting, Path and Xref
  std::optional<std::string> authUser;   // set: AUTHINFO is required
  std::string authPassword;
  bool postingAllowed = true;
};

struct ServerState {
  explicit ServerState(ServerConfig c) : config(std::move(c)), store(config.host) {}

  ServerConfig config;
  NewsStore store;
  FaultTable faults;
  std::uint64_t nextConnection = 1;
  std::function<std::int64_t()> now = [] { return static_cast<std::int64_t>(std::time(nullptr)); };
};

}  // namespace orvel::fixture
