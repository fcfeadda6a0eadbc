#pragma once
// orvel-cli: the program's logic without windows, for scripts, benchmarks and
// end-to-end tests. Each command lives in its own cmd_<name>.cpp and is listed
// in commands.cpp.

#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

namespace orvel::cli {

struct CliContext {
  std::vector<std::string> args;  // the words after the command name
  std::string baseArgument;       // "--base DIR" or "/d:DIR" as given, empty when absent
  std::vector<std::string> rawArguments;  // the whole command line after the program name
  std::ostream& out;
  std::ostream& err;
};

struct Command {
  const char* name;
  const char* usage;    // arguments after the name, as shown by --help
  const char* summary;  // one line
  std::function<int(CliContext&)> run;
};

const std::vector<Command>& commands();

// Exit codes: 0 success, 1 the work failed, 2 bad usage.
int run(int argc, char** argv);

}  // namespace orvel::cli
