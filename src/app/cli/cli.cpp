#include "app/cli/cli.h"

#include <cstdio>
#include <cstring>

namespace orvel::cli {

int run(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("orvel-cli %s\n", ORVEL_VERSION);
    return 0;
  }
  std::printf("usage: orvel-cli [--base DIR] COMMAND\n");
  return argc > 1 && std::strcmp(argv[1], "--help") == 0 ? 0 : 2;
}

}  // namespace orvel::cli
