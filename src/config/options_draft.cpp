#include "config/options_draft.h"

#include "config/config_loading.h"
#include "config/identities_file.h"
#include "config/settings_table.h"

namespace orvel {

OptionsDraft MakeOptionsDraft(const MainState& main) {
  OptionsDraft draft;
  draft.state.headerLinePattern.Compile(kHeaderLinePattern);
  draft.state.settings = main.settings;
  draft.state.identities = main.identities;
  draft.state.defaultProfileIndex = main.defaultProfileIndex;
  for (const auto& live : main.profiles) {
    auto copy = std::make_shared<TProfile>(*live);
    draft.origins[copy.get()] = live;
    draft.state.profiles.push_back(std::move(copy));
  }
  return draft;
}

bool SaveOptionsDraft(AppState& app, const OptionsDraft& draft, std::string* error) {
  const MainState& s = draft.state;
  return SaveSettings(s.settings, app, error) &&
         SaveIdentities(app.iniPath(), IdsIniPath(app), s.identities, draft.erasedIdentities,
                        error) &&
         SaveProfiles(app, s, draft.erasedAliases, error);
}

void ApplyOptionsDraft(MainState& main, const OptionsDraft& draft) {
  main.settings = draft.state.settings;
  main.identities = draft.state.identities;
  main.defaultProfileIndex = draft.state.defaultProfileIndex;
  ProfileList profiles;
  for (const auto& edited : draft.state.profiles) {
    const auto origin = draft.origins.find(edited.get());
    if (origin == draft.origins.end()) {
      profiles.push_back(std::make_shared<TProfile>(*edited));
      continue;
    }
    TProfile& live = *origin->second;
    const std::string prompted = std::move(live.promptedPassword);
    live = *edited;
    live.promptedPassword = prompted;
    profiles.push_back(origin->second);
  }
  main.profiles = std::move(profiles);
}

}  // namespace orvel
