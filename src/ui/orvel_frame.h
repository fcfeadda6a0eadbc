#pragma once
// The main window: a multiple-document frame holding the group lists, group
// views, folders and compose windows.

#include <QMainWindow>

class QMdiArea;

namespace orvel::ui {

class TOrvelFrame : public QMainWindow {
  Q_OBJECT

 public:
  explicit TOrvelFrame(QWidget* parent = nullptr);

 private:
  QMdiArea* mdi_ = nullptr;
};

}  // namespace orvel::ui
