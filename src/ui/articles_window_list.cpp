// TArticlesWindow's list commands: archiving into the group's archive or
// queue folder (acaArchive, acaQArchive), the automatic pane sizes
// (acvAutoSize), the subject column's wide width (acvToggleWidth) and the
// threaded switch (acvThreaded, whose check mark follows acaThread too).
//
// The automatic sizes follow the focus: while the list has it the list
// takes AutoSizePctA percent of the split, while the viewer has it the list
// takes AutoSizePctB percent; a focus elsewhere leaves the sizes alone.

#include <QApplication>
#include <QGuiApplication>
#include <QHeaderView>
#include <QSignalBlocker>
#include <QSplitter>
#include <QTreeView>

#include "folders/archive_folder.h"
#include "folders/folder_transfer.h"
#include "ui/article_list_model.h"
#include "ui/articles_window.h"
#include "ui/groups_window.h"
#include "ui/orvel_frame.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

void TArticlesWindow::wireListCommands() {
  ActionSet& a = *actions_;
  a.wire("acaArchive", [this] { archive(false); });
  a.wire("acaQArchive", [this] { archive(true); });
  a.wireToggle("acvAutoSize", autoSize_, [this](bool on) {
    autoSize_ = on;
    autoSizePanes();
  });
  a.wire("acvToggleWidth", [this] { toggleSubjectWidth(); });
  a.wireToggle("acvThreaded", session_->Threaded(), [this](bool on) { session_->SetThreaded(on); });
  connect(list_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TArticlesWindow::updateArchiveActions);
  connect(qApp, &QApplication::focusChanged, this, &TArticlesWindow::autoSizePanes);
  updateArchiveActions();
}

// ---------------------------------------------------------------- archiving

TransferContext TArticlesWindow::transferContext() const {
  TransferContext context;
  context.hasSelection = list_->selectionModel()->hasSelection() || currentArticle();
  context.canArchive = context.hasSelection;
  context.canQueue = context.hasSelection;
  const TGroupView& view = session_->View();
  if (!view.IsFolder()) return context;
  context.viewedFolder = frame_.folders().IndexOf(view.Folder().name).value_or(0);
  switch (view.Folder().kind) {
    case kStoreOutbox: context.source = TransferView::Outbox; break;
    case kStoreSent: context.source = TransferView::Sent; break;
    case kStoreQueue: context.source = TransferView::QueueFolder; break;
    default: context.source = TransferView::ArchiveFolder; break;
  }
  return context;
}

std::string TArticlesWindow::archiveFolderName(bool queue) const {
  // A folder view has no group properties: the settings' folders.
  const TGroupView& view = session_->View();
  if (view.IsFolder()) {
    const Settings& s = frame_.state().settings;
    return queue ? s.queue : s.archive;
  }
  return queue ? view.Props().queue : view.Props().archive;
}

bool TArticlesWindow::archiveAllowed(bool queue) const {
  const TFolderList& folders = frame_.folders();
  const TransferTargets targets = EnabledTransferTargets(folders, transferContext());
  if (const auto index = folders.IndexOf(archiveFolderName(queue))) return targets.folders[*index];
  return queue ? targets.newQueue : targets.newArchive;
}

void TArticlesWindow::updateArchiveActions() {
  for (const bool queue : {false, true}) {
    if (QAction* a = actions_->find(queue ? "acaQArchive" : "acaArchive")) {
      a->setEnabled(archiveAllowed(queue));
    }
  }
}

void TArticlesWindow::archive(bool queue) {
  if (!archiveAllowed(queue)) return;
  const bool copy = QGuiApplication::keyboardModifiers() & Qt::ControlModifier;
  TFolderList& folders = frame_.folders();
  const ArchiveFolder target = FindOrCreateArchiveFolder(folders, archiveFolderName(queue), queue);
  if (target.created) frame_.foldersChanged();
  if (!target.problem.empty()) prompter_.message(target.problem, MessageKind::Warning);
  if (target.index) TransferToFolder(*session_, folders[*target.index], copy, commandContext());
}

// ---------------------------------------------------------------- layout

void TArticlesWindow::autoSizePanes() {
  if (!autoSize_ || fullScreen_ || !list_->isVisible() || !viewerPane_->isVisible()) return;
  const QWidget* focused = QApplication::focusWidget();
  if (!focused) return;
  const bool reading = viewerPane_->isAncestorOf(focused);
  if (!reading && focused != list_ && !list_->isAncestorOf(focused)) return;
  const Settings& s = frame_.state().settings;
  const QList<int> sizes = splitter_->sizes();
  const int total = sizes.value(0) + sizes.value(1);
  const int first = total * (reading ? s.autoSizePctB : s.autoSizePctA) / 100;
  splitter_->setSizes({first, total - first});
}

void TArticlesWindow::toggleSubjectWidth() {
  // Wide: the subject runs from its left edge to the list's right edge and
  // the other columns are reached by scrolling; else it takes what the
  // other columns leave.
  wideSubject_ = !wideSubject_;
  QHeaderView* header = list_->header();
  const int subject = static_cast<int>(ArticleColumn::Subject);
  if (!wideSubject_) {
    header->setSectionResizeMode(subject, QHeaderView::Stretch);
    return;
  }
  const int left = header->sectionPosition(subject);
  header->setSectionResizeMode(subject, QHeaderView::Interactive);
  header->resizeSection(subject, std::max(list_->viewport()->width() - left, header->minimumSectionSize()));
}

void TArticlesWindow::syncThreadedToggle() {
  if (QAction* a = actions_ ? actions_->find("acvThreaded") : nullptr) {
    const QSignalBlocker quiet(a);
    a->setChecked(session_->Threaded());
  }
}

// ---------------------------------------------------------------- deferred

bool TArticlesWindow::headersLoading() const {
  const ConnectionSlots& connections = session_->View().Slots();
  return connections.Serving(Purpose::Headers) || connections.Serving(Purpose::ResumeHeaders) ||
         connections.Pending(Purpose::Headers) || connections.Pending(Purpose::ResumeHeaders);
}

void TArticlesWindow::whenHeadersLoaded(std::function<void()> command) {
  if (headersLoading()) {
    whenLoaded_.push_back(std::move(command));
  } else {
    command();
  }
}

void TArticlesWindow::runWhenLoaded() {
  // Posted: a command may open a dialog, which must not run inside the
  // connection's handler that ended the download.
  for (auto& command : std::exchange(whenLoaded_, {})) {
    QMetaObject::invokeMethod(this, std::move(command), Qt::QueuedConnection);
  }
}

}  // namespace orvel::ui
