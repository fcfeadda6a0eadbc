#pragma once
// The main window's creation step: an ordered list of loading steps. The
// order is fixed; a step whose part of the program is not built yet has no
// action and is passed over.

#include <functional>
#include <string>
#include <vector>

#include "config/app_state.h"
#include "config/main_state.h"

namespace orvel {

enum class LoadingStepId {
  MoveGroups0,          // "groups0.ini" becomes "groups.ini" when that is missing
  CreateLists,          // empty lists and the custom header-line pattern
  Folders,              // Outbox, Sent, then "folders.ini"
  DefaultIdentity,      // "Orvel.ini" [ID]
  Settings,             // "Orvel.ini" sections and the Misc and Display bags
  Identities,           // "IDs.ini"
  Profiles,             // "servers.ini"
  GroupProperties,      // "groups.ini"
  ScoreAndPlonk,        // "score.ini" and "plonker.ini"
  MainKeyBindings,      // "keys.ini" [Main] applied to the main window's actions
};

struct LoadingStep {
  LoadingStepId id;
  const char* name;
  std::function<void(AppState&, MainState&)> run;  // empty: not built yet
};

// The steps in their order.
std::vector<LoadingStep> MainLoadingSteps();

// Runs every step that has an action, in order.
void RunMainLoadingSteps(AppState& app, MainState& main);

}  // namespace orvel
