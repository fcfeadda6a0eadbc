#include "ui/orvel_frame.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QMenuBar>
#include <QProgressBar>
#include <QStatusBar>
#include <QSystemTrayIcon>
#include <QTabBar>
#include <QToolBar>
#include <QUrl>

#include "config/config_loading.h"
#include "config/manual_location.h"
#include "config/profile_dialogs.h"
#include "config/servers_file.h"
#include "config/shutdown.h"
#include "config/window_placements.h"
#include "ui/articles_window.h"
#include "ui/config_servers_page.h"
#include "ui/edit_window.h"
#include "ui/groups_window.h"
#include "ui/icons.h"
#include "ui/keys_dialog.h"
#include "ui/qt_convert.h"
#include "ui/regex_dialog.h"
#include "ui/viewer_options.h"

namespace orvel::ui {

namespace {

NNTPOptions nntpOptions(const Settings& settings) {
  NNTPOptions o;
  o.maxConnPerServer = settings.maxConnPerServer;
  o.xferTimeOutSec = settings.xferTimeOutMs / 1000;
  return o;
}

ChildWindow* childOf(QWidget* widget) { return dynamic_cast<ChildWindow*>(widget); }

// Where a sub-window goes back to when the tabs are switched off.
constexpr const char* kGeometryProperty = "orvelGeometry";

}  // namespace

TOrvelFrame::TOrvelFrame(AppState& app, MainState& state, QWidget* parent)
    : QMainWindow(parent),
      app_(app),
      state_(state),
      prompter_(this),
      pool_(platform_, clock_, prompter_, nntpOptions(state.settings)),
      autoSave_(clock_, host_),
      mdi_(new QMdiArea(this)) {
  setWindowTitle("Orvel");
  setWindowIcon(AppIcon());
  mdi_->setTabsClosable(true);
  mdi_->setTabsMovable(true);
  mdi_->setDocumentMode(true);
  mdi_->setActivationOrder(QMdiArea::ActivationHistoryOrder);
  setCentralWidget(mdi_);
  prompter_.setStatusSink([this](const QString& text) { showStatus(text); });
  prompter_.setProgressSink([this](std::int64_t p, std::int64_t m) { showProgress(p, m); });
  pool_.onActiveCountChanged = [this](int active) { updateConnections(active); };
  autoSave_.setInterval(state_.settings.autoSaveInterval);
  groupViewOpener_ = [this](TGroupsWindow& list, TGrpInfo& group) {
    return TArticlesWindow::openGroup(*this, list, group) != nullptr;
  };
  // A Message-ID goes to an open group view of that server.
  messageIdFetcher_ = [this](TGroupsWindow* list, const std::string& messageId) {
    for (QWidget* w : childWidgets()) {
      auto* view = qobject_cast<TArticlesWindow*>(w);
      if (!view || (list && view->groupsWindow() != list)) continue;
      activateChild(view);
      return view->showMessageId(messageId);
    }
    return false;
  };

  scoring_ = std::make_unique<ScoringState>(
      ScoringSettings::FromSettings(state_.settings, app_.dataDir, app_.dateFormats), prompter_);
  scoring_->Load();

  buildActions();
  buildScoringActions();
  buildSearchActions();
  buildMenus();
  buildStatusBar();
  loadFolders();
  recoverDrafts();
  connectFolderViews();
  buildTray();
  setTabbed(state_.settings.showTabs);
  connect(mdi_, &QMdiArea::subWindowActivated, this, &TOrvelFrame::childActivated);
  childActivated(nullptr);
  restorePlacement();
}

TOrvelFrame::~TOrvelFrame() {
  pool_.onActiveCountChanged = nullptr;
  // The children's logic uses the pool and the host: it goes first.
  delete mdi_;
  mdi_ = nullptr;
}

// ---------------------------------------------------------------- actions and menus

void TOrvelFrame::buildActions() {
  actions_ = std::make_unique<ActionSet>(state_.mainActions, this, Qt::WindowShortcut);
  addActions(actions_->all());
  actions_->wire("acmSaveNewsrc", [this] { saveAllNewsrc(); });
  actions_->wireToggle("acmIgnoreChanges", host_.ignoreChanges,
                       [this](bool on) { host_.ignoreChanges = on; });
  actions_->wire("acmDeja", [this] {
    QDesktopServices::openUrl(QUrl(qs(state_.settings.dejaPage)));
  });
  actions_->wire("acmKeys", [this] { showKeysDialog(); });
  actions_->wire("acmConfig", [this] { showConfigForm(); });
  actions_->wire("acmTestRegex", [this] { showRegexTester(); });
  actions_->wireToggle("acmTabs", state_.settings.showTabs, [this](bool on) {
    state_.settings.showTabs = on;
    setTabbed(on);
  });
  actions_->wire("acmPrevWindow", [this] { mdi_->activatePreviousSubWindow(); });
  actions_->wire("acmNextWindow", [this] { mdi_->activateNextSubWindow(); });
  actions_->wire("acmManual", [this] { openManual(); });
}

void TOrvelFrame::buildMenus() {
  auto add = [this](QMenu* menu, std::initializer_list<const char*> names) {
    for (const char* name : names) {
      if (*name == '-') {
        menu->addSeparator();
      } else if (QAction* a = actions_->find(name)) {
        menu->addAction(a);
      }
    }
  };

  QMenu* file = menuBar()->addMenu("&Fichier");
  add(file, {"acmSaveNewsrc", "acmIgnoreChanges", "-", "acmTray", "-"});
  file->addAction("&Quitter", QKeySequence(Qt::CTRL | Qt::Key_Q), this, &QWidget::close);

  serverMenu_ = menuBar()->addMenu("&Serveurs");
  rebuildServerMenu();

  childMenuAction_ = menuBar()->addMenu(new QMenu("&Groupes", this));

  QMenu* scores = menuBar()->addMenu("Sc&ores");
  add(scores, {"acmEnableScoring", "acmHardKill", "-", "acmEditScore", "acmViewPlonk", "-",
               "acmReloadScore", "acmRescore"});

  buildFolderMenus();

  QMenu* tools = menuBar()->addMenu("&Outils");
  add(tools, {"acmFind", "acmDeja", "-", "acmFolders", "-", "acmTestRegex", "acmKeys",
              "acmConfig"});

  windowMenu_ = menuBar()->addMenu("Fe&n\u00eatres");
  connect(windowMenu_, &QMenu::aboutToShow, this, &TOrvelFrame::rebuildWindowMenu);
  rebuildWindowMenu();

  QMenu* help = menuBar()->addMenu("&Aide");
  add(help, {"acmManual"});

  toolBar_ = addToolBar("Orvel");
  toolBar_->setObjectName("mainToolBar");
  toolBar_->setMovable(false);
  toolBar_->setIconSize(QSize(22, 22));
  toolBar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
  toolBar_->addAction(actions_->find("acmSaveNewsrc"));
  toolBar_->addSeparator();
}

void TOrvelFrame::rebuildServerMenu() {
  serverMenu_->clear();
  for (std::size_t i = 0; i < state_.profiles.size(); ++i) {
    const TProfile& p = *state_.profiles[i];
    QAction* a = serverMenu_->addAction(qs(p.alias));
    a->setToolTip(qs(p.host));
    const std::string icon = p.iconPath.empty() ? std::string() : app_.absolutePath(p.iconPath);
    if (!icon.empty() && IsUsableIcon(icon)) a->setIcon(QIcon(qs(icon)));
    const int index = static_cast<int>(i);
    connect(a, &QAction::triggered, this, [this, index] { openGroupList(index); });
  }
  if (!state_.profiles.empty()) serverMenu_->addSeparator();
  serverMenu_->addAction("&Nouveau serveur...", this, [this] {
    const int index = newServerCommand();
    if (index >= 0) openGroupList(index);
  });
  QMenu* remove = serverMenu_->addMenu("&Supprimer un serveur");
  remove->setEnabled(!state_.profiles.empty());
  for (std::size_t i = 0; i < state_.profiles.size(); ++i) {
    const int index = static_cast<int>(i);
    remove->addAction(qs(state_.profiles[i]->alias), this, [this, index] { deleteServer(index); });
  }
}

void TOrvelFrame::rebuildWindowMenu() {
  windowMenu_->clear();
  for (const char* name : {"acmTabs", "acmPrevWindow", "acmNextWindow"}) {
    windowMenu_->addAction(actions_->find(name));
  }
  windowMenu_->addSeparator();
  QAction* cascade = windowMenu_->addAction("&Cascade", mdi_, &QMdiArea::cascadeSubWindows);
  QAction* tile = windowMenu_->addAction("&Mosa\u00efque", mdi_, &QMdiArea::tileSubWindows);
  cascade->setEnabled(!tabbed());
  tile->setEnabled(!tabbed());
  QAction* close =
      windowMenu_->addAction("&Fermer", QKeySequence(Qt::CTRL | Qt::Key_F4), mdi_,
                             &QMdiArea::closeActiveSubWindow);
  close->setEnabled(mdi_->currentSubWindow() != nullptr);
  const auto windows = mdi_->subWindowList(QMdiArea::CreationOrder);
  if (!windows.isEmpty()) windowMenu_->addSeparator();
  int n = 0;
  for (QMdiSubWindow* w : windows) {
    ++n;
    QString text = w->windowTitle();
    if (n < 10) text = QStringLiteral("&%1 %2").arg(n).arg(text.replace('&', "&&"));
    QAction* a = windowMenu_->addAction(text);
    a->setCheckable(true);
    a->setChecked(w == mdi_->currentSubWindow());
    connect(a, &QAction::triggered, this, [this, w = QPointer<QMdiSubWindow>(w)] {
      if (w) mdi_->setActiveSubWindow(w);
    });
  }
}

void TOrvelFrame::childActivated(QMdiSubWindow* window) {
  if (!window) window = mdi_->currentSubWindow();
  if (window == lastActive_ && window) return;
  lastActive_ = window;
  ChildWindow* child = window ? childOf(window->widget()) : nullptr;

  QMenu* menu = childMenuAction_->menu();
  menu->clear();
  const QList<QAction*> items = child ? child->menuActions() : QList<QAction*>();
  for (QAction* a : items) {
    if (a) {
      menu->addAction(a);
    } else {
      menu->addSeparator();
    }
  }
  if (child) menu->setTitle(child->menuTitle());
  childMenuAction_->setVisible(!items.isEmpty());

  for (QAction* a : childToolActions_) toolBar_->removeAction(a);
  childToolActions_.clear();
  for (QAction* a : child ? child->toolBarActions() : QList<QAction*>()) {
    if (!a) a = toolBar_->addSeparator();
    else toolBar_->addAction(a);
    childToolActions_.append(a);
  }
}

// ---------------------------------------------------------------- status, tray, tabs

void TOrvelFrame::buildStatusBar() {
  QStatusBar* bar = statusBar();
  bar->setFont(qtFont(state_.settings.statusFont));
  statusText_ = new QLabel(bar);
  statusText_->setObjectName("frameStatus");
  bar->addWidget(statusText_, 1);
  progress_ = new QProgressBar(bar);
  progress_->setObjectName("frameProgress");
  progress_->setFixedWidth(180);
  progress_->setMaximumHeight(16);
  progress_->setTextVisible(false);
  progress_->hide();
  bar->addPermanentWidget(progress_);
  connections_ = new QLabel(qs(pool_.ActiveConnectionsText()), bar);
  connections_->setObjectName("frameConnections");
  bar->addPermanentWidget(connections_);
}

void TOrvelFrame::buildTray() {
  QAction* toTray = actions_->wire("acmTray", [this] { hide(); });
  if (!QSystemTrayIcon::isSystemTrayAvailable()) {
    toTray->setEnabled(false);
    toTray->setToolTip("Pas de barre des t\u00e2ches sur ce bureau : Orvel ne peut pas s'y "
                       "r\u00e9duire.");
    return;
  }
  tray_ = new QSystemTrayIcon(AppIcon(), this);
  tray_->setToolTip(qs(pool_.ActiveConnectionsToolTip()));
  auto* menu = new QMenu(this);
  menu->addAction("&Afficher Orvel", this, &TOrvelFrame::bringToFront);
  menu->addAction("&Quitter", this, &QWidget::close);
  tray_->setContextMenu(menu);
  connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
    if (r == QSystemTrayIcon::Trigger || r == QSystemTrayIcon::DoubleClick) bringToFront();
  });
  tray_->show();
}

