// The group list's menu and toolbar. The server commands stay at the top of
// the menu; the others go in submenus by what they act on.

#include "ui/groups_window.h"
#include "ui/menu_tree.h"

namespace orvel::ui {

namespace {

constexpr SubmenuSpec kSubmenus[] = {
    {"&Abonnements",
     "acgSubs,acgUnSubs,groupAddByHand,-,acgCatchUp,acgUnCatchUp,acgClearKeep,groupEditRead"},
    {"&Dossiers",
     "acgNewFolder,groupRenameFolder,acgReloadOrvelRC,groupDelete,-,acgCopy,acgPaste"},
    {"A&ffichage", "acgSwitchTab,acgHideEmpty,acgShowFolders,acgExpandAll,acgCollapseAll"},
    {"&Navigation", "acgNextGroup,acgPrevFolder,acgNextFolder"},
    {"&Chercher et poster", "acgPost,acgFind,acgFindAgain,acgXPAT"},
};

constexpr const char* kTopEntries = "acgListAll,acgListNew,acgAllMsgCount,acgMsgCount";

}  // namespace

QList<QAction*> TGroupsWindow::buildMenu() {
  // The group commands outside the action table are the window's own actions.
  const auto own = [this](std::string_view name) {
    return findChild<QAction*>(QString::fromUtf8(name.data(), qsizetype(name.size())),
                               Qt::FindDirectChildrenOnly);
  };
  QList<QAction*> out = actions_->fromNames(kTopEntries);
  out.append(nullptr);
  out += BuildSubmenus(this, kSubmenus, *actions_, own);
  return out;
}

QList<QAction*> TGroupsWindow::menuActions() const { return menu_; }

QList<QAction*> TGroupsWindow::toolBarActions() const {
  return actions_->fromNames(
      "acgListAll,acgListNew,acgAllMsgCount,acgMsgCount,-,acgSubs,acgUnSubs,acgCatchUp,-,"
      "acgSwitchTab,acgNewFolder");
}

}  // namespace orvel::ui
