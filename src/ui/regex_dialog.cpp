#include "ui/regex_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>

#include "core/perlre.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

namespace {

QComboBox* historyBox(QWidget* parent) {
  auto* box = new QComboBox(parent);
  box->setEditable(true);
  box->setInsertPolicy(QComboBox::NoInsert);
  box->setMinimumContentsLength(40);
  return box;
}

// The text goes to the top of its box's history, once.
void remember(QComboBox* box, const QString& text) {
  if (text.isEmpty()) return;
  const int at = box->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
  if (at >= 0) box->removeItem(at);
  box->insertItem(0, text);
  box->setCurrentIndex(0);
}

}  // namespace

TfmRegex::TfmRegex(QWidget* parent) : QDialog(parent) {
  setWindowTitle("Test d'Expression r\u00e9guli\u00e8re");
  pattern_ = historyBox(this);
  pattern_->setObjectName("pattern");
  subject_ = historyBox(this);
  subject_->setObjectName("subject");
  caseSensitive_ = new QCheckBox("Majuscules", this);
  result_ = new QLineEdit(this);
  result_->setObjectName("result");
  result_->setReadOnly(true);
  lines_ = new QListWidget(this);
  lines_->setObjectName("lines");
  auto* patternLabel = new QLabel("&Regexp:", this);
  patternLabel->setBuddy(pattern_);
  auto* subjectLabel = new QLabel("&Cha\u00eene \u00e0 tester:", this);
  subjectLabel->setBuddy(subject_);
  auto* linesLabel = new QLabel("Matche\nCha\u00eene\net\nsub-\nexpressions", this);
  linesLabel->setAlignment(Qt::AlignRight | Qt::AlignTop);
  auto* testButton = new QPushButton("&Tester", this);
  testButton->setDefault(true);
  auto* closeButton = new QPushButton("&Fermer", this);
  closeButton->setAutoDefault(false);

  auto* grid = new QGridLayout(this);
  grid->addWidget(patternLabel, 0, 0);
  grid->addWidget(pattern_, 0, 1, 1, 2);
  grid->addWidget(subjectLabel, 1, 0);
  grid->addWidget(subject_, 1, 1, 1, 2);
  grid->addWidget(caseSensitive_, 2, 1);
  grid->addWidget(result_, 3, 1, 1, 2);
  grid->addWidget(linesLabel, 4, 0);
  grid->addWidget(lines_, 4, 1, 1, 2);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(testButton);
  buttons->addWidget(closeButton);
  grid->addLayout(buttons, 5, 0, 1, 3);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(4, 1);
  resize(560, 400);

  connect(testButton, &QPushButton::clicked, this, &TfmRegex::test);
  connect(closeButton, &QPushButton::clicked, this, &QDialog::reject);
}

void TfmRegex::test() {
  lines_->clear();
  const QString pattern = pattern_->currentText();
  const QString subject = subject_->currentText();
  remember(pattern_, pattern);
  remember(subject_, subject);
  try {
    const RegexTestResult out = RunRegexTest(utf8(pattern), utf8(subject),
                                             caseSensitive_->isChecked());
    result_->setText(qs(out.result));
    for (const std::string& line : out.lines) lines_->addItem(qs(line));
  } catch (const EPerlRe& e) {
    result_->setText(qs(e.what()));
  }
}

}  // namespace orvel::ui
