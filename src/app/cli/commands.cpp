#include "app/cli/commands.h"

namespace orvel::cli {

const std::vector<Command>& commands() {
  static const std::vector<Command> table = {
      {"info", "", "print the directories and the number of entries in each settings bag",
       cmdInfo},
  };
  return table;
}

}  // namespace orvel::cli
