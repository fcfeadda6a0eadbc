#pragma once
// The main window: a multiple-document frame holding the group lists, group
// views, folders and compose windows.

#include <QMainWindow>

#include "config/app_state.h"
#include "config/main_state.h"

class QMdiArea;

namespace orvel::ui {

class TOrvelFrame : public QMainWindow {
  Q_OBJECT

 public:
  TOrvelFrame(AppState& app, MainState& state, QWidget* parent = nullptr);

 public slots:
  // A news URL from the command line or from a later start.
  void openNewsUrl(const QString& url);
  void bringToFront();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void restorePlacement();

  AppState& app_;
  MainState& state_;
  QMdiArea* mdi_ = nullptr;
};

}  // namespace orvel::ui
