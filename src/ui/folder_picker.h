#pragma once
// TfmFldrPicker: chooses one folder from a list of them, shown with their
// icons (the menus list thirty folders; their "&more..." item opens this).

#include <QDialog>

#include <cstddef>
#include <optional>
#include <vector>

#include "folders/folder_list.h"

class QListWidget;

namespace orvel::ui {

class TfmFldrPicker final : public QDialog {
  Q_OBJECT

 public:
  // choices: indexes into folders, in the order shown.
  TfmFldrPicker(const TFolderList& folders, std::vector<std::size_t> choices,
                QWidget* parent = nullptr);

  QListWidget& list() { return *list_; }
  // The folder chosen (OK, double-click or Enter), or nothing.
  std::optional<std::size_t> chosen() const;

  // Shows the dialog; the chosen folder's index, or nothing when cancelled.
  static std::optional<std::size_t> pick(const TFolderList& folders,
                                         std::vector<std::size_t> choices, QWidget* parent);

 private:
  std::vector<std::size_t> choices_;
  QListWidget* list_ = nullptr;
};

}  // namespace orvel::ui
