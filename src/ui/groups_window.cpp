#include "ui/groups_window.h"

#include <QApplication>
#include <QClipboard>
#include <QCloseEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QStatusBar>
#include <QStyledItemDelegate>
#include <QTabBar>
#include <QTimer>
#include <QTreeView>
#include <QVBoxLayout>

#include "config/servers_file.h"
#include "core/text.h"
#include "ui/articles_window.h"
#include "ui/child_metrics.h"
#include "ui/group_list_model.h"
#include "ui/icons.h"
#include "ui/edit_window.h"
#include "ui/orvel_frame.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

namespace {

// Column widths in the "Metrics" bag: one comma-separated line for every
// group list.
constexpr const char* kColumnsKey = "GroupListColumns";
constexpr int kDefaultWidths[kGroupColumnCount] = {280, 72, 72, 160, 78, 78, 90};
constexpr int kFilterDelayMs = 250;

// Right-aligned numbers keep a gap before the next column's text.
class NumberDelegate final : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;
  QString displayText(const QVariant& value, const QLocale& locale) const override {
    const QString text = QStyledItemDelegate::displayText(value, locale);
    return text.isEmpty() ? text : text + QChar(0x2002);
  }
};

}  // namespace

TGroupsWindow::TGroupsWindow(TOrvelFrame& frame, std::shared_ptr<TProfile> profile,
                             QWidget* parent)
    : QWidget(parent),
      frame_(frame),
      profile_(std::move(profile)),
      prompter_(this),
      actionList_(CreateActionList(ActionWindow::GroupList)) {
  setWindowTitle(qs(profile_->alias));
  const std::string icon =
      profile_->iconPath.empty() ? std::string() : frame_.app().absolutePath(profile_->iconPath);
  setWindowIcon(!icon.empty() && IsUsableIcon(icon) ? QIcon(qs(icon))
                                                    : GroupStateIcon(SubscriptionState::Subscribed));
  ApplyKeyBindings(frame_.app().bags.groupKeys, actionList_);
  list_ = std::make_unique<TGroupList>(
      profile_, frame_.pool(), frame_.clock(), prompter_, frame_.groupListHost(),
      GroupListOptions::FromSettings(frame_.state().settings, frame_.app().baseDir));
  model_ = new GroupListModel(*list_, this);
  buildWidgets();
  actions_ = std::make_unique<ActionSet>(actionList_, this, Qt::WidgetWithChildrenShortcut);
  addActions(actions_->all());
  wireActions();
  menu_ = buildMenu();
  applyFontsAndColours();
  restoreColumns();
  prompter_.setStatusSink([this](const QString& text) { status_->setText(text); });
  prompter_.setProgressSink(
      [this](std::int64_t p, std::int64_t m) { frame_.showProgress(p, m); });
}

TGroupsWindow::~TGroupsWindow() {
  // The view and the model look at the logic: they go before it.
  delete view_;
  delete model_;
}

std::string TGroupsWindow::placementName(const TProfile& profile) { return "S:" + profile.alias; }

bool TGroupsWindow::open() {
  const bool opened = list_->OpenServer();
  restoreView();
  return opened;
}

// ---------------------------------------------------------------- widgets