void TOrvelFrame::updateConnections(int) {
  if (connections_) connections_->setText(qs(pool_.ActiveConnectionsText()));
  if (tray_) tray_->setToolTip(qs(pool_.ActiveConnectionsToolTip()));
}

QString TOrvelFrame::connectionsText() const { return connections_->text(); }

void TOrvelFrame::showStatus(const QString& text) { statusText_->setText(text); }

QString TOrvelFrame::statusText() const { return statusText_->text(); }

void TOrvelFrame::showProgress(std::int64_t position, std::int64_t maximum) {
  if (maximum <= 0) {
    progress_->hide();
    return;
  }
  // QProgressBar counts in int: large transfers are shown in thousandths.
  progress_->setRange(0, 1000);
  progress_->setValue(static_cast<int>(std::clamp<std::int64_t>(position * 1000 / maximum, 0, 1000)));
  progress_->show();
}

bool TOrvelFrame::tabbed() const { return mdi_->viewMode() == QMdiArea::TabbedView; }

void TOrvelFrame::setTabbed(bool on) {
  mdi_->setViewMode(on ? QMdiArea::TabbedView : QMdiArea::SubWindowView);
  if (on) {
    if (auto* tabs = mdi_->findChild<QTabBar*>()) tabs->setExpanding(false);
    return;
  }
  for (QMdiSubWindow* w : mdi_->subWindowList(QMdiArea::CreationOrder)) {
    w->showNormal();
    const QRect r = w->property(kGeometryProperty).toRect();
    if (r.isValid()) w->setGeometry(r);
  }
}

