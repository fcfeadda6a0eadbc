// TGroupsWindow's commands that reach into a group or re-read the list:
// "Trouver un article" (acgFind), "Retrouver" (acgFindAgain) and the server
// search (acgXPAT) open, or bring up, the focused group's view and run its
// own find or XPAT there once its headers are in; "Recharger les groupes de
// ce dossier" (acgReloadOrvelRC) reads the server's newsrc and ".Orvelrc"
// again; "Voir les dossiers des groupes" (acgShowFolders) shows or hides
// the category level of the subscribed tree.

#include <QPointer>
#include <QTreeView>

#include "ui/articles_window.h"
#include "ui/groups_window.h"
#include "ui/orvel_frame.h"

namespace orvel::ui {

void TGroupsWindow::wireSearchCommands() {
  ActionSet& a = *actions_;
  a.wire("acgFind", [this] { searchInGroup("acaFind"); });
  a.wire("acgFindAgain", [this] { searchInGroup("acaFindAgain"); });
  a.wire("acgXPAT", [this] { searchInGroup("acaXPAT"); });
  a.wire("acgReloadOrvelRC", [this] { list_->Reload(); });
  a.wireToggle("acgShowFolders", list_->showCategories(),
               [this](bool on) { list_->SetShowCategories(on); });
}

void TGroupsWindow::searchInGroup(std::string_view command) {
  const std::vector<TGrpInfo*> groups = commandGroups();
  if (groups.empty()) return;
  TGrpInfo& group = *groups.front();
  frame_.openGroup(*this, group);
  QPointer<TArticlesWindow> view = TArticlesWindow::find(frame_, *profile_, group.name);
  if (!view) return;
  GroupFind& finder = view->session().Finder();
  std::string name(command);
  if (name == "acaFindAgain" && !finder.Ready()) {
    if (lastFind_) finder.SetOptions(*lastFind_);
    if (!finder.Ready()) name = "acaFind";
  }
  const QPointer<TGroupsWindow> self(this);
  view->whenHeadersLoaded([view, self, name] {
    if (!view) return;
    view->list().setFocus();
    view->execute(name);
    const GroupFind& used = view->session().Finder();
    if (self && name != "acaXPAT" && used.Ready()) self->lastFind_ = used.Options();
  });
}

}  // namespace orvel::ui
