#pragma once
// Where the test servers of scripts/test-servers listen: read from the
// environment file that `scripts/test-servers start` writes
// (build/test-servers.env in the source tree, or the file named by
// ORVEL_TEST_SERVERS_ENV). Integration tests skip when it is absent.

#include <map>
#include <optional>
#include <string>

namespace orvel::test {

struct TestServers {
  std::map<std::string, std::string> values;

  // The value of a key such as "ORVEL_NNTP_PORT"; empty when absent.
  std::string get(const std::string& key) const;
  int port(const std::string& key) const;
  std::string host() const { return get("ORVEL_NNTP_HOST"); }

  // The SMTP sink: SMTP port with STARTTLS and login, plain port without.
  bool hasSmtp() const { return port("ORVEL_SMTP_PORT") != 0; }
  std::string smtpHost() const { return get("ORVEL_SMTP_HOST"); }
  int smtpPort() const { return port("ORVEL_SMTP_PORT"); }
  int smtpPlainPort() const { return port("ORVEL_SMTP_PLAIN_PORT"); }
  std::string smtpUser() const { return get("ORVEL_SMTP_USER"); }
  std::string smtpPassword() const { return get("ORVEL_SMTP_PASSWORD"); }
  std::string smtpCaFile() const { return get("ORVEL_SMTP_CA_FILE"); }
  // Where the sink stores each mail as NAME.eml beside its envelope NAME.env.
  std::string smtpMailDir() const { return get("ORVEL_SMTP_MAIL_DIR"); }
};

std::string testServersEnvPath();
// Nothing when the servers were not started.
std::optional<TestServers> loadTestServers();

}  // namespace orvel::test

// Skips the current test when the servers are not running.
#define ORVEL_REQUIRE_TEST_SERVERS(var)                                                   \
  auto var##_loaded = ::orvel::test::loadTestServers();                                   \
  if (!var##_loaded) {                                                                    \
    GTEST_SKIP() << "test servers not running (start them with scripts/test-servers "     \
                    "start; ./test does): no "                                            \
                 << ::orvel::test::testServersEnvPath();                                  \
  }                                                                                       \
  const ::orvel::test::TestServers& var = *var##_loaded
