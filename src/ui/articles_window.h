#pragma once
// The group view window (TArticlesWindow) of a server group: the article
// list over the view's rows, the article viewer pane below or beside it, the
// progress bar, the transfer text and the stop command. It forwards the
// person's commands, with the focus and selection they apply to, to the
// group's session (GroupSession) and redraws from the session's events; it
// lives as an MDI child of the main window and belongs to the group list
// window it was opened from, which closes it when it closes itself.

#include <QPointer>
#include <QWidget>

#include <functional>
#include <memory>
#include <string>

#include "articles/group_view.h"
#include "config/actions.h"
#include "content/batch.h"
#include "content/group_session.h"
#include "folders/folder_menus.h"
#include "posting/cancel_request.h"
#include "posting/compose_session.h"
#include "ui/action_set.h"
#include "ui/article_viewer.h"
#include "ui/child_window.h"
#include "ui/qt_prompter.h"

class QLabel;
class QMenu;
class QProgressBar;
class QSplitter;
class QTreeView;

namespace orvel {
class ArticleView;
class FileMimeTypes;
class GroupBatch;
class GroupReader;
class OutboxSender;
class HeaderValueParser;
class NzbImport;
struct GroupContentOptions;
}  // namespace orvel

namespace orvel::ui {

class ArticleListModel;
class QuickFilterBox;
class QtAttachmentSaveDialog;
class QtFileLauncher;
class TEditWindow;
class TGroupsWindow;
class TOrvelFrame;

class TArticlesWindow final : public QWidget,
                              public ChildWindow,
                              private GroupSessionListener,
                              private XoverDialogHost {
  Q_OBJECT

 public:
  // Opens group of list's server in a new window, or activates the window
  // already showing it. Null when the window could not be made.
  static TArticlesWindow* openGroup(TOrvelFrame& frame, TGroupsWindow& list, TGrpInfo& group);
  // The open window of a group of a profile, or null.
  static TArticlesWindow* find(TOrvelFrame& frame, const TProfile& profile,
                               std::string_view group);

  // Opens a local folder in a new window, or activates the window already
  // showing it.
  static TArticlesWindow* openFolder(TOrvelFrame& frame, const FolderSource& folder);
  // The open window of the folder whose body file is path, or null.
  static TArticlesWindow* findFolder(TOrvelFrame& frame, std::string_view path);

  TArticlesWindow(TOrvelFrame& frame, TGroupsWindow& list, TGrpInfo& group,
                  QWidget* parent = nullptr);
  TArticlesWindow(TOrvelFrame& frame, const FolderSource& folder, QWidget* parent = nullptr);
  ~TArticlesWindow() override;

  // Starts the header download (after the window is on screen).
  void open();

  GroupSession& session() { return *session_; }
  TGroupView& groupView() { return session_->View(); }
  ArticleListModel& model() { return *model_; }
  QTreeView& list() { return *list_; }
  QSplitter& splitter() { return *splitter_; }
  TGroupsWindow* groupsWindow() const { return groupsWindow_; }
  QString statusText() const;
  QString progressText() const;
  QAction* action(std::string_view name) const;

  // The article shown in the viewer; selecting a row shows its article.
  TArticle* currentArticle() const { return session_->Current(); }
  void selectNode(const TNode* node);
  // The viewer pane and what it shows (made when the group opens).
  ArticleViewer* viewer() const { return viewer_; }
  GroupReader* reader() const { return session_->Reader(); }
  GroupBatch* batch() const { return session_->Batch(); }
  // What a command applies to: the focused pane, the selection, the keys.
  CommandContext commandContext() const;
  // Runs a command of the action table by name, as its key would.
  bool execute(std::string_view action);
  // Opens a compose window for a new article, or for an answer to the
  // article shown (with the viewer's selection); null when there is none.
  TEditWindow* compose(ComposeKind kind);
  // Opens a queued message of the Outbox or Sent in a compose window.
  TEditWindow* reopenQueued(const TArticle& article);
  // Fetches an article by "<Message-ID>" into the viewer.
  bool showMessageId(const std::string& messageId);
  // Opens the article of the group with that number (else that Message-ID)
  // and selects a match of its stored text in the viewer; while the headers
  // are downloading, once they are there.
  void showStoredMatch(std::int32_t number, const std::string& messageId, ViewerMatch match);

  // What the transfer rules need of this view (articles_window_list.cpp).
  TransferContext transferContext() const;
  // Runs command now, or once the header download under way has ended.
  void whenHeadersLoaded(std::function<void()> command);

  // The layout switches: viewer beside the list, and the viewer alone.
  bool verticalSplit() const { return verticalSplit_; }
  bool fullScreen() const { return fullScreen_; }
  void setVerticalSplit(bool on);
  void setFullScreen(bool on);

  // ChildWindow
  QString menuTitle() const override;
  QList<QAction*> menuActions() const override;
  QList<QAction*> toolBarActions() const override;
  std::optional<ActionWindow> actionWindow() const override { return ActionWindow::GroupView; }
  ActionList* actionList() override { return &actionList_; }
  void applyKeyBindings() override;
  // A folder view is reopened at the next start ("F:" + its name).
  std::optional<OpenedWindow> openedEntry() const override;

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  using SessionMaker = std::function<std::unique_ptr<GroupSession>(GroupViewServices)>;
  TArticlesWindow(TOrvelFrame& frame, TGroupsWindow* list, const SessionMaker& makeSession,
                  QWidget* parent);
  static TArticlesWindow* show(TOrvelFrame& frame, TArticlesWindow* window);

  // GroupSessionListener
  void rowsChanged() override;
  void rowChanged(const TNode& row) override;
  void allRowsChanged() override;
  void rowsAboutToBeInserted(std::int32_t first, std::int32_t count) override;
  void rowsInserted() override;
  void rowsAboutToBeRemoved(std::int32_t first, std::int32_t count) override;
  void rowsRemoved() override;
  void selectRow(std::int32_t row) override;
  void switchView() override;
  void focusPane(Pane pane) override;
  void beep() override;
  void currentArticleChanged(TArticle* article) override;
  void historyChanged() override;
  void endOfGroup() override;
  bool findInViewer(const FindOptions& options) override;
  void selectInViewer(const FindOptions& options, std::string_view matched) override;
  void captionChanged(std::string_view caption) override;
  void progressText(std::string_view text) override;
  void progressPosition(std::int64_t position, std::int64_t maximum) override;
  void transferText(std::string_view text) override;
  void serverInfo(std::string_view greeting) override;
  void stopEnabled(bool enabled) override;
  void downloadEnded() override;
  void closeRequested() override;

  // XoverDialogHost
  bool ShowXoverForm(TfmXOVER& form) override;

  void buildWidgets();
  void wireActions();
  // articles_window_menus.cpp: the submenus of the window's menu.
  QList<QAction*> buildMenu();
  void applyLayout();
  void restoreColumns();
  void saveColumns() const;
  void savePlacement() const;
  void currentRowChanged(const QModelIndex& current);
  void rowActivated(const QModelIndex& index);
  void headerClicked(int section);
  void showPopup(const QPoint& at);
  void showSortIndicator();
  void toggleThread(const QModelIndex& index);
  void buildViewer();
  void wireViewerActions();
  void wireSessionCommands();
  void fillHistoryMenu(QMenu& menu, bool back);
  bool eventFilter(QObject* watched, QEvent* event) override;
  void showDecodedPicture(const BatchFileReport& report);
  // articles_window_scoring.cpp
  void showRuleBuilder();
  void explainScore();
  void showViewerMenu(const QPoint& at);
  void wireFilterCommands();
  // articles_window_posting.cpp
  void wirePostingCommands();
  // acaCancel: the article shown (viewer focused), else the selected ones.
  void cancelArticles();
  // articles_window_outbox.cpp: acaSend of the Outbox view.
  bool isOutbox();
  void sendOutbox();
  void makeOutboxSender();
  // articles_window_export.cpp: print, save and copy what is shown, edit it.
  void wireExportCommands();
  void printArticle();
  void saveShownArticle();
  void copyHeaders();
  // NZB files (articles_window_nzb.cpp).
  void wireNzbCommands();
  void exportNzb();
  void importNzb();
  void editArticle();
  // The server and group a new message from this view goes to.
  void composeTarget(std::shared_ptr<TProfile>& profile, std::string& group);
  void showFilterDialog();
  void showXpatDialog();
  void showFindDialog();
  void showStorageForm();
  void stop();
  // articles_window_list.cpp: archiving, the automatic pane sizes, the
  // subject's width and the threaded switch.
  void wireListCommands();
  std::string archiveFolderName(bool queue) const;
  bool archiveAllowed(bool queue) const;
  void updateArchiveActions();
  void archive(bool queue);
  void autoSizePanes();
  void toggleSubjectWidth();
  void syncThreadedToggle();
  bool headersLoading() const;
  void runWhenLoaded();

  TOrvelFrame& frame_;
  QPointer<TGroupsWindow> groupsWindow_;
  QtPrompter prompter_;
  ActionList actionList_;
  std::unique_ptr<ActionSet> actions_;
  QList<QAction*> menu_;  // the submenus' menu actions
  std::unique_ptr<GroupSession> session_;
  ArticleListModel* model_ = nullptr;
  // The viewer's side: made once the group's properties are known.
  std::unique_ptr<GroupContentOptions> content_;
  std::unique_ptr<FileMimeTypes> mimeTypes_;
  std::unique_ptr<HeaderValueParser> headerParser_;
  std::unique_ptr<QtFileLauncher> launcher_;
  std::unique_ptr<QtAttachmentSaveDialog> saveDialog_;
  std::unique_ptr<ArticleView> articleView_;
  std::unique_ptr<CancelRequest> canceller_;
  std::unique_ptr<NzbImport> nzbImport_;  // the last import, kept until the next one
  std::unique_ptr<OutboxSender> outboxSender_;
  ArticleViewer* viewer_ = nullptr;
  struct StoredMatch {
    std::int32_t number = 0;
    std::string messageId;
    ViewerMatch match;
  };
  std::optional<StoredMatch> pendingMatch_;  // waits for the header download
  bool closed_ = false;
  bool selecting_ = false;    // the session moves the selection: no article is opened
  bool scrollLock_ = false;   // Scroll Lock toggled on (pressed an odd number of times)
  bool verticalSplit_ = false;
  bool fullScreen_ = false;
  bool viewerAlone_ = false;  // full screen: the viewer, else the list
  bool autoSize_ = false;     // acvAutoSize
  bool wideSubject_ = false;  // acvToggleWidth
  std::vector<std::function<void()>> whenLoaded_;  // waits for the header download

  QSplitter* splitter_ = nullptr;
  QTreeView* list_ = nullptr;
  QuickFilterBox* quickFilter_ = nullptr;
  QWidget* viewerPane_ = nullptr;
  QLabel* status_ = nullptr;
  QLabel* transfer_ = nullptr;
  QProgressBar* progress_ = nullptr;
  QAction* stop_ = nullptr;
};

}  // namespace orvel::ui
