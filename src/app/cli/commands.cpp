#include "app/cli/commands.h"

namespace orvel::cli {

const std::vector<Command>& commands() {
  static const std::vector<Command> table = {
      {"info", "", "print the directories and the number of entries in each settings bag",
       cmdInfo},
      {"decode", "[--out DIR] FILE...",
       "decode the uuencoded, yEnc and MIME files of article files, parts in the given order",
       cmdDecode},
  };
  return table;
}

}  // namespace orvel::cli
