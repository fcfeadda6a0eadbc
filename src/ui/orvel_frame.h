#pragma once
// The main window: a multiple-document frame (tabs or sub-windows) holding
// one group list window per opened server, and later the group views,
// folders and compose windows. It owns, for the whole run, the connection
// pool, the group lists' shared flags (GroupListHost) and the auto-save
// timer; it builds its menus and toolbar from the action tables with the
// "keys.ini" bindings, carries out the start-up order and news URLs, and
// saves its placement and the open windows when it closes.
//
// Children are QWidgets that implement ChildWindow, added with addChild();
// the MDI area's window list in creation order is the registry used for the
// "Opened" section, the window menu and closing.
//
// openGroup() and fetchMessageId() call the opener set with
// setGroupViewOpener() / setMessageIdFetcher(); they start as a group view
// window (TArticlesWindow) for the group, and the open group view of the
// server for the Message-ID.

#include <QMainWindow>
#include <QPointer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "articles/xover_dialog.h"
#include "config/app_state.h"
#include "config/main_state.h"
#include "config/news_url.h"
#include "folders/folder_edits.h"
#include "folders/folder_list.h"
#include "folders/folder_menus.h"
#include "groups/auto_save.h"
#include "groups/group_list_host.h"
#include "net/connection_pool.h"
#include "net/qt/qt_clock.h"
#include "net/qt/qt_network.h"
#include "scoring/scoring_state.h"
#include "scoring/xpat_query.h"
#include "ui/action_set.h"
#include "ui/child_window.h"
#include "ui/config_form.h"
#include "ui/qt_prompter.h"
#include "ui/search_window.h"

class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QProgressBar;
class QSystemTrayIcon;
class QToolBar;

namespace orvel::ui {

class TArticlesWindow;
class TFoldersWindow;
class TGroupsWindow;

class TOrvelFrame : public QMainWindow {
  Q_OBJECT

 public:
  // Opens a group of a group list in a group view; true when it did.
  using GroupViewOpener = std::function<bool(TGroupsWindow&, TGrpInfo&)>;
  // Fetches "<id>" in a group view of the given list's server (null: the
  // first open group view); true when it did.
  using MessageIdFetcher = std::function<bool(TGroupsWindow*, const std::string&)>;

  TOrvelFrame(AppState& app, MainState& state, QWidget* parent = nullptr);
  ~TOrvelFrame() override;

  // What the first show does, in order: the first-run server prompt, the
  // profile named on the command line, the windows open at the last
  // shutdown, the default profile's group list, the start-up news URL.
  void runFirstShow();

  // ---- Children
  // Adds a child window (a QWidget implementing ChildWindow) at geometry
  // (used in sub-window mode) and shows it.
  QMdiSubWindow* addChild(QWidget* child, const QRect& geometry);
  // The children in window-list (creation) order.
  std::vector<QWidget*> childWidgets() const;
  QWidget* activeChild() const;
  void activateChild(QWidget* child);

  // The group list window of a profile: activated when open, else created
  // and opened. Null when the profile is unknown or its newsrc unreadable.
  TGroupsWindow* openGroupList(int profileIndex);
  TGroupsWindow* groupListOf(const TProfile& profile) const;

  // The new-server command: asks for a server and an alias, saves
  // "servers.ini" and rebuilds the server menu. The new profile's index, or
  // -1 when cancelled.
  int newServer(std::string_view host = {});
  // The same, then the options window on the new profile, so that its login
  // and mail settings can be filled in (the menu command and the first run).
  int newServerCommand();

  // The options window (acmConfig), modal, on a page. True when closed with
  // OK: the new settings are saved and applied to the open windows where
  // that is cheap (server menu, tabs, auto-save, the viewers' fonts and
  // colours); the rest applies to windows opened afterwards.
  // profileIndex: the profile shown on the servers page (-1: the default one).
  bool showConfigForm(TConfigForm::Page page = TConfigForm::Page::Servers, int profileIndex = -1);

  // ---- Hooks for the group view
  void openGroup(TGroupsWindow& list, TGrpInfo& group);
  void fetchMessageId(TGroupsWindow* list, const std::string& messageId);
  void setGroupViewOpener(GroupViewOpener opener) { groupViewOpener_ = std::move(opener); }
  void setMessageIdFetcher(MessageIdFetcher fetcher) { messageIdFetcher_ = std::move(fetcher); }

  // ---- Folders (orvel_frame_folders.cpp)
  // Opens a folder in a group view (or brings its view to the front).
  using FolderViewOpener = std::function<void(const TFolderInfo&)>;
  // Transfers the active group view's articles into a folder; copy: the
  // source keeps them (Ctrl held while choosing).
  using FolderTransfer = std::function<void(const TFolderInfo&, bool copy)>;
  // What the active group view allows, for the transfer menu; nothing when
  // no group view is active.
  using TransferContextProvider = std::function<std::optional<TransferContext>()>;
  void setFolderViewOpener(FolderViewOpener opener) { folderViewOpener_ = std::move(opener); }
  void setFolderTransfer(FolderTransfer transfer) { folderTransfer_ = std::move(transfer); }
  void setTransferContextProvider(TransferContextProvider provider) {
    transferContext_ = std::move(provider);
  }
  // Whether a group view has the folder open (it then cannot be changed).
  void setFolderOpenCheck(FolderOpenCheck check) { folderOpenCheck_ = std::move(check); }
  TFolderList& folders() { return *folders_; }
  // The folders window: activated when open, else created.
  TFoldersWindow* openFoldersWindow();
  void openFolder(const TFolderInfo& folder);
  // The active child when it is a group view window.
  TArticlesWindow* activeArticlesWindow() const;
  void transferTo(const TFolderInfo& folder, bool copy);
  bool folderIsOpen(const TFolderInfo& folder) const;
  // After a change of the list made outside the folders window.
  void foldersChanged();
  QMenu* foldersMenu() const { return foldersMenu_; }
  QMenu* transferMenu() const { return transferMenu_; }

