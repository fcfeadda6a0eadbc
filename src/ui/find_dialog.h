#pragma once
// The find dialog of the group view ("Trouver"): the regex, the case
// switch, "Sauter les gros articles" and where to search. OK takes the
// choices into the view's GroupFind and closes only when the regex
// compiles (the library's error is shown otherwise).

#include <QDialog>

#include "scoring/group_find.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QRadioButton;

namespace orvel::ui {

class TfmFind final : public QDialog {
  Q_OBJECT

 public:
  explicit TfmFind(GroupFind& find, QWidget* parent = nullptr);

  QComboBox& patternBox() { return *pattern_; }
  QLabel& statusLabel() { return *status_; }
  FindOptions Options() const;

 public slots:
  void accept() override;

 private:
  GroupFind& find_;
  QComboBox* pattern_ = nullptr;
  QCheckBox* caseSensitive_ = nullptr;
  QCheckBox* skipBig_ = nullptr;
  QRadioButton* in_[4] = {};
  QLabel* status_ = nullptr;
};

}  // namespace orvel::ui
