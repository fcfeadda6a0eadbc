#include "support/test_servers.h"

#include <cstdlib>
#include <fstream>

#include "core/text.h"

namespace orvel::test {

std::string TestServers::get(const std::string& key) const {
  auto it = values.find(key);
  return it == values.end() ? std::string() : it->second;
}

int TestServers::port(const std::string& key) const { return toIntDef(get(key), 0); }

std::string testServersEnvPath() {
  if (const char* path = std::getenv("ORVEL_TEST_SERVERS_ENV"); path && *path) return path;
  return std::string(ORVEL_SOURCE_DIR) + "/build/test-servers.env";
}

std::optional<TestServers> loadTestServers() {
  std::ifstream in(testServersEnvPath());
  if (!in) return std::nullopt;
  TestServers servers;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line[0] == '#') continue;
    const auto eq = line.find('=');
    if (eq == std::string::npos) continue;
    servers.values[trim(line.substr(0, eq))] = trim(line.substr(eq + 1));
  }
  if (servers.port("ORVEL_NNTP_PORT") == 0) return std::nullopt;
  return servers;
}

}  // namespace orvel::test
