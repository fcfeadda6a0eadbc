// orvel-cli folders: the folder list changed through the program, with the
// files in the base directory's folders directory.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/cli_run.h"

namespace orvel::test {
namespace {

TEST(CliFolders, ChangesAndRefusals) {
  const auto base = std::filesystem::temp_directory_path() /
                    ("orvel-cli-folders-" + std::to_string(::getpid()));
  std::filesystem::remove_all(base);
  const std::string b = base.string();
  const std::string dir = b + "/folders/";
  struct Step {
    std::vector<std::string> args;
    int status;
    const char* err;  // a part of the one error line, or nullptr
  };
  const Step steps[] = {
      {{"new", "Arch"}, 0, nullptr},
      {{"new", "q", "--queue"}, 0, nullptr},
      {{"new", "ARCH"}, 1, "existe d\u00e9j\u00e0"},
      {{"new", "a/b"}, 1, "symboles"},
      {{"new", "x", "--frob"}, 2, "usage"},
      {{"rename", "Arch", "Arc2"}, 0, nullptr},
      {{"rename", "Sent", "S2"}, 1, "dossier fixe"},
      {{"rename", "nope", "S2"}, 1, "no folder named nope"},
      {{"delete", "Arc2"}, 1, "--files"},
      {{"delete", "Arc2", "--files"}, 0, nullptr},
      {{"delete", "q", "--keep-files"}, 0, nullptr},
      {{"frob"}, 2, "usage"},
  };
  std::filesystem::create_directories(dir);
  for (const auto& step : steps) {
    if (step.args[0] == "rename" && step.args[1] == "Arch") std::ofstream(dir + "Arch.mbx") << "x";
    std::vector<std::string> args = {"--base", b, "folders"};
    args.insert(args.end(), step.args.begin(), step.args.end());
    const CliRun run = runCli(args);
    SCOPED_TRACE(step.args[0] + " " + (step.args.size() > 1 ? step.args[1] : ""));
    EXPECT_EQ(run.status, step.status) << run.err;
    if (step.err) {
      EXPECT_NE(run.err.find(step.err), std::string::npos) << run.err;
    }
  }
  EXPECT_FALSE(std::filesystem::exists(dir + "Arch.mbx"));
  EXPECT_FALSE(std::filesystem::exists(dir + "Arc2.mbx"));
  const CliRun list = runCli({"--base", b, "folders", "list"});
  EXPECT_EQ(list.status, 0);
  EXPECT_EQ(list.out, "Outbox\toutbox\t" + dir + "Outbox.mbx\nSent\tsent\t" + dir + "Sent.mbx\n");
  std::filesystem::remove_all(base);
}

}  // namespace
}  // namespace orvel::test
