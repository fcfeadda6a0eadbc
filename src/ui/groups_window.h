#pragma once
// The group list window of one server (TGroupsWindow): the filter box, the
// two tabs (subscribed groups with their categories, all groups), the list
// with its columns and the window's status line. It forwards the person's
// commands to the group list logic (TGroupList) and redraws from what the
// logic reports; it lives as an MDI child of the main window.

#include <QWidget>

#include <memory>
#include <string_view>
#include <unordered_set>

#include "config/actions.h"
#include "groups/group_list.h"
#include "scoring/group_find.h"
#include "ui/action_set.h"
#include "ui/child_window.h"
#include "ui/qt_prompter.h"

class QFrame;
class QLabel;
class QLineEdit;
class QTabBar;
class QTimer;
class QTreeView;

namespace orvel::ui {

class GroupListModel;
class TOrvelFrame;

class TGroupsWindow final : public QWidget, public ChildWindow {
  Q_OBJECT

 public:
  TGroupsWindow(TOrvelFrame& frame, std::shared_ptr<TProfile> profile, QWidget* parent = nullptr);
  ~TGroupsWindow() override;

  // The name of the window's placement in the "Metrics" bag: "S:" + alias.
  static std::string placementName(const TProfile& profile);

  // Reads the server's newsrc and starts the automatic requests; false
  // (with a message) when the newsrc cannot be read.
  bool open();

  const TProfile& profile() const { return *profile_; }
  TGroupList& groupList() { return *list_; }
  GroupListModel& model() { return *model_; }
  QTreeView& view() { return *view_; }
  QString statusText() const;

  // Shows and selects a group in the tab that holds it; null (and a status
  // text) when the list has no such group.
  TGrpInfo* goToGroup(std::string_view name);
  // Opens the first group shown after `after` (in list order, inside
  // categories too) that has unread articles; false when there is none.
  bool openNextGroup(const TGrpInfo* after);
  // The selected groups and categories, in row order.
  std::vector<TGrpInfo*> selectedGroups() const;
  std::vector<TGrpCat*> selectedCategories() const;

  // ChildWindow
  std::optional<OpenedWindow> openedEntry() const override;
  QString menuTitle() const override;
  QList<QAction*> menuActions() const override;
  QList<QAction*> toolBarActions() const override;
  std::optional<ActionWindow> actionWindow() const override { return ActionWindow::GroupList; }
  ActionList* actionList() override { return &actionList_; }
  void applyKeyBindings() override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildWidgets();
  void wireActions();
  // groups_window_menus.cpp: the submenus of the window's menu.
  QList<QAction*> buildMenu();
  void applyFontsAndColours();
  void restoreColumns();
  void saveColumns() const;
  void savePlacement() const;
  void rememberSelection();
  void restoreView();
  void showFilterState(bool active);
  void filterEdited();
  void headerClicked(int section);
  void rowActivated(const QModelIndex& index);
  void showPopup(const QPoint& at);
  void moveToCategory(int step);
  void copyNames();
  void pasteNames();
  TreePosition selectedPosition() const;
  std::vector<TGrpInfo*> commandGroups() const;
  void postToGroups();
  // groups_window_search.cpp: finding in a group from the list, reloading
  // the list from disk, the folder level shown or not.
  void wireSearchCommands();
  void searchInGroup(std::string_view command);

  TOrvelFrame& frame_;
  std::shared_ptr<TProfile> profile_;
  QtPrompter prompter_;
  ActionList actionList_;
  std::unique_ptr<ActionSet> actions_;
  QList<QAction*> menu_;  // the submenus' menu actions
  std::unique_ptr<TGroupList> list_;
  GroupListModel* model_ = nullptr;
  bool closed_ = false;

  QFrame* filterPanel_ = nullptr;
  QLineEdit* filterBox_ = nullptr;
  QTimer* filterTimer_ = nullptr;
  QTabBar* tabs_ = nullptr;
  QTreeView* view_ = nullptr;
  QLabel* status_ = nullptr;

  // The selection and current row across model resets, as records (only
  // compared, never followed: a record may be gone).
  std::unordered_set<const void*> selected_;
  const void* current_ = nullptr;
  bool resetting_ = false;
  bool typingFilter_ = false;
  // The last find made from this list, for "Retrouver" in a group whose
  // view has none of its own.
  std::optional<FindOptions> lastFind_;
};

}  // namespace orvel::ui