// ---------------------------------------------------------------- children

QMdiSubWindow* TOrvelFrame::addChild(QWidget* child, const QRect& geometry) {
  Q_ASSERT(childOf(child));
  child->setAttribute(Qt::WA_DeleteOnClose);
  QMdiSubWindow* window = mdi_->addSubWindow(child);
  window->setProperty(kGeometryProperty, geometry);
  window->setWindowIcon(child->windowIcon());
  if (!tabbed() && geometry.isValid()) window->setGeometry(geometry);
  child->show();
  mdi_->setActiveSubWindow(window);
  childActivated(window);
  return window;
}

std::vector<QWidget*> TOrvelFrame::childWidgets() const {
  std::vector<QWidget*> out;
  for (QMdiSubWindow* w : mdi_->subWindowList(QMdiArea::CreationOrder)) {
    if (w->widget()) out.push_back(w->widget());
  }
  return out;
}

QWidget* TOrvelFrame::activeChild() const {
  QMdiSubWindow* w = mdi_->currentSubWindow();
  return w ? w->widget() : nullptr;
}

void TOrvelFrame::activateChild(QWidget* child) {
  for (QMdiSubWindow* w : mdi_->subWindowList()) {
    if (w->widget() == child) mdi_->setActiveSubWindow(w);
  }
}

