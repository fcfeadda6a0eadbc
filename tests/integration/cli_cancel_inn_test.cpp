// orvel-cli cancel against the real INN 2 of scripts/test-servers: an
// article posted to a group of its own is cancelled, and the server no
// longer has it.

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>

#include "config/temp_base_dir.h"
#include "support/cli_run.h"
#include "support/test_servers.h"

namespace orvel::test {
namespace {

int harness(const std::string& arguments) {
  return std::system((std::string(ORVEL_SOURCE_DIR) + "/scripts/test-servers " + arguments +
                      " >/dev/null 2>&1")
                         .c_str());
}

// Posts an article with Python's nntplib and prints the group's last number.
std::string post(const TestServers& s, const std::string& id) {
  const std::string script =
      "import nntplib, io\n"
      "s = nntplib.NNTP('" + s.host() + "', " + s.get("ORVEL_NNTP_PORT") + ", readermode=True)\n"
      "s.post(io.BytesIO(b'From: Ann <ann@test.invalid>\\r\\nNewsgroups: test.cancel\\r\\n"
      "Subject: To be cancelled\\r\\nMessage-ID: " + id + "\\r\\n\\r\\nbody\\r\\n'))\n"
      "print(s.group('test.cancel')[3])\n";
  FILE* pipe = ::popen(("/usr/bin/python3 -W ignore -c \"" + script + "\"").c_str(), "r");
  if (!pipe) return {};
  char line[64] = {};
  const bool read = std::fgets(line, sizeof line, pipe) != nullptr;
  ::pclose(pipe);
  std::string number = read ? line : "";
  while (!number.empty() && (number.back() == '\n' || number.back() == '\r')) number.pop_back();
  return number;
}

TEST(CliCancelInn, CancelledArticleIsGone) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  ASSERT_EQ(harness("newgroup test.cancel"), 0);
  TempBaseDir dir;
  dir.write("servers.ini", "[Profiles]\r\ncount=1\r\n1=inn," + s.host() + ":" +
                               s.get("ORVEL_NNTP_PORT") + "\r\n");
  const auto stamp = std::chrono::system_clock::now().time_since_epoch().count();
  const std::string id = "<cancel-me." + std::to_string(stamp) + "@orvel.test.invalid>";
  const std::string number = post(s, id);
  ASSERT_FALSE(number.empty());

  const auto cli = [&](std::vector<std::string> args) {
    args.insert(args.begin(), {"--base", dir.path()});
    return runCli(args);
  };
  ASSERT_EQ(cli({"article", "inn", "test.cancel", id}).status, 0) << "posted";
  const CliRun cancel = cli({"cancel", "inn", "test.cancel", number});
  ASSERT_EQ(cancel.status, 0) << cancel.err;
  EXPECT_EQ(cancel.out, "Cancel envoy\u00e9 !\n");
  const CliRun article = cli({"article", "inn", "test.cancel", id});
  EXPECT_EQ(article.status, 1) << article.out;
  EXPECT_NE(article.err.find("could not be fetched"), std::string::npos) << article.err;
  EXPECT_EQ(cli({"cancel", "inn", "test.cancel", "x"}).status, 2);
}

}  // namespace
}  // namespace orvel::test
