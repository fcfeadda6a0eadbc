#pragma once
// The loaded program state for a command: the common start-up step and the
// main window's loading steps, run as the GUI runs them.

#include <memory>

#include "app/cli/cli.h"
#include "config/app_state.h"
#include "config/main_state.h"

namespace orvel::cli {

struct Session {
  AppState app;
  MainState main;
};

// "--base DIR" is created when missing (the person asked for that directory);
// "/d:DIR" follows the GUI's rule and falls back to the default directory.
std::unique_ptr<Session> OpenSession(const CliContext& context);

}  // namespace orvel::cli
