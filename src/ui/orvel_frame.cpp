#include "ui/orvel_frame.h"

#include <QMdiArea>

namespace orvel::ui {

TOrvelFrame::TOrvelFrame(AppState& app, MainState& state, QWidget* parent)
    : QMainWindow(parent), app_(app), state_(state), mdi_(new QMdiArea(this)) {
  setWindowTitle("Orvel");
  mdi_->setViewMode(QMdiArea::TabbedView);
  setCentralWidget(mdi_);
  resize(1024, 700);
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