TGroupsWindow* TOrvelFrame::groupListOf(const TProfile& profile) const {
  for (QWidget* w : childWidgets()) {
    auto* groups = qobject_cast<TGroupsWindow*>(w);
    if (groups && groups->profile().alias == profile.alias) return groups;
  }
  return nullptr;
}

TGroupsWindow* TOrvelFrame::openGroupList(int index) {
  if (index < 0 || index >= static_cast<int>(state_.profiles.size())) return nullptr;
  const std::shared_ptr<TProfile>& profile = state_.profiles[static_cast<std::size_t>(index)];
  if (TGroupsWindow* open = groupListOf(*profile)) {
    activateChild(open);
    return open;
  }
  auto* window = new TGroupsWindow(*this, profile);
  WindowGeometry g;
  if (!app_.bags.metrics.GetPlacement(TGroupsWindow::placementName(*profile), false, g) ||
      g.width <= 0 || g.height <= 0) {
    g = DefaultWindowGeometry("groups");
  }
  addChild(window, rectOf(g));
  // Opening may ask questions and start the first request: the window is
  // on screen first.
  if (!window->open()) {
    delete window->parentWidget();
    return nullptr;
  }
  return window;
}

std::vector<OpenedWindow> TOrvelFrame::openedWindows() const {
  std::vector<OpenedWindow> out;
  for (QWidget* w : childWidgets()) {
    if (ChildWindow* child = childOf(w)) {
      if (auto entry = child->openedEntry()) out.push_back(*entry);
    }
  }
  return out;
}

