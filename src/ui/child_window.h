#pragma once
// What the main window needs from each of its MDI children (group lists,
// and later group views, folders and compose windows). The frame's registry
// is the MDI area's window list in creation order; each child widget
// implements this interface, which the frame uses for the "Opened" section,
// the window menu, the window's own menu and toolbar, the key dialog and
// closing.

#include <QAction>
#include <QList>
#include <QString>

#include <optional>

#include "config/actions.h"
#include "config/opened_windows.h"

namespace orvel::ui {

class ChildWindow {
 public:
  virtual ~ChildWindow() = default;

  // The "Opened" entry that reopens this window at the next start; nothing
  // for windows that are not reopened (group views).
  virtual std::optional<OpenedWindow> openedEntry() const { return std::nullopt; }

  // The window's commands while it is the active one: the title of its menu
  // in the frame's menu bar, the menu's actions (null: a separator; a
  // QMenu's menu action: a submenu, see menu_tree.h) and the toolbar's.
  virtual QString menuTitle() const { return {}; }
  virtual QList<QAction*> menuActions() const { return {}; }
  virtual QList<QAction*> toolBarActions() const { return {}; }

  // The key dialog's context: which action table the window has and its
  // live list; applyKeyBindings() takes new bindings from the keys bag.
  virtual std::optional<ActionWindow> actionWindow() const { return std::nullopt; }
  virtual ActionList* actionList() { return nullptr; }
  virtual void applyKeyBindings() {}
};

}  // namespace orvel::ui
