#pragma once
// Command line of orvel-fixture-server, and the set-up of a server from it.

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "fault.h"
#include "server.h"

namespace orvel::fixture {

struct GeneratedGroup {
  std::string name;
  std::int64_t count = 0;
  std::uint64_t seed = 1;
};

struct Options {
  std::string bind = "127.0.0.1";
  int port = 0;
  ServerConfig config;
  std::vector<std::string> corpusDirs;
  std::vector<GeneratedGroup> generated;
  std::vector<FaultSpec> faults;
  std::optional<std::int64_t> created;  // creation time of generated groups
  bool verbose = false;
  bool help = false;
};

// The options, or an error text.
std::variant<Options, std::string> parseOptions(const std::vector<std::string>& args);
std::variant<GeneratedGroup, std::string> parseGeneratedGroup(std::string_view text);
std::string helpText();

// Adds the groups and faults of the options to the server. Throws
// CorpusError or ServerError.
void configureServer(Server& server, const Options& options);

}  // namespace orvel::fixture
