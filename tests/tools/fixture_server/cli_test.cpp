// The orvel-fixture-server program: how a script starts it and learns its
// port, that it refuses addresses other than loopback, and its help.

#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "fixture_harness.h"
#include "nntp_test_client.h"

extern char** environ;

namespace orvel::test {
namespace {

struct Spawned {
  pid_t pid = -1;
  FILE* out = nullptr;
};

Spawned spawnServer(std::vector<std::string> args) {
  args.insert(args.begin(), ORVEL_FIXTURE_SERVER_PATH);
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  int fds[2];
  EXPECT_EQ(pipe(fds), 0);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  Spawned s;
  EXPECT_EQ(posix_spawn(&s.pid, argv[0], &actions, nullptr, argv.data(), environ), 0);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  s.out = fdopen(fds[0], "r");
  return s;
}

int waitExit(pid_t pid) {
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(FixtureServerProgramTest, PrintsItsPortAndServesUntilTerminated) {
  Spawned s = spawnServer({"--port", "0", "--generate", "alt.cli:25:3", "--fault", "cmd=ARTICLE once reply 430"});
  int port = 0;
  ASSERT_EQ(fscanf(s.out, "PORT %d", &port), 1);
  ASSERT_GT(port, 0);
  {
    NntpTestClient c(port);
    EXPECT_TRUE(c.readLine()->starts_with("200 "));
    EXPECT_EQ(c.command("GROUP alt.cli"), "211 25 1 25 alt.cli");
    EXPECT_EQ(c.command("ARTICLE 1"), "430 No such article");
    EXPECT_EQ(c.command("STAT 1"), "223 1 " + GeneratedId("alt.cli", 1, 3) + " status");
    EXPECT_EQ(c.command("QUIT"), "205 Bye!");
  }
  kill(s.pid, SIGTERM);
  EXPECT_EQ(waitExit(s.pid), 0);
  fclose(s.out);
}

TEST(FixtureServerProgramTest, RefusesAnyAddressButLoopback) {
  Spawned s = spawnServer({"--bind", "0.0.0.0", "--port", "0"});
  EXPECT_EQ(waitExit(s.pid), 1);
  char buf[64] = {};
  EXPECT_EQ(fgets(buf, sizeof buf, s.out), nullptr);  // no PORT line
  fclose(s.out);
}

TEST(FixtureServerProgramTest, BadOptionsExitWithUsageError) {
  for (std::vector<std::string> args : {std::vector<std::string>{"--fault", "explode"},
                                        std::vector<std::string>{"--generate", "alt.x"},
                                        std::vector<std::string>{"--auth", "nocolon"}}) {
    Spawned s = spawnServer(args);
    EXPECT_EQ(waitExit(s.pid), 2) << args[0] << " " << args[1];
    fclose(s.out);
  }
}

TEST(FixtureServerProgramTest, HelpNamesEveryFaultAndControlCommand) {
  Spawned s = spawnServer({"--help"});
  std::string help;
  char buf[4096];
  while (std::size_t n = fread(buf, 1, sizeof buf, s.out)) help.append(buf, n);
  EXPECT_EQ(waitExit(s.pid), 0);
  fclose(s.out);
  for (const char* word : {"reset BYTES", "stall SECONDS", "reply CODE", "drip [MS]", "omit NUMBERS",
                           "greeting CODE", "close-after-greeting", "XFAULT", "XNEWGROUP", "XRANGE",
                           "--auth", "--corpus", "--generate", "PORT <n>"}) {
    EXPECT_NE(help.find(word), std::string::npos) << word;
  }
}

}  // namespace
}  // namespace orvel::test