void TOrvelFrame::openGroup(TGroupsWindow& list, TGrpInfo& group) {
  if (groupViewOpener_ && groupViewOpener_(list, group)) return;
  prompter_.message("Le groupe " + group.name +
                        " ne peut pas \xC3\xAAtre ouvert : la vue des articles n'est pas "
                        "encore disponible dans cette version.",
                    MessageKind::Information);
}

void TOrvelFrame::fetchMessageId(TGroupsWindow* list, const std::string& messageId) {
  if (messageIdFetcher_ && messageIdFetcher_(list, messageId)) return;
  prompter_.message("L'article " + messageId +
                        " ne peut pas \xC3\xAAtre affich\xC3\xA9 : ouvrez d'abord un groupe de "
                        "ce serveur.",
                    MessageKind::Information);
}

// ---------------------------------------------------------------- commands

void TOrvelFrame::saveAllNewsrc() {
  if (SaveAllGroupLists(host_)) showStatus({});
}

bool TOrvelFrame::saveServers(const std::vector<std::string>& erasedAliases) {
  std::string error;
  const bool ok = SaveProfiles(app_, state_, erasedAliases, &error);
  if (!ok) prompter_.message(error, MessageKind::Error);
  rebuildServerMenu();
  return ok;
}

int TOrvelFrame::newServer(std::string_view host) {
  const auto profile = NewProfile(state_, app_.baseDir, prompter_, nullptr, host);
  if (!profile) return -1;
  saveServers();
  return ProfileIndex(state_.profiles, profile->alias);
}

void TOrvelFrame::deleteServer(int index) {
  const auto removed = DeleteProfile(state_, prompter_, index, [this](const TProfile& p) {
    return groupListOf(p) != nullptr;
  });
  if (removed) saveServers({removed->alias});
}

int TOrvelFrame::newServerCommand() {
  const int index = newServer();
  if (index < 0) return -1;
  const std::string alias = state_.profiles[static_cast<std::size_t>(index)]->alias;
  showConfigForm(TConfigForm::Page::Servers, index);
  return ProfileIndex(state_.profiles, alias);
}

