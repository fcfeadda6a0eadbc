#pragma once
// The program's commands as data: every window's actions in the order of its
// action list, with the caption shown in menus and the key dialog, the
// built-in shortcut and the name of the handler that runs it (actions sharing
// a handler are told apart by the action itself).
//
// A window's live action list pairs each action with its current shortcut
// code; ApplyKeyBindings sets those codes from the window's "keys.ini" bag.

#include <span>
#include <string_view>
#include <vector>

#include "config/app_state.h"
#include "core/bag.h"

namespace orvel {

struct TActionDef {
  const char* name;      // "acaNextUnread"
  const char* caption;   // "Non lu suivant"
  const char* shortcut;  // built-in shortcut text, "" for none
  const char* handler;   // "acaGotoExecute"
};

enum class ActionWindow { Main, GroupList, GroupView, Compose, Folders };
inline constexpr ActionWindow kActionWindows[] = {ActionWindow::Main, ActionWindow::GroupList,
                                                  ActionWindow::GroupView, ActionWindow::Compose,
                                                  ActionWindow::Folders};

std::span<const TActionDef> BuiltInActions(ActionWindow window);
// The "keys.ini" section of a window ("Main", "Group", "Article", "Edit");
// empty for the folder window, whose shortcuts are fixed.
std::string_view KeysSection(ActionWindow window);
// The bag holding that section, or nullptr for the folder window.
TBag* KeysBag(SettingsBags& bags, ActionWindow window);

struct TAction {
  const TActionDef* def;
  int shortcut = 0;  // 16-bit shortcut code, 0 none
};
using ActionList = std::vector<TAction>;

// The window's actions with their built-in shortcuts.
ActionList CreateActionList(ActionWindow window);
// The built-in shortcut code of an action definition.
int BuiltInShortcut(const TActionDef& def);
// An action by name, without regard to case (menus and pop-up lists name
// them as they please: "acaFollowup" is acaFollowUp); nullptr when unknown.
TAction* FindAction(ActionList& actions, std::string_view name);
const TActionDef* FindActionDef(ActionWindow window, std::string_view name);

// For each action: a name the bag lacks gets the built-in shortcut stored
// under it (so the next save lists every action); otherwise the action takes
// the stored code (0: no shortcut).
void ApplyKeyBindings(TBag& bag, ActionList& actions);

// Writes the four key bags to "keys.ini" (an empty bag has nothing to write).
// False with error set when the file cannot be written.
bool SaveKeyBags(SettingsBags& bags, std::string* error = nullptr);

}  // namespace orvel
