#pragma once
// GroupSession: one group being read, without a window. It owns the group's
// view (TGroupView: records, rows, store, download), its reader (the article
// viewer's fetch), its batch, its history and its server searches, and takes
// every command of the group view's action table by name ("acaNextUnread",
// "acaMarkRead", "acaSkipDown", ...). What the person sees change comes back
// as events to a GroupSessionListener: rows changed, inserted or removed,
// the row to select, the article shown, a beep, a view switch. The window
// and orvel-cli are both thin clients of it.
//
// What only the window knows (which pane has the focus, the selected rows,
// the Scroll Lock key, the layout) comes with each command as a
// CommandContext. Nothing here polls: a row chosen while the reader is
// fetching is shown when the reader's request leaves its slot.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "articles/group_view.h"
#include "articles/history.h"
#include "articles/marking.h"
#include "articles/navigation.h"
#include "content/batch.h"
#include "content/folder_transfer.h"
#include "scoring/group_find.h"
#include "scoring/view_filter.h"
#include "scoring/xpat_query.h"

namespace orvel {

class ArticleView;
class GroupBatch;
class GroupReader;
class GroupScoring;
class ScoringState;
class ServerSearch;
class FileLauncher;
struct ScoreExplanation;

enum class Pane { List, Viewer, FilterBox };

// Rows first..last of the list, both included.
struct RowSpan {
  std::int32_t first = 0;
  std::int32_t last = 0;
};

struct CommandContext {
  Pane focus = Pane::List;
  std::vector<RowSpan> selection;  // the list's selected rows
  std::int32_t focusedRow = -1;    // the list's current row
  bool scrollLock = false;         // the Scroll Lock key is down or toggled
  bool listShown = true;           // the header list's pane is on screen
  bool viewerShown = true;         // the viewer's pane is on screen
  bool fullScreen = false;         // acvFS: one pane at a time
};

struct SessionOptions {
  bool switchViewAtThreadEnd = false;  // SwitchViewAtThreadEnd
  bool expandWhenTag = false;          // ExpandWhenTag
  bool openNextGroup = false;          // OpenNextGroup
  bool autoCollapse = false;           // AutoCollapse (acvAutoCollapse)

  static SessionOptions FromSettings(const Settings& settings);
};

class GroupSessionListener : public GroupViewObserver {
 public:
  // Makes the row the list's current and only selected row, and scrolls so
  // that the row after it stays visible.
  virtual void selectRow(std::int32_t /*row*/) {}
  // acvSwitchView: the other pane (full screen) or the other pane's focus.
  virtual void switchView() {}
  virtual void focusPane(Pane /*pane*/) {}
  // The platform's information beep: nothing was found.
  virtual void beep() {}
  // The article the viewer shows now (null: none).
  virtual void currentArticleChanged(TArticle* /*article*/) {}
  // Back and forward may have changed.
  virtual void historyChanged() {}
  // The queue changed (tagging, a batch started or ended).
  virtual void queueChanged() {}
  // Next unread found nothing and OpenNextGroup asks for the next group.
  virtual void endOfGroup() {}
  // "Trouver" from the viewer: the regex searched in the shown text from
  // the caret on, the hit selected; false when nothing follows.
  virtual bool findInViewer(const FindOptions& /*options*/) { return false; }
  // The list's find opened an article for a match in its stored text
  // (matched: those bytes): the viewer selects it once shown.
  virtual void selectInViewer(const FindOptions& /*options*/, std::string_view /*matched*/) {}
};

// What reading and decoding need from the program: the viewer the reader
// renders into (owned by the caller) and the batch's settings.
struct SessionContent {
  ArticleView& viewer;
  BatchSettings batch;
  MimeEnvironment mime;
  FileLauncher* launcher = nullptr;
};

class GroupSession final : private GroupViewObserver, private ViewFilterHost {
 public:
  // scoring: the program's score file and plonk list (none: no scoring).
  GroupSession(GroupViewServices services, std::shared_ptr<TProfile> profile, TGrpInfo& record,
               GroupViewOptions viewOptions, SessionOptions options,
               ScoringState* scoring = nullptr);
  // A session on a local folder.
  GroupSession(GroupViewServices services, FolderSource folder, GroupViewOptions viewOptions,
               SessionOptions options, ScoringState* scoring = nullptr);
  ~GroupSession() override;
  GroupSession(const GroupSession&) = delete;
  GroupSession& operator=(const GroupSession&) = delete;

