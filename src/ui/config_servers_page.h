#pragma once
// The servers page of the options window: the profile list with add, clone
// and delete (the profile dialogs' questions and refusals), and the selected
// profile's fields, edited in the options draft.

#include <QWidget>

#include <array>
#include <functional>
#include <string>

#include "config/options_draft.h"
#include "core/prompter.h"

class QCheckBox;
class QComboBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSpinBox;

namespace orvel::ui {

class ServersPage final : public QWidget {
  Q_OBJECT

 public:
  // isOpen: whether a group list window of that (live) profile is open.
  ServersPage(OptionsDraft& draft, std::string baseDir, Prompter& prompter,
              std::function<bool(const TProfile&)> isOpen, QWidget* parent = nullptr);

  // Takes the fields into the selected profile.
  void store();
  // The identity list after the identities page changed it.
  void refreshIdentities();
  void select(int index);

  QListWidget& list() { return *list_; }

 private:
  void addProfile(bool clone);
  void deleteProfile();
  void fillList(int selected);
  void show(int index);
  void identityChosen(int index);
  // Greys the extension switches that the TLS and extensions boxes make moot.
  void enableSwitches();
  void showIdentity(const TID& id);
  TProfile* selected() const;

  OptionsDraft& draft_;
  std::string baseDir_;
  Prompter& prompter_;
  std::function<bool(const TProfile&)> isOpen_;
  int shown_ = -1;

  QListWidget* list_ = nullptr;
  QPushButton* clone_ = nullptr;
  QPushButton* delete_ = nullptr;
  QWidget* fields_ = nullptr;
  QCheckBox* isDefault_ = nullptr;
  QLineEdit* host_ = nullptr;
  QSpinBox* port_ = nullptr;
  QCheckBox* tls_ = nullptr;
  QLineEdit* caFile_ = nullptr;
  QCheckBox* extensions_ = nullptr;
  QCheckBox* startTls_ = nullptr;
  QCheckBox* compress_ = nullptr;
  QSpinBox* pipelining_ = nullptr;
  QLineEdit* user_ = nullptr;
  QLineEdit* password_ = nullptr;
  QLineEdit* newsrc_ = nullptr;
  QLineEdit* smtpHost_ = nullptr;
  QLineEdit* smtpUser_ = nullptr;
  QLineEdit* smtpPassword_ = nullptr;
  QComboBox* identity_ = nullptr;
  std::array<QLineEdit*, 6> overrides_{};  // kIdentityFields order
};

}  // namespace orvel::ui
