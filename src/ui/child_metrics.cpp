#include "ui/child_metrics.h"

#include <QHeaderView>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>

#include <string>
#include <vector>

#include "core/bag.h"
#include "core/text.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

void RestoreColumnWidths(QHeaderView& header, const TBag& metrics, std::string_view key,
                         std::span<const int> defaults) {
  const std::vector<std::string> stored = splitChar(metrics.GetString(key, ""), ',');
  for (std::size_t c = 0; c < defaults.size(); ++c) {
    int width = defaults[c];
    if (c < stored.size()) {
      const int w = toIntDef(stored[c], 0);
      if (w >= 16 && w <= 4000) width = w;
    }
    header.resizeSection(static_cast<int>(c), width);
  }
}

void SaveColumnWidths(const QHeaderView& header, int columns, TBag& metrics,
                      std::string_view key) {
  std::string line;
  for (int c = 0; c < columns; ++c) {
    if (c) line += ',';
    line += std::to_string(header.sectionSize(c));
  }
  metrics.SetString(key, line);
}

void SaveChildPlacement(const QWidget& child, TBag& metrics, std::string_view name) {
  auto* window = qobject_cast<QMdiSubWindow*>(child.parentWidget());
  // Tabbed windows fill the area: their own placement is kept for the
  // sub-window mode.
  if (!window || !window->mdiArea() || window->mdiArea()->viewMode() != QMdiArea::SubWindowView) {
    return;
  }
  metrics.SetPlacement(name, placementOf(window->geometry(), window->isMaximized()), false);
}

void ExecPopup(QWidget& widget, const QList<QAction*>& items, const QPoint& at) {
  if (items.isEmpty()) return;
  QMenu menu(&widget);
  for (QAction* a : items) {
    if (a) {
      menu.addAction(a);
    } else {
      menu.addSeparator();
    }
  }
  menu.exec(widget.mapToGlobal(at));
}

}  // namespace orvel::ui
