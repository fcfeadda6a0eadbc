#pragma once
// TGroupView: the logic of a group view (TArticlesWindow) on a newsgroup of a
// server, without a window. It owns the article records of the group
// (arena, lists and the four bit sets of an XoverView), the group's store,
// the two connection slots and the header download; it keeps a copy of the
// group's record and hands the read state back to it.
//
// Life: Open resolves the group's properties and identity, opens the store
// and issues the header download (purpose 2): GROUP, then XOverBegin, whose
// first pass loads the store (threaded at once so stored headers show while
// new ones arrive). Refresh runs the download again. Close releases the
// slots, saves the store with compaction allowed and hands the read state
// back.
//
// Requests of other purposes come from the pieces that issue them (the
// article viewer: 3, 4, 10; searches: 6; the batch: 8; cancels: 9): each
// registers a RequestHandler for its purposes, asks with Request(), and gets
// its reply data, its end and its resumption back here. Everything runs on
// the event-loop thread; the window hears about changes through
// GroupViewObserver and reaches the person through the Prompter.
//
// On a local folder (the second constructor) the view has no group record,
// no header download and no server of its own: Open loads the folder's
// store (threaded for archives and queues, sorted for the outbox and sent),
// Refresh saves and loads it again, and an article missing from the body
// file is fetched by Message-ID from the server named in its record's
// origin ("server:group" in Xref) when the profiles know that server.
// Articles appended to the folder's files while the view is open join it.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "articles/article_arena.h"
#include "articles/connection_slots.h"
#include "articles/group_view_observer.h"
#include "articles/header_download.h"
#include "articles/mailbox.h"
#include "articles/thread_layout.h"
#include "articles/threading.h"
#include "articles/view_lists.h"
#include "articles/xover.h"
#include "articles/xover_dialog.h"
#include "config/group_props.h"
#include "config/identity.h"
#include "config/settings.h"
#include "groups/group_list_host.h"
#include "groups/grp_info.h"

namespace orvel {

struct MainState;
class TGroupList;

// The issuing side of requests other than the header download.
class RequestHandler {
 public:
  virtual ~RequestHandler() = default;
  virtual void DataBegin(TNNTP& /*connection*/, const SlotRequest& /*request*/) {}
  // The reply data; the handler ends the request with TGroupView::Release.
  virtual void Data(TNNTP& connection, const SlotRequest& request) = 0;
  virtual void BeginPost(TNNTP& /*connection*/, const SlotRequest& /*request*/) {}
  virtual void EndPost(TNNTP& /*connection*/, const SlotRequest& /*request*/) {}
  // The request left its slot, however it ended.
  virtual void Released(const SlotRequest& /*request*/) {}
  // The last server refused the article (it is flagged Missing).
  virtual void Missing(const SlotRequest& /*request*/) {}
  // The resumption timer ran out: ask again.
  virtual void Reissue(Purpose /*purpose*/, TArticle* /*article*/) {}
  // The search handler's side (6): the fetch of Refresh(ServerSearch) ended,
  // threaded, or broke off, or could not start.
  virtual void SearchFetched() {}
};

// The batch's side (purpose 8): its state gates the alternative servers and
// the stop command.
class BatchRequestHandler : public RequestHandler {
 public:
  virtual bool Running() const = 0;
  virtual bool Retrieving() const = 0;
  virtual void ForgetConnection() {}
  virtual void StopForRestart() {}
  virtual void Restart() {}
  virtual void StopAfterFile() {}
  virtual void PauseAfterPart() {}
};

// Shows TfmXOVER; false when cancelled.
class XoverDialogHost {
 public:
  virtual ~XoverDialogHost() = default;
  virtual bool ShowXoverForm(TfmXOVER& form) = 0;
};

struct GroupViewOptions {
  XoverOptions xover;
  DownloadSettings download;
  SlotSettings connections;
  bool scoreStoredHeaders = false;  // ScoreStoredHeaders
  std::int32_t compactPercent = 30;  // CompactPercent
  bool ignoreReWhenSorting = true;   // IgnoreReWhenSorting
  bool newSubjectNewThread = false;  // NewSubjectNewThread
  // Views of at least this many articles keep their threads beside the
  // store when closed: threading is then skipped at the next opening.
  std::size_t threadLayoutMinimum = 100000;

