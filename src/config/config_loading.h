#pragma once
// The main window's loading steps for identities, settings, servers, group
// property sets and the main window's key bindings, in the order the loader
// runs them: the default identity ("Orvel.ini" [ID]), the settings, "IDs.ini",
// "servers.ini", "groups.ini", then "keys.ini" [Main]. A missing file reads as
// empty.

#include "config/app_state.h"
#include "config/main_state.h"
#include "config/servers_file.h"

namespace orvel {

void LoadDefaultIdentity(AppState& app, MainState& main);
void LoadSettings(AppState& app, MainState& main);
void LoadIdentities(AppState& app, MainState& main);
void LoadProfiles(AppState& app, MainState& main);
void LoadGroupProps(AppState& app, MainState& main);
void LoadMainKeyBindings(AppState& app, MainState& main);

inline std::string ServersIniPath(const AppState& app) { return app.baseDir + "servers.ini"; }
inline std::string IdsIniPath(const AppState& app) { return app.baseDir + "IDs.ini"; }
inline std::string GroupsIniPath(const AppState& app) { return app.baseDir + "groups.ini"; }

// What reading and writing "servers.ini" need from the loaded state.
ServersFileContext ServersContext(const AppState& app, const MainState& main);

// Rewrites "servers.ini" from the profile list; erasedAliases are the
// sections of deleted profiles. False with error set on failure.
bool SaveProfiles(const AppState& app, const MainState& main,
                  const std::vector<std::string>& erasedAliases = {},
                  std::string* error = nullptr);

}  // namespace orvel
