#include "ui/folders_window.h"

#include <QCloseEvent>
#include <QHeaderView>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/child_metrics.h"
#include "ui/icons.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

namespace {

constexpr const char* kColumnsKey = "FoldersColumns";
constexpr int kColumnCount = 2;
constexpr int kDefaultWidths[kColumnCount] = {160, 240};

}  // namespace

TFoldersWindow::TFoldersWindow(TFolderList& folders, Prompter& prompter, TBag& metrics,
                               FolderOpenCheck isOpen, QWidget* parent)
    : QWidget(parent),
      folders_(folders),
      metrics_(metrics),
      editor_(folders, prompter, std::move(isOpen)),
      actionList_(CreateActionList(ActionWindow::Folders)) {
  setWindowTitle("Dossiers");
  setWindowIcon(FolderIcon(kStoreArchive));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  list_ = new QTreeWidget(this);
  list_->setObjectName("folders");
  list_->setRootIsDecorated(false);
  list_->setUniformRowHeights(true);
  list_->setColumnCount(kColumnCount);
  list_->setHeaderLabels({"Nom", "Fichier"});
  list_->setSelectionMode(QAbstractItemView::SingleSelection);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setContextMenuPolicy(Qt::ActionsContextMenu);
  list_->header()->setSectionsClickable(true);
  list_->header()->setSortIndicatorShown(false);
  layout->addWidget(list_);
  RestoreColumnWidths(*list_->header(), metrics_, kColumnsKey, kDefaultWidths);

  actions_ = std::make_unique<ActionSet>(actionList_, this, Qt::WidgetWithChildrenShortcut);
  addActions(actions_->all());
  list_->addActions(actions_->all());
  wireActions();

  connect(list_->header(), &QHeaderView::sectionClicked, this, [this] {
    if (editor_.Sort()) changed(kFixedFolders);
  });
  connect(list_, &QTreeWidget::itemActivated, this, [this] {
    if (const auto row = current()) emit openFolder(folders_[*row]);
  });
  connect(list_, &QTreeWidget::currentItemChanged, this, [this] { updateActions(); });
  refresh(0);
}

void TFoldersWindow::wireActions() {
  actions_->wire("acfNewArchive", [this] { changed(editor_.NewFolder(false)); });
  actions_->wire("acfNewQueue", [this] { changed(editor_.NewFolder(true)); });
  actions_->wire("acfDel", [this] {
    if (const auto row = current()) changed(editor_.Delete(*row));
  });
  actions_->wire("acfRename", [this] {
    if (const auto row = current()) changed(editor_.Rename(*row));
  });
  actions_->wire("acfChangeFile", [this] {
    if (const auto row = current()) changed(editor_.ChangeFile(*row));
  });
}

void TFoldersWindow::updateActions() {
  const auto row = current();
  const bool user = row && *row >= kFixedFolders;
  for (const char* name : {"acfDel", "acfRename", "acfChangeFile"}) {
    actions_->find(name)->setEnabled(user);
  }
}

void TFoldersWindow::changed(std::optional<std::size_t> select) {
  if (!select) return;
  refresh(select);
  emit foldersChanged();
}

std::optional<std::size_t> TFoldersWindow::current() const {
  const int row = list_->indexOfTopLevelItem(list_->currentItem());
  if (row < 0 || static_cast<std::size_t>(row) >= folders_.Count()) return std::nullopt;
  return static_cast<std::size_t>(row);
}

void TFoldersWindow::refresh(std::optional<std::size_t> row) {
  list_->clear();
  for (const TFolderInfo& f : folders_) {
    auto* item = new QTreeWidgetItem(list_, {qs(f.name), qs(folders_.RelativeFile(f))});
    item->setIcon(0, FolderIcon(f.kind));
  }
  if (row && *row < folders_.Count()) {
    list_->setCurrentItem(list_->topLevelItem(static_cast<int>(*row)));
  }
  updateActions();
}

void TFoldersWindow::saveColumns() const {
  SaveColumnWidths(*list_->header(), kColumnCount, metrics_, kColumnsKey);
}

std::optional<OpenedWindow> TFoldersWindow::openedEntry() const {
  return OpenedWindow{OpenedWindow::Kind::FolderWindow, {}};
}

QList<QAction*> TFoldersWindow::menuActions() const {
  QList<QAction*> out;
  for (const char* name : {"acfNewArchive", "acfNewQueue", "-", "acfRename", "acfChangeFile",
                           "-", "acfDel"}) {
    out.append(*name == '-' ? nullptr : actions_->find(name));
  }
  return out;
}

void TFoldersWindow::closeEvent(QCloseEvent* event) {
  saveColumns();
  SaveChildPlacement(*this, metrics_, "folders");
  event->accept();
}

}  // namespace orvel::ui
