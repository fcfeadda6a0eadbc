#include "ui/config_form.h"

#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

#include "config/news_association.h"
#include "ui/config_identities_page.h"
#include "ui/config_servers_page.h"
#include "ui/config_settings_page.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

namespace {

using Sec = SettingsSection;

constexpr const char* kGroupsNote =
    "Note: Il est possible de configurer ces option differementpour chaque groupe\n"
    "en \u00e9ditant le fichier groups.ini.  Voir l'aide pour les d\u00e9tails.";

constexpr const char* kPageTitles[] = {"Serveurs",  "Identit\u00e9s", "R\u00e9daction",
                                       "Affichage", "Divers",         "En-t\u00eates (XOVER)",
                                       "Menus et barres"};

int pageIndex(TConfigForm::Page page) { return static_cast<int>(page); }

}  // namespace

TConfigForm::TConfigForm(AppState& app, MainState& state, ConfigFormHooks hooks,
                         Prompter* prompter, QWidget* parent)
    : QDialog(parent),
      app_(app),
      state_(state),
      draft_(MakeOptionsDraft(state)),
      ownPrompter_(this),
      prompter_(prompter ? *prompter : ownPrompter_) {
  setWindowTitle("Options");
  resize(820, 600);
  Settings& settings = draft_.state.settings;

  servers_ = new ServersPage(draft_, app_.baseDir, prompter_, std::move(hooks.profileOpen), this);
  identities_ = new IdentitiesPage(draft_, prompter_, std::move(hooks.composeOpen), this);
  connect(identities_, &IdentitiesPage::listChanged, servers_, &ServersPage::refreshIdentities);
  settingsPages_[0] = new SettingsPage({Sec::Compose}, settings, this);
  settingsPages_[1] = new SettingsPage({Sec::Display}, settings, this);
  settingsPages_[2] = new SettingsPage({Sec::Misc}, settings, this);
  settingsPages_[3] = new SettingsPage({Sec::XOver}, settings, this);
  settingsPages_[4] = new SettingsPage({Sec::ToolBars, Sec::Popups}, settings, this);

  pageList_ = new QListWidget(this);
  pageList_->setObjectName("pageList");
  pageList_->setMaximumWidth(170);
  pages_ = new QStackedWidget(this);
  pages_->addWidget(servers_);
  pages_->addWidget(identities_);
  pages_->addWidget(makeComposePage());
  pages_->addWidget(settingsPages_[1]);
  pages_->addWidget(makeMiscPage());
  pages_->addWidget(settingsPages_[3]);
  pages_->addWidget(settingsPages_[4]);
  for (const char* title : kPageTitles) pageList_->addItem(title);
  connect(pageList_, &QListWidget::currentRowChanged, pages_, &QStackedWidget::setCurrentIndex);

  auto* note = new QLabel(kGroupsNote, this);
  note->setObjectName("groupsNote");
  note->setWordWrap(true);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  buttons->button(QDialogButtonBox::Cancel)->setText("Annuler");
  connect(buttons, &QDialogButtonBox::accepted, this, &TConfigForm::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &TConfigForm::reject);

  auto* body = new QHBoxLayout;
  body->addWidget(pageList_);
  body->addWidget(pages_, 1);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(body, 1);
  layout->addWidget(note);
  layout->addWidget(buttons);
  showPage(Page::Servers);
}

TConfigForm::~TConfigForm() = default;

void TConfigForm::showPage(Page page) { pageList_->setCurrentRow(pageIndex(page)); }

SettingsPage& TConfigForm::settingsPage(Page page) {
  return *settingsPages_[pageIndex(page) - pageIndex(Page::Compose)];
}

QWidget* TConfigForm::makeComposePage() {
  auto* box = new QGroupBox("En-t\u00eates personnels (Nom: valeur, * = activ\u00e9)");
  customHeaders_ = new QPlainTextEdit(box);
  customHeaders_->setObjectName("customHeaders");
  customHeaders_->setLineWrapMode(QPlainTextEdit::NoWrap);
  customHeaders_->setMinimumHeight(110);
  QStringList lines;
  for (const CustomHeader& h : draft_.state.settings.customHeaders) lines << qs(h.line);
  shownHeaders_ = lines.join('\n');
  customHeaders_->setPlainText(shownHeaders_);
  auto* layout = new QVBoxLayout(box);
  layout->addWidget(customHeaders_);
  settingsPages_[0]->addWidget(box);
  return settingsPages_[0];
}

QWidget* TConfigForm::makeMiscPage() {
  auto* associate = new QPushButton("Associer les liens news...");
  associate->setObjectName("bAssoc");
  connect(associate, &QPushButton::clicked, this, &TConfigForm::associate);
  settingsPages_[2]->addWidget(associate);
  return settingsPages_[2];
}

std::optional<QString> TConfigForm::collectCustomHeaders() {
  const QString text = customHeaders_->toPlainText();
  if (text == shownHeaders_) return std::nullopt;
  std::vector<CustomHeader> headers;
  for (const QString& line : text.split('\n')) {
    if (line.trimmed().isEmpty()) continue;
    auto header = ParseCustomHeader(draft_.state.headerLinePattern, utf8(line));
    if (!header) {
      return "En-t\u00eate personnel refus\u00e9 (il faut Nom: valeur) : " + line;
    }
    headers.push_back(std::move(*header));
  }
  draft_.state.settings.customHeaders = std::move(headers);
  shownHeaders_ = text;
  return std::nullopt;
}

void TConfigForm::accept() {
  servers_->store();
  identities_->store();
  for (SettingsPage* page : settingsPages_) {
    if (auto refusal = page->collect()) {
      pages_->setCurrentWidget(page);
      pageList_->setCurrentRow(pages_->currentIndex());
      prompter_.message(utf8(*refusal), MessageKind::Warning);
      return;
    }
  }
  if (auto refusal = collectCustomHeaders()) {
    showPage(Page::Compose);
    customHeaders_->setFocus();
    prompter_.message(utf8(*refusal), MessageKind::Warning);
    return;
  }
  std::string error;
  if (!SaveOptionsDraft(app_, draft_, &error)) {
    prompter_.message(error, MessageKind::Error);
    return;
  }
  ApplyOptionsDraft(state_, draft_);
  QDialog::accept();
}

void TConfigForm::associate() {
  AssociateNewsLinks({QCoreApplication::applicationFilePath().toStdString(), UserApplicationsDir(),
                      RunXdgMime},
                     prompter_);
}

}  // namespace orvel::ui
