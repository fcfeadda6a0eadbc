#pragma once
// TFoldersWindow: the folder list, one row per folder with its name and its
// file relative to the folders directory, an icon by kind. Its five actions
// (new archive, new queue, delete, rename, change file) and a click on a
// column header ("Tri dossiers?") go to the TFolderEditor; double-click or
// Enter asks for the folder to be opened. Column widths live in the
// "Metrics" bag.

#include <QWidget>

#include <cstddef>
#include <memory>

#include "config/actions.h"
#include "core/bag.h"
#include "folders/folder_edits.h"
#include "folders/folder_list.h"
#include "ui/action_set.h"
#include "ui/child_window.h"

class QTreeWidget;

namespace orvel::ui {

class TFoldersWindow final : public QWidget, public ChildWindow {
  Q_OBJECT

 public:
  // isOpen says whether a group view has a folder open (such a folder
  // cannot be changed).
  TFoldersWindow(TFolderList& folders, Prompter& prompter, TBag& metrics,
                 FolderOpenCheck isOpen, QWidget* parent = nullptr);

  QTreeWidget& list() { return *list_; }
  QAction* action(std::string_view name) const { return actions_->find(name); }
  // The selected row, or nothing.
  std::optional<std::size_t> current() const;
  // Rebuilds the rows (after a change made elsewhere), selecting row.
  void refresh(std::optional<std::size_t> row = {});
  void saveColumns() const;

  // ChildWindow
  std::optional<OpenedWindow> openedEntry() const override;
  QString menuTitle() const override { return "&Dossiers"; }
  QList<QAction*> menuActions() const override;
  QList<QAction*> toolBarActions() const override { return {}; }

 signals:
  // Double-click or Enter on a row.
  void openFolder(const orvel::TFolderInfo& folder);
  // The list changed (names, files, order): menus follow.
  void foldersChanged();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void wireActions();
  void updateActions();
  void changed(std::optional<std::size_t> select);

  TFolderList& folders_;
  TBag& metrics_;
  TFolderEditor editor_;
  ActionList actionList_;
  std::unique_ptr<ActionSet> actions_;
  QTreeWidget* list_ = nullptr;
};

}  // namespace orvel::ui
