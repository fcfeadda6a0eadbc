#include "content/group_batch.h"

#include <cstdio>

#include "articles/article_date.h"
#include "articles/marking.h"
#include "articles/threading.h"
#include "content/group_reader.h"
#include "net/nntp_data.h"
#include "net/tnntp.h"

namespace orvel {

namespace {

// The resume record beside the group's store: "data/[server] group.resume".
class StoreResumeRecord final : public ResumeStore {
 public:
  explicit StoreResumeRecord(TGroupView& view) : view_(view) {}
  std::vector<DecoderState> load() override {
    const std::string p = path();
    return p.empty() ? std::vector<DecoderState>() : FileResumeStore(p).load();
  }
  void save(const std::vector<DecoderState>& records) override {
    if (const std::string p = path(); !p.empty()) FileResumeStore(p).save(records);
  }

 private:
  std::string path() const {
    const TMailbox* store = view_.Mailbox();
    if (!store) return {};
    std::string p = store->path;
    if (p.ends_with(".mbx")) p.resize(p.size() - 4);
    return p + ".resume";
  }
  TGroupView& view_;
};

}  // namespace

GroupBatch::GroupBatch(TGroupView& view, BatchSettings settings, Prompter& prompter,
                       Clock& clock, MimeEnvironment env, FileLauncher* launcher,
                       ResumeStore* resumeStore)
    : view_(view),
      clock_(clock),
      ownResume_(resumeStore ? nullptr : std::make_unique<StoreResumeRecord>(view)),
      resume_(resumeStore ? resumeStore : ownResume_.get()),
      batch_(*this, prompter, std::move(settings), env, launcher, resume_),
      lostTimer_(clock.createTimer([this] { lostFetch(); })) {
  batch_.setReportListener([this](const BatchFileReport& report) {
    files_.push_back(report);
    if (fileListener_) fileListener_(report);
  });
  view_.SetBatchHandler(this);
}

GroupBatch::~GroupBatch() {
  if (!view_.Closed()) {
    Kill();
    view_.SetBatchHandler(nullptr);
  }
  batch_.Close();
}

bool GroupBatch::Retrieving() const {
  const auto op = static_cast<int>(batch_.operation());
  return batch_.running() && op >= static_cast<int>(BatchOperation::Decode) &&
         op <= static_cast<int>(BatchOperation::Copy);
}

std::vector<TArticle*> GroupBatch::Queue() const {
  std::vector<TArticle*> out;
  for (BatchItem i : batch_.queue()) out.push_back(article(i));
  return out;
}

bool GroupBatch::Start(BatchOperation operation, std::vector<TArticle*> articles,
                       std::string appendPath) {
  if (batch_.running() || view_.Closed()) return false;
  if (operation < BatchOperation::Decode || operation > BatchOperation::Store) return false;
  transfer_.reset();
  return startQueued(operation, std::move(articles), std::move(appendPath));
}

bool GroupBatch::StartTransfer(std::unique_ptr<FolderTransfer> transfer,
                               std::vector<TArticle*> articles) {
  if (batch_.running() || view_.Closed() || !transfer) return false;
  const BatchOperation operation =
      transfer->Copying() ? BatchOperation::Copy : BatchOperation::Transfer;
  view_.Observer().progressText(transfer->StartText());
  transfer_ = std::move(transfer);
  return startQueued(operation, std::move(articles), {});
}

bool GroupBatch::startQueued(BatchOperation operation, std::vector<TArticle*> articles,
                             std::string appendPath) {
  // The queue the person built wins; the selection is queued only into an
  // empty one.
  if (batch_.queue().empty()) {
    for (TArticle* a : articles) {
      if (a) batch_.Append(item(a));
    }
  }
  appendPath_ = std::move(appendPath);
  restartWanted_ = false;
  stopAfterFile_ = false;
  pauseAfterPart_ = false;
  startTick_ = clock_.tickMs();
  return batch_.Start(operation, appendPath_, launchAfterDecode_);
}

void GroupBatch::Kill() {
  restartWanted_ = false;
  fetchLost_ = false;
  lostTimer_->stop();
  if (TNNTP* connection = std::exchange(connection_, nullptr); connection && awaiting_) {
    // The rest of the article is not wanted: the connection goes.
    awaiting_ = false;
    view_.Slots().ReleaseSocket(*connection, {.close = true, .resetProgress = true});
  }
  awaiting_ = false;
  batch_.Kill();
}

// ---------------------------------------------------------------- requests

bool GroupBatch::fetchArticle(BatchItem i, std::string_view progressText) {
  if (!batch_.running()) return false;
  TArticle* a = article(i);
  fetchLabel_.assign(progressText);
  awaiting_ = true;
  connection_ = nullptr;
  view_.Request(Purpose::Batch, a, [this, a](TNNTP& connection) { sendFetch(connection, a); });
  if (awaiting_ && !view_.Slots().Serving(Purpose::Batch)) {
    // No slot took it ("Pas de connexion valide" was said): the batch stops
    // with its queue kept.
    awaiting_ = false;
    batch_.Kill();
    return false;
  }
  return true;
}

void GroupBatch::sendFetch(TNNTP& connection, TArticle* a) {
  connection_ = &connection;
  view_.Slots().SetAction(connection, fetchLabel_);
  fetchBytes_ = a->Bytes;
  view_.Slots().SetProgress(connection, 0, fetchBytes_);
  const ArticleToFetch target = ArticleOfRecord(*a, view_.Record().name);
  SendArticleCommand(connection,
                     ArticleRequestCommand("ARTICLE", target, connection.currentGroup()));
}

void GroupBatch::Data(TNNTP& connection, const SlotRequest&) {
  if (!awaiting_ || &connection != connection_) {
    if (connection.dataEnded()) view_.Release(connection);
    return;
  }
  batch_.ArticleData(connection.data());
  if (!connection.dataEnded()) {
    view_.Slots().SetProgress(connection, connection.receivedBytes(), fetchBytes_);
    return;
  }
  awaiting_ = false;
  connection_ = nullptr;
  view_.Release(connection);
  batch_.ArticleEnded();
}

void GroupBatch::Released(const SlotRequest&) {
  if (!awaiting_) return;
  // The slot went before the end of the article. What follows at once tells
  // why: Missing (skip it) or StopForRestart (resume later); nothing means a
  // killed slot or a failure that does not resume.
  awaiting_ = false;
  connection_ = nullptr;
  fetchLost_ = true;
  lostTimer_->start(std::chrono::milliseconds(0), TimerMode::SingleShot);
}

void GroupBatch::Missing(const SlotRequest&) {
  if (!std::exchange(fetchLost_, false)) return;
  lostTimer_->stop();
  batch_.ArticleFailed();
}

void GroupBatch::lostFetch() {
  if (!std::exchange(fetchLost_, false)) return;
  batch_.Kill();
}

void GroupBatch::ForgetConnection() {
  awaiting_ = false;
  connection_ = nullptr;
}

void GroupBatch::StopForRestart() {
  fetchLost_ = false;
  lostTimer_->stop();
  if (!batch_.running()) return;
  restartOperation_ = batch_.operation();
  restartWanted_ = true;
  const std::size_t before = files_.size();
  batch_.Kill();
  // A file cut off here that cannot be resumed is decoded again from its
  // start by the restart: the piece is of no use.
  for (std::size_t i = before; i < files_.size(); ++i) {
    if (files_[i].kind == BatchFileReport::Kind::Incomplete) std::remove(files_[i].path.c_str());
  }
}

void GroupBatch::Restart() {
  if (!std::exchange(restartWanted_, false)) return;
  if (batch_.running() || batch_.queue().empty() || view_.Closed()) return;
  batch_.Start(restartOperation_, appendPath_, launchAfterDecode_);
}

// ---------------------------------------------------------------- batch host

BatchArticleInfo GroupBatch::articleInfo(BatchItem i) const {
  const TArticle* a = article(i);
  BatchArticleInfo info;
  info.subject = std::string(a->Subject.view());
  info.from = std::string(a->FromAddress().empty() ? a->FromName() : a->FromAddress());
  info.date = FormatDateHeader(a->Date, view_.View().options.TZ, a->Date);
  info.partNumber = a->PartNumber;
  PartNumbers parts;
  if (ParsePartNumbers(info.subject, parts)) {
    info.partTotal = parts.total;
    parts.AppendKey(info.series);
  }
  info.bytes = a->Bytes;
  return info;
}

bool GroupBatch::storedText(BatchItem i, std::string& text) {
  if (pauseAfterPart_ || (stopAfterFile_ && !batch_.outputOpen())) {
    pauseAfterPart_ = false;
    stopAfterFile_ = false;
    batch_.Kill();
    return false;
  }
  TMailbox* store = view_.Mailbox();
  return store && store->ReadBody(*article(i), text);
}

void GroupBatch::setQueuePosition(BatchItem i, int position) {
  TArticle* a = article(i);
  a->QueuePosition = position;
  view_.Observer().rowChanged(*a);
}

void GroupBatch::articleDone(BatchItem i) {
  view_.Observer().rowChanged(*article(i));
  view_.ShowBatchProgress(batch_.bytesDone(), batch_.bytesRemaining(),
                          clock_.tickMs() - startTick_);
}

void GroupBatch::articleInterrupted(BatchItem i) {
  TArticle* a = article(i);
  if (!MarkRead(view_, *a, false, true)) view_.Observer().rowChanged(*a);
}

void GroupBatch::markMissing(BatchItem i) {
  TArticle* a = article(i);
  a->Set(NodeFlag::Missing);
  view_.Observer().rowChanged(*a);
}

bool GroupBatch::requeueFromAlternative(BatchItem) {
  TAltServs* alt = view_.Slots().AltServers();
  if (!alt) return false;
  const TProfile& current = alt->inUse() ? *alt->CurrentServer() : *view_.Profile();
  return alt->NextServer(current, false) != nullptr;
}

bool GroupBatch::otherOperation(BatchOperation operation, BatchItem i, std::string_view text) {
  const bool folder = operation == BatchOperation::Transfer || operation == BatchOperation::Copy;
  return folder && transfer_ && transfer_->Append(*article(i), text);
}

bool GroupBatch::storeBody(BatchItem i, std::string_view text) {
  TMailbox* store = view_.Mailbox();
  if (!store || !store->StoreBody(*article(i), text)) return false;
  view_.Observer().rowChanged(*article(i));
  return true;
}

void GroupBatch::batchEnded() {
  // A batch stopped for a restart goes on into the same folder.
  if (!restartWanted_) transfer_.reset();
  view_.Observer().menusChanged();
  if (!restartWanted_ && endListener_) endListener_();
}

}  // namespace orvel
