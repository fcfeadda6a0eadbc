#include "ui/articles_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QMdiSubWindow>
#include <QPainter>
#include <QProgressBar>
#include <QScrollBar>
#include <QSplitter>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QToolButton>
#include <QTreeView>
#include <QVBoxLayout>

#include <algorithm>

#include "config/window_placements.h"
#include "content/article_view.h"
#include "content/group_batch.h"
#include "content/group_content_options.h"
#include "content/group_reader.h"
#include "content/mime_types.h"
#include "content/nzb_import.h"
#include "core/text.h"
#include "posting/outbox_sender.h"
#include "ui/article_list_model.h"
#include "ui/article_viewer.h"
#include "ui/cache_form.h"
#include "ui/child_metrics.h"
#include "ui/groups_window.h"
#include "ui/icons.h"
#include "ui/orvel_frame.h"
#include "ui/qt_convert.h"
#include "ui/quick_filter_box.h"
#include "ui/viewer_services.h"
#include "ui/viewer_options.h"
#include "ui/xover_form.h"

namespace orvel::ui {

namespace {

constexpr const char* kColumnsKey = "ArticleListColumns";
constexpr const char* kPlacementName = "articles";
constexpr int kDefaultWidths[kArticleColumnCount] = {380, 28, 56, 170, 96, 52, 64};
constexpr int kIndentPx = 14;

// The subject column: indented by depth, threads with their open/closed mark.
class SubjectDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option,
             const QModelIndex& index) const override {
    QStyleOptionViewItem o = option;
    initStyleOption(&o, index);
    const int depth = index.data(ArticleListModel::DepthRole).toInt();
    const bool thread = index.data(ArticleListModel::ThreadRole).toBool();
    const QWidget* widget = option.widget;
    QStyle* style = widget ? widget->style() : QApplication::style();
    // The row's background and selection across the whole cell first.
    QStyleOptionViewItem background = o;
    background.text.clear();
    style->drawControl(QStyle::CE_ItemViewItem, &background, painter, widget);
    QRect text = o.rect.adjusted(depth * kIndentPx + 2, 0, 0, 0);
    if (thread) {
      QStyleOption branch;
      branch.rect = QRect(text.left(), o.rect.top(), kIndentPx, o.rect.height());
      branch.palette = o.palette;
      branch.state = QStyle::State_Children | QStyle::State_Item;
      if (index.data(ArticleListModel::ExpandedRole).toBool()) branch.state |= QStyle::State_Open;
      style->drawPrimitive(QStyle::PE_IndicatorBranch, &branch, painter, widget);
      text.setLeft(text.left() + kIndentPx + 2);
    }
    const QIcon state = qvariant_cast<QIcon>(index.data(Qt::DecorationRole));
    if (!state.isNull()) {
      const int side = std::min(16, o.rect.height() - 2);
      state.paint(painter, QRect(text.left(), o.rect.top() + (o.rect.height() - side) / 2, side, side));
      text.setLeft(text.left() + side + 3);
    }
    painter->save();
    painter->setFont(o.font);
    const bool selected = o.state & QStyle::State_Selected;
    painter->setPen(selected ? o.palette.color(QPalette::HighlightedText)
                             : o.palette.color(QPalette::Text));
    if (!selected) {
      const QVariant fg = index.data(Qt::ForegroundRole);
      if (fg.canConvert<QColor>()) painter->setPen(fg.value<QColor>());
    }
    const QString shown =
        QFontMetrics(o.font).elidedText(o.text, Qt::ElideRight, text.width() - 2);
    painter->drawText(text, Qt::AlignLeft | Qt::AlignVCenter, shown);
    painter->restore();
  }
};

// The article list is flat and its rows are one height: a row's rectangle
// comes from its number and the top row, where the tree view's own answer
// walks every row between the last one it looked at and this one (a jump
// of 100,000 rows by the reading commands).
class FlatListView final : public QTreeView {
 public:
  using QTreeView::QTreeView;

  QRect visualRect(const QModelIndex& index) const override {
    if (!index.isValid() || index.parent().isValid() || isColumnHidden(index.column())) return {};
    if (rowHeight_ <= 0) rowHeight_ = std::max(sizeHintForRow(0), 1);
    const int top = verticalScrollBar()->value();
    return QRect(columnViewportPosition(index.column()), (index.row() - top) * rowHeight_,
                 columnWidth(index.column()), rowHeight_);
  }

