#pragma once
// The commands of orvel-cli, one function each.

#include "app/cli/cli.h"

namespace orvel::cli {

int cmdInfo(CliContext& context);
int cmdDecode(CliContext& context);
int cmdServers(CliContext& context);
int cmdIdentity(CliContext& context);
int cmdSettings(CliContext& context);
int cmdKeys(CliContext& context);
int cmdProbe(CliContext& context);
int cmdShow(CliContext& context);

}  // namespace orvel::cli
