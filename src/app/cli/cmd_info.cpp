#include <ostream>

#include "app/cli/commands.h"

namespace orvel::cli {

int cmdInfo(CliContext& context) {
  context.err << "orvel-cli info: start-up is not built yet\n";
  return 1;
}

}  // namespace orvel::cli
