#pragma once
// The options window (TConfigForm): pages for the servers, the identities,
// composing, display, miscellaneous settings, header download and the menus,
// edited on a copy of the program's settings, identities and profiles. OK
// checks every value as the file's reading would, writes "Orvel.ini",
// "IDs.ini" and "servers.ini", and only then makes the copy the program's
// state; a refused value or a failed write keeps the window open with
// nothing lost. Cancel changes nothing.

#include <QDialog>

#include <functional>
#include <optional>

#include "config/app_state.h"
#include "config/main_state.h"
#include "config/options_draft.h"
#include "ui/qt_prompter.h"

class QListWidget;
class QPlainTextEdit;
class QStackedWidget;

namespace orvel::ui {

class IdentitiesPage;
class ServersPage;
class SettingsPage;

struct ConfigFormHooks {
  // Whether a group list window of that profile is open (it cannot be deleted then).
  std::function<bool(const TProfile&)> profileOpen;
  // Whether a compose window is open (identities cannot be deleted then).
  std::function<bool()> composeOpen;
};

class TConfigForm final : public QDialog {
  Q_OBJECT

 public:
  enum class Page { Servers, Identities, Compose, Display, Misc, XOver, Menus };

  // prompter: asks the add and delete questions; null: message boxes over
  // this window.
  TConfigForm(AppState& app, MainState& state, ConfigFormHooks hooks,
              Prompter* prompter = nullptr, QWidget* parent = nullptr);
  ~TConfigForm() override;

  void showPage(Page page);
  ServersPage& serversPage() { return *servers_; }
  IdentitiesPage& identitiesPage() { return *identities_; }
  // The page of Compose, Display, Misc, XOver or Menus.
  SettingsPage& settingsPage(Page page);
  QPlainTextEdit& customHeaders() { return *customHeaders_; }

  void accept() override;

 private:
  QWidget* makeComposePage();
  QWidget* makeMiscPage();
  // Takes the personal header lines; the first line that is not of the
  // form [*]Name: value is refused.
  std::optional<QString> collectCustomHeaders();
  void associate();

  AppState& app_;
  MainState& state_;
  OptionsDraft draft_;
  QtPrompter ownPrompter_;
  Prompter& prompter_;
  QListWidget* pageList_ = nullptr;
  QStackedWidget* pages_ = nullptr;
  ServersPage* servers_ = nullptr;
  IdentitiesPage* identities_ = nullptr;
  SettingsPage* settingsPages_[5] = {};
  QPlainTextEdit* customHeaders_ = nullptr;
  QString shownHeaders_;
};

}  // namespace orvel::ui