  void SetListener(GroupSessionListener* listener);
  void Open(OpenMode mode = OpenMode::Download);
  // Gives the session its reader and batch (once the group's properties are
  // known, after Open).
  void AttachContent(SessionContent content);
  // Releases the slots, saves the store and hands the read state back.
  void Close();

  // The commands of the group view's action table that act on the group.
  // False when the command is not one of them (the window's own layout
  // commands) or did nothing.
  bool Execute(std::string_view action, const CommandContext& context = {});
  static bool Handles(std::string_view action);
  // Commands that need a newsgroup's server: disabled on a folder.
  static bool RefusedOnFolder(std::string_view action);

  // ---- Reading
  // Shows an article in the viewer; while the reader is busy the article is
  // shown when it is free again.
  void ShowArticle(TArticle* article);
  // The reading commands: false when no article was reached.
  bool GotoArticle(bool open, NavAction action, const CommandContext& context);
  // Where a reading command goes from a row (or an article not shown),
  // without moving or opening anything.
  NavResult Reach(NavAction action, TNode* start) const;
  // Selects the shown article's row (acvShowActive).
  void ShowActive();
  // Selects an article's row, opening its thread first when it is closed.
  void ScrollToArt(TArticle* article);
  // Back (negative) or forward through the articles shown.
  bool MoveInHistory(int steps);

  // ---- Scoring
  // acmRescore: every article scored anew, the threads rebuilt.
  void Rescore();
  // Why the article has its score; nothing without scoring.
  std::optional<ScoreExplanation> ExplainScore(const TArticle& article);
  GroupScoring* Scoring() { return scoring_.get(); }

  // ---- Filters and searches
  // A view filter mode (filter dialog, quick filter box, score views...);
  // false when nothing changed.
  bool ApplyFilter(std::int32_t mode);
  ViewFilter& Filter() { return *filter_; }
  // acaXPAT with the dialog's form; the hits are scored and, once fetched,
  // shown as the server search's list.
  bool RunXpat(const XpatForm& form, XpatMemory& memory);
  // acaFind / acaFindAgain in the list: the next hit after the focused row
  // is selected and opened; false (and a beep) when there is none. From the
  // viewer: the next hit in its text.
  bool FindNext(const CommandContext& context);
  GroupFind& Finder() { return find_; }

  // ---- The list
  // acaMarkExecute over the context's focus and selection.
  void Mark(MarkOp op, const CommandContext& context);
  // Toggles the focused row (a thread: all its articles) in the batch queue
  // and moves to the next row; " %d tagged".
  void Tag(const CommandContext& context);
  void SetExpanded(TAThread& thread, bool expanded);
  void SetAutoCollapse(bool on) { options_.autoCollapse = on; }
  // acvThreaded: threads, or a flat sorted list, over the view list as the
  // filters left it; false when the switch already stood so.
  bool SetThreaded(bool on);
  bool Threaded() const { return view_->Threaded(); }
  bool AutoCollapse() const { return options_.autoCollapse; }
  // The articles of the selected rows (a thread row: its articles), each
  // once, in row order; the shown article when nothing is selected.
  std::vector<TArticle*> SelectedArticles(const CommandContext& context) const;
  // The row of a node now, or -1.
  std::int32_t RowOf(const TNode* node) const;

  // ---- Folders
  // Transfers (copy: copies) into the folder the queued articles, else the
  // selected ones, in a batch; from the viewer, the article shown with its
  // text. False (said) when refused, or when nothing started.
  bool TransferTo(std::unique_ptr<TransferTarget> target, bool copy, const CommandContext& context);
  // The same over given articles (for scripts).
  bool TransferArticles(std::unique_ptr<TransferTarget> target, bool copy,
                        std::vector<TArticle*> articles);
  // The view's articles as a transfer's source.
  TransferSource TransferFrom() const;

  TGroupView& View() { return *view_; }
  const TGroupView& View() const { return *view_; }
  GroupReader* Reader() { return reader_.get(); }
  GroupBatch* Batch() { return batch_.get(); }
  const THistory& History() const { return history_; }
  TArticle* Current() const { return current_; }

