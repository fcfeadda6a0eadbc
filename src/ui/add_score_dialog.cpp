#include "ui/add_score_dialog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/qt_convert.h"

namespace orvel::ui {

namespace {

constexpr const char* kFieldCaptions[kRuleFieldCount] = {"Subject", "From",  "References",
                                                         "XRef",    "Lignes", "Message-ID"};
constexpr const char* kModes[] = {"Correspond [regexp]", "Ne correspond pas \u00e0",
                                  "Matche [majuscules]", "Ne matche pas [maj]"};
constexpr const char* kLinesModes[] = {"plus de:", "pas plus de:"};
constexpr const char* kSources[] = {"Editer:", "Cet article", "T\u00eate du fil",
                                    "Autres du fil"};

QRadioButton* radio(const char* caption, QWidget* parent, QLayout* layout) {
  auto* b = new QRadioButton(qs(caption), parent);
  layout->addWidget(b);
  return b;
}

}  // namespace

TfmAddScore::TfmAddScore(const RuleArticle& article, const std::string& group,
                         std::vector<std::string> sectionPatterns, std::string scoreFilePath,
                         DateTime now, const DateFormatSettings& formats, QWidget* parent)
    : QDialog(parent),
      rule_(FillScoreRule(article, group, std::move(sectionPatterns))),
      group_(group),
      path_(std::move(scoreFilePath)),
      now_(now),
      formats_(formats) {
  setWindowTitle("Ajouter au fichier de score");
  setObjectName("TfmAddScore");
  auto* layout = new QVBoxLayout(this);
  auto* top = new QHBoxLayout;
  auto* left = new QVBoxLayout;
  left->addWidget(buildSection());
  left->addWidget(buildScore());
  left->addWidget(buildExpiry());
  top->addLayout(left);
  top->addWidget(buildCombination());
  layout->addLayout(top);
  layout->addWidget(buildFields());
  error_ = new QLabel(this);
  error_->setObjectName("error");
  error_->setStyleSheet("color: red");
  layout->addWidget(error_);
  layout->addWidget(buildButtons());
  showRule();
}

QWidget* TfmAddScore::buildSection() {
  auto* box = new QGroupBox(qs("1. Ajouter \u00e0 la section:"), this);
  auto* grid = new QGridLayout(box);
  existing_ = new QRadioButton("Sections existantes", box);
  sections_ = new QComboBox(box);
  for (const auto& s : rule_.sections) sections_->addItem(qs(s));
  newSection_ = new QRadioButton("Nouvelle section", box);
  pattern_ = new QLineEdit(box);
  allBut_ = new QCheckBox("Toutes sauf", box);
  existing_->setEnabled(!rule_.sections.empty());
  grid->addWidget(existing_, 0, 0);
  grid->addWidget(sections_, 0, 1, 1, 2);
  grid->addWidget(newSection_, 1, 0);
  grid->addWidget(pattern_, 1, 1);
  grid->addWidget(allBut_, 1, 2);
  for (QAbstractButton* b : {static_cast<QAbstractButton*>(existing_), static_cast<QAbstractButton*>(newSection_),
                             static_cast<QAbstractButton*>(allBut_)}) {
    connect(b, &QAbstractButton::toggled, this, &TfmAddScore::readForm);
  }
  connect(sections_, &QComboBox::currentIndexChanged, this, &TfmAddScore::readForm);
  connect(pattern_, &QLineEdit::textChanged, this, &TfmAddScore::readForm);
  return box;
}

QWidget* TfmAddScore::buildScore() {
  auto* box = new QGroupBox("2. Valeur de score", this);
  auto* column = new QVBoxLayout(box);
  auto* how = new QHBoxLayout;
  auto* howGroup = new QButtonGroup(box);
  add_ = radio("Ajoute", box, how);
  assign_ = radio("Assigne", box, how);
  howGroup->addButton(add_);
  howGroup->addButton(assign_);
  column->addLayout(how);
  auto* what = new QHBoxLayout;
  auto* whatGroup = new QButtonGroup(box);
  value_ = radio("", box, what);
  score_ = new QSpinBox(box);
  score_->setRange(-9999, 9999);
  what->addWidget(score_);
  kill_ = radio("KILL", box, what);
  top_ = radio("9999", box, what);
  for (QRadioButton* b : {value_, kill_, top_}) whatGroup->addButton(b);
  column->addLayout(what);
  for (QRadioButton* b : {add_, assign_, value_, kill_, top_}) {
    connect(b, &QAbstractButton::toggled, this, &TfmAddScore::readForm);
  }
  connect(score_, &QSpinBox::valueChanged, this, &TfmAddScore::readForm);
  return box;
}

QWidget* TfmAddScore::buildExpiry() {
  auto* box = new QGroupBox("3. Expire dans:", this);
  auto* row = new QHBoxLayout(box);
  expires_ = radio("", box, row);
  days_ = new QSpinBox(box);
  days_->setRange(1, kRuleMaxDays);
  days_->setSuffix(" jours");
  row->addWidget(days_);
  never_ = radio("Jamais", box, row);
  connect(expires_, &QAbstractButton::toggled, this, &TfmAddScore::readForm);
  connect(days_, &QSpinBox::valueChanged, this, &TfmAddScore::readForm);
  return box;
}

QWidget* TfmAddScore::buildFields() {
  auto* box = new QGroupBox("4. Selectionner une en-t\u00eate ou plus", this);
  auto* grid = new QGridLayout(box);
  for (int i = 0; i < kRuleFieldCount; ++i) {
    const auto f = static_cast<RuleField>(i);
    FieldRow& row = rows_[i];
    row.check = new QCheckBox(kFieldCaptions[i], box);
    row.mode = new QComboBox(box);
    if (f == RuleField::Lines) {
      for (const char* m : kLinesModes) row.mode->addItem(qs(m));
    } else {
      for (const char* m : kModes) row.mode->addItem(qs(m));
    }
    row.value = new QComboBox(box);
    row.value->setEditable(true);
    row.value->setMinimumContentsLength(40);
    for (const auto& offer : rule_.field(f).offers) row.value->addItem(qs(offer));
    grid->addWidget(row.check, i, 0);
    grid->addWidget(row.mode, i, 1);
    grid->addWidget(row.value, i, 2);
    connect(row.check, &QAbstractButton::toggled, this, &TfmAddScore::readForm);
    connect(row.mode, &QComboBox::currentIndexChanged, this, &TfmAddScore::readForm);
    connect(row.value, &QComboBox::currentTextChanged, this, &TfmAddScore::readForm);
  }
  referencesSource_ = new QComboBox(box);
  for (const char* s : kSources) referencesSource_->addItem(qs(s));
  grid->addWidget(referencesSource_, static_cast<int>(RuleField::References), 3);
  connect(referencesSource_, &QComboBox::currentIndexChanged, this, &TfmAddScore::readForm);
  return box;
}

QWidget* TfmAddScore::buildCombination() {
  auto* box = new QGroupBox(qs("5. Bool\u00e9en"), this);
  auto* column = new QVBoxLayout(box);
  and_ = radio("ET", box, column);
  or_ = radio("OU", box, column);
  column->addStretch(1);
  connect(or_, &QAbstractButton::toggled, this, &TfmAddScore::readForm);
  return box;
}

QWidget* TfmAddScore::buildButtons() {
  auto* panel = new QWidget(this);
  auto* column = new QVBoxLayout(panel);
  auto* presets = new QHBoxLayout;
  const std::pair<const char*, RulePreset> kPresets[] = {
      {"&Tuer tout le fil", RulePreset::KillThread},
      {"Tuer le fil depuis ici", RulePreset::KillFromHere},
      {"Marquer le fil &important", RulePreset::MarkThreadImportant},
      {"Important depuis ici", RulePreset::ImportantFromHere}};
  for (const auto& [caption, preset] : kPresets) {
    auto* b = new QPushButton(caption, panel);
    connect(b, &QPushButton::clicked, this, [this, p = preset] { applyPreset(p); });
    presets->addWidget(b);
  }
  column->addLayout(presets);
  auto* row = new QHBoxLayout;
  rescore_ = new QCheckBox("&Rescorer en fermant", panel);
  apply_ = new QPushButton("&Appliquer", panel);
  copy_ = new QPushButton("&Copier", panel);
  auto* cancel = new QPushButton("Annuler", panel);
  row->addWidget(rescore_);
  row->addStretch(1);
  row->addWidget(apply_);
  row->addWidget(copy_);
  row->addWidget(cancel);
  column->addLayout(row);
  connect(apply_, &QPushButton::clicked, this, &TfmAddScore::apply);
  connect(copy_, &QPushButton::clicked, this, &TfmAddScore::copy);
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  return panel;
}

bool TfmAddScore::rescoreOnClose() const { return rescore_->isChecked(); }

void TfmAddScore::applyPreset(RulePreset preset) {
  ApplyPreset(rule_, preset, group_);
  showRule();
}

void TfmAddScore::showRule() {
  showing_ = true;
  existing_->setChecked(!rule_.newSection);
  newSection_->setChecked(rule_.newSection);
  sections_->setCurrentIndex(rule_.section);
  pattern_->setText(qs(rule_.newPattern));
  allBut_->setChecked(rule_.allBut);
  add_->setChecked(!rule_.assign);
  assign_->setChecked(rule_.assign);
  value_->setChecked(rule_.choice == ScoreChoice::Value);
  kill_->setChecked(rule_.choice == ScoreChoice::Kill);
  top_->setChecked(rule_.choice == ScoreChoice::Top);
  score_->setValue(rule_.value);
  expires_->setChecked(rule_.expires);
  never_->setChecked(!rule_.expires);
  days_->setValue(rule_.days);
  for (int i = 0; i < kRuleFieldCount; ++i) {
    const RuleFieldChoice& c = rule_.fields[i];
    rows_[i].check->setChecked(c.checked);
    const int mode = static_cast<int>(c.mode);
    rows_[i].mode->setCurrentIndex(i == static_cast<int>(RuleField::Lines) ? mode % 2 : mode);
    rows_[i].value->setCurrentText(qs(c.value));
  }
  referencesSource_->setCurrentIndex(static_cast<int>(rule_.referencesSource));
  and_->setChecked(!rule_.any);
  or_->setChecked(rule_.any);
  showing_ = false;
  readForm();
}

void TfmAddScore::readForm() {
  if (showing_) return;
  rule_.newSection = newSection_->isChecked();
  rule_.section = sections_->currentIndex();
  rule_.newPattern = utf8(pattern_->text());
  rule_.allBut = allBut_->isChecked();
  rule_.assign = assign_->isChecked();
  rule_.choice = kill_->isChecked()  ? ScoreChoice::Kill
                 : top_->isChecked() ? ScoreChoice::Top
                                     : ScoreChoice::Value;
  rule_.value = score_->value();
  rule_.expires = expires_->isChecked();
  rule_.days = days_->value();
  for (int i = 0; i < kRuleFieldCount; ++i) {
    RuleFieldChoice& c = rule_.fields[i];
    c.checked = rows_[i].check->isChecked();
    c.mode = static_cast<MatchMode>(rows_[i].mode->currentIndex());
    c.value = utf8(rows_[i].value->currentText());
  }
  rule_.referencesSource = static_cast<ReferencesSource>(referencesSource_->currentIndex());
  rows_[static_cast<int>(RuleField::References)].value->setEnabled(
      rule_.referencesSource == ReferencesSource::Edited);
  rule_.any = or_->isChecked();
  std::string error = SectionError(rule_);
  for (int i = 0; i < kRuleFieldCount && error.empty(); ++i) {
    error = FieldError(rule_, static_cast<RuleField>(i));
    if (!error.empty()) error = std::string(kFieldCaptions[i]) + ": " + error;
  }
  error_->setText(qs(error));
  const bool valid = RuleIsValid(rule_);
  apply_->setEnabled(valid);
  copy_->setEnabled(valid);
}

void TfmAddScore::apply() {
  if (!RuleIsValid(rule_)) return;
  std::string error;
  if (!WriteRule(path_, rule_, RuleText(rule_, RuleTextUse::Apply, now_, formats_), &error)) {
    error_->setText(qs(error));
    return;
  }
  emit ruleWritten();
  accept();
}

void TfmAddScore::copy() {
  if (!RuleIsValid(rule_)) return;
  QGuiApplication::clipboard()->setText(qs(RuleText(rule_, RuleTextUse::Copy, now_, formats_)));
}

}  // namespace orvel::ui
