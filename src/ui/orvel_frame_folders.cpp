// The main window's folders: the folder list loaded at start-up, the
// folders window (acmFolders), the folder menu that opens folders and the
// transfer menu that sends the active group view's articles into one. The
// menus are rebuilt each time they open, so they always follow the list and
// the active group view; opening a folder, transferring and telling whether
// a folder is open go through hooks that start on the group view windows and
// that tests may replace.

#include <QGuiApplication>
#include <QMenu>
#include <QMenuBar>
#include <QMdiSubWindow>

#include <cstdio>

#include "articles/article_date.h"
#include "config/window_placements.h"
#include "folders/folder_edits.h"
#include "folders/folder_menus.h"
#include "folders/folder_transfer.h"
#include "posting/compose_session.h"
#include "posting/draft_file.h"
#include "ui/articles_window.h"
#include "ui/folder_picker.h"
#include "ui/folders_window.h"
#include "ui/groups_window.h"
#include "ui/icons.h"
#include "ui/orvel_frame.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

namespace {

QString menuText(const FolderMenuItem& item) {
  return item.more ? qs(item.caption) : qs(item.caption).replace('&', "&&");
}

bool ctrlHeld() { return QGuiApplication::keyboardModifiers() & Qt::ControlModifier; }

}  // namespace

void TOrvelFrame::loadFolders() {
  folders_ = std::make_unique<TFolderList>(app_.baseDir + "folders.ini", app_.foldersDir);
  for (const std::string& problem : folders_->Load()) {
    qWarning("%s", problem.c_str());
    showStatus(qs(problem));
  }
}

void TOrvelFrame::recoverDrafts() {
  for (const LeftDraft& draft : LeftDrafts(app_.foldersDir)) {
    ComposeSession recovered({&state_, nullptr, app_.baseDir, (*folders_)[0].file,
                              (*folders_)[1].file, app_.dateFormats, state_.settings.timeZoneOffset()},
                             prompter_);
    std::string error;
    if (!recovered.OpenQueued(draft.text, std::nullopt, error) ||
        !recovered.SaveToOutbox(LocalNow())) {
      qWarning("draft %s not recovered: %s", draft.path.c_str(), error.c_str());
      continue;
    }
    std::remove(draft.path.c_str());
    showStatus("Brouillon récupéré dans l'Outbox : " + qs(recovered.Message().subject));
  }
}

TArticlesWindow* TOrvelFrame::activeArticlesWindow() const {
  return qobject_cast<TArticlesWindow*>(activeChild());
}

void TOrvelFrame::connectFolderViews() {
  folderViewOpener_ = [this](const TFolderInfo& f) {
    TArticlesWindow::openFolder(*this, FolderSource{f.name, f.file, f.kind});
  };
  folderOpenCheck_ = [this](const TFolderInfo& f) {
    return TArticlesWindow::findFolder(*this, f.file) != nullptr;
  };
  folderTransfer_ = [this](const TFolderInfo& f, bool copy) {
    if (TArticlesWindow* window = activeArticlesWindow()) {
      TransferToFolder(window->session(), f, copy, window->commandContext());
    }
  };
  transferContext_ = [this]() -> std::optional<TransferContext> {
    TArticlesWindow* window = activeArticlesWindow();
    if (!window) return std::nullopt;
    return window->transferContext();
  };
}

void TOrvelFrame::buildFolderMenus() {
  actions_->wire("acmFolders", [this] { openFoldersWindow(); });
  foldersMenu_ = menuBar()->addMenu("&Dossiers");
  foldersMenu_->setObjectName("mnFolders");
  connect(foldersMenu_, &QMenu::aboutToShow, this, &TOrvelFrame::rebuildFolderMenu);
  transferMenu_ = menuBar()->addMenu("&Transf\u00e9rer");
  transferMenu_->setObjectName("mnTransfer");
  connect(transferMenu_, &QMenu::aboutToShow, this, &TOrvelFrame::rebuildTransferMenu);
}

bool TOrvelFrame::folderIsOpen(const TFolderInfo& folder) const {
  return folderOpenCheck_ && folderOpenCheck_(folder);
}

TFoldersWindow* TOrvelFrame::openFoldersWindow() {
  if (foldersWindow_) {
    activateChild(foldersWindow_);
    return foldersWindow_;
  }
  auto* window = new TFoldersWindow(*folders_, prompter_, app_.bags.metrics,
                                    [this](const TFolderInfo& f) { return folderIsOpen(f); });
  connect(window, &TFoldersWindow::openFolder, this, &TOrvelFrame::openFolder);
  foldersWindow_ = window;
  WindowGeometry g;
  if (!app_.bags.metrics.GetPlacement("folders", false, g) || g.width <= 0 || g.height <= 0) {
    g = DefaultWindowGeometry("folders");
  }
  addChild(window, rectOf(g));
  return window;
}

