#include "app/cli/commands.h"

namespace orvel::cli {

const std::vector<Command>& commands() {
  static const std::vector<Command> table = {
      {"info", "", "print the directories and the number of entries in each settings bag",
       cmdInfo},
      {"thread", "FILE|- [--group NAME] [--low N] [--high N] [--unthreaded] [--sort COLUMN] "
                 "[--descending] [--no-multipart]",
       "thread overview lines as a group view does and print the visible rows", cmdThread},
      {"store", "dump FILE.hdr | convert FILE [--out STORE.mbx] [--group NAME]",
       "print a header file's records, or write overview lines into a store", cmdStore},
  };
  return table;
}

}  // namespace orvel::cli