 protected:
  void reset() override {
    rowHeight_ = 0;
    QTreeView::reset();
  }

 private:
  mutable int rowHeight_ = 0;
};

ArticleListLook lookOf(const Settings& s, const DateFormatSettings& dates) {
  ArticleListLook look;
  look.unreadFont = qtFont(s.articleListFont);
  look.unreadColor = fontColor(s.articleListFont);
  look.readFont = qtFont(s.articleReadFont);
  look.readColor = fontColor(s.articleReadFont);
  look.partlyReadFont = qtFont(s.articlePartiallyReadFont);
  look.partlyReadColor = fontColor(s.articlePartiallyReadFont);
  look.maxThreadDepth = s.maxThreadDepth;
  look.dates = dates;
  return look;
}

}  // namespace

// ---------------------------------------------------------------- opening

TArticlesWindow* TArticlesWindow::find(TOrvelFrame& frame, const TProfile& profile,
                                       std::string_view group) {
  for (QWidget* w : frame.childWidgets()) {
    auto* window = qobject_cast<TArticlesWindow*>(w);
    if (window && !window->closed_ && !window->groupView().IsFolder() &&
        window->groupView().Profile()->alias == profile.alias &&
        window->groupView().Record().name == group) {
      return window;
    }
  }
  return nullptr;
}

TArticlesWindow* TArticlesWindow::openGroup(TOrvelFrame& frame, TGroupsWindow& list,
                                            TGrpInfo& group) {
  if (TArticlesWindow* open = find(frame, list.profile(), group.name)) {
    frame.activateChild(open);
    return open;
  }
  return show(frame, new TArticlesWindow(frame, list, group));
}

TArticlesWindow* TArticlesWindow::findFolder(TOrvelFrame& frame, std::string_view path) {
  for (QWidget* w : frame.childWidgets()) {
    auto* window = qobject_cast<TArticlesWindow*>(w);
    if (window && !window->closed_ && window->groupView().IsFolder() &&
        window->groupView().Folder().path == path) {
      return window;
    }
  }
  return nullptr;
}

TArticlesWindow* TArticlesWindow::openFolder(TOrvelFrame& frame, const FolderSource& folder) {
  if (TArticlesWindow* open = findFolder(frame, folder.path)) {
    frame.activateChild(open);
    return open;
  }
  return show(frame, new TArticlesWindow(frame, folder));
}

TArticlesWindow* TArticlesWindow::show(TOrvelFrame& frame, TArticlesWindow* window) {
  WindowGeometry g;
  if (!frame.app().bags.metrics.GetPlacement(kPlacementName, false, g) || g.width <= 0 ||
      g.height <= 0) {
    g = DefaultWindowGeometry("articles");
  }
  frame.addChild(window, rectOf(g));
  // The download may ask questions: the window is on screen first.
  window->open();
  return window;
}

TArticlesWindow::TArticlesWindow(TOrvelFrame& frame, TGroupsWindow& list, TGrpInfo& group,
                                 QWidget* parent)
    : TArticlesWindow(
          frame, &list,
          [&](GroupViewServices services) {
            const Settings& s = frame.state().settings;
            services.groupList = &list.groupList();
            return std::make_unique<GroupSession>(
                std::move(services), list.groupList().profile(), group,
                GroupViewOptions::FromSettings(s), SessionOptions::FromSettings(s),
                &frame.scoring());
          },
          parent) {}

TArticlesWindow::TArticlesWindow(TOrvelFrame& frame, const FolderSource& folder, QWidget* parent)
    : TArticlesWindow(
          frame, nullptr,
          [&](GroupViewServices services) {
            const Settings& s = frame.state().settings;
            return std::make_unique<GroupSession>(std::move(services), folder,
                                                  GroupViewOptions::FromSettings(s),
                                                  SessionOptions::FromSettings(s),
                                                  &frame.scoring());
          },
          parent) {}

