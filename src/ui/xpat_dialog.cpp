#include "ui/xpat_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/qt_convert.h"

namespace orvel::ui {

TfmXPat::TfmXPat(std::int32_t low, std::int32_t high, const XpatMemory& memory, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle("Chercher sur le serveur(XPAT)");
  pattern_ = new QLineEdit(this);
  header_ = new QComboBox(this);
  header_->addItems({"Sujet", "Auteur", "References", "Message-ID", "Keywords", "Autre"});
  other_ = new QLineEdit(this);
  other_->setEnabled(false);
  caseSensitive_ = new QCheckBox("Case sensitive", this);
  range_ = new QLineEdit(qs(memory.range), this);
  score_ = new QSpinBox(this);
  score_->setRange(kXpatScoreMin, kXpatScoreMax);
  score_->setValue(memory.score);

  auto* headers = new QHBoxLayout;
  headers->addWidget(header_);
  headers->addWidget(other_);
  auto* range = new QHBoxLayout;
  range->addWidget(range_);
  range->addWidget(new QLabel(QString::asprintf("%d-%d", low, high), this));
  auto* form = new QFormLayout;
  form->addRow("Rechercher:", pattern_);
  form->addRow("Rechercher dans les ent\u00eates", headers);
  form->addRow(caseSensitive_);
  form->addRow("Intervale", range);
  form->addRow("Scorer \u00e0", score_);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  ok_ = buttons->button(QDialogButtonBox::Ok);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);

  connect(buttons, &QDialogButtonBox::accepted, this, &TfmXPat::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TfmXPat::reject);
  connect(range_, &QLineEdit::textChanged, this, [this] { rangeChanged(); });
  connect(header_, &QComboBox::currentIndexChanged, this, [this](int index) {
    other_->setEnabled(static_cast<XpatHeader>(index) == XpatHeader::Other);
  });
  rangeChanged();
}

XpatForm TfmXPat::Form() const {
  XpatForm f;
  f.pattern = utf8(pattern_->text());
  f.header = static_cast<XpatHeader>(header_->currentIndex());
  f.otherName = utf8(other_->text());
  f.caseSensitive = caseSensitive_->isChecked();
  f.range = utf8(range_->text());
  f.score = score_->value();
  return f;
}

void TfmXPat::rangeChanged() { ok_->setEnabled(XpatRangeValid(utf8(range_->text()))); }

void TfmXPat::accept() {
  if (CheckXpatForm(Form()) != XpatCheck::Ok) return;
  QDialog::accept();
}

}  // namespace orvel::ui
