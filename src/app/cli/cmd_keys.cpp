// orvel-cli keys [CONTEXT]: every action of a window (or of all windows) with
// its effective shortcut, after "keys.ini".

#include <ostream>

#include "app/cli/commands.h"
#include "app/cli/session.h"
#include "config/actions.h"
#include "config/key_dialog.h"
#include "config/shortcuts.h"
#include "core/text.h"

namespace orvel::cli {

namespace {

// The "keys.ini" section or the dialog's context word names a window.
std::optional<ActionWindow> windowNamed(std::string_view name) {
  for (const auto w : kActionWindows) {
    const std::string_view section = w == ActionWindow::Folders ? "Folders" : KeysSection(w);
    if (equalsNoCase(name, section) || equalsNoCase(name, KeyContextWord(w))) return w;
  }
  return std::nullopt;
}

void printWindow(std::ostream& out, SettingsBags& bags, ActionWindow window) {
  ActionList actions = CreateActionList(window);
  if (TBag* bag = KeysBag(bags, window)) ApplyKeyBindings(*bag, actions);
  out << '[' << (window == ActionWindow::Folders ? "Folders" : KeysSection(window)) << "]\n";
  for (const auto& a : actions) {
    const std::string shortcut = ShortCutToText(a.shortcut);
    out << format("  %-27s %-17s ", a.def->name, shortcut.c_str()) << a.def->caption << '\n';
  }
}

}  // namespace

int cmdKeys(CliContext& context) {
  std::optional<ActionWindow> only;
  if (context.args.size() > 1) {
    context.err << "usage: orvel-cli keys [Main|Group|Article|Edit|Folders]\n";
    return 2;
  }
  if (context.args.size() == 1) {
    only = windowNamed(context.args[0]);
    if (!only) {
      context.err << "orvel-cli keys: unknown context \"" << context.args[0]
                  << "\" (Main, Group, Article, Edit or Folders)\n";
      return 2;
    }
  }
  const auto session = OpenSession(context);
  for (const auto w : kActionWindows) {
    if (!only || *only == w) printWindow(context.out, session->app.bags, w);
  }
  return 0;
}

}  // namespace orvel::cli
