#include "ui/config_identities_page.h"

#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "config/profile_dialogs.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

IdentitiesPage::IdentitiesPage(OptionsDraft& draft, Prompter& prompter,
                               std::function<bool()> composeOpen, QWidget* parent)
    : QWidget(parent), draft_(draft), prompter_(prompter), composeOpen_(std::move(composeOpen)) {
  list_ = new QListWidget(this);
  list_->setObjectName("identityList");
  auto* add = new QPushButton("&Ajouter...", this);
  add->setObjectName("bAddId");
  auto* clone = new QPushButton("&Cloner...", this);
  clone->setObjectName("bCloneId");
  auto* remove = new QPushButton("&Supprimer", this);
  remove->setObjectName("bDeleteId");
  connect(add, &QPushButton::clicked, this, [this] { addIdentity(false); });
  connect(clone, &QPushButton::clicked, this, [this] { addIdentity(true); });
  connect(remove, &QPushButton::clicked, this, &IdentitiesPage::deleteIdentity);
  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    store();
    show(row);
  });

  auto* form = new QFormLayout;
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  static constexpr const char* kLabels[] = {"Nom",         "Email",     "Email public",
                                            "Organisation", "Signature", "Jeton Message-ID"};
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    fields_[i] = new QLineEdit(this);
    fields_[i]->setObjectName(kIdentityFields[i].key);
    form->addRow(kLabels[i], fields_[i]);
  }

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(add);
  buttons->addWidget(clone);
  buttons->addWidget(remove);
  buttons->addStretch(1);
  auto* layout = new QHBoxLayout(this);
  layout->addWidget(list_, 2);
  layout->addLayout(buttons);
  layout->addLayout(form, 3);
  fillList(0);
}

void IdentitiesPage::fillList(int selected) {
  shown_ = -1;
  const QSignalBlocker block(list_);
  list_->clear();
  for (const TID& id : draft_.state.identities) list_->addItem(qs(id.name));
  list_->setCurrentRow(selected < list_->count() ? selected : list_->count() - 1);
  show(list_->currentRow());
}

void IdentitiesPage::show(int index) {
  shown_ = index;
  const auto& ids = draft_.state.identities;
  const bool valid = index >= 0 && index < static_cast<int>(ids.size());
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    fields_[i]->setEnabled(valid);
    fields_[i]->setText(valid ? qs(ids[static_cast<std::size_t>(index)].*kIdentityFields[i].field)
                              : QString());
  }
}

void IdentitiesPage::store() {
  auto& ids = draft_.state.identities;
  if (shown_ < 0 || shown_ >= static_cast<int>(ids.size())) return;
  TID& id = ids[static_cast<std::size_t>(shown_)];
  for (std::size_t i = 0; i < fields_.size(); ++i) {
    SetIdentityField(id, kIdentityFields[i].key, utf8(fields_[i]->text()));
  }
}

void IdentitiesPage::addIdentity(bool clone) {
  store();
  const auto& ids = draft_.state.identities;
  const TID* source =
      clone && shown_ >= 0 && shown_ < static_cast<int>(ids.size())
          ? &ids[static_cast<std::size_t>(shown_)]
          : nullptr;
  if (clone && !source) return;
  if (!NewIdentity(draft_.state, prompter_, source)) return;
  fillList(static_cast<int>(draft_.state.identities.size()) - 1);
  emit listChanged();
}

void IdentitiesPage::deleteIdentity() {
  store();
  const int index = shown_;
  if (index < 0) return;
  const std::string name = draft_.state.identities[static_cast<std::size_t>(index)].name;
  if (!DeleteIdentity(draft_.state, prompter_, index, composeOpen_ && composeOpen_())) return;
  draft_.erasedIdentities.push_back(name);
  fillList(index);
  emit listChanged();
}

}  // namespace orvel::ui
