#include "ui/orvel_frame.h"

#include <QMdiArea>

namespace orvel::ui {

TOrvelFrame::TOrvelFrame(QWidget* parent) : QMainWindow(parent), mdi_(new QMdiArea(this)) {
  setWindowTitle("Orvel");
  mdi_->setViewMode(QMdiArea::TabbedView);
  setCentralWidget(mdi_);
  resize(1024, 700);
}

}  // namespace orvel::ui
