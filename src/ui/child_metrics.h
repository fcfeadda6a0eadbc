#pragma once
// What the MDI children keep in the "Metrics" bag and show alike: list
// column widths as one comma-separated line, the child's placement (only in
// sub-window mode: tabbed windows fill the area), and the pop-up menu of a
// list built from the "Popups" settings.

#include <QList>
#include <QPoint>
#include <span>
#include <string_view>

class QAction;
class QHeaderView;
class QWidget;

namespace orvel {
class TBag;
}

namespace orvel::ui {

// Widths outside 16..4000 pixels, or missing, take the default.
void RestoreColumnWidths(QHeaderView& header, const TBag& metrics, std::string_view key,
                         std::span<const int> defaults);
void SaveColumnWidths(const QHeaderView& header, int columns, TBag& metrics,
                      std::string_view key);
// child: the widget inside its QMdiSubWindow.
void SaveChildPlacement(const QWidget& child, TBag& metrics, std::string_view name);
// Pops a menu of the actions (null: a separator) up at a point of widget.
void ExecPopup(QWidget& widget, const QList<QAction*>& items, const QPoint& at);

}  // namespace orvel::ui
