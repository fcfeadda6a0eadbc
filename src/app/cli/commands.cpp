#include "app/cli/commands.h"

namespace orvel::cli {

const std::vector<Command>& commands() {
  static const std::vector<Command> table = {
      {"info", "", "print the directories and the number of entries in each settings bag",
       cmdInfo},
      {"decode", "[--out DIR] FILE...",
       "decode the uuencoded, yEnc and MIME files of article files, parts in the given order",
       cmdDecode},
      {"probe", "--host HOST [--port N] [--user U [--password P]] [--tls] [--ca-file F] [--group G]",
       "connect and log in to a news server, print its greeting and the reply to GROUP", cmdProbe},
  };
  return table;
}

}  // namespace orvel::cli
