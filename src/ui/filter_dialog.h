#pragma once
// The filter dialog (TfmFilter, "Filtre"): the subject, author, score, date
// and lines tests, the boolean, "Ajouter au filtre en cours". "&Appliquer"
// hands the form to the view's PassFilter and closes only when its regexes
// compile (the library's error is shown otherwise); "&Enlever les filtres"
// closes with RemoveFilters.

#include <QDialog>

#include "scoring/pass_filter.h"

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QRadioButton;
class QSlider;
class QSpinBox;

namespace orvel::ui {

class TfmFilter final : public QDialog {
  Q_OBJECT

 public:
  // done() codes besides Rejected.
  static constexpr int Applied = QDialog::Accepted;
  static constexpr int RemoveFilters = 2;

  explicit TfmFilter(PassFilter& filter, QWidget* parent = nullptr);

  FilterForm Form() const;

  struct TextRow {
    QGroupBox* box = nullptr;
    QLineEdit* text = nullptr;
    QCheckBox* regex = nullptr;
    QCheckBox* caseSensitive = nullptr;
    QCheckBox* inverted = nullptr;
  };
  TextRow& subjectRow() { return subject_; }
  TextRow& authorRow() { return author_; }
  QGroupBox& scoreBox() { return *scoreBox_; }
  QSpinBox& scoreFrom() { return *from_; }
  QSlider& scoreFromBar() { return *fromBar_; }
  QLabel& errorLabel() { return *error_; }

 public slots:
  // "&Appliquer"
  void apply();

 private:
  TextRow textRow(const QString& title, const FilterTextTest& test);
  QSpinBox* scoreSpin(std::int32_t value, QSlider*& bar);

  PassFilter& filter_;
  TextRow subject_, author_;
  QGroupBox* scoreBox_ = nullptr;
  QSpinBox* from_ = nullptr;
  QSpinBox* to_ = nullptr;
  QSlider* fromBar_ = nullptr;
  QSlider* toBar_ = nullptr;
  QGroupBox* dateBox_ = nullptr;
  QRadioButton* since_ = nullptr;
  QSpinBox* days_ = nullptr;
  QGroupBox* linesBox_ = nullptr;
  QRadioButton* atLeast_ = nullptr;
  QSpinBox* lines_ = nullptr;
  QComboBox* boolean_ = nullptr;
  QCheckBox* addToCurrent_ = nullptr;
  QLabel* error_ = nullptr;
};

}  // namespace orvel::ui