  static GroupViewOptions FromSettings(const Settings& settings);
};

// What the view borrows from the program.
struct GroupViewServices {
  ConnectionPool& pool;
  Clock& clock;
  Prompter& prompter;
  MainState& main;
  std::string baseDir;  // the stores live in baseDir + "data/"
  TGroupList* groupList = nullptr;  // the server's group list, which keeps the record
  XoverDialogHost* dialogs = nullptr;          // none: the dialog's first values are taken
  XoverDialogPrefs* dialogPrefs = nullptr;     // AutoFree, LimitPerGet
  bool* freeHeadersYesToAll = nullptr;         // "Yes to all" of the refresh, program-wide
};

enum class OpenMode {
  Download,    // load the store, then fetch what is new
  StoredOnly,  // only the stored headers
};

enum class RefreshKind {
  Normal,        // acaRefresh
  Extended,      // the extended refresh: the dialog first
  ServerSearch,  // the headers of a server search's numbers (mode 6)
};

// The folder a view shows instead of a newsgroup.
struct FolderSource {
  std::string name;
  std::string path;  // the body file (".mbx")
  std::uint8_t kind = kStoreArchive;
};

inline constexpr std::string_view kPurgeFolderQuestion =
    "Confirmez la purge de ce dossier.          ";
inline constexpr std::string_view kSavingFolderText = "Sauvegarde dossier..";

class TGroupView final : public OpenGroupView,
                         private SlotOwner,
                         private HeaderDownloadHost,
                         private FolderAppendObserver {
 public:
  // record: the group list's record, copied now and handed back later.
  TGroupView(GroupViewServices services, std::shared_ptr<TProfile> profile, TGrpInfo& record,
             GroupViewOptions options);
  // A view on a local folder.
  TGroupView(GroupViewServices services, FolderSource folder, GroupViewOptions options);
  ~TGroupView() override;
  TGroupView(const TGroupView&) = delete;
  TGroupView& operator=(const TGroupView&) = delete;

  void SetObserver(GroupViewObserver* observer);
  // The window's observer (a silent one when none is set), for the pieces
  // that issue requests and redraw rows.
  GroupViewObserver& Observer() const { return *observer_; }

  // ---- Life
  void Open(OpenMode mode = OpenMode::Download);
  void Refresh(RefreshKind kind = RefreshKind::Normal);
  // The stop command (Escape).
  void Stop(StopKeys keys = {}) { slots_.Stop(keys); }
  // Releases the slots, saves the store (compaction allowed) and hands the
  // read state back.
  void Close();
  bool Closed() const { return closed_; }
  // Gives the copy's read state and counts to the group record.
  void HandBackReadState() override;
  // The group list's side: the record, and its closing (the view closes).
  const TGrpInfo* viewedGroup() const override { return source_; }
  bool AskClose() override;

  // ---- Requests of the other purposes
  void SetRequestHandler(Purpose purpose, RequestHandler* handler);
  void SetBatchHandler(BatchRequestHandler* handler);
  // Starts a request; for 3, 4 and 10 the view's fetching flag is set (and
  // the article's Fetching flag for 3). True when the routine ran at once.
  bool Request(Purpose purpose, TArticle* article, RequestRoutine routine);
  // Ends the request of a connection whose data ended.
  void Release(TNNTP& connection) { slots_.ReleaseSocket(connection, {}); }
  bool FetchingArticle() const { return fetching_; }

  // ---- The server search's numbers (fetched by Refresh(ServerSearch)).
  void SetSearchList(std::vector<std::int32_t> numbers) {
    download_.SetSearchList(std::move(numbers));
  }

  // The article shown in the viewer (never discarded).
  void SetCurrentArticle(TArticle* article) { current_ = article; }
  TArticle* CurrentArticle() const { return current_; }
  // Counts and threads the master list again, without the view filter
  // (after records left it).
  void Rethread();
  // Threads the view list as it stands (the view filter's list); unthreaded
  // gives a flat list.
  void ThreadViewList(bool unthreaded);
  // The view's threaded switch (on when the view opens); the next pass
  // follows it, a flat sorted list when off.
  void SetThreaded(bool on) { threadedSwitch_ = on; }
  bool Threaded() const { return threadedSwitch_; }

  // ---- The batch caption ("... | 12% done ...") for the batch's progress;
  // the plain caption comes back sixty seconds after the last call.
  void ShowBatchProgress(std::int64_t bytesDone, std::int64_t bytesLeft, std::int64_t elapsedMs);
  std::string Caption() const;

  // ---- What the window shows.
  const std::vector<TNode*>& Rows() const { return lists_.rowList; }
  const std::vector<TNode*>& Roots() const { return lists_.rootList; }
  const std::vector<TArticle*>& MasterList() const { return lists_.masterList; }
  const ThreadStats& Stats() const { return stats_; }
  const XoverView& View() const { return view_; }
  XoverView& View() { return view_; }
  const TGrpInfo& Record() const { return record_; }
  const GroupProps& Props() const { return props_; }
  const TID& Identity() const { return identity_; }
  const std::shared_ptr<TProfile>& Profile() const { return profile_; }
  // The newsgroup's store (none in a folder view).
  TCacheBox* Store() { return store_.get(); }
  // The store of either kind.
  TMailbox* Mailbox() {
    return store_ ? static_cast<TMailbox*>(store_.get()) : folderStore_.get();
  }

  // ---- Folder views (group_view_folder.cpp).
  bool IsFolder() const { return folder_.has_value(); }
  // The folder shown; only for a folder view.
  const FolderSource& Folder() const { return *folder_; }
  TFolder* FolderStore() { return folderStore_.get(); }
  // "F:outbox", "F:sent" or "F:user"; empty for a newsgroup.
  std::string StatusTag() const;
  // "ZOUTBOX", "ZQUEUE" or "ZFOLDER"; empty for a newsgroup.
  std::string_view IconName() const;
  // The known server a folder article came from, or none.
  std::shared_ptr<TProfile> OriginProfile(const TArticle& article) const;
  // Asks kPurgeFolderQuestion; Yes deletes both files and asks the window
  // to close. False when not asked or not confirmed.
  bool PurgeFolder();
  TGroupList* GroupList() const { return services_.groupList; }
  Prompter& UserPrompter() const { return services_.prompter; }
  ConnectionSlots& Slots() { return slots_; }
  HeaderDownload& Download() { return download_; }
  // The header download's dialog in statistics mode (mode 0).
  bool ShowStatistics();

  // ---- Rows (group_view_rows.cpp). A click on a sort column re-sorts the
  // roots without threading again (linesSwitch: the lines column counts
  // lines, not thread sizes) and tells the observer rowsChanged().
  // Expanding or collapsing a thread inserts or removes its rows only
  // (rowsInserted, rowsRemoved); every other thread stays as it is.
  void SortBy(std::int32_t column, bool linesSwitch = false);
  void SetExpanded(TAThread& thread, bool expanded);
  void SetAllExpanded(bool expanded);

  // ---- Storage (TfmCache): the group's choice goes back with its read
  // state; the expiry days live in the header file.
  StorageChoice Storage() const { return storageChoice(); }
  std::int32_t ExpiryDays() const;
  void SetStorage(StorageChoice choice, std::int32_t expiryDays);
  // Compacts the body file now; statusText is shown while it runs.
  bool CompactStore(std::string_view statusText);

 private:
  // Both views: a newsgroup's record (copied; source is the list's) or none.
  TGroupView(GroupViewServices services, std::shared_ptr<TProfile> profile, TGrpInfo* source,
             GroupViewOptions options);
  // SlotOwner
  void RequestDataBegin(TNNTP& connection, const SlotRequest& request) override;
  void RequestData(TNNTP& connection, const SlotRequest& request) override;
  void RequestBeginPost(TNNTP& connection, const SlotRequest& request) override;
  void RequestEndPost(TNNTP& connection, const SlotRequest& request) override;
  void RequestReleased(const SlotRequest& request) override;
  void RequestRefused(Purpose purpose) override;
  bool BatchRunning() const override;
  bool BatchRetrieving() const override;
  bool QuietMode(Purpose) const override { return false; }
  void QuietFailureNext() override {}
  bool HeaderResumeAllowed() const override;
  Purpose HeaderResumePurpose() const override;
  void ArticleMissing(const SlotRequest& request) override;
  void ResumptionNextStep(TNNTP& connection) override;
  void BatchForgetConnection() override;
  void BatchStopForRestart() override;
  void CloseOnError() override;
  void ReissueArticle(Purpose purpose, TArticle* article) override;
  void ReissueHeaders(Purpose purpose) override;
  void ReissueBatch() override;
  void BatchStopAfterFile() override;
  void BatchPauseAfterPart() override;

  // HeaderDownloadHost
  void FirstDownload() override;
  bool ShowDownloadDialog(DownloadMode mode) override;
  void ReadMarksChanged() override;
  void NumbersWidened(std::int32_t oldLow, std::int32_t oldHigh) override;
  void CommandSent(TNNTP& connection, const std::string& action) override;
  void LinesParsed(TNNTP& connection) override;
  void DownloadEnded(TNNTP& connection, DownloadEnd end) override;

  RequestHandler* handlerFor(Purpose purpose) const;
  void rebuildRows();
  void applyStoreChoice(bool headerFileLoaded);
  bool startDownload(Purpose purpose);
  void loadStore();
  void takeRecordReadState();
  // The record's read and to-fetch marks of from..to into the sets.
  void takeMarks(std::int32_t from, std::int32_t to);
  // The group list's record as it stands now (marks made elsewhere while
  // the view is open included), else the view's copy.
  const TGrpInfo& recordMarks() const;
  // fromStore: the list was just loaded, and the threads kept beside the
  // store are tried before threading.
  void thread(bool unthreaded = false, bool fromStore = false);
  ThreadLayoutFiles threadLayoutFiles() const;
  // Keeps the threads beside the store just saved, for the next opening.
  void keepThreadLayout();
  void recountArticles();
  void refreshCounts();
  // Refresh(ServerSearch): the search list's headers in the search mode.
  void fetchSearchList();
  // Leaves the search mode and tells the search handler.
  void endSearchFetch();
  ThreadOptions threadOptions() const;
  StorageChoice storageChoice() const;
  std::string storePath() const;
  void openFolder();
  void loadFolder();
  void refreshFolder();
  void closeFolder();
  // Frees records the view drops, telling the observer first.
  void freeArticles(std::vector<TArticle*> records);
  // FolderAppendObserver
  void folderArticleAdded(const TArticle& article, std::string_view origin,
                          std::int32_t recordOffset) override;
  bool folderEntryChanged(const FolderEntryKey& key, const FolderEntryChange& change) override;

  GroupViewServices services_;
  std::shared_ptr<TProfile> profile_;
  TGrpInfo* source_;
  TGrpInfo record_;
  GroupViewOptions options_;
  GroupProps props_;
  TID identity_;
  GroupViewObserver nullObserver_;
  GroupViewObserver* observer_ = &nullObserver_;

  ArticleArena arena_;
  ViewLists lists_;
  XoverView view_;
  GroupNumbers storeNumbers_;
  std::unique_ptr<TCacheBox> store_;
  std::optional<FolderSource> folder_;
  std::unique_ptr<TFolder> folderStore_;
  ConnectionSlots slots_;
  HeaderDownload download_;
  ThreadStats stats_;
  // The record's marks as the sets last took them from it or handed them
  // back, bit for bit with readSet and keptSet: only where the sets differ
  // from these did the view change a mark.
  BitSet takenRead_, takenKept_;
  XoverDialogPrefs defaultPrefs_;

  RequestHandler* articleHandler_ = nullptr;  // 3, 4, 10
  RequestHandler* searchHandler_ = nullptr;   // 6
  RequestHandler* cancelHandler_ = nullptr;   // 9
  BatchRequestHandler* batch_ = nullptr;      // 8
  TArticle* current_ = nullptr;
  bool fetching_ = false;
  bool searchFetch_ = false;  // Refresh(ServerSearch) runs: the view is in its search mode
  bool threaded_ = false;
  // The options of the last pass over the whole master list; none after a
  // pass over a filtered or unthreaded list. Articles downloaded since are
  // not in its threads: the list's size then differs.
  std::optional<ThreadOptions> wholePass_;
  std::size_t wholePassArticles_ = 0;
  bool threadedSwitch_ = true;
  bool opened_ = false;
  bool closed_ = false;
  std::unique_ptr<Timer> captionTimer_;
};

}  // namespace orvel
