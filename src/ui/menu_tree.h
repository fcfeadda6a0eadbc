#pragma once
// A window's menu as submenus of its actions, grouped by what they act on,
// so that a table of a hundred commands reads as a handful of short menus.
// The submenus belong to the window; the frame shows them in its menu bar
// through their menu actions, like plain entries.

#include <QAction>
#include <QList>
#include <QWidget>

#include <functional>
#include <span>
#include <string_view>

#include "ui/action_set.h"

namespace orvel::ui {

struct SubmenuSpec {
  const char* title;  // "&Navigation"
  const char* names;  // action names separated by ",", "-" a separator
};

// Makes one QMenu (a child of owner) per entry of specs, filled from actions and,
// for names the set does not know, from fallback; returns their menu
// actions in order.
QList<QAction*> BuildSubmenus(QWidget* owner, std::span<const SubmenuSpec> specs,
                              const ActionSet& actions,
                              const std::function<QAction*(std::string_view)>& fallback = {});

// A toolbar layout from the "ToolBars" settings: "*" gives builtIn, any
// other value is a list of action names as the pop-up settings give them
// (empty: no buttons).
QList<QAction*> ToolBarLayout(std::string_view layout, const char* builtIn,
                              const ActionSet& actions,
                              const std::function<QAction*(std::string_view)>& fallback = {});

}  // namespace orvel::ui