void TGroupsWindow::buildWidgets() {
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);

  filterPanel_ = new QFrame(this);
  filterPanel_->setObjectName("filterPanel");
  filterPanel_->setAutoFillBackground(true);
  auto* top = new QHBoxLayout(filterPanel_);
  top->setContentsMargins(4, 3, 6, 3);
  tabs_ = new QTabBar(filterPanel_);
  tabs_->setDrawBase(false);
  tabs_->setExpanding(false);
  tabs_->addTab("Groupes Abonn\u00e9s");
  tabs_->addTab("Tous les groupes");
  top->addWidget(tabs_);
  top->addStretch(1);
  auto* filterLabel = new QLabel("&Filtre :", filterPanel_);
  filterBox_ = new QLineEdit(filterPanel_);
  filterBox_->setObjectName("filterBox");
  filterBox_->setClearButtonEnabled(true);
  filterBox_->setPlaceholderText("expression r\u00e9guli\u00e8re");
  filterBox_->setMinimumWidth(220);
  filterLabel->setBuddy(filterBox_);
  top->addWidget(filterLabel);
  top->addWidget(filterBox_);
  layout->addWidget(filterPanel_);

  view_ = new QTreeView(this);
  view_->setObjectName("groupList");
  view_->setModel(model_);
  view_->setUniformRowHeights(true);
  view_->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view_->setSelectionBehavior(QAbstractItemView::SelectRows);
  view_->setAllColumnsShowFocus(true);
  view_->setEditTriggers(QAbstractItemView::NoEditTriggers);
  view_->setDragDropMode(QAbstractItemView::DragDrop);
  view_->setDefaultDropAction(Qt::MoveAction);
  view_->setDropIndicatorShown(true);
  view_->setContextMenuPolicy(Qt::CustomContextMenu);
  view_->setSortingEnabled(false);
  view_->setTextElideMode(Qt::ElideRight);
  view_->header()->setSectionsClickable(true);
  view_->header()->setSortIndicatorShown(false);
  view_->header()->setStretchLastSection(true);
  view_->header()->setHighlightSections(false);
  auto* numbers = new NumberDelegate(view_);
  for (GroupColumn c : {GroupColumn::Unread, GroupColumn::Total, GroupColumn::First,
                        GroupColumn::Last}) {
    view_->setItemDelegateForColumn(static_cast<int>(c), numbers);
  }
  layout->addWidget(view_, 1);

  auto* bar = new QStatusBar(this);
  bar->setSizeGripEnabled(false);
  status_ = new QLabel(bar);
  status_->setObjectName("groupsStatus");
  bar->addWidget(status_, 1);
  layout->addWidget(bar);

  filterTimer_ = new QTimer(this);
  filterTimer_->setSingleShot(true);
  filterTimer_->setInterval(kFilterDelayMs);
  connect(filterBox_, &QLineEdit::textChanged, filterTimer_, qOverload<>(&QTimer::start));
  connect(filterTimer_, &QTimer::timeout, this, &TGroupsWindow::filterEdited);
  connect(filterBox_, &QLineEdit::returnPressed, this, [this] {
    filterTimer_->stop();
    filterEdited();
  });
  connect(tabs_, &QTabBar::currentChanged, this, [this](int index) {
    list_->ShowTab(index == 0 ? GroupTab::Subscribed : GroupTab::All);
  });
  connect(model_, &QAbstractItemModel::modelAboutToBeReset, this, [this] { resetting_ = true; });
  connect(model_, &GroupListModel::rebuilt, this, &TGroupsWindow::restoreView);
  connect(model_, &GroupListModel::filterStateChanged, this, &TGroupsWindow::showFilterState);
  connect(view_->selectionModel(), &QItemSelectionModel::selectionChanged, this,
          &TGroupsWindow::rememberSelection);
  connect(view_->selectionModel(), &QItemSelectionModel::currentChanged, this,
          &TGroupsWindow::rememberSelection);
  connect(view_->header(), &QHeaderView::sectionClicked, this, &TGroupsWindow::headerClicked);
  connect(view_, &QTreeView::activated, this, &TGroupsWindow::rowActivated);
  connect(view_, &QTreeView::expanded, this, [this](const QModelIndex& i) {
    if (TGrpCat* c = model_->categoryAt(i)) list_->SetExpanded(*c, true);
  });
  connect(view_, &QTreeView::collapsed, this, [this](const QModelIndex& i) {
    if (TGrpCat* c = model_->categoryAt(i)) list_->SetExpanded(*c, false);
  });
  connect(view_, &QWidget::customContextMenuRequested, this, &TGroupsWindow::showPopup);
}

void TGroupsWindow::applyFontsAndColours() {
  const Settings& s = frame_.state().settings;
  view_->setFont(qtFont(s.groupListFont));
  QPalette palette = view_->palette();
  const QColor base = qtColor(s.groupListColor);
  palette.setColor(QPalette::Base, base);
  palette.setColor(QPalette::AlternateBase, base.darker(104));
  palette.setColor(QPalette::Text, fontColor(s.groupListFont));
  view_->setPalette(palette);
  view_->setAlternatingRowColors(true);
  status_->parentWidget()->setFont(qtFont(s.statusFont));
}

// ---------------------------------------------------------------- commands

