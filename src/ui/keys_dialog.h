#pragma once
// The key-binding dialog (TfmKeys, "Raccourcis clavier") over the logic's
// KeyDialogModel: the list of the active window's actions and the main
// window's, a shortcut box that takes the next key typed, the set/change
// button, OK and "Annuler".

#include <QDialog>
#include <QLineEdit>

#include <optional>

#include "config/key_dialog.h"

class QLabel;
class QPushButton;
class QTreeWidget;

namespace orvel::ui {

// The shortcut box: shows the key last typed in it as its shortcut text;
// every key goes to it (Tab and Escape included) while it has the focus.
class ShortcutBox final : public QLineEdit {
  Q_OBJECT

 public:
  explicit ShortcutBox(QWidget* parent = nullptr);
  int code() const { return code_; }

 signals:
  // The key typed (with a code) was released.
  void shortcutTyped(int code);

 protected:
  bool event(QEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;
  void keyReleaseEvent(QKeyEvent* event) override;

 private:
  int code_ = 0;
  bool pending_ = false;
};

class TfmKeys final : public QDialog {
  Q_OBJECT

 public:
  TfmKeys(SettingsBags& bags, std::optional<ActionWindow> context,
          const ActionList& contextActions, const ActionList& mainActions,
          QWidget* parent = nullptr);

  const KeyDialogModel& model() const { return model_; }
  QTreeWidget& list() { return *list_; }
  ShortcutBox& shortcutBox() { return *shortcutBox_; }
  QPushButton& setButton() { return *set_; }
  QPushButton& okButton() { return *ok_; }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void fillRows();
  void refresh();
  void accept() override;

  SettingsBags& bags_;
  KeyDialogModel model_;
  QTreeWidget* list_ = nullptr;
  ShortcutBox* shortcutBox_ = nullptr;
  QLabel* upper_ = nullptr;
  QLabel* lower_ = nullptr;
  QPushButton* set_ = nullptr;
  QPushButton* ok_ = nullptr;
};

}  // namespace orvel::ui
