#pragma once
// The regular-expression tester (TfmRegex): a pattern and a string, each
// with its history, the case switch, and the result with one line per
// sub-expression. The matching is the logic's RunRegexTest.

#include <QDialog>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;

namespace orvel::ui {

class TfmRegex final : public QDialog {
  Q_OBJECT

 public:
  explicit TfmRegex(QWidget* parent = nullptr);

  QComboBox& patternBox() { return *pattern_; }
  QComboBox& stringBox() { return *subject_; }
  QCheckBox& caseBox() { return *caseSensitive_; }
  QLineEdit& resultField() { return *result_; }
  QListWidget& lines() { return *lines_; }

 public slots:
  // "&Tester"
  void test();

 private:
  QComboBox* pattern_ = nullptr;
  QComboBox* subject_ = nullptr;
  QCheckBox* caseSensitive_ = nullptr;
  QLineEdit* result_ = nullptr;
  QListWidget* lines_ = nullptr;
};

}  // namespace orvel::ui
