#include "ui/action_set.h"

#include <QWidget>

#include "core/text.h"
#include "ui/icons.h"
#include "ui/key_sequence.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

namespace {

QString toolTipOf(const QString& caption) {
  QString text = plainCaption(caption).trimmed();
  if (text.startsWith(QStringLiteral("\u2022"))) text = text.mid(1).trimmed();
  return text;
}

}  // namespace

ActionSet::ActionSet(ActionList& actions, QWidget* owner, Qt::ShortcutContext context)
    : actions_(actions) {
  for (const TAction& a : actions_) {
    auto* action = new QAction(qs(a.def->caption), owner);
    action->setObjectName(a.def->name);
    action->setToolTip(toolTipOf(action->text()));
    action->setIcon(ActionIcon(a.def->name));
    action->setIconVisibleInMenu(false);
    action->setShortcutContext(context);
    action->setEnabled(false);
    qActions_.append(action);
  }
  refreshShortcuts();
}

QAction* ActionSet::find(std::string_view name) const {
  for (QAction* a : qActions_) {
    if (equalsNoCase(a->objectName().toStdString(), name)) return a;
  }
  return nullptr;
}

QAction* ActionSet::wire(std::string_view name, std::function<void()> handler) {
  QAction* action = find(name);
  if (!action) return nullptr;
  action->setEnabled(true);
  action->setProperty(kWiredProperty, true);
  QObject::connect(action, &QAction::triggered, action, [handler = std::move(handler)] {
    handler();
  });
  return action;
}

QAction* ActionSet::wireToggle(std::string_view name, bool checked,
                               std::function<void(bool)> handler) {
  QAction* action = find(name);
  if (!action) return nullptr;
  action->setCheckable(true);
  action->setChecked(checked);
  action->setEnabled(true);
  action->setProperty(kWiredProperty, true);
  QObject::connect(action, &QAction::toggled, action, std::move(handler));
  return action;
}

void ActionSet::refreshShortcuts() {
  for (qsizetype i = 0; i < qActions_.size(); ++i) {
    qActions_[i]->setShortcuts(KeySequencesOf(actions_[static_cast<std::size_t>(i)].shortcut));
  }
}

QList<QAction*> ActionSet::fromNames(
    std::string_view names, const std::function<QAction*(std::string_view)>& fallback) const {
  QList<QAction*> out;
  for (const std::string& piece : splitChar(names, ',')) {
    const std::string name = trim(piece);
    if (name == "-") {
      if (!out.isEmpty() && out.back()) out.append(nullptr);
      continue;
    }
    QAction* action = find(name);
    if (!action && fallback) action = fallback(name);
    if (action) out.append(action);
  }
  if (!out.isEmpty() && !out.back()) out.removeLast();
  return out;
}

}  // namespace orvel::ui
