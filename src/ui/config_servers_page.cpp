#include "ui/config_servers_page.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>

#include <filesystem>

#include "config/profile_dialogs.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

namespace {

QLineEdit* secretLine() {
  auto* line = new QLineEdit;
  line->setEchoMode(QLineEdit::Password);
  return line;
}

// A file name line with a button that chooses the file.
QWidget* withBrowse(QLineEdit* line, Prompter& prompter, const char* caption) {
  auto* row = new QWidget;
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  auto* browse = new QPushButton("...");
  browse->setFixedWidth(32);
  layout->addWidget(line, 1);
  layout->addWidget(browse);
  QObject::connect(browse, &QPushButton::clicked, row, [line, &prompter, caption] {
    if (auto path = prompter.chooseOpenFile(caption, utf8(line->text()), "")) {
      line->setText(qs(*path));
    }
  });
  return row;
}

}  // namespace

ServersPage::ServersPage(OptionsDraft& draft, std::string baseDir, Prompter& prompter,
                         std::function<bool(const TProfile&)> isOpen, QWidget* parent)
    : QWidget(parent),
      draft_(draft),
      baseDir_(std::move(baseDir)),
      prompter_(prompter),
      isOpen_(std::move(isOpen)) {
  list_ = new QListWidget(this);
  list_->setObjectName("profileList");
  auto* add = new QPushButton("&Ajouter...", this);
  add->setObjectName("bAddProfile");
  clone_ = new QPushButton("&Cloner...", this);
  clone_->setObjectName("bCloneProfile");
  delete_ = new QPushButton("&Supprimer", this);
  delete_->setObjectName("bDeleteProfile");
  connect(add, &QPushButton::clicked, this, [this] { addProfile(false); });
  connect(clone_, &QPushButton::clicked, this, [this] { addProfile(true); });
  connect(delete_, &QPushButton::clicked, this, &ServersPage::deleteProfile);
  connect(list_, &QListWidget::currentRowChanged, this, [this](int row) {
    store();
    show(row);
  });

  fields_ = new QWidget(this);
  auto* form = new QFormLayout(fields_);
  form->setFieldGrowthPolicy(QFormLayout::AllNonFixedFieldsGrow);
  isDefault_ = new QCheckBox("Ouvert au d\u00e9marrage");
  host_ = new QLineEdit;
  host_->setObjectName("host");
  port_ = new QSpinBox;
  port_->setObjectName("port");
  port_->setRange(0, 65535);
  port_->setSpecialValueText("d\u00e9faut");
  tls_ = new QCheckBox("Connexion chiffr\u00e9e (TLS)");
  caFile_ = new QLineEdit;
  extensions_ = new QCheckBox("Extensions NNTP (CAPABILITIES)");
  extensions_->setObjectName("extensions");
  startTls_ = new QCheckBox("STARTTLS avant l'identification");
  startTls_->setObjectName("startTls");
  compress_ = new QCheckBox("Compression (COMPRESS DEFLATE)");
  compress_->setObjectName("compress");
  pipelining_ = new QSpinBox;
  pipelining_->setObjectName("pipelining");
  pipelining_->setRange(1, TProfile::kMaxPipelining);
  pipelining_->setSpecialValueText("aucune");
  tls_->setObjectName("tls");
  connect(tls_, &QCheckBox::toggled, this, &ServersPage::enableSwitches);
  connect(extensions_, &QCheckBox::toggled, this, &ServersPage::enableSwitches);
  user_ = new QLineEdit;
  user_->setObjectName("userName");
  password_ = secretLine();
  newsrc_ = new QLineEdit;
  smtpHost_ = new QLineEdit;
  smtpHost_->setObjectName("smtpHost");
  smtpUser_ = new QLineEdit;
  smtpPassword_ = secretLine();
  identity_ = new QComboBox;
  identity_->setObjectName("profileIdentity");
  form->addRow(isDefault_);
  form->addRow("Serveur", host_);
  form->addRow("Port", port_);
  form->addRow(tls_);
  form->addRow("Certificats CA", withBrowse(caFile_, prompter_, "Certificats CA (PEM)"));
  form->addRow(extensions_);
  form->addRow(startTls_);
  form->addRow(compress_);
  form->addRow("Commandes en file", pipelining_);
  form->addRow("Utilisateur", user_);
  form->addRow("Mot de passe", password_);
  form->addRow("Fichier newsrc", newsrc_);
  form->addRow("Serveur SMTP", smtpHost_);
  form->addRow("Utilisateur SMTP", smtpUser_);
  form->addRow("Mot de passe SMTP", smtpPassword_);
  form->addRow("Identit\u00e9", identity_);
  auto* overrides = new QGroupBox("Pour ce serveur seulement", fields_);
  auto* overridesForm = new QFormLayout(overrides);
  static constexpr const char* kLabels[] = {"Nom",         "Email",   "Email public",
                                            "Organisation", "Signature", "Jeton Message-ID"};
  for (std::size_t i = 0; i < overrides_.size(); ++i) {
    overrides_[i] = new QLineEdit;
    overridesForm->addRow(kLabels[i], overrides_[i]);
  }
  form->addRow(overrides);
  connect(identity_, &QComboBox::activated, this, &ServersPage::identityChosen);

  auto* buttons = new QVBoxLayout;
  buttons->addWidget(add);
  buttons->addWidget(clone_);
  buttons->addWidget(delete_);
  buttons->addStretch(1);
  auto* left = new QHBoxLayout;
  left->addWidget(list_, 1);
  left->addLayout(buttons);
  auto* layout = new QHBoxLayout(this);
  layout->addLayout(left, 2);
  layout->addWidget(fields_, 3);

  refreshIdentities();
  fillList(draft_.state.defaultProfile() ? draft_.state.defaultProfileIndex : 0);
}