void TOrvelFrame::openFolder(const TFolderInfo& folder) {
  if (folderViewOpener_) folderViewOpener_(folder);
}

void TOrvelFrame::reopenFolderView(const std::string& name) {
  if (const TFolderInfo* folder = folders_->Find(name)) openFolder(*folder);
}

void TOrvelFrame::transferTo(const TFolderInfo& folder, bool copy) {
  if (folderTransfer_) folderTransfer_(folder, copy);
}

void TOrvelFrame::foldersChanged() {
  if (foldersWindow_) foldersWindow_->refresh(foldersWindow_->current());
}

void TOrvelFrame::rebuildFolderMenu() {
  foldersMenu_->clear();
  foldersMenu_->addAction(actions_->find("acmFolders"));
  foldersMenu_->addSeparator();
  const bool canOpen = static_cast<bool>(folderViewOpener_);
  auto addFolder = [this, canOpen](const QString& text, std::size_t index) {
    QAction* a = foldersMenu_->addAction(FolderIcon((*folders_)[index].kind), text, this,
                                         [this, index] { openFolder((*folders_)[index]); });
    a->setEnabled(canOpen);
  };
  addFolder("&Outbox", 0);
  addFolder("&Sent", 1);
  const auto items = FolderMenuItems(*folders_);
  if (!items.empty()) foldersMenu_->addSeparator();
  for (const FolderMenuItem& item : items) {
    if (!item.more) {
      addFolder(menuText(item), item.folder);
      continue;
    }
    std::vector<std::size_t> all;
    for (std::size_t i = kFixedFolders; i < folders_->Count(); ++i) all.push_back(i);
    QAction* more = foldersMenu_->addAction(menuText(item), this, [this, all] {
      if (const auto chosen = TfmFldrPicker::pick(*folders_, all, this)) {
        openFolder((*folders_)[*chosen]);
      }
    });
    more->setEnabled(canOpen);
  }
}

void TOrvelFrame::rebuildTransferMenu() {
  transferMenu_->clear();
  const auto context = transferContext_ ? transferContext_() : std::nullopt;
  TransferTargets targets;
  if (context && folderTransfer_) {
    targets = EnabledTransferTargets(*folders_, *context);
  } else {
    targets.folders.assign(folders_->Count(), false);
  }
  auto addTarget = [this, &targets](const QString& text, std::size_t index) {
    QAction* a = transferMenu_->addAction(FolderIcon((*folders_)[index].kind), text, this,
                                          [this, index] { transferTo((*folders_)[index], ctrlHeld()); });
    a->setEnabled(targets.folders[index]);
  };
  addTarget("-> &Outbox", 0);
  addTarget("-> &Sent", 1);
  transferMenu_->addAction("-> Nouveau dossier d'&archive...", this, [this] {
    transferToNewFolder(false);
  })->setEnabled(targets.newArchive);
  transferMenu_->addAction("-> Nouveau dossier de &file d'attente...", this, [this] {
    transferToNewFolder(true);
  })->setEnabled(targets.newQueue);
  const auto items = TransferMenuItems(*folders_);
  if (!items.empty()) transferMenu_->addSeparator();
  for (const FolderMenuItem& item : items) {
    if (!item.more) {
      addTarget(menuText(item), item.folder);
      continue;
    }
    std::vector<std::size_t> enabled;
    for (std::size_t i = kFixedFolders; i < folders_->Count(); ++i) {
      if (targets.folders[i]) enabled.push_back(i);
    }
    QAction* more = transferMenu_->addAction(menuText(item), this, [this, enabled] {
      const bool copy = ctrlHeld();
      if (const auto chosen = TfmFldrPicker::pick(*folders_, enabled, this)) {
        transferTo((*folders_)[*chosen], copy);
      }
    });
    more->setEnabled(!enabled.empty());
  }
}

void TOrvelFrame::transferToNewFolder(bool queue) {
  const bool copy = ctrlHeld();
  TFolderEditor editor(*folders_, prompter_,
                       [this](const TFolderInfo& f) { return folderIsOpen(f); });
  const auto index = editor.NewFolder(queue);
  if (!index) return;
  foldersChanged();
  transferTo((*folders_)[*index], copy);
}

}  // namespace orvel::ui
