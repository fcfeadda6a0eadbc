#pragma once
// Runs the orvel-cli binary with arguments; its exit status and both outputs.
// A run is killed after kCliTimeLimit seconds (status 124): a command that
// would wait for ever fails its test instead of holding it.

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace orvel::test {

struct CliRun {
  int status = -1;
  std::string out;
  std::string err;
};

inline std::string slurpFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  std::string text;
  if (!f) return text;
  char buf[65536];
  for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;) text.append(buf, n);
  std::fclose(f);
  return text;
}

inline constexpr int kCliTimeLimit = 240;

inline CliRun runCli(const std::vector<std::string>& args) {
  const std::string cli = std::string(ORVEL_BINARY_DIR) + "/src/app/orvel-cli";
  std::string command = "timeout -k 5 " + std::to_string(kCliTimeLimit) + " '" + cli + "'";
  for (const auto& a : args) command += " '" + a + "'";
  const auto dir = std::filesystem::temp_directory_path();
  const std::string outFile = (dir / ("orvel-cli-out-" + std::to_string(::getpid()))).string();
  const std::string errFile = outFile + ".err";
  CliRun run;
  const int rc = std::system((command + " >'" + outFile + "' 2>'" + errFile + "' </dev/null").c_str());
  run.status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  run.out = slurpFile(outFile);
  run.err = slurpFile(errFile);
  std::filesystem::remove(outFile);
  std::filesystem::remove(errFile);
  return run;
}

}  // namespace orvel::test