  // ---- What children share
  AppState& app() { return app_; }
  MainState& state() { return state_; }
  Clock& clock() { return clock_; }
  ConnectionPool& pool() { return pool_; }
  NetPlatform& platform() { return platform_; }
  GroupListHost& groupListHost() { return host_; }
  QtPrompter& prompter() { return prompter_; }
  // What group views remember for the program's run: the header dialog's
  // AutoFree and LimitPerGet, and the "Yes to all" before old headers are freed.
  XoverDialogPrefs& xoverDialogPrefs() { return xoverDialogPrefs_; }
  bool& freeHeadersYesToAll() { return freeHeadersYesToAll_; }
  // The score file and the plonk list every group view scores with.
  ScoringState& scoring() { return *scoring_; }
  // What the server search dialog remembers for the run.
  XpatMemory& xpatMemory() { return xpatMemory_; }
  // The folder search window (acmFind), once shown; null before.
  TfmSearch* searchWindow() const { return searchWindow_; }
  // The active group view window, or null.
  TArticlesWindow* activeGroupView() const;
  // A main-window action by name (pop-up menus list some).
  QAction* mainAction(std::string_view name) const { return actions_->find(name); }
  // The progress area: a maximum of 0 hides it.
  void showProgress(std::int64_t position, std::int64_t maximum);
  void showStatus(const QString& text);
  QString statusText() const;
  QString connectionsText() const;
  bool tabbed() const;

 public slots:
  // A news URL from the command line or from a later start.
  void openNewsUrl(const QString& url);
  void bringToFront();

 signals:
  // The frame closed for good (its children closed and the state saved).
  void closed();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void buildActions();
  void buildMenus();
  void buildStatusBar();
  void buildTray();
  void rebuildServerMenu();
  void rebuildWindowMenu();
  void childActivated(QMdiSubWindow* window);
  void setTabbed(bool tabbed);
  void restorePlacement();
  std::vector<OpenedWindow> openedWindows() const;
  bool saveServers(const std::vector<std::string>& erasedAliases = {});
  void deleteServer(int index);
  void saveAllNewsrc();
  void showKeysDialog();
  void showRegexTester();
  // Opens the user manual in the desktop's browser; says where it was
  // looked for when it is missing.
  void openManual();
  void carryOut(const NewsUrlAction& action);
  TGroupsWindow* openAndGoTo(int profileIndex, const std::string& group);
  void updateConnections(int active);
  // orvel_frame_scoring.cpp
  void buildScoringActions();
  void editScoreFile();
  void reloadScores();
  void checkScoreFile();
  // orvel_frame_folders.cpp
  void loadFolders();
  // Stores in the Outbox the drafts of compose windows a crash left open.
  void recoverDrafts();
  void connectFolderViews();
  void buildFolderMenus();
  void rebuildFolderMenu();
  void rebuildTransferMenu();
  void transferToNewFolder(bool queue);
  void reopenFolderView(const std::string& name);
  // orvel_frame_search.cpp
  void buildSearchActions();
  void showSearchWindow();
  // The group or folder view of a searched store, opened; null when gone.
  TArticlesWindow* openSearchedStore(const SearchableStore& store);
  void openSearchResult(const SearchableStore& store, const SearchRow& row,
                        const StoreSearchOptions& options);

  AppState& app_;
  MainState& state_;
  QtNetPlatform platform_;
  QtClock clock_;
  QtPrompter prompter_;
  ConnectionPool pool_;
  GroupListHost host_;
  AutoSaveTimer autoSave_;
  XoverDialogPrefs xoverDialogPrefs_;
  bool freeHeadersYesToAll_ = false;
  std::unique_ptr<ScoringState> scoring_;
  XpatMemory xpatMemory_;
  std::unique_ptr<ActionSet> actions_;
  GroupViewOpener groupViewOpener_;
  MessageIdFetcher messageIdFetcher_;

  QMdiArea* mdi_ = nullptr;
  QMenu* serverMenu_ = nullptr;
  QMenu* windowMenu_ = nullptr;
  QAction* childMenuAction_ = nullptr;  // the active child's menu in the menu bar
  QToolBar* toolBar_ = nullptr;
  QList<QAction*> childToolActions_;
  QLabel* statusText_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QLabel* connections_ = nullptr;
  QSystemTrayIcon* tray_ = nullptr;
  QPointer<QMdiSubWindow> lastActive_;
  QPointer<TfmSearch> searchWindow_;
  std::unique_ptr<TFolderList> folders_;
  QPointer<TFoldersWindow> foldersWindow_;
  QMenu* foldersMenu_ = nullptr;
  QMenu* transferMenu_ = nullptr;
  FolderViewOpener folderViewOpener_;
  FolderTransfer folderTransfer_;
  TransferContextProvider transferContext_;
  FolderOpenCheck folderOpenCheck_;
};

}  // namespace orvel::ui