void TGroupsWindow::wireActions() {
  ActionSet& a = *actions_;
  a.wire("acgSubs", [this] { list_->Subscribe(commandGroups(), +1, selectedPosition()); });
  a.wire("acgUnSubs", [this] { list_->Subscribe(commandGroups(), -1); });
  a.wire("acgCatchUp", [this] { list_->CatchUp(commandGroups()); });
  a.wire("acgClearKeep", [this] { list_->ClearToFetch(commandGroups()); });
  a.wire("acgUnCatchUp", [this] { list_->Reset(commandGroups()); });
  a.wire("acgMsgCount", [this] { list_->GetCounts(commandGroups()); });
  a.wire("acgAllMsgCount", [this] { list_->GetAllCounts(); });
  a.wire("acgPost", [this] { postToGroups(); });
  a.wire("acgListNew", [this] { list_->ListGroups(false); });
  a.wire("acgListAll", [this] { list_->ListGroups(true); });
  a.wire("acgSwitchTab", [this] {
    list_->ShowTab(list_->tab() == GroupTab::All ? GroupTab::Subscribed : GroupTab::All);
  });
  a.wire("acgExpandAll", [this] { list_->ExpandAll(true); });
  a.wire("acgCollapseAll", [this] { list_->ExpandAll(false); });
  a.wire("acgNewFolder", [this] { list_->NewCategory(); });
  a.wireToggle("acgHideEmpty", list_->hideEmptyGroups(),
               [this](bool on) { list_->SetHideEmptyGroups(on); });
  a.wire("acgCopy", [this] { copyNames(); });
  a.wire("acgPaste", [this] { pasteNames(); });
  a.wire("acgNextGroup", [this] {
    const std::vector<TGrpInfo*> selected = selectedGroups();
    openNextGroup(selected.empty() ? nullptr : selected.front());
  });
  a.wire("acgPrevFolder", [this] { moveToCategory(-1); });
  a.wire("acgNextFolder", [this] { moveToCategory(+1); });
  wireSearchCommands();

  // Group commands that have no entry in the action table.
  auto extra = [this](const QString& name, const QString& caption, QKeySequence key,
                      std::function<void()> handler) {
    auto* action = new QAction(caption, this);
    action->setObjectName(name);
    action->setShortcut(key);
    action->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(action, &QAction::triggered, this, std::move(handler));
    addAction(action);
  };
  extra("groupEditRead", "&Marquer le groupe comme Lu", {}, [this] {
    const auto groups = commandGroups();
    if (!groups.empty()) list_->EditRead(*groups.front());
  });
  extra("groupAddByHand", "Entrer noms \u00e0 la main...", QKeySequence(Qt::Key_Insert),
        [this] { list_->AddGroupsByHand(selectedPosition()); });
  extra("groupDelete", "Supprimer", QKeySequence(Qt::Key_Delete),
        [this] { list_->Delete(selectedGroups(), selectedCategories()); });
  extra("groupRenameFolder", "Renommer le dossier...", {}, [this] {
    const auto categories = selectedCategories();
    if (!categories.empty()) list_->RenameCategory(*categories.front());
  });
}

void TGroupsWindow::applyKeyBindings() {
  ApplyKeyBindings(frame_.app().bags.groupKeys, actionList_);
  actions_->refreshShortcuts();
}

std::vector<TGrpInfo*> TGroupsWindow::selectedGroups() const {
  std::vector<TGrpInfo*> out;
  QModelIndexList rows = view_->selectionModel()->selectedRows();
  std::sort(rows.begin(), rows.end(), [this](const QModelIndex& a, const QModelIndex& b) {
    return view_->visualRect(a).top() < view_->visualRect(b).top();
  });
  for (const QModelIndex& i : rows) {
    if (TGrpInfo* g = model_->groupAt(i)) out.push_back(g);
  }
  return out;
}

std::vector<TGrpCat*> TGroupsWindow::selectedCategories() const {
  std::vector<TGrpCat*> out;
  for (const QModelIndex& i : view_->selectionModel()->selectedRows()) {
    if (TGrpCat* c = model_->categoryAt(i)) out.push_back(c);
  }
  return out;
}

std::vector<TGrpInfo*> TGroupsWindow::commandGroups() const {
  std::vector<TGrpInfo*> groups = selectedGroups();
  if (groups.empty()) {
    if (TGrpInfo* g = model_->groupAt(view_->currentIndex())) groups.push_back(g);
  }
  return groups;
}

