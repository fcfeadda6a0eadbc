#include "config/first_show.h"

#include "core/text.h"

namespace orvel {

FirstShowPlan PlanFirstShow(const FirstShowInput& in) {
  FirstShowPlan plan;
  plan.askForFirstServer = in.profileAliases.empty();
  const int count = static_cast<int>(in.profileAliases.size());
  if (!in.profileArgument.empty()) {
    for (int i = 0; i < count; ++i) {
      if (equalsNoCase(in.profileAliases[static_cast<std::size_t>(i)], in.profileArgument)) {
        plan.commandLineProfile = i;
        break;
      }
    }
  }
  plan.reopen = in.opened;
  if (in.defaultProfileIndex >= 0 && in.defaultProfileIndex < count) {
    const std::string& alias = in.profileAliases[static_cast<std::size_t>(in.defaultProfileIndex)];
    bool reopened = false;
    for (const auto& w : in.opened) {
      if (w.kind == OpenedWindow::Kind::ServerGroups && equalsNoCase(w.name, alias)) {
        reopened = true;
      }
    }
    if (!reopened) plan.defaultProfileToOpen = in.defaultProfileIndex;
  }
  plan.openOutbox = in.outboxHasWaitingItems;
  plan.newsUrl = in.startupUrl;
  return plan;
}

}  // namespace orvel
