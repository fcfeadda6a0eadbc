// orvel-cli actions: every command of every window, one per line: name,
// caption, effective shortcut (after "keys.ini"), and "ok" or "not built".

#include <ostream>

#include "app/cli/commands.h"
#include "app/cli/session.h"
#include "config/action_status.h"
#include "config/shortcuts.h"

namespace orvel::cli {

int cmdActions(CliContext& context) {
  if (!context.args.empty()) {
    context.err << "usage: orvel-cli actions\n";
    return 2;
  }
  const auto session = OpenSession(context);
  if (!session) return 1;
  std::string out;
  for (const ActionWindow window : kActionWindows) {
    ActionList actions = CreateActionList(window);
    if (TBag* bag = KeysBag(session->app.bags, window)) ApplyKeyBindings(*bag, actions);
    for (const TAction& a : actions) {
      out.append(a.def->name).append("\t").append(a.def->caption).append("\t");
      out.append(ShortCutToText(a.shortcut)).append("\t");
      out.append(ActionBuilt(window, a.def->name) ? "ok" : "not built").append("\n");
    }
  }
  context.out << out;
  return 0;
}

}  // namespace orvel::cli