TArticlesWindow::TArticlesWindow(TOrvelFrame& frame, TGroupsWindow* list,
                                 const SessionMaker& makeSession, QWidget* parent)
    : QWidget(parent),
      frame_(frame),
      groupsWindow_(list),
      prompter_(this),
      actionList_(CreateActionList(ActionWindow::GroupView)),
      launcher_(std::make_unique<QtFileLauncher>()),
      saveDialog_(std::make_unique<QtAttachmentSaveDialog>(this)) {
  const Settings& s = frame_.state().settings;
  ApplyKeyBindings(frame_.app().bags.articleKeys, actionList_);
  GroupViewServices services{frame_.pool(), frame_.clock(), prompter_, frame_.state(),
                             frame_.app().baseDir};
  services.dialogs = this;
  services.dialogPrefs = &frame_.xoverDialogPrefs();
  services.freeHeadersYesToAll = &frame_.freeHeadersYesToAll();
  session_ = makeSession(std::move(services));
  model_ = new ArticleListModel(session_->View(), lookOf(s, frame_.app().dateFormats), this);
  verticalSplit_ = s.verticalSplit;
  fullScreen_ = s.fullScreen;
  buildWidgets();
  actions_ = std::make_unique<ActionSet>(actionList_, this, Qt::WidgetWithChildrenShortcut);
  addActions(actions_->all());
  wireActions();
  menu_ = buildMenu();
  restoreColumns();
  prompter_.setStatusSink([this](const QString& text) { status_->setText(text); });
  prompter_.setProgressSink(
      [this](std::int64_t p, std::int64_t m) { progressPosition(p, m); });
  session_->SetListener(this);
  setWindowTitle(qs(groupView().Caption()));
  if (groupView().IsFolder()) {
    setWindowIcon(FolderIcon(groupView().Folder().kind));
    status_->setText(qs(groupView().StatusTag()));
  }
}

TArticlesWindow::~TArticlesWindow() {
  // An import listens to the session's batch: it goes first.
  nzbImport_.reset();
  // Closing releases the slots, which the reader and the batch hear about.
  session_->Close();
  // The viewer widget looks at the article view, the session's reader at
  // both: the widget goes first, the session before the article view.
  delete viewer_;
  viewer_ = nullptr;
  session_->SetListener(nullptr);
  delete list_;
  list_ = nullptr;
  session_.reset();
  articleView_.reset();
  delete model_;
}

void TArticlesWindow::open() {
  // Props resolve in Open: the layout of the group's properties applies.
  session_->Open();
  verticalSplit_ = groupView().Props().verticalSplit;
  fullScreen_ = groupView().Props().fullScreen;
  buildViewer();
  applyLayout();
  showSortIndicator();
}

