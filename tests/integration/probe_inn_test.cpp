// orvel-cli probe against the test servers, and its argument errors.

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/cli/commands.h"
#include "support/qt_event_loop.h"
#include "support/test_servers.h"

namespace orvel::test {
namespace {

struct ProbeRun {
  int code;
  std::string out;
  std::string err;
};

ProbeRun probe(std::vector<std::string> args, std::string base = {}) {
  qtApp();
  std::ostringstream out, err;
  cli::CliContext context{std::move(args), base, {"--base", base}, out, err};
  const int code = cli::cmdProbe(context);
  return {code, out.str(), err.str()};
}

TEST(Probe, BadArgumentsExitTwoWithUsage) {
  const std::vector<std::vector<std::string>> rows = {
      {}, {"--port", "119"}, {"--host", "h", "--port", "0"}, {"--host"}, {"--bogus"}, {"alias", "--host", "h"},
      {"alias", "--no-compress"}, {"--host", "h", "--starttls", "--tls"}};
  for (const auto& args : rows) {
    const ProbeRun r = probe(args);
    EXPECT_EQ(r.code, 2) << ::testing::PrintToString(args);
    EXPECT_NE(r.err.find("usage: orvel-cli probe"), std::string::npos);
  }
}

TEST(Probe, OpenAndLoginServersPrintGreetingAndGroup) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  const std::vector<std::vector<std::string>> rows = {
      {"--host", s.host(), "--port", s.get("ORVEL_NNTP_PORT"), "--group", "test.small"},
      {"--host", s.host(), "--port", s.get("ORVEL_NNTP_AUTH_PORT"), "--user", "tester",
       "--password", "secret", "--group", "test.small"},
      {"--host", "localhost", "--port", s.get("ORVEL_NNTP_TLS_PORT"), "--tls", "--ca-file",
       s.get("ORVEL_NNTP_CA_FILE"), "--group", "test.small"},
  };
  for (const auto& args : rows) {
    SCOPED_TRACE(::testing::PrintToString(args));
    const ProbeRun r = probe(args);
    EXPECT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("greeting: 200 news.test.invalid"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("posting: allowed\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("group: 211 12 1 12 test.small\n"), std::string::npos) << r.out;
  }
}

TEST(Probe, PrintsCapabilitiesAndTheExtensionsInUse) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  struct Row {
    std::vector<std::string> flags;
    std::vector<std::string> lines;  // each expected in the output
  };
  const Row rows[] = {
      {{}, {"capabilities:\n", "\n  VERSION 2\n", "\n  STARTTLS\n", "\n  COMPRESS DEFLATE\n",
            "\ntls: none\ncompress: deflate\nover: OVER\npipelining: 4\n"}},
      {{"--no-compress", "--pipelining", "1"},
       {"\n  COMPRESS DEFLATE\n", "\ntls: none\ncompress: none\n", "\npipelining: none\n"}},
      {{"--starttls", "--ca-file", s.get("ORVEL_NNTP_CA_FILE")},
       {"\n  VERSION 2\n", "\ntls: starttls\ncompress: deflate\n"}},
      {{"--no-extensions"},
       {"\ncapabilities: none\ntls: none\ncompress: none\nover: XOVER\npipelining: none\n"}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(::testing::PrintToString(row.flags));
    std::vector<std::string> args = {"--host", "localhost", "--port", s.get("ORVEL_NNTP_PORT"),
                                     "--group", "test.small"};
    args.insert(args.end(), row.flags.begin(), row.flags.end());
    const ProbeRun r = probe(args);
    EXPECT_EQ(r.code, 0) << r.err;
    for (const std::string& line : row.lines) {
      EXPECT_NE(r.out.find(line), std::string::npos) << line << " in\n" << r.out;
    }
    EXPECT_NE(r.out.find("group: 211 12 1 12 test.small\n"), std::string::npos) << r.out;
  }
}

TEST(Probe, ProfilesOfServersIniByAlias) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  const std::string base = ::testing::TempDir() + "probe-alias-" + std::to_string(::getpid());
  std::filesystem::create_directories(base);
  {
    std::ofstream ini(base + "/servers.ini");
    ini << "[Profiles]\ncount=2\n1=open," << s.host() << ":" << s.get("ORVEL_NNTP_PORT")
        << "\n2=login," << s.host() << ":" << s.get("ORVEL_NNTP_AUTH_PORT")
        << "\n[login]\nUserName=tester\n";
  }
  ProbeRun r = probe({"open", "--group", "test.small"}, base);
  EXPECT_EQ(r.code, 0) << r.err;
  EXPECT_NE(r.out.find("group: 211 12 1 12 test.small\n"), std::string::npos) << r.out;

  // No stored password and no terminal: the login is refused, not hung.
  r = probe({"login", "--group", "test.small"}, base);
  EXPECT_EQ(r.code, 1);

  r = probe({"nowhere"}, base);
  EXPECT_EQ(r.code, 1);
  EXPECT_NE(r.err.find("no profile \"nowhere\""), std::string::npos) << r.err;
  std::filesystem::remove_all(base);
}

TEST(Probe, FailuresPrintTheTextAndExitOne) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  struct Row {
    std::vector<std::string> args;
    std::string text;
  };
  const Row rows[] = {
      {{"--host", "localhost", "--port", s.get("ORVEL_NNTP_TLS_PORT"), "--tls"},
       "Connexion TLS refusée par localhost : The issuer certificate"},
      {{"--host", s.host(), "--port", s.get("ORVEL_NNTP_PORT"), "--group", "no.such"},
       "411 No such group no.such (411)"},
      {{"--host", s.host(), "--port", s.get("ORVEL_NNTP_AUTH_PORT"), "--user", "tester",
        "--password", "wrong"},
       "481 Authentication failed (481)"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.text);
    const ProbeRun r = probe(row.args);
    EXPECT_EQ(r.code, 1);
    EXPECT_NE(r.err.find(row.text), std::string::npos) << r.err;
  }
}

}  // namespace
}  // namespace orvel::test
