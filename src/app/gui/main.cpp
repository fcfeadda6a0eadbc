#include <QApplication>

#include "ui/orvel_frame.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QApplication::setApplicationName("Orvel");
  orvel::ui::TOrvelFrame frame;
  frame.show();
  return QApplication::exec();
}
