#pragma once
// GroupBatch: the batch engine (TBatch) of a group view. It is the batch's
// host over the view's records and body store, and the view's handler of
// batch retrieval (purpose 8).
//
// Start queues the articles (their QueuePosition follows the queue) and runs
// the operation: each article comes from the body store, or is fetched with
// "ARTICLE" over a slot; the reply is handed to the batch block by block up to
// its terminating line, the slot is released and the batch goes on with the
// next article. Files come out in the decode directory; the parts of a split
// file queued in part order become one file; smart decoding keeps a resume
// record beside the group's store.
//
// What the slots report comes back here: a refused article (430 on the last
// server) is skipped and marked Missing; a broken connection stops the batch
// for a restart by the resumption timer; a slot killed by the stop command
// (or a failure that does not resume) kills the batch, putting the current
// article back at the front of the queue. The stop command's questions stop
// after the current file or pause after the current part.

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "articles/group_view.h"
#include "content/batch.h"
#include "content/folder_transfer.h"
#include "core/clock.h"

namespace orvel {

class GroupBatch final : public BatchRequestHandler, private BatchHost {
 public:
  // launcher and resumeStore may be absent: nothing is launched, and the
  // resume record lives beside the group's store.
  GroupBatch(TGroupView& view, BatchSettings settings, Prompter& prompter, Clock& clock,
             MimeEnvironment env = {}, FileLauncher* launcher = nullptr,
             ResumeStore* resumeStore = nullptr);
  ~GroupBatch() override;
  GroupBatch(const GroupBatch&) = delete;
  GroupBatch& operator=(const GroupBatch&) = delete;

  // Queues the articles (after those already queued) and starts the
  // operation over the queue. Decode, save, append (to appendPath) and store
  // run here; the folder and posting operations are refused. False when
  // nothing started.
  bool Start(BatchOperation operation, std::vector<TArticle*> articles,
             std::string appendPath = {});
  // Transfer (or copy) into a folder: queues the articles as Start does and
  // appends each, with its stored or fetched text, through the transfer.
  // False when nothing started.
  bool StartTransfer(std::unique_ptr<FolderTransfer> transfer, std::vector<TArticle*> articles);
  // Stops: the open file is broken off (smart decoding) or closed, the
  // current article goes back to the front of the queue.
  void Kill();
  bool Running() const override { return batch_.running(); }
  // Where the records of files set aside for resuming are kept.
  ResumeStore& Resume() const { return *resume_; }
  // Articles the last batch handled (files decoded whole, for a decode).
  int DoneCount() const { return batch_.doneCount(); }
  bool Retrieving() const override;

  void SetLaunchAfterDecode(bool launch) { launchAfterDecode_ = launch; }
  void SetDecodeDir(std::string directory) { batch_.setDecodeDir(std::move(directory)); }
  const std::string& DecodeDir() const { return batch_.settings().decodeDir; }
  // The queue, and toggling articles in and out of it.
  void Toggle(TArticle* article) { batch_.Toggle(item(article)); }
  std::vector<TArticle*> Queue() const;

  // Files finished, broken off, marked or saved since the last ClearFiles.
  const std::vector<BatchFileReport>& Files() const { return files_; }
  void ClearFiles() { files_.clear(); }
  // Also told of each file as it is reported.
  void SetFileListener(std::function<void(const BatchFileReport&)> listener) {
    fileListener_ = std::move(listener);
  }
  // Told when a batch ends for good (done, or stopped; not when it stops to
  // be restarted by the resumption). It is called from inside the batch:
  // whatever it starts must wait for the event loop.
  void SetEndListener(std::function<void()> listener) { endListener_ = std::move(listener); }

  // BatchRequestHandler
  void Data(TNNTP& connection, const SlotRequest& request) override;
  void Released(const SlotRequest& request) override;
  void Missing(const SlotRequest& request) override;
  void ForgetConnection() override;
  void StopForRestart() override;
  void Restart() override;
  void StopAfterFile() override { stopAfterFile_ = true; }
  void PauseAfterPart() override { pauseAfterPart_ = true; }

 private:
  static BatchItem item(TArticle* article) { return reinterpret_cast<BatchItem>(article); }
  static TArticle* article(BatchItem item) { return reinterpret_cast<TArticle*>(item); }

  // BatchHost
  BatchArticleInfo articleInfo(BatchItem item) const override;
  bool isOnline() const override { return true; }
  bool storedText(BatchItem item, std::string& text) override;
  bool fetchArticle(BatchItem item, std::string_view progressText) override;
  void setQueuePosition(BatchItem item, int position) override;
  void articleDone(BatchItem item) override;
  void articleInterrupted(BatchItem item) override;
  void markMissing(BatchItem item) override;
  bool requeueFromAlternative(BatchItem item) override;
  bool storeBody(BatchItem item, std::string_view text) override;
  bool otherOperation(BatchOperation operation, BatchItem item, std::string_view text) override;
  void batchEnded() override;

  bool startQueued(BatchOperation operation, std::vector<TArticle*> articles,
                   std::string appendPath);
  void sendFetch(TNNTP& connection, TArticle* article);
  void lostFetch();

  TGroupView& view_;
  Clock& clock_;
  std::unique_ptr<ResumeStore> ownResume_;
  ResumeStore* resume_;
  TBatch batch_;
  std::unique_ptr<Timer> lostTimer_;
  std::unique_ptr<FolderTransfer> transfer_;  // the folder of operations 5 and 6
  std::vector<BatchFileReport> files_;
  std::function<void(const BatchFileReport&)> fileListener_;
  std::function<void()> endListener_;
  std::string appendPath_;
  std::string fetchLabel_;
  std::int64_t startTick_ = 0;
  std::int64_t fetchBytes_ = 0;
  TNNTP* connection_ = nullptr;  // the connection of the fetch in progress
  bool awaiting_ = false;        // a fetch holds a slot
  bool fetchLost_ = false;       // its slot went without an end of data
  bool restartWanted_ = false;
  BatchOperation restartOperation_ = BatchOperation::None;
  bool launchAfterDecode_ = false;
  bool stopAfterFile_ = false;
  bool pauseAfterPart_ = false;
};

}  // namespace orvel