TreePosition TGroupsWindow::selectedPosition() const {
  return model_->insertionPoint(view_->currentIndex());
}

void TGroupsWindow::copyNames() {
  QStringList names;
  for (const TGrpInfo* g : commandGroups()) names << qs(g->name);
  if (!names.isEmpty()) QApplication::clipboard()->setText(names.join(','));
}

void TGroupsWindow::pasteNames() {
  QString text = QApplication::clipboard()->text();
  text.replace('\n', ',');
  list_->AddGroupsByName(utf8(text), selectedPosition());
}

void TGroupsWindow::moveToCategory(int step) {
  const int rows = model_->rowCount();
  QModelIndex at = view_->currentIndex();
  if (at.parent().isValid()) at = at.parent();
  int row = at.isValid() ? at.row() : (step > 0 ? -1 : rows);
  for (row += step; row >= 0 && row < rows; row += step) {
    const QModelIndex candidate = model_->index(row, 0);
    if (model_->categoryAt(candidate)) {
      view_->setCurrentIndex(candidate);
      view_->scrollTo(candidate);
      return;
    }
  }
}

TGrpInfo* TGroupsWindow::goToGroup(std::string_view name) {
  TGrpInfo* g = list_->FindGroup(name);
  if (!g) {
    prompter_.status("Groupe inconnu sur ce serveur : " + std::string(name));
    return nullptr;
  }
  if (list_->filterActive()) list_->SetFilter({});
  list_->ShowTab(g->subscribed() ? GroupTab::Subscribed : GroupTab::All);
  const QModelIndex index = model_->indexOf(g);
  if (index.isValid()) {
    if (index.parent().isValid()) view_->expand(index.parent());
    view_->setCurrentIndex(index);
    view_->scrollTo(index);
  }
  return g;
}

bool TGroupsWindow::openNextGroup(const TGrpInfo* after) {
  bool passed = after == nullptr;
  auto candidate = [&](TGrpInfo* g) {
    if (!g) return false;
    if (!passed) {
      passed = g == after || g->name == after->name;
      return false;
    }
    return g->unread > 0;
  };
  for (const ShownRow& row : list_->shown()) {
    std::vector<TGrpInfo*> groups = row.children;
    groups.insert(groups.begin(), row.group);
    for (TGrpInfo* g : groups) {
      if (!candidate(g)) continue;
      goToGroup(g->name);
      frame_.openGroup(*this, *g);
      return true;
    }
  }
  return false;
}

void TGroupsWindow::rowActivated(const QModelIndex& index) {
  if (TGrpInfo* g = model_->groupAt(index)) frame_.openGroup(*this, *g);
}

void TGroupsWindow::showPopup(const QPoint& at) {
  ExecPopup(*view_->viewport(),
            actions_->fromNames(frame_.state().settings.popupGroupList,
                                [this](std::string_view name) { return frame_.mainAction(name); }),
            at);
}

// ---------------------------------------------------------------- filter, sorting, redraw

void TGroupsWindow::filterEdited() {
  const std::string text = utf8(filterBox_->text());
  if (text.empty() && !list_->filterActive()) return;
  // A pattern that does not compile clears the filter; the box keeps what
  // is being typed.
  typingFilter_ = true;
  list_->SetFilter(text);
  typingFilter_ = false;
}

void TGroupsWindow::showFilterState(bool active) {
  QPalette palette = filterPanel_->palette();
  palette.setColor(QPalette::Window, active ? qtColor(kFilterPanelColor)
                                            : QApplication::palette().color(QPalette::Window));
  filterPanel_->setPalette(palette);
  if (!active && !typingFilter_ && !filterBox_->text().isEmpty()) {
    // The logic cleared the filter (a list request, the subscribed tab).
    const QSignalBlocker block(filterBox_);
    filterBox_->clear();
    filterTimer_->stop();
  }
}

void TGroupsWindow::headerClicked(int section) {
  list_->SortBy(static_cast<GroupColumn>(section),
                QApplication::keyboardModifiers() & Qt::ControlModifier);
  const auto column = list_->sortColumn();
  QHeaderView* header = view_->header();
  header->setSortIndicatorShown(column.has_value());
  if (column) {
    header->setSortIndicator(static_cast<int>(*column),
                             list_->sortAscending() ? Qt::AscendingOrder : Qt::DescendingOrder);
  }
}

