#include "ui/find_dialog.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QRadioButton>
#include <QVBoxLayout>

#include "ui/qt_convert.h"

namespace orvel::ui {

TfmFind::TfmFind(GroupFind& find, QWidget* parent) : QDialog(parent), find_(find) {
  setWindowTitle("Trouver");
  const FindOptions& last = find.Options();
  pattern_ = new QComboBox(this);
  pattern_->setEditable(true);
  pattern_->setEditText(qs(last.pattern));
  caseSensitive_ = new QCheckBox("Case sensitive", this);
  caseSensitive_->setChecked(last.caseSensitive);
  skipBig_ = new QCheckBox("Sauter les gros articles", this);
  skipBig_->setChecked(last.skipBig);
  auto* where = new QGroupBox("Rechercher dans", this);
  auto* whereLayout = new QVBoxLayout(where);
  const char* names[] = {"&Sujets", "Auteurs et Sujets", "&Auteurs", "&Corps (Quand disponibles)"};
  for (int i = 0; i < 4; ++i) {
    in_[i] = new QRadioButton(names[i], where);
    whereLayout->addWidget(in_[i]);
  }
  in_[static_cast<int>(last.in)]->setChecked(true);
  status_ = new QLabel(this);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &TfmFind::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TfmFind::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addWidget(new QLabel("Trouver:", this));
  layout->addWidget(pattern_);
  layout->addWidget(caseSensitive_);
  layout->addWidget(skipBig_);
  layout->addWidget(where);
  layout->addWidget(status_);
  layout->addWidget(buttons);
}

FindOptions TfmFind::Options() const {
  FindOptions o;
  o.pattern = utf8(pattern_->currentText());
  o.caseSensitive = caseSensitive_->isChecked();
  o.skipBig = skipBig_->isChecked();
  for (int i = 0; i < 4; ++i) {
    if (in_[i]->isChecked()) o.in = static_cast<FindIn>(i);
  }
  return o;
}

void TfmFind::accept() {
  if (const auto error = find_.SetOptions(Options())) {
    status_->setText(qs(*error));
    return;
  }
  QDialog::accept();
}

}  // namespace orvel::ui