bool TOrvelFrame::showConfigForm(TConfigForm::Page page, int profileIndex) {
  ConfigFormHooks hooks{[this](const TProfile& p) { return groupListOf(p) != nullptr; },
                        [this] { return !findChildren<TEditWindow*>().isEmpty(); }};
  TConfigForm form(app_, state_, std::move(hooks), nullptr, this);
  form.showPage(page);
  if (profileIndex >= 0) form.serversPage().select(profileIndex);
  if (form.exec() != QDialog::Accepted) return false;
  rebuildServerMenu();
  if (QAction* tabs = actions_->find("acmTabs")) tabs->setChecked(state_.settings.showTabs);
  setTabbed(state_.settings.showTabs);
  autoSave_.setInterval(state_.settings.autoSaveInterval);
  const ViewerDisplayOptions viewerOptions = ViewerDisplayOptionsFrom(state_.settings);
  for (QWidget* w : childWidgets()) {
    auto* view = qobject_cast<TArticlesWindow*>(w);
    if (view && view->viewer()) view->viewer()->setDisplayOptions(viewerOptions);
  }
  return true;
}

void TOrvelFrame::openManual() {
  const std::string programDir = QCoreApplication::applicationDirPath().toStdString();
  if (const auto manual = FindManual(programDir)) {
    if (QDesktopServices::openUrl(QUrl::fromLocalFile(qs(*manual)))) return;
    prompter_.message("Le manuel " + *manual + " n'a pas pu \xC3\xAAtre ouvert : aucun "
                      "navigateur n'est configur\xC3\xA9 pour les pages HTML.",
                      MessageKind::Error);
    return;
  }
  std::string places;
  for (const std::string& candidate : ManualCandidates(programDir)) places += "\n" + candidate;
  prompter_.message("Le manuel d'Orvel est introuvable. Il est cherch\xC3\xA9 ici :" + places,
                    MessageKind::Error);
}

void TOrvelFrame::showKeysDialog() {
  QWidget* active = activeChild();
  ChildWindow* child = active ? childOf(active) : nullptr;
  const std::optional<ActionWindow> context = child ? child->actionWindow() : std::nullopt;
  ActionList none;
  ActionList* contextActions = child && child->actionList() ? child->actionList() : &none;
  TfmKeys dialog(app_.bags, context, *contextActions, state_.mainActions, this);
  if (dialog.exec() != QDialog::Accepted) return;
  // The new bindings apply at once, in this window and in the open ones.
  ApplyKeyBindings(app_.bags.mainKeys, state_.mainActions);
  actions_->refreshShortcuts();
  for (QWidget* w : childWidgets()) {
    if (ChildWindow* c = childOf(w)) c->applyKeyBindings();
  }
}

void TOrvelFrame::showRegexTester() {
  TfmRegex dialog(this);
  dialog.exec();
}

// ---------------------------------------------------------------- placement and closing

void TOrvelFrame::restorePlacement() {
  const WindowGeometry g = WindowGeometryFor(app_.bags.metrics, "main", true);
  setGeometry(rectOf(g));
  if (g.maximised) setWindowState(windowState() | Qt::WindowMaximized);
}

void TOrvelFrame::closeEvent(QCloseEvent* event) {
  const std::vector<OpenedWindow> opened = openedWindows();
  host_.mainWindowClosing = true;
  // A child may close others as it closes (a group list its group views):
  // those are gone or hidden by the time their turn comes.
  QList<QPointer<QMdiSubWindow>> windows;
  for (QMdiSubWindow* w : mdi_->subWindowList(QMdiArea::CreationOrder)) windows.append(w);
  for (const QPointer<QMdiSubWindow>& w : windows) {
    if (!w || w->isHidden()) continue;
    if (!w->close()) {
      host_.mainWindowClosing = false;
      event->ignore();
      return;
    }
  }
  std::string error;
  if (!SaveShutdownState(app_, placementOf(normalGeometry(), false), isMaximized(), opened,
                         &error)) {
    prompter_.message(error, MessageKind::Error);
  }
  if (!scoring_->SavePlonks(&error)) prompter_.message(error, MessageKind::Error);
  if (tray_) tray_->hide();
  event->accept();
  emit closed();
}

void TOrvelFrame::bringToFront() {
  if (isMinimized()) {
    showNormal();
  } else {
    show();
  }
  raise();
  activateWindow();
}

}  // namespace orvel::ui