void TArticlesWindow::buildWidgets() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  // The quick filter box above the list, shown by acvFilterBox.
  quickFilter_ = new QuickFilterBox(session_->Filter(), groupView().IsFolder(), this);
  quickFilter_->setObjectName("quickFilter");
  quickFilter_->setVisible(false);
  layout->addWidget(quickFilter_);

  splitter_ = new QSplitter(this);
  splitter_->setObjectName("articlesSplitter");
  splitter_->setChildrenCollapsible(false);
  list_ = new FlatListView(splitter_);
  list_->setObjectName("articleList");
  list_->setModel(model_);
  list_->setRootIsDecorated(false);
  list_->setItemsExpandable(false);
  list_->setUniformRowHeights(true);
  list_->setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
  list_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  list_->setSelectionBehavior(QAbstractItemView::SelectRows);
  list_->setAllColumnsShowFocus(true);
  list_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  list_->setTextElideMode(Qt::ElideRight);
  list_->setItemDelegateForColumn(static_cast<int>(ArticleColumn::Subject),
                                  new SubjectDelegate(list_));
  list_->header()->setSectionsClickable(true);
  list_->header()->setStretchLastSection(false);
  list_->header()->setHighlightSections(false);
  list_->header()->setSectionResizeMode(QHeaderView::Interactive);
  // The subject takes what the other columns leave.
  list_->header()->setSectionResizeMode(static_cast<int>(ArticleColumn::Subject),
                                        QHeaderView::Stretch);
  const Settings& s = frame_.state().settings;
  QPalette palette = list_->palette();
  palette.setColor(QPalette::Base, qtColor(s.articleListColor));
  palette.setColor(QPalette::Text, fontColor(s.articleListFont));
  list_->setPalette(palette);
  list_->setFont(qtFont(s.articleListFont));
  if (s.hideHorzScrollBar) list_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);

  // The viewer's place; the article viewer widget fills it.
  viewerPane_ = new QWidget(splitter_);
  viewerPane_->setObjectName("viewerPane");
  viewerPane_->setLayout(new QVBoxLayout);
  viewerPane_->layout()->setContentsMargins(0, 0, 0, 0);
  splitter_->addWidget(list_);
  splitter_->addWidget(viewerPane_);
  layout->addWidget(splitter_, 1);

  auto* bar = new QStatusBar(this);
  bar->setSizeGripEnabled(false);
  bar->setFont(qtFont(s.statusFont));
  status_ = new QLabel(bar);
  status_->setObjectName("articlesStatus");
  transfer_ = new QLabel(bar);
  transfer_->setObjectName("transfer");
  progress_ = new QProgressBar(bar);
  progress_->setObjectName("articlesProgress");
  progress_->setTextVisible(true);
  progress_->setMinimumWidth(260);
  progress_->setMaximumHeight(18);
  progress_->setRange(0, 1);
  progress_->setValue(0);
  progress_->setFormat(QString());
  stop_ = new QAction(ActionIcon("stop"), "Stop", this);
  stop_->setObjectName("stop");
  stop_->setShortcut(QKeySequence(Qt::Key_Escape));
  stop_->setShortcutContext(Qt::WidgetWithChildrenShortcut);
  stop_->setEnabled(false);
  connect(stop_, &QAction::triggered, this, &TArticlesWindow::stop);
  addAction(stop_);
  auto* stopButton = new QToolButton(bar);
  stopButton->setDefaultAction(stop_);
  stopButton->setAutoRaise(true);
  bar->addWidget(status_, 1);
  bar->addPermanentWidget(transfer_);
  bar->addPermanentWidget(progress_);
  bar->addPermanentWidget(stopButton);
  layout->addWidget(bar);

  connect(list_->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
          [this](const QModelIndex& current) { currentRowChanged(current); });
  connect(list_, &QTreeView::activated, this, &TArticlesWindow::rowActivated);
  connect(list_, &QTreeView::clicked, this, [this](const QModelIndex& index) {
    // A click on a thread's mark opens or closes it.
    if (index.column() != static_cast<int>(ArticleColumn::Subject)) return;
    const TNode* node = model_->nodeAt(index);
    if (!node || !node->IsThread()) return;
    const int markLeft = list_->visualRect(index).left() + 2;
    const int x = list_->viewport()->mapFromGlobal(QCursor::pos()).x();
    if (x >= markLeft && x < markLeft + kIndentPx) toggleThread(index);
  });
  list_->installEventFilter(this);
  connect(list_->header(), &QHeaderView::sectionClicked, this, &TArticlesWindow::headerClicked);
  list_->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(list_, &QWidget::customContextMenuRequested, this, &TArticlesWindow::showPopup);
}

void TArticlesWindow::showPopup(const QPoint& at) {
  ExecPopup(*list_->viewport(),
            actions_->fromNames(frame_.state().settings.popupArticleList,
                                [this](std::string_view name) { return frame_.mainAction(name); }),
            at);
}

void TArticlesWindow::applyLayout() {
  splitter_->setOrientation(verticalSplit_ ? Qt::Horizontal : Qt::Vertical);
  list_->setVisible(!fullScreen_ || !viewerAlone_);
  viewerPane_->setVisible(!fullScreen_ || viewerAlone_);
  if (!fullScreen_) {
    const int total = verticalSplit_ ? splitter_->width() : splitter_->height();
    const int first = std::max(total, 300) * 45 / 100;
    splitter_->setSizes({first, std::max(total, 300) - first});
  }
  autoSizePanes();
}

void TArticlesWindow::setVerticalSplit(bool on) {
  verticalSplit_ = on;
  applyLayout();
}

void TArticlesWindow::setFullScreen(bool on) {
  fullScreen_ = on;
  viewerAlone_ = on && currentArticle() != nullptr;
  if (viewer_) viewer_->setSplitScreen(!on);
  applyLayout();
}

// ---------------------------------------------------------------- commands

