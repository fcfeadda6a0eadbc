#pragma once
// What the main window does when it is first shown, in order: the first-run
// server prompt, the profile named on the command line, the windows open at
// the last shutdown, the default profile's group list (unless reopened), the
// Outbox when something waits in it, and the start-up news URL.

#include <string>
#include <vector>

#include "config/opened_windows.h"

namespace orvel {

struct FirstShowInput {
  std::vector<std::string> profileAliases;
  int defaultProfileIndex = -1;
  std::string profileArgument;
  std::vector<OpenedWindow> opened;
  bool outboxHasWaitingItems = false;
  std::string startupUrl;
};

struct FirstShowPlan {
  bool askForFirstServer = false;  // no profile yet: the new-server command runs first
  int commandLineProfile = -1;     // the profile named on the command line
  std::vector<OpenedWindow> reopen;
  int defaultProfileToOpen = -1;   // when no "S:" entry reopened it
  bool openOutbox = false;
  std::string newsUrl;             // processed last
};

FirstShowPlan PlanFirstShow(const FirstShowInput& input);

}  // namespace orvel
