#include "content/group_session.h"

#include <algorithm>

#include "articles/article_date.h"
#include "articles/list_edits.h"
#include "articles/parent_lookup.h"
#include "articles/part_search.h"
#include "articles/server_search.h"
#include "content/article_view.h"
#include "content/group_batch.h"
#include "content/group_reader.h"
#include "content/missing_files.h"
#include "scoring/plonk_command.h"
#include "scoring/scoring_state.h"

namespace orvel {

namespace {

constexpr std::string_view kEditSubjectCaption = "Editer      ";
constexpr std::string_view kEditSubjectPrompt = "Nouveau Sujet    ";

// The commands the session runs besides the reading commands and the
// single marks, which have tables of their own.
constexpr std::string_view kListCommands[] = {
    "acaMarkAllRead",   "acaMarkAllUnread",      "acaMarkAllDelete",    "acaMarkAllUndelete",
    "acaCatchUp",       "acaCatchUpNoKeep",      "acaCatchUpKillXPost", "acaCatchUpPurge",
    "acaForward",       "acaBack",               "acaDiscardAll",       "acaDeleteDups",
    "acaEditSubject",   "acaFindMissingParts",   "acaFindMissingPartsEx",
    "acaReConsThread",  "acaParent",             "acaQueueNonExistingFiles",
    "acaRefresh",       "acaRefreshEx",          "acaCompact",          "acaSaveHdr",
    "acaDecode",        "acaSaveAs",             "acaFetch",            "acvExpand",
    "acvCollapse",      "acvExpandAll",          "acvCollapseAll",      "acvAllExpanded",
    "acvShowActive",    "acaKill",               "acaFindAgain",        "acaPurge",
    "acaThread",
};

// The view filter modes of the group view's commands; the score views
// first take their threshold.
struct FilterCommand {
  std::string_view name;
  std::int32_t mode;
  std::int32_t threshold = 0;
};
constexpr FilterCommand kFilterCommands[] = {
    {"acvRemoveFilter", kFilterAll},
    {"acvHideNonBinaries", kFilterHideNonBinaries},
    {"acvHideIncompletes", kFilterHideIncomplete},
    {"acvShowMultiparts", kFilterMultipart},
    {"acvShowCompleteMultiparts", kFilterCompleteMultipart},
    {"acvShowGe9999Score", kFilterScore, kScoreViewThresholds[0]},
    {"acvShowGt0Score", kFilterScore, kScoreViewThresholds[1]},
    {"acvShowGe0Score", kFilterScore, kScoreViewThresholds[2]},
    {"acvShowGt_9999Score", kFilterScore, kScoreViewThresholds[3]},
    {"acvShowNew", kFilterNew},
    {"acvShowQ", kFilterQueued},
    {"acvShowUnread", kFilterUnread},
    {"acvInvertFilter", kFilterInvert},
    {"acvShowCached", kFilterStored},
    {"acvUndoFilter", kFilterUndo},
    {"acvRevealThread", kFilterRebuildThread},
    {"acvShowThNew", kFilterThreadsNew},
    {"acvShowThGt0Score", kFilterThreadsScored},
    {"acvShowThUnread", kFilterThreadsUnread},
    {"acvShowThQ", kFilterThreadsQueued},
};

const FilterCommand* filterCommand(std::string_view action) {
  for (const FilterCommand& c : kFilterCommands) {
    if (c.name == action) return &c;
  }
  return nullptr;
}

std::optional<BatchOperation> batchOperation(std::string_view action) {
  if (action == "acaDecode") return BatchOperation::Decode;
  if (action == "acaSaveAs") return BatchOperation::Save;
  if (action == "acaFetch") return BatchOperation::Store;
  return std::nullopt;
}

}  // namespace

SessionOptions SessionOptions::FromSettings(const Settings& s) {
  SessionOptions o;
  o.switchViewAtThreadEnd = s.switchViewAtThreadEnd;
  o.expandWhenTag = s.expandWhenTag;
  o.openNextGroup = s.openNextGroup;
  o.autoCollapse = s.autoCollapse;
  return o;
}

GroupSession::GroupSession(GroupViewServices services, std::shared_ptr<TProfile> profile,
                           TGrpInfo& record, GroupViewOptions viewOptions, SessionOptions options,
                           ScoringState* scoring)
    : prompter_(services.prompter), clock_(services.clock), options_(options) {
  view_ = std::make_unique<TGroupView>(std::move(services), std::move(profile), record,
                                       std::move(viewOptions));
  init(scoring);
}

void GroupSession::init(ScoringState* scoring) {
  view_->SetObserver(this);
  if (scoring) scoring_ = std::make_unique<GroupScoring>(*scoring, *view_);
  filter_ = std::make_unique<ViewFilter>(view_->View().lists, static_cast<ViewFilterHost&>(*this));
  filter_->SetKeptScore(view_->View().options.score.KeptScore);
  filter_->Quick().SetFolderView(view_->IsFolder());
  quickArrivals_ = std::make_unique<QuickFilterArrivals>(filter_->Quick(), view_->View().lists);
  view_->View().quickFilter = quickArrivals_.get();
  search_ = std::make_unique<ServerSearch>(*view_, prompter_);
  search_->SetFinished([this](std::size_t found) { searchEnded(found); });
  xpat_ = std::make_unique<XpatSearch>(*view_, *search_);
  pendingTimer_ = clock_.createTimer([this] { showPending(); });
}

GroupSession::GroupSession(GroupViewServices services, FolderSource folder,
                           GroupViewOptions viewOptions, SessionOptions options,
                           ScoringState* scoring)
    : prompter_(services.prompter), clock_(services.clock), options_(options) {
  view_ = std::make_unique<TGroupView>(std::move(services), std::move(folder),
                                       std::move(viewOptions));
  init(scoring);
}

GroupSession::~GroupSession() {
  Close();
  // The reader, the batch and the searches look at the view: they go first.
  reader_.reset();
  batch_.reset();
  xpat_.reset();
  search_.reset();
  view_->SetObserver(nullptr);
}

void GroupSession::Open(OpenMode mode) {
  // The stored headers are scored as they load: the hooks come first.
  if (scoring_) scoring_->Attach();
  view_->Open(mode);
}

void GroupSession::SetListener(GroupSessionListener* listener) {
  listener_ = listener ? listener : &nullListener_;
}

void GroupSession::AttachContent(SessionContent content) {
  reader_ = std::make_unique<GroupReader>(*view_, content.viewer, prompter_);
  reader_->SetShownListener([this](TArticle* a) { articleShown(a); });
  // The reader's slot is free again only once its request has left: the
  // article chosen meanwhile is asked for from the event loop.
  reader_->SetIdleListener([this] {
    if (pending_) pendingTimer_->start(std::chrono::milliseconds(0), TimerMode::SingleShot);
  });
  batch_ = std::make_unique<GroupBatch>(*view_, std::move(content.batch), prompter_, clock_,
                                        content.mime, content.launcher);
}

void GroupSession::Close() {
  if (view_ && !view_->Closed()) view_->Close();
}

bool GroupSession::Handles(std::string_view action) {
  return NavActionByName(action) || MarkOpByName(action) || filterCommand(action) ||
         std::find(std::begin(kListCommands), std::end(kListCommands), action) !=
             std::end(kListCommands);
}

// ---------------------------------------------------------------- commands

bool GroupSession::RefusedOnFolder(std::string_view action) {
  // What needs the group's own server and its numbers.
  static constexpr std::string_view kServerOnly[] = {
      "acaCatchUp",          "acaCatchUpNoKeep",      "acaCatchUpKillXPost", "acaCatchUpPurge",
      "acaRefreshEx",        "acaFindMissingParts",   "acaFindMissingPartsEx",
      "acaReConsThread",     "acaQueueNonExistingFiles"};
  return std::find(std::begin(kServerOnly), std::end(kServerOnly), action) != std::end(kServerOnly);
}

bool GroupSession::Execute(std::string_view action, const CommandContext& context) {
  if (view_->Closed()) return false;
  if (view_->IsFolder() && RefusedOnFolder(action)) return false;
  if (const auto nav = NavActionByName(action)) return GotoArticle(true, *nav, context);
  if (const auto op = MarkOpByName(action)) {
    Mark(*op, context);
    return true;
  }
  if (const auto op = MarkAllOpByName(action)) {
    MarkAll(*view_, *op);
    listener_->allRowsChanged();
    return true;
  }
  if (const auto kind = CatchUpKindByName(action)) {
    CatchUp(*view_, *kind);
    listener_->allRowsChanged();
    return true;
  }
  if (const auto operation = batchOperation(action)) return startBatch(*operation, context);
  if (const FilterCommand* c = filterCommand(action)) {
    if (c->mode == kFilterScore) filter_->SetScoreThreshold(c->threshold);
    return ApplyFilter(c->mode);
  }
  if (action == "acaFindAgain") return FindNext(context);
  if (action == "acaPurge") return view_->PurgeFolder();
  if (action == "acaBack") return MoveInHistory(-1);
  if (action == "acaForward") return MoveInHistory(+1);
  if (action == "acaDiscardAll") return DiscardAll(*view_) > 0;
  if (action == "acaDeleteDups") return DeleteDuplicates(*view_) > 0;
  if (action == "acaEditSubject") return editSubject(context);
  if (action == "acaKill") return plonkAuthor(context);
  if (action == "acaFindMissingParts") return findMissingParts(context, false);
  if (action == "acaFindMissingPartsEx") return findMissingParts(context, true);
  if (action == "acaReConsThread") return reconstructThread();
  if (action == "acaThread") {
    // Threads the articles again, switching threading on when it was off.
    if (!SetThreaded(true)) filter_->Apply(filter_->Mode(), false);
    return true;
  }
  if (action == "acaParent") return goToParent(context);
  if (action == "acaQueueNonExistingFiles") return queueNonExistingFiles(context);
  if (action == "acaRefresh") {
    view_->Refresh(RefreshKind::Normal);
    return true;
  }
  if (action == "acaRefreshEx") {
    view_->Refresh(RefreshKind::Extended);
    return true;
  }
  if (action == "acaCompact") return view_->CompactStore("Compactage...");
  if (action == "acaSaveHdr") {
    TMailbox* store = view_->Mailbox();
    if (!store) return false;
    store->Modified = true;
    return store->SaveHeaders(view_->MasterList(), false);
  }
  if (action == "acvExpand" || action == "acvCollapse") {
    return expandFocused(context, action == "acvExpand");
  }
  if (action == "acvExpandAll" || action == "acvCollapseAll") {
    lastExpanded_ = nullptr;
    view_->SetAllExpanded(action == "acvExpandAll");
    return true;
  }
  if (action == "acvAllExpanded") {
    lastExpanded_ = nullptr;
    view_->SetAllExpanded(!view_->Props().expandAllThreads);
    return true;
  }
  if (action == "acvShowActive") {
    ShowActive();
    return current_ != nullptr;
  }
  return false;
}

// ---------------------------------------------------------------- rows

TNode* GroupSession::rowAt(std::int32_t row) const {
  const auto& rows = view_->Rows();
  return row >= 0 && row < static_cast<std::int32_t>(rows.size())
             ? rows[static_cast<std::size_t>(row)]
             : nullptr;
}

std::int32_t GroupSession::RowOf(const TNode* node) const {
  if (!node) return -1;
  return rowAt(node->SourceIndex) == node ? node->SourceIndex : -1;
}

std::vector<TNode*> GroupSession::selectedRows(const CommandContext& context) const {
  std::vector<RowSpan> spans = context.selection;
  std::sort(spans.begin(), spans.end(),
            [](const RowSpan& a, const RowSpan& b) { return a.first < b.first; });
  std::vector<TNode*> rows;
  std::int32_t next = 0;  // rows before it are taken already (overlapping spans)
  for (const RowSpan& span : spans) {
    for (std::int32_t r = std::max(span.first, next); r <= span.last; ++r) {
      TNode* node = rowAt(r);
      if (!node) break;
      rows.push_back(node);
    }
    next = std::max(next, span.last + 1);
  }
  if (rows.empty()) {
    if (TNode* focused = rowAt(context.focusedRow)) rows.push_back(focused);
  }
  return rows;
}

std::vector<TArticle*> GroupSession::SelectedArticles(const CommandContext& context) const {
  std::vector<TArticle*> out;
  // A thread's article rows follow its own row: once the thread row is
  // taken, its article rows are not taken again.
  const TAThread* taken = nullptr;
  for (TNode* node : selectedRows(context)) {
    if (TAThread* t = node->AsThread()) {
      out.insert(out.end(), t->Articles.begin(), t->Articles.end());
      taken = t;
    } else if (TArticle* a = node->AsArticle(); a->Thread != taken || !taken) {
      out.push_back(a);
    }
  }
  if (out.empty() && current_) out.push_back(current_);
  return out;
}

void GroupSession::SetExpanded(TAThread& thread, bool expanded) {
  if (lastExpanded_ == &thread && !expanded) lastExpanded_ = nullptr;
  view_->SetExpanded(thread, expanded);
}

bool GroupSession::expandFocused(const CommandContext& context, bool expand) {
  TNode* node = rowAt(context.focusedRow);
  if (!node) return false;
  TAThread* thread = node->IsThread() ? node->AsThread() : node->AsArticle()->Thread;
  if (!thread) return false;
  SetExpanded(*thread, expand);
  selectRow(RowOf(thread->Expanded && !node->IsThread() ? node : thread));
  return true;
}

void GroupSession::ScrollToArt(TArticle* article) {
  if (!article) return;
  TAThread* thread = article->Thread;
  if (thread && !thread->Expanded && RowOf(thread) >= 0) {
    view_->SetExpanded(*thread, true);
    lastExpanded_ = thread;
  }
  selectRow(RowOf(article));
}

void GroupSession::ShowActive() {
  if (current_) ScrollToArt(current_);
}

void GroupSession::checkAutoCollapse(TArticle* reached) {
  if (!options_.autoCollapse || view_->Props().expandAllThreads || !lastExpanded_) return;
  if (reached && reached->Thread == lastExpanded_) return;
  TAThread* thread = std::exchange(lastExpanded_, nullptr);
  view_->SetExpanded(*thread, false);
  if (reached) ScrollToArt(reached);
}

// ---------------------------------------------------------------- reading

void GroupSession::ShowArticle(TArticle* article) {
  if (!article || !reader_) return;
  if (reader_->Busy()) {
    pending_ = article;
    return;
  }
  pending_ = nullptr;
  checkAutoCollapse(article);
  current_ = article;
  listener_->currentArticleChanged(article);
  reader_->ShowArticle(article);
}

void GroupSession::showPending() {
  if (pending_ && reader_ && !reader_->Busy()) ShowArticle(pending_);
}

void GroupSession::articleShown(TArticle* article) {
  history_.Visit(article);
  listener_->historyChanged();
}

bool GroupSession::MoveInHistory(int steps) {
  TArticle* article = history_.GoTo(steps);
  if (!article) return false;
  listener_->historyChanged();
  ScrollToArt(article);
  ShowArticle(article);
  return true;
}

NavQuery GroupSession::query(const TNode* start) const {
  NavQuery q{view_->Roots(), view_->Rows()};
  q.start = start;
  q.keptScore = view_->View().options.score.KeptScore;
  return q;
}

NavResult GroupSession::find(NavQuery q, NavAction action) const {
  std::vector<TArticle*> queue;
  if (action == NavAction::NextQueue && batch_) queue = batch_->Queue();
  q.queue = &queue;
  return FindTarget(q, action);
}

NavResult GroupSession::Reach(NavAction action, TNode* start) const {
  return start ? find(query(start), action) : NavResult{};
}

bool GroupSession::GotoArticle(bool open, NavAction action, const CommandContext& context) {
  if (busy_) return false;
  Pane focus = context.focus;
  if (open && focus == Pane::FilterBox) {
    focus = context.listShown ? Pane::List : Pane::Viewer;
    listener_->focusPane(focus);
  }
  TNode* start = nullptr;
  if (focus == Pane::Viewer && current_) {
    if (RowOf(current_) < 0) ShowActive();
    start = rowAt(RowOf(current_));
  }
  if (!start) start = rowAt(context.focusedRow);
  if (!start) return false;
  const NavQuery q = query(start);

  const TArticle* from = start->AsArticle();
  if (options_.switchViewAtThreadEnd && context.fullScreen && context.viewerShown &&
      (action == NavAction::Next || action == NavAction::NextUnread) && from && from->Thread &&
      AtThreadEnd(q)) {
    listener_->switchView();
    checkAutoCollapse(nullptr);
    return false;
  }

  const NavResult found = find(q, action);
  if (action == NavAction::ScanScore) {
    if (found.row) selectRow(RowOf(found.row));
    return found.row != nullptr;
  }
  TArticle* a = found.article;
  if (!open) {
    if (a && a->Thread && !a->Thread->Expanded) {
      selectRow(RowOf(a->Thread));
    } else if (a) {
      ScrollToArt(a);
    }
    return a != nullptr;
  }
  if (!a) {
    listener_->beep();
    if (focus == Pane::Viewer) listener_->switchView();
    if (options_.openNextGroup && action == NavAction::NextUnread) listener_->endOfGroup();
    return false;
  }
  if (focus == Pane::List && context.scrollLock) {
    ScrollToArt(a);
    if (a->Depth() == 0) checkAutoCollapse(a);
    return true;
  }
  ScrollToArt(a);
  if (focus == Pane::List) listener_->switchView();
  ShowArticle(a);
  return true;
}

// ---------------------------------------------------------------- marking

void GroupSession::Mark(MarkOp op, const CommandContext& context) {
  if (busy_) return;
  busy_ = true;
  bool moveOn = false;
  if (op == MarkOp::Discard) {
    Discard(*view_, SelectedArticles(context));
  } else if (context.focus == Pane::Viewer && current_) {
    const CurrentMark mark = MarkCurrent(*view_, *current_, op);
    moveOn = mark.moveToNextUnread;
    if (mark.wholeThread) {
      redraw(current_->Thread->Articles);
    } else {
      redraw({current_});
    }
  } else {
    redraw(MarkRows(*view_, op, selectedRows(context)));
  }
  busy_ = false;
  if (moveOn) GotoArticle(true, NavAction::NextUnread, context);
}

void GroupSession::redraw(const std::vector<TArticle*>& changed) {
  // Past a few screenfuls, one redraw of every row costs less than one a row.
  constexpr std::size_t kRowByRow = 256;
  if (changed.size() > kRowByRow) {
    listener_->allRowsChanged();
    return;
  }
  for (const TArticle* a : changed) listener_->rowChanged(*a);
}

void GroupSession::Tag(const CommandContext& context) {
  TNode* node = rowAt(context.focusedRow);
  if (!node || !batch_) return;
  std::int32_t next = context.focusedRow + 1;
  if (TAThread* t = node->AsThread()) {
    if (options_.expandWhenTag && !t->Expanded) SetExpanded(*t, true);
    const bool queueAll = std::any_of(t->Articles.begin(), t->Articles.end(),
                                      [](const TArticle* a) { return !a->IsQueued(); });
    for (TArticle* a : t->Articles) {
      if (a->IsQueued() != queueAll) batch_->Toggle(a);
    }
    // The next row after the thread's own rows.
    next = RowOf(t) + 1 + (t->Expanded ? static_cast<std::int32_t>(t->Articles.size()) : 0);
  } else {
    batch_->Toggle(node->AsArticle());
  }
  listener_->queueChanged();
  prompter_.status(" " + std::to_string(batch_->Queue().size()) + " tagged");
  if (rowAt(next)) selectRow(next);
}

bool GroupSession::startBatch(BatchOperation operation, const CommandContext& context) {
  if (!batch_) return false;
  const bool started = batch_->Start(operation, SelectedArticles(context));
  listener_->queueChanged();
  return started;
}

// ---------------------------------------------------------------- folders

TransferSource GroupSession::TransferFrom() const {
  if (view_->IsFolder()) return {view_->Folder().kind, {}, view_->Folder().name};
  return {kStoreNewsgroup, view_->Profile() ? view_->Profile()->alias : std::string(),
          view_->Record().name};
}

bool GroupSession::TransferTo(std::unique_ptr<TransferTarget> target, bool copy,
                              const CommandContext& context) {
  if (!batch_) return false;
  if (context.focus == Pane::Viewer && current_ && content_ && !content_->viewer.rawCopy().empty()) {
    return TransferArticles(std::move(target), copy, {current_});
  }
  return TransferArticles(std::move(target), copy,
                          batch_->Queue().empty() ? SelectedArticles(context) : batch_->Queue());
}

bool GroupSession::TransferArticles(std::unique_ptr<TransferTarget> target, bool copy,
                                    std::vector<TArticle*> articles) {
  if (!target || !batch_ || batch_->Running()) return false;
  const TransferSource source = TransferFrom();
  const bool queued = std::any_of(articles.begin(), articles.end(),
                                  [](const TArticle* a) { return a->IsQueued(); });
  if (const auto refusal = TransferRefusal(source, target->Kind(), queued)) {
    prompter_.message(*refusal, MessageKind::Warning);
    return false;
  }
  if (articles.empty()) return false;
  auto transfer = std::make_unique<FolderTransfer>(*view_, source, std::move(target), copy,
                                                   static_cast<int>(articles.size()));
  // The article shown goes with the text the viewer has.
  if (articles.size() == 1 && articles[0] == current_ && content_ &&
      !content_->viewer.rawCopy().empty()) {
    listener_->progressText(transfer->StartText());
    return transfer->Append(*current_, content_->viewer.rawCopy());
  }
  const bool started = batch_->StartTransfer(std::move(transfer), std::move(articles));
  listener_->queueChanged();
  return started;
}

bool GroupSession::SetThreaded(bool on) {
  if (view_->Threaded() == on) return false;
  view_->SetThreaded(on);
  filter_->Apply(filter_->Mode(), false);
  return true;
}

bool GroupSession::editSubject(const CommandContext& context) {
  TNode* node = rowAt(context.focusedRow);
  if (!node) return false;
  const auto text = prompter_.inputText(kEditSubjectCaption, kEditSubjectPrompt, node->Subject.view());
  return text && EditSubject(*view_, *node, *text);
}

// ---------------------------------------------------------------- scoring

TArticle* GroupSession::commandArticle(const CommandContext& context) const {
  if (context.focus == Pane::Viewer && current_) return current_;
  TNode* node = rowAt(context.focusedRow);
  if (node && node->AsArticle()) return node->AsArticle();
  return current_;
}

bool GroupSession::plonkAuthor(const CommandContext& context) {
  TArticle* a = commandArticle(context);
  if (!a || !scoring_) return false;
  return PlonkAuthor(scoring_->State().Plonker(), a->FromName(), a->FromAddress(),
                     TodayDayNumber(), prompter_) == PlonkOutcome::Added;
}

void GroupSession::Rescore() {
  if (!scoring_ || view_->Closed()) return;
  scoring_->Rescore();
}

std::optional<ScoreExplanation> GroupSession::ExplainScore(const TArticle& article) {
  if (!scoring_) return std::nullopt;
  return scoring_->Explain(article);
}

// ---------------------------------------------------------------- server searches

bool GroupSession::findMissingParts(const CommandContext& context, bool extended) {
  return StartMissingPartsSearch(*search_, selectedRows(context), extended, prompter_);
}

bool GroupSession::reconstructThread() {
  if (!current_ || search_->Running()) return false;
  anchor_ = current_;
  searchKind_ = SearchKind::Reconstruction;
  if (StartReconstruction(*search_, *current_)) return true;
  anchor_ = nullptr;
  return false;
}

bool GroupSession::RunXpat(const XpatForm& form, XpatMemory& memory) {
  if (search_->Running()) return false;
  searchKind_ = SearchKind::Xpat;
  return xpat_->Run(form, memory);
}

bool GroupSession::ApplyFilter(std::int32_t mode) {
  if (busy_) return false;
  busy_ = true;
  const bool changed = filter_->Apply(mode);
  busy_ = false;
  return changed;
}

DateTime GroupSession::Today() const { return LocalNow(); }

bool GroupSession::FindNext(const CommandContext& context) {
  if (!find_.Ready()) return false;
  if (context.focus == Pane::Viewer && context.viewerShown) {
    if (listener_->findInViewer(find_.Options())) return true;
    listener_->beep();
    return false;
  }
  std::string text;
  const GroupFind::BodyReader readBody = [this, &text](const TArticle& a) -> std::optional<std::string> {
    TMailbox* store = view_->Mailbox();
    if (!store || !store->ReadBody(a, text)) return std::nullopt;
    return text;
  };
  const auto hit = find_.Next(view_->Roots(), rowAt(context.focusedRow), readBody);
  if (!hit) {
    listener_->beep();
    return false;
  }
  ScrollToArt(hit->article);
  ShowArticle(hit->article);
  if (hit->length > 0 && hit->offset + hit->length <= text.size()) {
    listener_->selectInViewer(find_.Options(), std::string_view(text).substr(hit->offset, hit->length));
  }
  return true;
}

void GroupSession::searchEnded(std::size_t found) {
  const SearchKind kind = std::exchange(searchKind_, SearchKind::Other);
  TArticle* anchor = std::exchange(anchor_, nullptr);
  if (kind == SearchKind::Xpat && found > 0) {
    filter_->SetSearchScore(xpat_->Score());
    ApplyFilter(kFilterServerSearch);
  }
  if (found > 0 && anchor) ScrollToArt(anchor);
}

bool GroupSession::goToParent(const CommandContext& context) {
  TArticle* from = current_;
  if (context.focus == Pane::List) {
    if (TNode* node = rowAt(context.focusedRow); node && node->AsArticle()) from = node->AsArticle();
  }
  if (!from) return false;
  const ParentLookup parent = FindParent(*from, view_->MasterList());
  if (parent.record) {
    ScrollToArt(parent.record);
    ShowArticle(parent.record);
    return true;
  }
  if (!parent.messageId.empty() && reader_) return reader_->ShowByMessageId(parent.messageId);
  listener_->beep();
  return false;
}

bool GroupSession::queueNonExistingFiles(const CommandContext& context) {
  if (!batch_) return false;
  const std::vector<TArticle*> wanted =
      ArticlesOfMissingFiles(selectedRows(context), batch_->DecodeDir());
  for (TArticle* a : wanted) {
    if (!a->IsQueued()) batch_->Toggle(a);
  }
  listener_->queueChanged();
  prompter_.status(" " + std::to_string(batch_->Queue().size()) + " tagged");
  return !wanted.empty();
}

// ---------------------------------------------------------------- the view's calls

void GroupSession::rowsChanged() {
  // A threading pass makes new thread nodes.
  lastExpanded_ = nullptr;
  listener_->rowsChanged();
}

void GroupSession::articlesFreed(const std::vector<TArticle*>& sorted) {
  const auto gone = [&sorted](const TArticle* a) {
    return a && std::binary_search(sorted.begin(), sorted.end(), a);
  };
  history_.ForgetIf(gone);
  filter_->ArticlesFreed(sorted);
  if (reader_) reader_->ForgetArticles(sorted);
  if (gone(pending_)) pending_ = nullptr;
  if (gone(anchor_)) anchor_ = nullptr;
  if (gone(current_)) {
    current_ = nullptr;
    listener_->currentArticleChanged(nullptr);
  }
  listener_->historyChanged();
}

void GroupSession::downloadEnded() {
  // The view threads its list when a download ends; the quick filter's list
  // is shown flat.
  if (quickArrivals_->Shown()) view_->ThreadViewList(true);
  listener_->downloadEnded();
}

}  // namespace orvel
