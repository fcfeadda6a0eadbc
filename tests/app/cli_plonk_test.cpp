// orvel-cli plonk: add, list and remove through the program, the file in
// the base directory's data folder.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "support/cli_run.h"

namespace orvel::test {
namespace {

TEST(CliPlonk, RoundTrip) {
  const auto base = std::filesystem::temp_directory_path() /
                    ("orvel-cli-plonk-" + std::to_string(::getpid()));
  std::filesystem::remove_all(base);
  const std::string b = base.string();
  struct Step {
    std::vector<std::string> args;
    int status;
    const char* out;  // what list prints after the step
  };
  const Step steps[] = {
      {{"plonk", "add", "Bob", "Bob@X.org", "--days", "0"}, 0, "bob\tbob@x.org\t\n"},
      {{"plonk", "add", "BOB", "bob@x.ORG"}, 1, "bob\tbob@x.org\t\n"},
      {{"plonk", "add", "al", "al@y"}, 0, nullptr},
      {{"plonk", "remove", "Bob", "bob@x.org"}, 0, nullptr},
      {{"plonk", "remove", "Bob", "bob@x.org"}, 1, nullptr},
      {{"plonk", "add", "z", "z@y", "--days", "366"}, 2, nullptr},
      {{"plonk", "frob"}, 2, nullptr},
  };
  for (const auto& step : steps) {
    std::vector<std::string> args = {"--base", b};
    args.insert(args.end(), step.args.begin(), step.args.end());
    const CliRun run = runCli(args);
    SCOPED_TRACE(step.args[1] + " " + (step.args.size() > 2 ? step.args[2] : ""));
    EXPECT_EQ(run.status, step.status) << run.err;
    if (step.status != 0) {
      EXPECT_FALSE(run.err.empty());
    }
    if (step.out) {
      const CliRun list = runCli({"--base", b, "plonk", "list"});
      EXPECT_EQ(list.status, 0);
      EXPECT_EQ(list.out, step.out);
    }
  }
  const CliRun dup = runCli({"--base", b, "plonk", "add", "AL", "AL@Y"});
  EXPECT_NE(dup.err.find("already plonked"), std::string::npos) << dup.err;
  // al was added for the default 100 days: its expiry shows as a date.
  const CliRun list = runCli({"--base", b, "plonk", "list"});
  ASSERT_EQ(list.out.rfind("al\tal@y\t", 0), 0u) << list.out;
  EXPECT_GT(list.out.size(), std::string("al\tal@y\t\n").size());
  EXPECT_EQ(slurpFile(b + "/data/plonker.ini").rfind("al\tal@y\t", 0), 0u);
  std::filesystem::remove_all(base);
}

}  // namespace
}  // namespace orvel::test
