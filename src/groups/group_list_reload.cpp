#include <algorithm>

#include "groups/group_list.h"

namespace orvel {

bool TGroupList::Reload() {
  if (!opened_) return false;
  const bool unsaved = lists_.newsrcChanged || lists_.orvelrcChanged || !views_.empty();
  if (unsaved && prompter_.ask(kReloadQuestion, kYesNo) != Button::Yes) return false;
  // The views point at records the reload replaces.
  const std::vector<OpenGroupView*> views = views_;
  for (OpenGroupView* view : views) {
    if (std::find(views_.begin(), views_.end(), view) != views_.end() && !view->AskClose()) {
      return false;
    }
  }
  // A file that cannot be read must not empty the list.
  std::string error;
  GroupLists probe;
  if (!LoadReadState(paths_, probe, &error)) {
    prompter_.message(error, MessageKind::Error);
    return false;
  }
  // A list or count run holds records of the lists that go.
  if (connection_) {
    releaseConnection();
    endRequest(false);
  }
  if (!LoadReadState(paths_, lists_, &error)) {
    // Unreadable since the probe: the empty lists must never be saved.
    opened_ = false;
    prompter_.message(error, MessageKind::Error);
    rebuildShown();
    return false;
  }
  lists_.newsrcChanged = false;
  lists_.orvelrcChanged = false;
  rebuildShown();
  prompter_.status(IdleStatusText());
  return true;
}

}  // namespace orvel
