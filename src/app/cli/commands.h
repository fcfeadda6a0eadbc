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
int cmdGroups(CliContext& context);
int cmdThread(CliContext& context);
int cmdStore(CliContext& context);
// Reads a file, or standard input for "-".
bool ReadInput(const std::string& name, std::string& text);
int cmdShow(CliContext& context);

}  // namespace orvel::cli