 private:
  // The pieces every session has, around its view.
  void init(ScoringState* scoring);
  // GroupViewObserver: the view's calls, passed on to the listener.
  void rowsChanged() override;
  void rowChanged(const TNode& row) override { listener_->rowChanged(row); }
  void allRowsChanged() override { listener_->allRowsChanged(); }
  void rowsAboutToBeInserted(std::int32_t first, std::int32_t count) override {
    listener_->rowsAboutToBeInserted(first, count);
  }
  void rowsInserted() override { listener_->rowsInserted(); }
  void rowsAboutToBeRemoved(std::int32_t first, std::int32_t count) override {
    listener_->rowsAboutToBeRemoved(first, count);
  }
  void rowsRemoved() override { listener_->rowsRemoved(); }
  void articlesFreed(const std::vector<TArticle*>& sorted) override;
  void captionChanged(std::string_view caption) override { listener_->captionChanged(caption); }
  void progressText(std::string_view text) override { listener_->progressText(text); }
  void progressPosition(std::int64_t position, std::int64_t maximum) override {
    listener_->progressPosition(position, maximum);
  }
  void transferText(std::string_view text) override { listener_->transferText(text); }
  void serverInfo(std::string_view greeting) override { listener_->serverInfo(greeting); }
  void stopEnabled(bool enabled) override { listener_->stopEnabled(enabled); }
  void menusChanged() override { listener_->menusChanged(); }
  void subjectCaptionChanged(std::string_view caption) override {
    listener_->subjectCaptionChanged(caption);
  }
  void downloadEnded() override;
  void replyToMeArrived() override { listener_->replyToMeArrived(); }
  void closeRequested() override { listener_->closeRequested(); }
  void connectionFailed(int code, std::string_view text) override {
    listener_->connectionFailed(code, text);
  }

  // ViewFilterHost
  void ThreadViewList(bool unthreaded) override { view_->ThreadViewList(unthreaded); }
  DateTime Today() const override;
  TArticle* CurrentArticle() const override { return current_; }

  TNode* rowAt(std::int32_t row) const;
  NavQuery query(const TNode* start) const;
  NavResult find(NavQuery query, NavAction action) const;
  // Every row of the context's selection, thread rows before their articles.
  std::vector<TNode*> selectedRows(const CommandContext& context) const;
  void checkAutoCollapse(TArticle* reached);
  void selectRow(std::int32_t row) { listener_->selectRow(row); }
  bool expandFocused(const CommandContext& context, bool expand);
  // Redraws the rows of marked articles (and with them their threads').
  void redraw(const std::vector<TArticle*>& changed);
  void showPending();
  void articleShown(TArticle* article);
  bool startBatch(BatchOperation operation, const CommandContext& context);
  bool findMissingParts(const CommandContext& context, bool extended);
  bool reconstructThread();
  bool goToParent(const CommandContext& context);
  bool queueNonExistingFiles(const CommandContext& context);
  bool editSubject(const CommandContext& context);
  bool plonkAuthor(const CommandContext& context);
  // The article a command on one article means: the shown one from the
  // viewer, else the focused row's.
  TArticle* commandArticle(const CommandContext& context) const;
  void searchEnded(std::size_t found);

  Prompter& prompter_;
  Clock& clock_;
  std::unique_ptr<TGroupView> view_;
  SessionOptions options_;
  GroupSessionListener nullListener_;
  GroupSessionListener* listener_ = &nullListener_;
  std::optional<SessionContent> content_;
  std::unique_ptr<GroupReader> reader_;
  std::unique_ptr<GroupBatch> batch_;
  std::unique_ptr<ServerSearch> search_;
  std::unique_ptr<GroupScoring> scoring_;
  std::unique_ptr<ViewFilter> filter_;
  std::unique_ptr<QuickFilterArrivals> quickArrivals_;
  std::unique_ptr<XpatSearch> xpat_;
  GroupFind find_;
  enum class SearchKind { Other, Reconstruction, Xpat } searchKind_ = SearchKind::Other;
  std::unique_ptr<Timer> pendingTimer_;
  THistory history_;
  TArticle* current_ = nullptr;
  TArticle* pending_ = nullptr;         // chosen while the reader was busy
  TAThread* lastExpanded_ = nullptr;    // the thread the reading commands opened last
  TArticle* anchor_ = nullptr;          // the reconstruction's article
  bool busy_ = false;                   // the list is being rebuilt
};

}  // namespace orvel
