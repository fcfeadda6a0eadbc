#pragma once
// TfmAddScore, "Ajouter au fichier de score": composes a score rule from
// the current article over the ScoreRule model. "&Appliquer" writes it into
// the score file (the caller then reloads the rules, and re-scores the view
// when rescoreOnClose() says so), "&Copier" puts the rule on the clipboard.
// A bad regular expression shows its error and disables both.

#include <QDialog>

#include <array>
#include <string>
#include <vector>

#include "articles/article_date.h"
#include "core/date_format.h"
#include "scoring/score_rule.h"

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;

namespace orvel::ui {

class TfmAddScore final : public QDialog {
  Q_OBJECT

 public:
  TfmAddScore(const RuleArticle& article, const std::string& group,
              std::vector<std::string> sectionPatterns, std::string scoreFilePath, DateTime now,
              const DateFormatSettings& formats, QWidget* parent = nullptr);

  // "&Rescorer en fermant" was checked.
  bool rescoreOnClose() const;
  const ScoreRule& rule() const { return rule_; }

  // The controls, for tests and the keyboard.
  QPushButton& applyButton() { return *apply_; }
  QPushButton& copyButton() { return *copy_; }
  QCheckBox& fieldCheck(RuleField f) { return *rows_[static_cast<int>(f)].check; }
  QComboBox& fieldValue(RuleField f) { return *rows_[static_cast<int>(f)].value; }
  QComboBox& fieldMode(RuleField f) { return *rows_[static_cast<int>(f)].mode; }
  QLabel& errorLabel() { return *error_; }
  void applyPreset(RulePreset preset);

 signals:
  // The rule is in the file: reload the rules.
  void ruleWritten();

 private:
  struct FieldRow {
    QCheckBox* check = nullptr;
    QComboBox* mode = nullptr;
    QComboBox* value = nullptr;
  };

  QWidget* buildSection();
  QWidget* buildScore();
  QWidget* buildExpiry();
  QWidget* buildFields();
  QWidget* buildCombination();
  QWidget* buildButtons();
  // The form into the model, then the checks.
  void readForm();
  // The model into the form (after a preset).
  void showRule();
  void apply();
  void copy();

  ScoreRule rule_;
  std::string group_;
  std::string path_;
  DateTime now_;
  DateFormatSettings formats_;
  bool showing_ = false;

  QRadioButton* existing_ = nullptr;
  QComboBox* sections_ = nullptr;
  QRadioButton* newSection_ = nullptr;
  QLineEdit* pattern_ = nullptr;
  QCheckBox* allBut_ = nullptr;
  QRadioButton* add_ = nullptr;
  QRadioButton* assign_ = nullptr;
  QRadioButton* value_ = nullptr;
  QRadioButton* kill_ = nullptr;
  QRadioButton* top_ = nullptr;
  QSpinBox* score_ = nullptr;
  QRadioButton* expires_ = nullptr;
  QRadioButton* never_ = nullptr;
  QSpinBox* days_ = nullptr;
  std::array<FieldRow, kRuleFieldCount> rows_;
  QComboBox* referencesSource_ = nullptr;
  QRadioButton* and_ = nullptr;
  QRadioButton* or_ = nullptr;
  QCheckBox* rescore_ = nullptr;
  QLabel* error_ = nullptr;
  QPushButton* apply_ = nullptr;
  QPushButton* copy_ = nullptr;
};

}  // namespace orvel::ui
