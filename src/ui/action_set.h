#pragma once
// The QActions of one window, made from its action table: each action has
// its caption and the shortcut of the window's live action list. An action
// starts disabled; wiring a handler enables it, so every command whose logic
// is not built yet stays visible and greyed.

#include <QAction>
#include <QList>
#include <QObject>

#include <functional>
#include <string_view>
#include <vector>

#include "config/actions.h"

namespace orvel::ui {

// The property a QAction carries once a handler runs it, so that the action
// sweep can tell built commands from the ones still waiting.
inline constexpr const char* kWiredProperty = "orvelWired";

class ActionSet {
 public:
  // actions: the window's live list (shortcuts applied); it must outlive
  // the set. The QActions belong to owner; context: where the shortcuts
  // work (the whole frame, or a child window and its children).
  ActionSet(ActionList& actions, QWidget* owner, Qt::ShortcutContext context);

  // The action of that name (without regard to case); nullptr when unknown.
  QAction* find(std::string_view name) const;
  // Enables an action and runs handler when it is triggered.
  QAction* wire(std::string_view name, std::function<void()> handler);
  // A check-mark action ("• ..." captions): handler gets the new state.
  QAction* wireToggle(std::string_view name, bool checked, std::function<void(bool)> handler);

  // Sets every QAction's shortcuts from the live list again.
  void refreshShortcuts();
  const QList<QAction*>& all() const { return qActions_; }
  ActionList& actionList() { return actions_; }

  // Actions of a comma-separated list of names ("-" a separator, shown as a
  // null entry), as the pop-up menu settings give them; unknown names are
  // skipped. fallback is asked for names this set does not know.
  QList<QAction*> fromNames(std::string_view names,
                            const std::function<QAction*(std::string_view)>& fallback = {}) const;

 private:
  ActionList& actions_;
  QList<QAction*> qActions_;
};

}  // namespace orvel::ui