TProfile* ServersPage::selected() const {
  const auto& profiles = draft_.state.profiles;
  return shown_ >= 0 && shown_ < static_cast<int>(profiles.size())
             ? profiles[static_cast<std::size_t>(shown_)].get()
             : nullptr;
}

void ServersPage::fillList(int selectedRow) {
  shown_ = -1;
  const QSignalBlocker block(list_);
  list_->clear();
  for (const auto& p : draft_.state.profiles) list_->addItem(qs(p->alias));
  list_->setCurrentRow(selectedRow < list_->count() ? selectedRow : list_->count() - 1);
  show(list_->currentRow());
}

void ServersPage::select(int index) { list_->setCurrentRow(index); }

void ServersPage::show(int index) {
  shown_ = index;
  const TProfile* p = selected();
  fields_->setEnabled(p != nullptr);
  clone_->setEnabled(p != nullptr);
  delete_->setEnabled(p != nullptr);
  if (!p) return;
  isDefault_->setChecked(index == draft_.state.defaultProfileIndex);
  host_->setText(qs(p->host));
  port_->setValue(p->port);
  tls_->setChecked(p->tls);
  caFile_->setText(qs(p->caFile));
  extensions_->setChecked(p->extensions);
  startTls_->setChecked(p->startTls);
  compress_->setChecked(p->compress);
  pipelining_->setValue(p->pipelining);
  enableSwitches();
  user_->setText(qs(p->userName));
  password_->setText(qs(p->password));
  newsrc_->setText(qs(p->newsrcPath));
  smtpHost_->setText(qs(p->SMTPHost));
  smtpUser_->setText(qs(p->SMTPUser));
  smtpPassword_->setText(qs(p->SMTPPassword));
  identity_->setCurrentText(qs(p->identity.name));
  showIdentity(p->identity);
}

void ServersPage::enableSwitches() {
  // STARTTLS is offered among the capabilities, and means nothing on a
  // connection that is encrypted from the start.
  startTls_->setEnabled(extensions_->isChecked() && !tls_->isChecked());
  compress_->setEnabled(extensions_->isChecked());
  // Only servers answering CAPABILITIES are sent commands ahead.
  pipelining_->setEnabled(extensions_->isChecked());
}

void ServersPage::showIdentity(const TID& id) {
  for (std::size_t i = 0; i < overrides_.size(); ++i) {
    overrides_[i]->setText(qs(id.*kIdentityFields[i].field));
  }
}

void ServersPage::identityChosen(int index) {
  const auto& ids = draft_.state.identities;
  if (index < 0 || index >= static_cast<int>(ids.size())) return;
  // A new identity brings its own values; overrides start again from them.
  showIdentity(ids[static_cast<std::size_t>(index)]);
}

void ServersPage::store() {
  TProfile* p = selected();
  if (!p) return;
  if (isDefault_->isChecked()) draft_.state.defaultProfileIndex = shown_;
  p->host = utf8(host_->text().trimmed());
  p->port = port_->value();
  p->tls = tls_->isChecked();
  p->caFile = utf8(caFile_->text().trimmed());
  p->extensions = extensions_->isChecked();
  p->startTls = startTls_->isChecked();
  p->compress = compress_->isChecked();
  p->pipelining = pipelining_->value();
  p->userName = utf8(user_->text());
  p->password = utf8(password_->text());
  std::string newsrc = utf8(newsrc_->text().trimmed());
  if (newsrc.empty()) newsrc = baseDir_ + p->alias + ".newsrc";
  if (!std::filesystem::path(newsrc).is_absolute()) newsrc = baseDir_ + newsrc;
  p->newsrcPath = newsrc;
  p->SMTPHost = utf8(smtpHost_->text().trimmed());
  p->SMTPUser = utf8(smtpUser_->text());
  p->SMTPPassword = utf8(smtpPassword_->text());
  p->identity.name = utf8(identity_->currentText());
  for (std::size_t i = 0; i < overrides_.size(); ++i) {
    SetIdentityField(p->identity, kIdentityFields[i].key, utf8(overrides_[i]->text()));
  }
}

void ServersPage::refreshIdentities() {
  const QString current = identity_->currentText();
  identity_->clear();
  for (const TID& id : draft_.state.identities) identity_->addItem(qs(id.name));
  if (const TProfile* p = selected()) identity_->setCurrentText(qs(p->identity.name));
  else identity_->setCurrentText(current);
}

void ServersPage::addProfile(bool clone) {
  store();
  const TProfile* source = clone ? selected() : nullptr;
  if (clone && !source) return;
  if (!NewProfile(draft_.state, baseDir_, prompter_, source, "")) return;
  fillList(static_cast<int>(draft_.state.profiles.size()) - 1);
}

void ServersPage::deleteProfile() {
  store();
  const int index = shown_;
  const auto removed = DeleteProfile(draft_.state, prompter_, index, [this](const TProfile& p) {
    const auto origin = draft_.origins.find(&p);
    return origin != draft_.origins.end() && isOpen_ && isOpen_(*origin->second);
  });
  if (!removed) return;
  draft_.erasedAliases.push_back(removed->alias);
  draft_.origins.erase(removed.get());
  fillList(index);
}

}  // namespace orvel::ui
