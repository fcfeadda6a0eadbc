#include "config/config_loading.h"

#include "config/identities_file.h"
#include "config/settings_table.h"
#include "core/ini_file.h"

namespace orvel {

void LoadDefaultIdentity(AppState& app, MainState& main) {
  main.identities.clear();
  main.identities.push_back(ReadDefaultIdentity(IniFile(app.iniPath())));
}

void LoadSettings(AppState& app, MainState& main) {
  main.settingsProblems.clear();
  main.settings = ReadSettings(IniFile(app.iniPath()), app.bags.misc, app.bags.display,
                               main.headerLinePattern, &main.settingsProblems);
}

void LoadIdentities(AppState& app, MainState& main) {
  if (main.identities.empty()) LoadDefaultIdentity(app, main);
  main.identities.resize(1);
  for (auto& id : ReadIdentities(IniFile(IdsIniPath(app)), main.identities.front())) {
    main.identities.push_back(std::move(id));
  }
}

ServersFileContext ServersContext(const AppState& app, const MainState& main) {
  return {app.baseDir, main.settings.smtpHost, main.identities};
}

void LoadProfiles(AppState& app, MainState& main) {
  auto loaded = ReadProfiles(IniFile(ServersIniPath(app)), ServersContext(app, main));
  main.profiles = std::move(loaded.profiles);
  main.defaultProfileIndex = loaded.defaultIndex;
}

void LoadGroupProps(AppState& app, MainState& main) {
  main.groupProps = ReadGroupProps(IniFile(GroupsIniPath(app)));
}

void LoadMainKeyBindings(AppState& app, MainState& main) {
  main.mainActions = CreateActionList(ActionWindow::Main);
  ApplyKeyBindings(app.bags.mainKeys, main.mainActions);
}

bool SaveProfiles(const AppState& app, const MainState& main,
                  const std::vector<std::string>& erasedAliases, std::string* error) {
  return SaveProfiles(ServersIniPath(app), main.profiles, main.defaultProfileIndex,
                      ServersContext(app, main), erasedAliases, error);
}

}  // namespace orvel
