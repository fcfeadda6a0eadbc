#pragma once
// What the options window edits: copies of the settings, the identities and
// the profiles, changed freely and then saved and applied together, or
// dropped. The live profiles stay the same objects (connections hold them),
// so applying copies each edited profile back into the one it came from.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "config/app_state.h"
#include "config/main_state.h"

namespace orvel {

struct OptionsDraft {
  // settings, identities, profiles (copies), defaultProfileIndex and a
  // compiled headerLinePattern; the other members are unused.
  MainState state;
  std::vector<std::string> erasedAliases;     // deleted profiles' sections
  std::vector<std::string> erasedIdentities;  // deleted identities' sections
  // Each copied profile and the live profile it came from.
  std::map<const TProfile*, std::shared_ptr<TProfile>> origins;
};

OptionsDraft MakeOptionsDraft(const MainState& main);

// Writes "Orvel.ini" (the settings' sections and the default identity),
// "IDs.ini" and "servers.ini". False with error set at the first file that
// cannot be written; nothing is applied then.
bool SaveOptionsDraft(AppState& app, const OptionsDraft& draft, std::string* error = nullptr);

// Makes the draft the program's state. A profile that came from a live one
// is copied into it and keeps the password typed at its login prompt.
void ApplyOptionsDraft(MainState& main, const OptionsDraft& draft);

}  // namespace orvel