void TGroupsWindow::rememberSelection() {
  if (resetting_) return;
  selected_.clear();
  for (const QModelIndex& i : view_->selectionModel()->selectedRows()) {
    if (const TGrpInfo* g = model_->groupAt(i)) selected_.insert(g);
    if (const TGrpCat* c = model_->categoryAt(i)) selected_.insert(c);
  }
  const QModelIndex current = view_->currentIndex();
  const TGrpInfo* g = model_->groupAt(current);
  current_ = g ? static_cast<const void*>(g) : static_cast<const void*>(model_->categoryAt(current));
}

void TGroupsWindow::restoreView() {
  resetting_ = true;
  {
    const QSignalBlocker block(tabs_);
    tabs_->setCurrentIndex(list_->tab() == GroupTab::All ? 1 : 0);
  }
  view_->setRootIsDecorated(model_->treeShown());
  view_->setDragEnabled(model_->treeShown());
  for (int row = 0; row < model_->rowCount(); ++row) {
    const QModelIndex i = model_->index(row, 0);
    if (const TGrpCat* c = model_->categoryAt(i)) view_->setExpanded(i, c->expanded);
  }
  // Back to the rows that were selected, where they still are.
  QItemSelection selection;
  QModelIndex current;
  for (const void* record : selected_) {
    QModelIndex i = model_->indexOf(static_cast<const TGrpInfo*>(record));
    if (!i.isValid()) i = model_->indexOf(static_cast<const TGrpCat*>(record));
    if (i.isValid()) selection.select(i, i.siblingAtColumn(kGroupColumnCount - 1));
  }
  if (current_) {
    current = model_->indexOf(static_cast<const TGrpInfo*>(current_));
    if (!current.isValid()) current = model_->indexOf(static_cast<const TGrpCat*>(current_));
  }
  if (current.isValid()) {
    view_->selectionModel()->setCurrentIndex(current, QItemSelectionModel::NoUpdate);
  }
  view_->selectionModel()->select(selection, QItemSelectionModel::ClearAndSelect);
  if (current.isValid()) view_->scrollTo(current);
  resetting_ = false;
  rememberSelection();
}

// ---------------------------------------------------------------- frame side

std::optional<OpenedWindow> TGroupsWindow::openedEntry() const {
  return OpenedWindow{OpenedWindow::Kind::ServerGroups, profile_->alias};
}

QString TGroupsWindow::menuTitle() const { return "&Groupes"; }

QString TGroupsWindow::statusText() const { return status_->text(); }

void TGroupsWindow::closeEvent(QCloseEvent* event) {
  if (!closed_) {
    // The group views of this server close first: their read state goes
    // into the records the list then saves.
    for (QWidget* w : frame_.childWidgets()) {
      auto* view = qobject_cast<TArticlesWindow*>(w);
      if (!view || view->groupsWindow() != this) continue;
      QWidget* window = view->parentWidget() ? view->parentWidget() : view;
      if (!window->close()) {
        event->ignore();
        return;
      }
    }
    if (!list_->Close()) {
      event->ignore();
      return;
    }
    closed_ = true;
    savePlacement();
    saveColumns();
  }
  event->accept();
}

void TGroupsWindow::savePlacement() const {
  SaveChildPlacement(*this, frame_.app().bags.metrics, placementName(*profile_));
}

void TGroupsWindow::restoreColumns() {
  RestoreColumnWidths(*view_->header(), frame_.app().bags.metrics, kColumnsKey, kDefaultWidths);
}

void TGroupsWindow::saveColumns() const {
  SaveColumnWidths(*view_->header(), kGroupColumnCount, frame_.app().bags.metrics, kColumnsKey);
}

// A new article for the selected groups (the focused one when none is
// selected), comma-separated as the compose window's groups field takes them.
void TGroupsWindow::postToGroups() {
  std::string groups;
  for (const TGrpInfo* g : commandGroups()) groups += (groups.empty() ? "" : ",") + g->name;
  TEditWindow::openNew(frame_, profile_, groups);
}

}  // namespace orvel::ui
