#pragma once
// The identities page of the options window: the identity list (the default
// identity first) with add, clone and delete (the identity dialogs'
// questions and refusals), and the selected identity's six fields, edited in
// the options draft.

#include <QWidget>

#include <array>
#include <functional>

#include "config/options_draft.h"
#include "core/prompter.h"

class QLineEdit;
class QListWidget;
class QPushButton;

namespace orvel::ui {

class IdentitiesPage final : public QWidget {
  Q_OBJECT

 public:
  // composeOpen: whether a compose window is open (deletion is refused then).
  IdentitiesPage(OptionsDraft& draft, Prompter& prompter, std::function<bool()> composeOpen,
                 QWidget* parent = nullptr);

  // Takes the fields into the selected identity.
  void store();
  QListWidget& list() { return *list_; }
  QLineEdit& field(std::size_t index) { return *fields_[index]; }

 signals:
  // An identity was added or deleted.
  void listChanged();

 private:
  void addIdentity(bool clone);
  void deleteIdentity();
  void fillList(int selected);
  void show(int index);

  OptionsDraft& draft_;
  Prompter& prompter_;
  std::function<bool()> composeOpen_;
  int shown_ = -1;
  QListWidget* list_ = nullptr;
  std::array<QLineEdit*, 6> fields_{};  // kIdentityFields order
};

}  // namespace orvel::ui
