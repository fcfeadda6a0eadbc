#include "ui/menu_tree.h"

#include <QMenu>

#include "core/text.h"

namespace orvel::ui {

QList<QAction*> BuildSubmenus(QWidget* owner, std::span<const SubmenuSpec> specs,
                              const ActionSet& actions,
                              const std::function<QAction*(std::string_view)>& fallback) {
  QList<QAction*> out;
  for (const SubmenuSpec& submenu : specs) {
    auto* menu = new QMenu(QString::fromUtf8(submenu.title), owner);
    for (QAction* a : actions.fromNames(submenu.names, fallback)) {
      if (a) {
        menu->addAction(a);
      } else {
        menu->addSeparator();
      }
    }
    out.append(menu->menuAction());
  }
  return out;
}

QList<QAction*> ToolBarLayout(std::string_view layout, const char* builtIn,
                              const ActionSet& actions,
                              const std::function<QAction*(std::string_view)>& fallback) {
  return actions.fromNames(trim(layout) == "*" ? std::string_view(builtIn) : layout, fallback);
}

}  // namespace orvel::ui
