#include "ui/cache_form.h"

#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include "ui/qt_convert.h"

namespace orvel::ui {

namespace {
constexpr int kMaxExpiryDays = 90;
constexpr int kDefaultExpiryDays = 7;
}  // namespace

TfmCache::TfmCache(StorageChoice choice, std::int32_t expiryDays, QWidget* parent)
    : QDialog(parent) {
  setWindowTitle("Options de stockage");
  setObjectName("TfmCache");
  auto* layout = new QVBoxLayout(this);

  auto* what = new QGroupBox("Stockage", this);
  auto* whatLayout = new QVBoxLayout(what);
  nothing_ = new QRadioButton(qs(kStoreNothingText), what);
  headers_ = new QRadioButton(qs(kStoreHeadersText), what);
  bodies_ = new QRadioButton(qs(kStoreBodiesText), what);
  for (QRadioButton* b : {nothing_, headers_, bodies_}) whatLayout->addWidget(b);
  layout->addWidget(what);

  auto* expiry = new QGroupBox("Expiration", this);
  auto* expiryLayout = new QVBoxLayout(expiry);
  auto* afterRow = new QHBoxLayout;
  after_ = new QRadioButton("Purger apr\u00e8s", expiry);
  days_ = new QSpinBox(expiry);
  days_->setRange(0, kMaxExpiryDays);
  days_->setSuffix(" jours");
  afterRow->addWidget(after_);
  afterRow->addWidget(days_);
  afterRow->addStretch(1);
  expiryLayout->addLayout(afterRow);
  onServer_ = new QRadioButton("Purger quand expir\u00e9 sur le serveur", expiry);
  expiryLayout->addWidget(onServer_);
  layout->addWidget(expiry);
  connect(after_, &QRadioButton::toggled, days_, &QWidget::setEnabled);

  auto* compact = new QPushButton("Compacter le fichier d'article", this);
  compact->setObjectName("compact");
  connect(compact, &QPushButton::clicked, this, &TfmCache::compactRequested);
  layout->addWidget(compact);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  layout->addWidget(buttons);

  setChoice(choice);
  setExpiryDays(expiryDays);
}

void TfmCache::setChoice(StorageChoice choice) {
  switch (choice) {
    case kStoreNothing: nothing_->setChecked(true); break;
    case kStoreHeadersAndBodies: bodies_->setChecked(true); break;
    default: headers_->setChecked(true); break;
  }
}

void TfmCache::setExpiryDays(std::int32_t days) {
  const bool after = days > 0;
  after_->setChecked(after);
  onServer_->setChecked(!after);
  days_->setEnabled(after);
  days_->setValue(after ? std::min(days, kMaxExpiryDays) : kDefaultExpiryDays);
}

StorageChoice TfmCache::choice() const {
  if (nothing_->isChecked()) return kStoreNothing;
  if (bodies_->isChecked()) return kStoreHeadersAndBodies;
  return kStoreHeaders;
}

std::int32_t TfmCache::expiryDays() const { return after_->isChecked() ? days_->value() : 0; }

}  // namespace orvel::ui