void TArticlesWindow::wireActions() {
  ActionSet& a = *actions_;
  a.wire("acaStorage", [this] { showStorageForm(); });
  a.wire("acaSelectAll", [this] { list_->selectAll(); });
  a.wire("acaInvertSelection", [this] {
    const QItemSelection all(model_->index(0, 0),
                             model_->index(model_->rowCount() - 1, kArticleColumnCount - 1));
    list_->selectionModel()->select(all, QItemSelectionModel::Toggle);
  });
  a.wireToggle("acvAutoCollapse", session_->AutoCollapse(),
               [this](bool on) { session_->SetAutoCollapse(on); });
  a.wire("acvStatsForm", [this] { groupView().ShowStatistics(); });
  a.wireToggle("acvFS", fullScreen_, [this](bool on) { setFullScreen(on); });
  a.wire("acvSplitAlign", [this] { setVerticalSplit(!verticalSplit_); });
  a.wire("acvSwitchView", [this] { switchView(); });
  a.wire("acaAddToScore", [this] { showRuleBuilder(); });
  wireFilterCommands();
  wirePostingCommands();
  wireExportCommands();
  wireNzbCommands();
  wireListCommands();
  wireSessionCommands();
  // Tagging: the focused row goes in or out of the batch queue.
  auto* tag = new QAction("Tag", this);
  tag->setObjectName("tag");
  tag->setShortcut(QKeySequence(Qt::Key_Insert));
  tag->setShortcutContext(Qt::WidgetShortcut);
  connect(tag, &QAction::triggered, this, [this] { session_->Tag(commandContext()); });
  list_->addAction(tag);
}

void TArticlesWindow::wireSessionCommands() {
  for (QAction* q : actions_->all()) {
    const std::string name = q->objectName().toStdString();
    if (q->isEnabled() || !GroupSession::Handles(name)) continue;
    actions_->wire(name, [this, name] { execute(name); });
  }
  for (const char* name : {"acaBack", "acaForward"}) {
    QAction* q = actions_->find(name);
    auto* menu = new QMenu(this);
    const bool back = std::string_view(name) == "acaBack";
    connect(menu, &QMenu::aboutToShow, this, [this, menu, back] { fillHistoryMenu(*menu, back); });
    q->setMenu(menu);
  }
  historyChanged();
}

bool TArticlesWindow::execute(std::string_view name) {
  // From the viewer, "Sauver sous..." saves the article it shows.
  if (name == "acaSaveAs" && viewer_ && commandContext().focus == Pane::Viewer) {
    saveShownArticle();
    return true;
  }
  if (GroupSession::Handles(name)) return session_->Execute(name, commandContext());
  QAction* a = action(name);
  if (!a || !a->isEnabled()) return false;
  a->trigger();
  return true;
}

CommandContext TArticlesWindow::commandContext() const {
  CommandContext c;
  const QWidget* focused = QApplication::focusWidget();
  if (viewer_ && focused && (focused == viewerPane_ || viewerPane_->isAncestorOf(focused))) {
    c.focus = Pane::Viewer;
  }
  for (const QItemSelectionRange& range : list_->selectionModel()->selection()) {
    c.selection.push_back(RowSpan{range.top(), range.bottom()});
  }
  c.focusedRow = list_->currentIndex().isValid() ? list_->currentIndex().row() : -1;
  c.scrollLock = scrollLock_;
  c.listShown = list_->isVisible();
  c.viewerShown = viewerPane_->isVisible();
  c.fullScreen = fullScreen_;
  return c;
}

void TArticlesWindow::fillHistoryMenu(QMenu& menu, bool back) {
  menu.clear();
  const THistory& history = session_->History();
  for (const THistory::MenuEntry& entry : back ? history.BackMenu() : history.ForwardMenu()) {
    const int steps = entry.steps;
    menu.addAction(qs(entry.caption), this, [this, steps] { session_->MoveInHistory(steps); });
  }
}

bool TArticlesWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == list_ && event->type() == QEvent::KeyPress &&
      static_cast<QKeyEvent*>(event)->key() == Qt::Key_ScrollLock) {
    scrollLock_ = !scrollLock_;
  }
  return QWidget::eventFilter(watched, event);
}

QAction* TArticlesWindow::action(std::string_view name) const {
  if (name == "stop") return stop_;
  return actions_->find(name);
}

void TArticlesWindow::applyKeyBindings() {
  ApplyKeyBindings(frame_.app().bags.articleKeys, actionList_);
  actions_->refreshShortcuts();
}

void TArticlesWindow::stop() {
  if (outboxSender_ && outboxSender_->Running()) return outboxSender_->Stop();
  const Qt::KeyboardModifiers keys = QApplication::keyboardModifiers();
  groupView().Stop(StopKeys{(keys & Qt::ControlModifier) != 0, (keys & Qt::ShiftModifier) != 0});
}

