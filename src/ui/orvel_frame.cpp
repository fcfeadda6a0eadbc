#include "ui/orvel_frame.h"

#include <QCloseEvent>
#include <QMdiArea>
#include <QMessageBox>

#include "config/shutdown.h"

namespace orvel::ui {

TOrvelFrame::TOrvelFrame(AppState& app, MainState& state, QWidget* parent)
    : QMainWindow(parent), app_(app), state_(state), mdi_(new QMdiArea(this)) {
  setWindowTitle("Orvel");
  mdi_->setViewMode(QMdiArea::TabbedView);
  setCentralWidget(mdi_);
  resize(1024, 700);
  restorePlacement();
}

void TOrvelFrame::restorePlacement() {
  WindowGeometry g;
  if (!app_.bags.metrics.GetPlacement("main", true, g) || g.width <= 0 || g.height <= 0) return;
  setGeometry(g.x, g.y, g.width, g.height);
  if (g.maximised) setWindowState(windowState() | Qt::WindowMaximized);
}

void TOrvelFrame::closeEvent(QCloseEvent* event) {
  const QRect normal = normalGeometry();
  const BagPlacement placement{0,         1,          -1,
                               -1,        -1,         -1,
                               normal.x(), normal.y(), normal.x() + normal.width(),
                               normal.y() + normal.height()};
  std::string error;
  if (!SaveShutdownState(app_, placement, isMaximized(), {}, &error)) {
    QMessageBox::warning(this, "Orvel", QString::fromStdString(error));
  }
  event->accept();
}

void TOrvelFrame::openNewsUrl(const QString& url) {
  qInfo("news URL received: %s", qUtf8Printable(url));
  bringToFront();
}

void TOrvelFrame::bringToFront() {
  if (isMinimized()) showNormal();
  raise();
  activateWindow();
}

}  // namespace orvel::ui
