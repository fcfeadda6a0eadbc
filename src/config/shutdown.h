#pragma once
// What the main window saves when it closes: its placement under "main" in the
// Metrics bag (the section rewritten whole) and the list of open windows.

#include <string>
#include <vector>

#include "config/app_state.h"
#include "config/opened_windows.h"

namespace orvel {

// Returns false with error set when a file could not be written.
bool SaveShutdownState(AppState& app, const BagPlacement& mainPlacement, bool maximised,
                       const std::vector<OpenedWindow>& openWindows, std::string* error);

}  // namespace orvel