void TArticlesWindow::showStorageForm() {
  TGroupView& view = groupView();
  TfmCache form(view.Storage(), view.ExpiryDays(), this);
  connect(&form, &TfmCache::compactRequested, this,
          [&view] { view.CompactStore("Compactage fichier"); });
  if (form.exec() != QDialog::Accepted) return;
  view.SetStorage(form.choice(), form.expiryDays());
}

bool TArticlesWindow::ShowXoverForm(TfmXOVER& form) {
  XoverForm dialog(form, qs(groupView().Record().name), this);
  return dialog.exec() == QDialog::Accepted;
}

// ---------------------------------------------------------------- rows

void TArticlesWindow::headerClicked(int section) {
  groupView().SortBy(section, QApplication::keyboardModifiers() & Qt::ControlModifier);
  showSortIndicator();
}

void TArticlesWindow::showSortIndicator() {
  const GroupProps& props = groupView().Props();
  QHeaderView* header = list_->header();
  header->setSortIndicatorShown(props.sortOn >= 0);
  if (props.sortOn >= 0) {
    header->setSortIndicator(props.sortOn,
                             props.sortOrder > 0 ? Qt::AscendingOrder : Qt::DescendingOrder);
  }
}

void TArticlesWindow::toggleThread(const QModelIndex& index) {
  TNode* node = model_->nodeAt(index);
  if (TAThread* thread = node ? node->AsThread() : nullptr) {
    session_->SetExpanded(*thread, !thread->Expanded);
  }
}

void TArticlesWindow::selectNode(const TNode* node) {
  // As a click on the row: an article's row shows the article.
  const QModelIndex index = model_->index(session_->RowOf(node), 0);
  if (!index.isValid()) return;
  list_->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  list_->scrollTo(index);
}

