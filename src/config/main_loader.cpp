#include "config/main_loader.h"

#include <filesystem>

#include "config/config_loading.h"

namespace orvel {

namespace {

void moveGroups0(AppState& app, MainState&) {
  const std::string from = app.baseDir + "groups0.ini";
  const std::string to = app.baseDir + "groups.ini";
  std::error_code ec;
  if (std::filesystem::exists(from, ec) && !std::filesystem::exists(to, ec)) {
    std::filesystem::rename(from, to, ec);
  }
}

void createLists(AppState&, MainState& main) { main.headerLinePattern.Compile(kHeaderLinePattern); }

}  // namespace

std::vector<LoadingStep> MainLoadingSteps() {
  return {
      {LoadingStepId::MoveGroups0, "groups0.ini", moveGroups0},
      {LoadingStepId::CreateLists, "lists", createLists},
      {LoadingStepId::Folders, "folders", {}},
      {LoadingStepId::DefaultIdentity, "default identity", LoadDefaultIdentity},
      {LoadingStepId::Settings, "settings", LoadSettings},
      {LoadingStepId::Identities, "identities", LoadIdentities},
      {LoadingStepId::Profiles, "servers", LoadProfiles},
      {LoadingStepId::GroupProperties, "group properties", LoadGroupProps},
      {LoadingStepId::ScoreAndPlonk, "score file and plonk list", {}},
      {LoadingStepId::MainKeyBindings, "main key bindings", LoadMainKeyBindings},
  };
}

void RunMainLoadingSteps(AppState& app, MainState& main) {
  for (const auto& step : MainLoadingSteps()) {
    if (step.run) step.run(app, main);
  }
}

}  // namespace orvel
