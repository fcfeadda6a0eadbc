#include "articles/group_view.h"

#include <algorithm>
#include <filesystem>

#include "articles/marking.h"
#include "articles/progress_texts.h"
#include "articles/store_io.h"
#include "config/main_state.h"
#include "core/ranges.h"
#include "groups/group_list.h"
#include "net/nntp_data.h"

namespace orvel {

namespace {

constexpr std::chrono::seconds kCaptionDelay{60};

}  // namespace

GroupViewOptions GroupViewOptions::FromSettings(const Settings& settings) {
  GroupViewOptions o;
  o.xover.MaxXPostKill = settings.maxXPostKill;
  o.xover.ReplyNotify = settings.replyNotify;
  o.xover.TZ = settings.timeZoneOffset();
  o.xover.hardKill = settings.hardKill;
  o.xover.score.KeptScore = settings.keptScore;
  o.xover.score.ThreadScoreOpt = settings.threadScoreOpt;
  o.download.defragGapSize = settings.defragGapSize;
  o.download.gapBudget = settings.defragGapBudget();
  o.download.promptThreshold = settings.promptThreshold;
  o.connections.autoResume = settings.autoResume;
  o.connections.autoResumeDelaySec = settings.autoResumeDelay;
  o.scoreStoredHeaders = settings.scoreStoredHeaders;
  o.compactPercent = settings.compactPercent;
  o.ignoreReWhenSorting = settings.ignoreReWhenSorting;
  o.newSubjectNewThread = settings.newSubjectNewThread;
  return o;
}

TGroupView::TGroupView(GroupViewServices services, std::shared_ptr<TProfile> profile,
                       TGrpInfo* source, GroupViewOptions options)
    : services_(std::move(services)),
      profile_(std::move(profile)),
      source_(source),
      record_(source ? *source : TGrpInfo{}),
      options_(options),
      view_(arena_, lists_),
      slots_(services_.pool, services_.clock, services_.prompter, *this, nullObserver_,
             options.connections),
      download_(view_, *this, options.download),
      captionTimer_(services_.clock.createTimer([this] { observer_->captionChanged(Caption()); })) {
  record_.category = nullptr;
}

TGroupView::TGroupView(GroupViewServices services, std::shared_ptr<TProfile> profile,
                       TGrpInfo& record, GroupViewOptions options)
    : TGroupView(std::move(services), std::move(profile), &record, options) {}

TGroupView::TGroupView(GroupViewServices services, FolderSource folder, GroupViewOptions options)
    : TGroupView(std::move(services), std::make_shared<TProfile>(), nullptr, options) {
  record_.name = folder.name;
  folder_ = std::move(folder);
}

TGroupView::~TGroupView() {
  if (opened_ && !closed_) Close();
}

void TGroupView::SetObserver(GroupViewObserver* observer) {
  observer_ = observer ? observer : &nullObserver_;
  slots_.SetObserver(*observer_);
}

std::string TGroupView::Caption() const {
  if (folder_) return folder_->kind == kStoreQueue ? "/" + folder_->name + "/" : folder_->name;
  return ServerCaption(record_.name, profile_->alias);
}

std::string TGroupView::storePath() const {
  return StoreBodyPath(services_.baseDir, profile_->alias, record_.name);
}

StorageChoice TGroupView::storageChoice() const {
  switch (record_.storage) {
    case StorageMode::Nothing: return kStoreNothing;
    case StorageMode::Bodies: return kStoreHeadersAndBodies;
    default: return kStoreHeaders;
  }
}

ThreadOptions TGroupView::threadOptions() const {
  ThreadOptions t;
  t.threaded = threadedSwitch_;
  t.multiPartThreading = props_.multiPartThreading;
  t.expandAll = props_.expandAllThreads;
  t.newSubjectNewThread = options_.newSubjectNewThread;
  t.reconstructionRunning = view_.reconstructionAnchor;
  t.sort.column = props_.sortOn;
  t.sort.order = props_.sortOrder;
  t.sort.ignoreRe = options_.ignoreReWhenSorting;
  t.sort.score = options_.xover.score;
  if (folder_) {
    t.threaded = t.threaded && (folder_->kind == kStoreArchive || folder_->kind == kStoreQueue);
    t.sort.newsgroup = false;
  }
  return t;
}

// ---------------------------------------------------------------- life

void TGroupView::Open(OpenMode mode) {
  if (opened_) return;
  opened_ = true;
  if (folder_) {
    openFolder();
    return;
  }
  MainState& main = services_.main;
  ResolveGroupProps(main, record_.name, props_);
  ResolveIdentity(main, *profile_, record_.name, identity_);
  if (record_.storage == StorageMode::Default && props_.storageOpt >= 1 && props_.storageOpt <= 3) {
    record_.storage = static_cast<StorageMode>(props_.storageOpt);
  }

  view_.groupName = record_.name;
  view_.newsgroup = true;
  view_.options = options_.xover;
  view_.prompter = &services_.prompter;
  view_.idTokens.clear();
  view_.idTokens.push_back(identity_.IDToken);
  for (const TID& id : main.identities) view_.idTokens.push_back(id.IDToken);

  std::error_code ec;
  std::filesystem::create_directories(std::filesystem::path(storePath()).parent_path(), ec);
  store_ = std::make_unique<TCacheBox>(storePath(), &storeNumbers_);
  store_->CompactPercent = options_.compactPercent;
  store_->TZ = options_.xover.TZ;
  store_->clock = &services_.clock;
  store_->prompter = &services_.prompter;
  view_.storeModified = &store_->Modified;

  slots_.SetView(profile_, record_.name, &main);
  observer_->captionChanged(Caption());
  if (services_.groupList) services_.groupList->RegisterView(*this);

  if (mode == OpenMode::StoredOnly) {
    download_.SetMode(DownloadMode::Stop);
    if (!store_->NoHeaderFile()) {
      loadStore();
      if (download_.NumbersKnown()) download_.SetFirstDownloadDone();
    }
    applyStoreChoice(!store_->NoHeaderFile());
    return;
  }
  startDownload(Purpose::Headers);
}

bool TGroupView::startDownload(Purpose purpose) {
  if (slots_.Serving(Purpose::Headers) || slots_.Serving(Purpose::ResumeHeaders)) {
    services_.prompter.message(kNoFreeConnection, MessageKind::Warning);
    return false;
  }
  slots_.DropPending(Purpose::Headers);
  slots_.DropPending(Purpose::ResumeHeaders);
  RequestRoutine routine;
  if (purpose == Purpose::ResumeHeaders) {
    routine = [this](TNNTP& c) { download_.ResumeBegin(c); };
  } else {
    routine = [this](TNNTP& c) { download_.XOverBegin(c); };
  }
  return slots_.GetFreeSocket(purpose, nullptr, std::move(routine));
}

void TGroupView::Refresh(RefreshKind kind) {
  if (!opened_ || closed_) return;
  if (folder_) {
    refreshFolder();
    return;
  }
  if (kind == RefreshKind::ServerSearch) {
    fetchSearchList();
    return;
  }
  if (kind == RefreshKind::Extended || download_.EndLimit() >= 0) {
    download_.SetMode(DownloadMode::DialogAsked);
  } else {
    download_.SetMode(DownloadMode::Normal);
    download_.SetLimits(download_.Limit(), -1);
  }
  const XoverDialogPrefs& prefs = services_.dialogPrefs ? *services_.dialogPrefs : defaultPrefs_;
  if (download_.Mode() == DownloadMode::Normal && download_.Limit() > 0 && prefs.autoFree) {
    bool yesToAll = services_.freeHeadersYesToAll && *services_.freeHeadersYesToAll;
    bool discard = yesToAll;
    if (!yesToAll) {
      switch (services_.prompter.ask("Confirmez la suppression des En-têtes obsolètes...          ",
                                     kYesNoYesToAllCancel)) {
        case Button::Yes: discard = true; break;
        case Button::YesToAll:
          discard = true;
          if (services_.freeHeadersYesToAll) *services_.freeHeadersYesToAll = true;
          break;
        case Button::No: break;
        default: return;
      }
    }
    if (discard) DiscardAll(*this);
  }
  view_.added = 0;
  if (view_.headerFilter &&
      services_.prompter.ask("Vous avez un filtre Xover en place. Le conserver ?        ",
                             kYesNo) == Button::No) {
    view_.headerFilter = nullptr;
  }
  startDownload(Purpose::Headers);
}

void TGroupView::fetchSearchList() {
  searchFetch_ = true;
  // A running download keeps its mode; startDownload tells the person.
  const bool busy = slots_.Serving(Purpose::Headers) || slots_.Serving(Purpose::ResumeHeaders);
  if (!busy) {
    download_.SetMode(DownloadMode::SearchList);
    view_.searchMode = true;
    view_.added = 0;
  }
  startDownload(Purpose::Headers);
  if (busy || !slots_.Serving(Purpose::Headers)) endSearchFetch();
}

void TGroupView::endSearchFetch() {
  if (!std::exchange(searchFetch_, false)) return;
  view_.searchMode = false;
  view_.reconstructionAnchor = false;
  if (searchHandler_) searchHandler_->SearchFetched();
}

void TGroupView::Close() {
  if (closed_) return;
  closed_ = true;
  captionTimer_->stop();
  slots_.ReleaseAll();
  if (folder_) {
    closeFolder();
    return;
  }
  if (store_) {
    if (!store_->NoHeaderFile()) services_.prompter.status("Sauvegarde.......");
    if (store_->SaveHeaders(lists_.masterList, true)) keepThreadLayout();
  }
  HandBackReadState();
  if (services_.groupList) services_.groupList->UnregisterView(*this);
  store_.reset();
}

bool TGroupView::AskClose() {
  Close();
  return true;
}

void TGroupView::HandBackReadState() {
  if (!download_.NumbersKnown()) return;
  const std::int32_t low = view_.lowMark;
  const std::int32_t high = download_.High();
  const TGrpInfo& current = recordMarks();
  GroupReadState state;
  state.read.text = MergeChangedMarks(current.read.text, low, takenRead_, view_.readSet);
  state.toFetch = MergeChangedMarks(current.toFetch, low, takenKept_, view_.keptSet);
  takenRead_ = view_.readSet;
  takenKept_ = view_.keptSet;
  state.storage = record_.storage;
  state.first = download_.ServerLow();
  state.last = high;
  state.total = download_.Count();
  // Counted from the read marks as the group list counts them, so marks
  // set while reading show in the list's unread column.
  state.unread = high >= low ? std::min(CountUnread(state.read.text, *state.first, high),
                                        download_.Count())
                             : std::min(download_.Unread(), download_.Count());
  record_.read = state.read;
  record_.toFetch = state.toFetch;
  record_.first = *state.first;
  record_.last = *state.last;
  record_.total = *state.total;
  record_.unread = *state.unread;
  if (services_.groupList && source_) services_.groupList->UpdateReadState(*source_, state);
}

const TGrpInfo& TGroupView::recordMarks() const {
  if (services_.groupList) {
    if (const TGrpInfo* current = services_.groupList->FindGroup(record_.name)) return *current;
  }
  return record_;
}

// ---------------------------------------------------------------- lists

void TGroupView::ThreadViewList(bool unthreaded) { thread(unthreaded); }

void TGroupView::thread(bool unthreaded, bool fromStore) {
  ThreadOptions options = threadOptions();
  options.threaded = options.threaded && !unthreaded;
  const bool whole = options.threaded && !lists_.viewList;
  wholePass_.reset();
  if (!fromStore || !ThreadFromLayout(threadLayoutFiles(), lists_, options, stats_, &services_.prompter)) {
    // The pass rebuilds the rows at its end: their old list need not live
    // through the pass's tables.
    std::vector<TNode*>().swap(lists_.rowList);
    arena_.Strings().ReleaseCaches();
    ThreadArticles(lists_, options, stats_, &services_.prompter);
  }
  if (whole) wholePass_ = options;
  wholePassArticles_ = lists_.masterList.size();
  threaded_ = true;
  observer_->rowsChanged();
}

ThreadLayoutFiles TGroupView::threadLayoutFiles() const {
  return {store_->ThreadLayoutPath(), store_->HeaderPath()};
}

void TGroupView::keepThreadLayout() {
  const ThreadLayoutFiles files = threadLayoutFiles();
  const bool wanted = !store_->NoHeaderFile() && lists_.masterList.size() >= options_.threadLayoutMinimum;
  if (wanted && ThreadLayoutCurrent(files)) return;
  // A layout that does not match the store would only be read to be refused.
  const bool threadedWhole = wholePass_ && wholePassArticles_ == lists_.masterList.size();
  if (!wanted || !threadedWhole || !SaveThreadLayout(files, lists_, *wholePass_)) {
    store_io::RemoveFile(files.layout);
  }
}

void TGroupView::recountArticles() {
  view_.articles = static_cast<std::int64_t>(lists_.masterList.size());
  view_.unread = std::count_if(lists_.masterList.begin(), lists_.masterList.end(),
                               [](const TArticle* a) { return !a->Has(NodeFlag::Read); });
}

void TGroupView::takeRecordReadState() {
  const std::int32_t size = view_.presentSet.size();
  for (BitSet* set : {&view_.readSet, &view_.keptSet, &takenRead_, &takenKept_}) {
    *set = BitSet(size);
  }
  takeMarks(view_.lowMark, std::max(download_.High(), view_.lowMark - 1));
}

void TGroupView::takeMarks(std::int32_t from, std::int32_t to) {
  if (to < from) return;
  const TGrpInfo& marks = recordMarks();
  const std::int32_t low = view_.lowMark;
  auto take = [&](std::string_view text, BitSet& set, BitSet& taken) {
    for (const NumberRange& r : ParseRanges(text)) {
      if (r.last < from || r.first > to) continue;
      const std::int32_t a = std::max(r.first, from) - low;
      const std::int32_t b = std::min(r.last, to) - low;
      set.setRange(a, b);
      taken.setRange(a, b);
    }
  };
  take(marks.read.text, view_.readSet, takenRead_);
  take(marks.toFetch, view_.keptSet, takenKept_);
  // An article to fetch counts as unread and is never left out.
  for (std::int32_t i = view_.keptSet.findSet(from - low); i >= 0 && i <= to - low;
       i = view_.keptSet.findSet(i + 1)) {
    view_.readSet.reset(i);
    view_.excludedSet.reset(i);
  }
}

void TGroupView::NumbersWidened(std::int32_t oldLow, std::int32_t oldHigh) {
  const std::int32_t low = view_.lowMark;
  const std::int32_t high = download_.High();
  for (BitSet* taken : {&takenRead_, &takenKept_}) {
    taken->prependClear(oldLow - low);
    taken->resize(view_.readSet.size());
  }
  takeMarks(low, std::min(oldLow - 1, high));
  takeMarks(std::max(oldHigh + 1, low), high);
}

void TGroupView::loadStore() {
  services_.prompter.status(kLoadingText);
  const bool rescore = options_.scoreStoredHeaders && view_.options.scoring;
  store_->LoadHeaders(view_, rescore);
  if (!download_.NumbersKnown() && storeNumbers_.known) {
    // Opened without the server: the stored marks stand for the group's.
    download_.TakeGroupNumbers(storeNumbers_.low, storeNumbers_.high,
                               static_cast<std::int64_t>(lists_.masterList.size()));
  }
  // The group record holds the read state; the store's flags only echo it.
  takeRecordReadState();
  for (TArticle* a : lists_.masterList) {
    const std::int32_t bit = a->Number - view_.lowMark;
    a->SetRead(view_.readSet.test(bit));
    a->Set(NodeFlag::Kept, view_.keptSet.test(bit));
  }
  recountArticles();
  if (!lists_.masterList.empty()) thread(false, true);
}

void TGroupView::Rethread() {
  lists_.viewList = nullptr;
  recountArticles();
  thread();
}

bool TGroupView::ShowStatistics() {
  XoverDialogPrefs& prefs = services_.dialogPrefs ? *services_.dialogPrefs : defaultPrefs_;
  TfmXOVER form(view_, download_, prefs, kStatisticsForm);
  form.SetStatistics(stats_, stats_);
  const bool ok = services_.dialogs && services_.dialogs->ShowXoverForm(form);
  if (form.ReadMarksCleared()) ReadMarksChanged();
  return ok;
}

void TGroupView::ShowBatchProgress(std::int64_t bytesDone, std::int64_t bytesLeft,
                                   std::int64_t elapsedMs) {
  observer_->captionChanged(
      BatchCaption(profile_->alias, record_.name, bytesDone, bytesLeft, elapsedMs));
  captionTimer_->start(kCaptionDelay, TimerMode::SingleShot);
}

// ---------------------------------------------------------------- requests

void TGroupView::SetRequestHandler(Purpose purpose, RequestHandler* handler) {
  switch (purpose) {
    case Purpose::Article:
    case Purpose::ArticleById:
    case Purpose::Head: articleHandler_ = handler; break;
    case Purpose::Search: searchHandler_ = handler; break;
    case Purpose::Cancel: cancelHandler_ = handler; break;
    default: throw std::logic_error("no request handler for this purpose");
  }
}

void TGroupView::SetBatchHandler(BatchRequestHandler* handler) { batch_ = handler; }

RequestHandler* TGroupView::handlerFor(Purpose purpose) const {
  switch (purpose) {
    case Purpose::Article:
    case Purpose::ArticleById:
    case Purpose::Head: return articleHandler_;
    case Purpose::Search: return searchHandler_;
    case Purpose::Cancel: return cancelHandler_;
    case Purpose::Batch: return batch_;
    default: return nullptr;
  }
}

bool TGroupView::Request(Purpose purpose, TArticle* article, RequestRoutine routine) {
  if (IsHeaderPurpose(purpose)) return startDownload(purpose);
  const bool forArticle = purpose == Purpose::Article && article;
  if (IsArticlePurpose(purpose)) {
    fetching_ = true;
    if (forArticle) {
      article->Set(NodeFlag::Fetching);
      observer_->rowChanged(*article);
    }
  }
  const bool ran = slots_.GetFreeSocket(purpose, article, std::move(routine));
  if (forArticle && !fetching_ && !slots_.Serving(purpose)) {
    // Refused: the row must not stay drawn as busy.
    article->Set(NodeFlag::Fetching, false);
    observer_->rowChanged(*article);
  }
  return ran;
}

void TGroupView::RequestDataBegin(TNNTP& connection, const SlotRequest& request) {
  if (RequestHandler* h = handlerFor(request.purpose)) h->DataBegin(connection, request);
}

void TGroupView::RequestData(TNNTP& connection, const SlotRequest& request) {
  if (IsHeaderPurpose(request.purpose)) {
    // The block is read in the field order of the connection it came from.
    view_.overviewFormat = connection.overviewFormat();
    download_.Data(connection);
    return;
  }
  if (RequestHandler* h = handlerFor(request.purpose)) {
    h->Data(connection, request);
    return;
  }
  // Nobody reads this reply: let it pass and free the slot.
  if (connection.dataEnded()) {
    slots_.ReleaseSocket(connection, {});
  }
}

void TGroupView::RequestBeginPost(TNNTP& connection, const SlotRequest& request) {
  if (RequestHandler* h = handlerFor(request.purpose)) h->BeginPost(connection, request);
}

void TGroupView::RequestEndPost(TNNTP& connection, const SlotRequest& request) {
  if (RequestHandler* h = handlerFor(request.purpose)) h->EndPost(connection, request);
}

void TGroupView::RequestReleased(const SlotRequest& request) {
  const Purpose p = request.purpose;
  // A search fetch that broke off ends here; one that ran its ranges ends
  // once it is threaded.
  const bool brokenSearchFetch = IsHeaderPurpose(p) && download_.Mode() == DownloadMode::SearchList;
  if (IsHeaderPurpose(p) || p == Purpose::Search) download_.Released();
  if (brokenSearchFetch) endSearchFetch();
  if (IsArticlePurpose(p)) {
    fetching_ = false;
    if (p == Purpose::Article && request.article) {
      request.article->Set(NodeFlag::Fetching, false);
      observer_->rowChanged(*request.article);
    }
  }
  if (RequestHandler* h = handlerFor(p)) h->Released(request);
}

void TGroupView::RequestRefused(Purpose) { fetching_ = false; }

bool TGroupView::BatchRunning() const { return batch_ && batch_->Running(); }
bool TGroupView::BatchRetrieving() const { return batch_ && batch_->Retrieving(); }

bool TGroupView::HeaderResumeAllowed() const {
  return download_.Mode() != DownloadMode::SearchList && download_.Mode() != DownloadMode::Stop &&
         !closed_;
}

Purpose TGroupView::HeaderResumePurpose() const {
  return download_.Interrupted() ? Purpose::ResumeHeaders : Purpose::Headers;
}

void TGroupView::ArticleMissing(const SlotRequest& request) {
  if (request.article) {
    request.article->Set(NodeFlag::Missing);
    observer_->rowChanged(*request.article);
  }
  if (RequestHandler* h = handlerFor(request.purpose)) h->Missing(request);
}

void TGroupView::ResumptionNextStep(TNNTP& connection) { download_.SkipStep(connection); }

void TGroupView::BatchForgetConnection() {
  if (batch_) batch_->ForgetConnection();
}
void TGroupView::BatchStopForRestart() {
  if (batch_) batch_->StopForRestart();
}
void TGroupView::CloseOnError() { observer_->closeRequested(); }

void TGroupView::ReissueArticle(Purpose purpose, TArticle* article) {
  if (articleHandler_) articleHandler_->Reissue(purpose, article);
}

void TGroupView::ReissueHeaders(Purpose purpose) {
  if (!closed_) startDownload(purpose);
}

void TGroupView::ReissueBatch() {
  if (batch_) batch_->Restart();
}
void TGroupView::BatchStopAfterFile() {
  if (batch_) batch_->StopAfterFile();
}
void TGroupView::BatchPauseAfterPart() {
  if (batch_) batch_->PauseAfterPart();
}

// ---------------------------------------------------------------- download host

void TGroupView::FirstDownload() {
  storeNumbers_ = GroupNumbers{download_.ServerLow(), download_.High(), true};
  takeRecordReadState();
  const bool stored = store_ && store_io::FileExists(store_->HeaderPath());
  if (stored) loadStore();
  if (store_) applyStoreChoice(stored);
}

bool TGroupView::ShowDownloadDialog(DownloadMode mode) {
  XoverDialogPrefs& prefs = services_.dialogPrefs ? *services_.dialogPrefs : defaultPrefs_;
  TfmXOVER form(view_, download_, prefs, static_cast<int>(mode));
  form.SetStatistics(stats_, stats_);
  const bool ok = !services_.dialogs || services_.dialogs->ShowXoverForm(form);
  if (form.ReadMarksCleared()) ReadMarksChanged();
  if (ok) download_.ApplyChoice(form.Ok());
  return ok;
}

void TGroupView::ReadMarksChanged() {
  for (TAThread& t : lists_.threadNodes) UpdateThreadReadState(t);
  observer_->rowsChanged();
}

void TGroupView::CommandSent(TNNTP& connection, const std::string& action) {
  slots_.SetAction(connection, action);
  slots_.SetProgress(connection, view_.linesParsed, view_.linesExpected);
}

void TGroupView::LinesParsed(TNNTP& connection) {
  slots_.SetProgress(connection, view_.linesParsed, view_.linesExpected);
}

void TGroupView::refreshCounts() {
  storeNumbers_ = GroupNumbers{download_.ServerLow(), download_.High(), true};
  HandBackReadState();
}

void TGroupView::DownloadEnded(TNNTP& connection, DownloadEnd end) {
  slots_.ReleaseSocket(connection, {});
  switch (end) {
    case DownloadEnd::Stopped:
      break;
    case DownloadEnd::Unchanged:
      if (!lists_.rowList.empty() && !threaded_) thread();
      refreshCounts();
      services_.prompter.status(kGroupUnchangedText);
      break;
    case DownloadEnd::Finished:
      thread();
      refreshCounts();
      services_.prompter.status(kReadyText);
      break;
  }
  if (std::exchange(view_.replyNotice, false)) observer_->replyToMeArrived();
  endSearchFetch();
  observer_->downloadEnded();
}

}  // namespace orvel