void TArticlesWindow::selectRow(std::int32_t row) {
  const QModelIndex index = model_->index(row, 0);
  if (!index.isValid()) return;
  selecting_ = true;
  list_->selectionModel()->setCurrentIndex(
      index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
  selecting_ = false;
  // The row after the selected one stays in sight. The list scrolls by rows:
  // the bar's value is the top row and its page the rows shown, so this
  // costs nothing however far the row is (scrollTo walks the rows between).
  QScrollBar* bar = list_->verticalScrollBar();
  const int shown = std::max(bar->pageStep(), 2);
  if (row < bar->value()) {
    bar->setValue(row);
  } else if (row + 1 >= bar->value() + shown) {
    bar->setValue(std::min(row, model_->rowCount() - 1) + 2 - shown);
  }
}

void TArticlesWindow::currentRowChanged(const QModelIndex& current) {
  if (selecting_) return;
  TNode* node = model_->nodeAt(current);
  if (node && !node->IsThread()) session_->ShowArticle(node->AsArticle());
}

void TArticlesWindow::rowActivated(const QModelIndex& index) {
  TNode* node = model_->nodeAt(index);
  if (node && node->IsThread()) {
    toggleThread(index);
  } else if (node) {
    reopenQueued(*node->AsArticle());
  }
}

void TArticlesWindow::rowsChanged() {
  const TNode* keep = list_->currentIndex().isValid() ? model_->nodeAt(list_->currentIndex())
                                                      : nullptr;
  // The current row's node may be gone (thread nodes are rebuilt); the
  // article shown stays a record of the view.
  if (keep && keep->IsThread()) keep = nullptr;
  if (!keep) keep = currentArticle();
  model_->rowsChanged();
  syncThreadedToggle();
  const int row = session_->RowOf(keep);
  if (row >= 0) {
    selecting_ = true;
    list_->selectionModel()->setCurrentIndex(
        model_->index(row, 0), QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    selecting_ = false;
  }
}

void TArticlesWindow::rowChanged(const TNode& row) { model_->rowChanged(row); }
void TArticlesWindow::allRowsChanged() { model_->allRowsChanged(); }
void TArticlesWindow::rowsAboutToBeInserted(std::int32_t first, std::int32_t count) {
  model_->rowsAboutToBeInserted(first, count);
}
void TArticlesWindow::rowsInserted() { model_->rowsInserted(); }
void TArticlesWindow::rowsAboutToBeRemoved(std::int32_t first, std::int32_t count) {
  model_->rowsAboutToBeRemoved(first, count);
}
void TArticlesWindow::rowsRemoved() { model_->rowsRemoved(); }

void TArticlesWindow::switchView() {
  if (!fullScreen_) {
    (list_->hasFocus() ? static_cast<QWidget*>(viewer_ ? static_cast<QWidget*>(viewer_) : viewerPane_)
                       : static_cast<QWidget*>(list_))
        ->setFocus();
    return;
  }
  viewerAlone_ = !viewerAlone_;
  applyLayout();
  (viewerAlone_ && viewer_ ? static_cast<QWidget*>(viewer_) : static_cast<QWidget*>(list_))
      ->setFocus();
}

void TArticlesWindow::focusPane(Pane pane) {
  if (pane == Pane::Viewer && viewer_) {
    viewer_->setFocus();
  } else {
    list_->setFocus();
  }
}

void TArticlesWindow::beep() { QApplication::beep(); }

void TArticlesWindow::currentArticleChanged(TArticle* article) {
  if (QAction* edit = actions_->find("acaEdit")) edit->setEnabled(article != nullptr);
  updateArchiveActions();
  if (article && fullScreen_ && !viewerAlone_) {
    viewerAlone_ = true;
    applyLayout();
  }
}

void TArticlesWindow::historyChanged() {
  const THistory& history = session_->History();
  if (QAction* back = actions_->find("acaBack")) back->setEnabled(history.CanGoBack());
  if (QAction* forward = actions_->find("acaForward")) forward->setEnabled(history.CanGoForward());
}

void TArticlesWindow::endOfGroup() {
  if (groupsWindow_) groupsWindow_->openNextGroup(&groupView().Record());
}

void TArticlesWindow::captionChanged(std::string_view caption) { setWindowTitle(qs(caption)); }

void TArticlesWindow::progressText(std::string_view text) {
  progress_->setFormat(qs(text).replace('%', "%%"));
}

void TArticlesWindow::progressPosition(std::int64_t position, std::int64_t maximum) {
  // The bar counts in thousandths: a million lines fit any int range.
  if (maximum <= 0) {
    progress_->setRange(0, 1);
    progress_->setValue(0);
    return;
  }
  progress_->setRange(0, 1000);
  progress_->setValue(static_cast<int>(std::clamp<std::int64_t>(position * 1000 / maximum, 0, 1000)));
}

void TArticlesWindow::transferText(std::string_view text) { transfer_->setText(qs(text)); }

void TArticlesWindow::serverInfo(std::string_view greeting) {
  transfer_->setToolTip(qs(greeting));
}

void TArticlesWindow::stopEnabled(bool enabled) { stop_->setEnabled(enabled); }

void TArticlesWindow::downloadEnded() {
  showSortIndicator();
  runWhenLoaded();
  if (auto match = std::exchange(pendingMatch_, std::nullopt)) {
    showStoredMatch(match->number, match->messageId, std::move(match->match));
  }
}

void TArticlesWindow::closeRequested() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        if (auto* w = qobject_cast<QMdiSubWindow*>(parentWidget())) {
          w->close();
        } else {
          close();
        }
      },
      Qt::QueuedConnection);
}

// ---------------------------------------------------------------- frame side

QString TArticlesWindow::statusText() const { return status_->text(); }
QString TArticlesWindow::progressText() const { return progress_->format(); }

std::optional<OpenedWindow> TArticlesWindow::openedEntry() const {
  const TGroupView& view = session_->View();
  if (!view.IsFolder()) return std::nullopt;
  return OpenedWindow{OpenedWindow::Kind::FolderView, view.Folder().name};
}

void TArticlesWindow::closeEvent(QCloseEvent* event) {
  if (!closed_) {
    closed_ = true;
    session_->Close();
    savePlacement();
    saveColumns();
  }
  event->accept();
}

void TArticlesWindow::savePlacement() const {
  SaveChildPlacement(*this, frame_.app().bags.metrics, kPlacementName);
}

void TArticlesWindow::restoreColumns() {
  RestoreColumnWidths(*list_->header(), frame_.app().bags.metrics, kColumnsKey, kDefaultWidths);
}

void TArticlesWindow::saveColumns() const {
  SaveColumnWidths(*list_->header(), kArticleColumnCount, frame_.app().bags.metrics, kColumnsKey);
}

}  // namespace orvel::ui
