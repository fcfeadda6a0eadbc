#pragma once
// The server search dialog (TfmXPat, "Chercher sur le serveur(XPAT)"): the
// patterns, the header, the case switch, the range beside the group's
// numbers and the score to give. OK is enabled only while the range is
// valid and is refused while the pattern (or the typed header) is empty.

#include <QDialog>

#include "scoring/xpat_query.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSpinBox;

namespace orvel::ui {

class TfmXPat final : public QDialog {
  Q_OBJECT

 public:
  // low, high: the group's article numbers; memory: the remembered range and score.
  TfmXPat(std::int32_t low, std::int32_t high, const XpatMemory& memory,
          QWidget* parent = nullptr);

  XpatForm Form() const;

  QLineEdit& patternField() { return *pattern_; }
  QComboBox& headerBox() { return *header_; }
  QLineEdit& otherField() { return *other_; }
  QLineEdit& rangeField() { return *range_; }
  QSpinBox& scoreBox() { return *score_; }
  QPushButton& okButton() { return *ok_; }

 public slots:
  void accept() override;

 private:
  void rangeChanged();

  QLineEdit* pattern_ = nullptr;
  QComboBox* header_ = nullptr;
  QLineEdit* other_ = nullptr;
  QCheckBox* caseSensitive_ = nullptr;
  QLineEdit* range_ = nullptr;
  QSpinBox* score_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace orvel::ui
