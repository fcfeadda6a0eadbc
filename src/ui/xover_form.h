#pragma once
// The Qt form of TfmXOVER: start and end numbers on track bars with spin
// fields ("Soit:" gives the estimate; Ctrl held moves both bars together),
// the per-download limit, freeing old headers, the three bars of the
// present, read and excluded sets with their "= 0" buttons, the statistics,
// and the "Action" choice. In statistics mode (mode 0) the window is titled
// "Statistics" and the action group is hidden. Every change goes to the
// model, and the controls are redrawn from it.

#include <QDialog>

#include "articles/xover_dialog.h"

class QButtonGroup;
class QCheckBox;
class QGroupBox;
class QLabel;
class QSlider;
class QSpinBox;

namespace orvel::ui {

class XoverForm final : public QDialog {
  Q_OBJECT

 public:
  XoverForm(TfmXOVER& form, const QString& groupName, QWidget* parent = nullptr);

  TfmXOVER& model() { return form_; }
  QSpinBox& startField() { return *startSpin_; }
  QSpinBox& endField() { return *endSpin_; }
  QCheckBox& limitBox() { return *limitBox_; }
  QSpinBox& limitField() { return *limitSpin_; }
  QString estimateText() const;

 private:
  void build(const QString& groupName);
  void refresh();
  void moveStart(int value);
  void moveEnd(int value);

  TfmXOVER& form_;
  QSlider* startBar_ = nullptr;
  QSlider* endBar_ = nullptr;
  QSpinBox* startSpin_ = nullptr;
  QSpinBox* endSpin_ = nullptr;
  QLabel* estimate_ = nullptr;
  QCheckBox* limitBox_ = nullptr;
  QSpinBox* limitSpin_ = nullptr;
  QCheckBox* autoFree_ = nullptr;
  QGroupBox* actions_ = nullptr;
  QButtonGroup* actionGroup_ = nullptr;
  QList<QWidget*> bars_;
  bool refreshing_ = false;
};

}  // namespace orvel::ui
