#include "ui/filter_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/qt_convert.h"

namespace orvel::ui {

namespace {

QGroupBox* checkableBox(const QString& title, bool checked, QWidget* parent) {
  auto* box = new QGroupBox(title, parent);
  box->setCheckable(true);
  box->setChecked(checked);
  return box;
}

QSpinBox* countSpin(std::int32_t value, QWidget* parent) {
  auto* spin = new QSpinBox(parent);
  spin->setRange(0, kFilterCountMax);
  spin->setValue(value);
  return spin;
}

// Two radio buttons and a count with its unit in a box.
QRadioButton* choiceRow(QGroupBox* box, const QString& first, const QString& second,
                        bool firstChecked, QSpinBox* count, const QString& unit) {
  auto* a = new QRadioButton(first, box);
  auto* b = new QRadioButton(second, box);
  (firstChecked ? a : b)->setChecked(true);
  auto* row = new QHBoxLayout(box);
  row->addWidget(a);
  row->addWidget(b);
  row->addWidget(count);
  row->addWidget(new QLabel(unit, box));
  return a;
}

}  // namespace

TfmFilter::TextRow TfmFilter::textRow(const QString& title, const FilterTextTest& test) {
  TextRow r;
  r.box = checkableBox(title, test.enabled, this);
  r.text = new QLineEdit(qs(test.text), r.box);
  r.regex = new QCheckBox("&RegEx", r.box);
  r.regex->setChecked(test.regex);
  r.caseSensitive = new QCheckBox("Majuscule", r.box);
  r.caseSensitive->setChecked(test.caseSensitive);
  r.inverted = new QCheckBox("Invers\u00e9", r.box);
  r.inverted->setChecked(test.inverted);
  auto* row = new QHBoxLayout(r.box);
  for (QWidget* w : {static_cast<QWidget*>(r.text), static_cast<QWidget*>(r.regex),
                     static_cast<QWidget*>(r.caseSensitive), static_cast<QWidget*>(r.inverted)}) {
    row->addWidget(w);
  }
  return r;
}

// A score spin box with its track bar kept in step.
QSpinBox* TfmFilter::scoreSpin(std::int32_t value, QSlider*& bar) {
  auto* spin = new QSpinBox(scoreBox_);
  spin->setRange(kFilterScoreMin, kFilterScoreMax);
  bar = new QSlider(Qt::Horizontal, scoreBox_);
  bar->setRange(kFilterScoreMin, kFilterScoreMax);
  connect(spin, &QSpinBox::valueChanged, bar, &QSlider::setValue);
  connect(bar, &QSlider::valueChanged, spin, &QSpinBox::setValue);
  spin->setValue(value);
  return spin;
}

TfmFilter::TfmFilter(PassFilter& filter, QWidget* parent) : QDialog(parent), filter_(filter) {
  setWindowTitle("Filtre");
  const FilterForm& form = filter.Form();
  subject_ = textRow("&1. Sujet", form.subject);
  author_ = textRow("&2. Auteur", form.author);

  dateBox_ = checkableBox("&3. Date:", form.dateEnabled, this);
  days_ = countSpin(form.days, dateBox_);
  since_ = choiceRow(dateBox_, "Depuis:", "Plus vieux que:",
                     form.dateTest == FilterDateTest::Since, days_, "Jour(s)");
  linesBox_ = checkableBox("&4. Lignes", form.linesEnabled, this);
  lines_ = countSpin(form.lines, linesBox_);
  atLeast_ = choiceRow(linesBox_, "Au moins:", "Moins de:",
                       form.linesTest == FilterLinesTest::AtLeast, lines_, "Ligne(s)");

  scoreBox_ = checkableBox("&5. Score", form.scoreEnabled, this);
  from_ = scoreSpin(form.scoreFrom, fromBar_);
  to_ = scoreSpin(form.scoreTo, toBar_);
  auto* scores = new QGridLayout(scoreBox_);
  scores->addWidget(new QLabel("Prendre les articles scor\u00e9s", scoreBox_), 0, 0, 1, 3);
  scores->addWidget(new QLabel("de:", scoreBox_), 1, 0);
  scores->addWidget(from_, 1, 1);
  scores->addWidget(fromBar_, 1, 2);
  scores->addWidget(new QLabel("\u00e0:", scoreBox_), 2, 0);
  scores->addWidget(to_, 2, 1);
  scores->addWidget(toBar_, 2, 2);

  boolean_ = new QComboBox(this);
  boolean_->addItems({"AND", "OR"});
  boolean_->setCurrentIndex(form.boolean == FilterBoolean::Or ? 1 : 0);
  addToCurrent_ = new QCheckBox("Ajouter au filtre en cours", this);
  addToCurrent_->setChecked(form.addToCurrent);
  error_ = new QLabel(this);
  error_->setObjectName("error");

  auto* applyButton = new QPushButton("&Appliquer", this);
  applyButton->setDefault(true);
  auto* removeButton = new QPushButton("&Enlever les filtres", this);
  auto* cancelButton = new QPushButton("Annuler", this);
  connect(applyButton, &QPushButton::clicked, this, &TfmFilter::apply);
  connect(removeButton, &QPushButton::clicked, this, [this] {
    filter_.Clear();
    done(RemoveFilters);
  });
  connect(cancelButton, &QPushButton::clicked, this, &TfmFilter::reject);

  auto* bottom = new QHBoxLayout;
  bottom->addWidget(new QLabel("Bool\u00e9en", this));
  bottom->addWidget(boolean_);
  bottom->addWidget(addToCurrent_);
  bottom->addStretch();
  bottom->addWidget(applyButton);
  bottom->addWidget(removeButton);
  bottom->addWidget(cancelButton);
  auto* layout = new QVBoxLayout(this);
  for (QWidget* w : {static_cast<QWidget*>(subject_.box), static_cast<QWidget*>(author_.box),
                     static_cast<QWidget*>(dateBox_), static_cast<QWidget*>(linesBox_),
                     static_cast<QWidget*>(scoreBox_)}) {
    layout->addWidget(w);
  }
  layout->addLayout(bottom);
  layout->addWidget(error_);
}

FilterForm TfmFilter::Form() const {
  const auto text = [](const TextRow& r) {
    return FilterTextTest{r.box->isChecked(), utf8(r.text->text()), r.regex->isChecked(),
                          r.caseSensitive->isChecked(), r.inverted->isChecked()};
  };
  FilterForm f;
  f.subject = text(subject_);
  f.author = text(author_);
  f.scoreEnabled = scoreBox_->isChecked();
  f.scoreFrom = from_->value();
  f.scoreTo = to_->value();
  f.dateEnabled = dateBox_->isChecked();
  f.dateTest = since_->isChecked() ? FilterDateTest::Since : FilterDateTest::OlderThan;
  f.days = days_->value();
  f.linesEnabled = linesBox_->isChecked();
  f.linesTest = atLeast_->isChecked() ? FilterLinesTest::AtLeast : FilterLinesTest::LessThan;
  f.lines = lines_->value();
  f.boolean = boolean_->currentIndex() == 1 ? FilterBoolean::Or : FilterBoolean::And;
  f.addToCurrent = addToCurrent_->isChecked();
  return f;
}

void TfmFilter::apply() {
  if (const auto error = filter_.Apply(Form())) {
    error_->setText(qs(*error));
    return;
  }
  done(Applied);
}

}  // namespace orvel::ui
