#pragma once
// What the main window owns for the whole run, filled by its loading steps:
// the lists of folders, identities, profiles and group property sets, the
// settings, the score sections, the plonk list and the key bindings. Each
// part of the program adds its own member here when it is built.

#include <string>
#include <vector>

#include "config/actions.h"
#include "config/group_props.h"
#include "config/identity.h"
#include "config/profile.h"
#include "config/settings.h"
#include "core/perlre.h"

namespace orvel {

struct MainState {
  // "Name: value" personal header lines; a leading "*" starts the line's
  // compose row switched on.
  TPerlre headerLinePattern{true, 0};

  std::vector<TID> identities;  // [0] is the default identity, "<Default>"
  ProfileList profiles;
  int defaultProfileIndex = 0;  // may be out of range (no default profile)
  GroupPropList groupProps;
  Settings settings;
  std::vector<std::string> settingsProblems;  // unreadable values met at start-up
  ActionList mainActions;  // the main window's actions with their shortcuts

  // The default profile, or nullptr when the index is out of range.
  std::shared_ptr<TProfile> defaultProfile() const {
    return defaultProfileIndex >= 0 && defaultProfileIndex < static_cast<int>(profiles.size())
               ? profiles[static_cast<std::size_t>(defaultProfileIndex)]
               : nullptr;
  }
};

inline constexpr const char* kHeaderLinePattern =
    "^(\\*?)(([a-zA-Z][a-zA-Z0-9\\.-]+):(\\s+(.+))?)$";

}  // namespace orvel
