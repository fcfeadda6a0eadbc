#pragma once
// TBatch: the group view's batch engine. It runs one operation over a queue
// of articles: decode (1), save each to its own file (2), append all to one
// file (3), store in the body store (4); transfer (5), copy (6), send (7) and
// cancel (8) go to the owner's folder and posting handlers. For each queued
// article it takes the text from the body store, or has the owner fetch it
// from a server and receives it block by block, and walks it with its own
// TMime (output mode 1 for decode), so the parts of a split file queued in
// part order come out as one file.
//
// The owner (the group view, or orvel-cli over article files) implements
// BatchHost. Calls: Start -> NextInBatch -> (stored text parsed at once, or
// ArticleData... ArticleEnded from the owner) -> Batch1Done -> NextInBatch,
// until the queue is empty; Kill stops it.
//
// What comes of each file is reported: decoded (every byte arrived and every
// check passed), incomplete (parts missing: named after the first missing
// one, "__error_part_N"), CRC error, or broken off by a kill. Smart
// decoding keeps a resume record of each file set aside, so a later batch
// continues it: a yEnc file with any of its missing parts, in any order; a
// uuencoded or message/partial file, which has no offsets, from the part
// where it stopped. A numbered series of those with a hole stops at the
// hole. The rules for files live in batch_files.cpp.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "content/launcher.h"
#include "content/mime.h"
#include "content/resume_record.h"
#include "core/prompter.h"

namespace orvel {

enum class BatchOperation : std::uint8_t {
  None = 0,
  Decode = 1,
  Save = 2,
  Append = 3,
  Store = 4,
  Transfer = 5,
  Copy = 6,
  Send = 7,
  Cancel = 8,
};

// An owner-chosen handle of a queued article (a record pointer or an index).
using BatchItem = std::uintptr_t;

struct BatchArticleInfo {
  std::string subject;
  std::string from;  // sender, for the separator of appended articles
  std::string date;  // date text, for the same separator
  int partNumber = -1;  // part number found in the subject, -1 when none
  int partTotal = -1;   // the number of parts it gives, -1 when none
  std::string series;   // the subject with its part counter left out
  bool headerless = false;  // the text is a bare body, without headers
  std::int64_t bytes = 0;
};

// The articles of a batch as their owner holds them.
class BatchHost {
 public:
  virtual ~BatchHost() = default;
  virtual BatchArticleInfo articleInfo(BatchItem item) const = 0;
  // Online group (smart decoding and alternative servers apply).
  virtual bool isOnline() const = 0;
  // Puts the text from the body store (dot-stuffing undone, CRLF line ends)
  // into text, a buffer the batch reuses from article to article; false
  // when it is not stored.
  virtual bool storedText(BatchItem item, std::string& text) = 0;
  // Starts fetching the article ("ARTICLE"). Its text then arrives through
  // TBatch::ArticleData and TBatch::ArticleEnded (or ArticleFailed). The
  // progress text is the request's label. False when nothing can be fetched.
  virtual bool fetchArticle(BatchItem item, std::string_view progressText) = 0;
  // The article's QueuePosition (-1 when it leaves the queue).
  virtual void setQueuePosition(BatchItem item, int position) = 0;
  // The article was handled: redraw its row.
  virtual void articleDone(BatchItem item) = 0;
  // A killed batch puts its current article back: mark it unread.
  virtual void articleInterrupted(BatchItem item) = 0;
  // Sets the article's Missing flag (a part that failed its CRC check).
  virtual void markMissing(BatchItem item) = 0;
  // Has an alternative server fetch the same article again; false when no
  // alternative server has it.
  virtual bool requeueFromAlternative(BatchItem item) = 0;
  // Operation 4: hands the raw text to the body store.
  virtual bool storeBody(BatchItem item, std::string_view text) = 0;
  // Operations 5 to 8: the folder and posting handlers; false refuses the
  // article, which kills the batch.
  virtual bool otherOperation(BatchOperation operation, BatchItem item, std::string_view text) = 0;
  // The batch ended or was killed: a connection it used can go back.
  virtual void batchEnded() = 0;
};

struct BatchSettings {
  std::string decodeDir;  // DecodeDir (per group from its properties)
  std::string saveDir;    // SaveDir
  int decodeOpt = kCollisionUniqueName;  // DecodeOpt
  bool useSmartDecode = true;            // UseSmartDecode
  MimeSettings mime;
};

// What the batch reports about files, for lists and scripts.
struct BatchFileReport {
  enum class Kind { Finished, Incomplete, BrokenOff, CrcMarker, Saved, CrcError };
  Kind kind;
  std::string path;
  // Incomplete and broken-off files: the parts still missing, when known.
  std::vector<std::int64_t> missingParts;

  // Only a file decoded whole and sound is opened or shown once decoded.
  bool opensAfterDecode() const { return kind == Kind::Finished; }
};

class TBatch : public TMime {
 public:
  // Launcher and resume store may be absent (no launching, no resuming).
  TBatch(BatchHost& host, Prompter& prompter, BatchSettings settings, MimeEnvironment env = {},
         FileLauncher* launcher = nullptr, ResumeStore* resumeStore = nullptr);

  // --- the queue (QueuePosition of each article follows its index)
  void Append(BatchItem item);
  void InsertAt(std::size_t index, BatchItem item);
  void Remove(BatchItem item);
  void Toggle(BatchItem item);
  void ClearQueue();
  // Orders the queue by the positions the owner now gives its articles.
  void ResortQueue(const std::function<int(BatchItem)>& positionOf);
  const std::vector<BatchItem>& queue() const { return queue_; }

  // --- running
  // Starts an operation over the queue; false when busy or the queue is empty.
  // appendPath is the target of Append; launchAfterDecode opens each decoded
  // file that is not dangerous.
  bool Start(BatchOperation operation, std::string appendPath = {},
             bool launchAfterDecode = false);
  bool running() const { return operation_ != BatchOperation::None; }
  BatchOperation operation() const { return operation_; }
  void NextInBatch();
  // A block of the fetched article's text (server data, any split).
  void ArticleData(std::string_view block);
  // The fetched article ended (its "." line may or may not have come through
  // ArticleData).
  void ArticleEnded();
  // The fetch failed: the article is skipped and the batch goes on.
  void ArticleFailed();
  void Batch1Done();
  void Kill();
  // The owner closes: a file still open is set aside as incomplete (with a
  // resume record under smart decoding).
  void Close();

  // Files decoded whole and sound by the last batch.
  int doneCount() const { return doneCount_; }
  std::int64_t bytesDone() const { return bytesDone_; }
  std::int64_t bytesRemaining() const { return bytesRemaining_; }
  void setReportListener(std::function<void(const BatchFileReport&)> listener) {
    reportListener_ = std::move(listener);
  }
  const BatchSettings& settings() const { return settings_; }
  void setDecodeDir(std::string directory) { settings_.decodeDir = std::move(directory); }

 protected:
  bool resumePlacedFile(std::string_view requestedName, std::int64_t size) override;

 private:
  using Kind = BatchFileReport::Kind;
  using Parts = std::vector<std::int64_t>;

  void prepareArticle(const BatchArticleInfo& info);
  void parseText(std::string_view text, LineSource source);
  void oneDone();
  void saveArticle(const BatchArticleInfo& info, std::string_view text);
  void appendArticle(const BatchArticleInfo& info, std::string_view text);
  void finishBatch();
  void fail(const std::string& message);
  void report(Kind kind, std::string path, Parts missing = {});
  void renumber(std::size_t from);

  // Files (batch_files.cpp).
  void BatchNotify(int code);
  void beforeSequentialPart(const BatchArticleInfo& info);
  void noteSeries();
  Parts seriesMissing(std::int64_t upTo) const;
  void afterDecode(BatchItem item);
  void reportCrcFiles(std::vector<ClosedOutput> files);
  void writeCrcMarker(const std::string& filePath, std::int64_t part);
  bool resumable() const;
  void setAsidePlaced(const ClosedOutput& closed, Kind kind);
  void setAside(const std::string& directory, DecoderState record, Kind kind, Parts missing);
  void setAsideSequential(Kind kind, Parts missing);
  void settleOpenFile(Kind kind);
  void breakOff(std::int64_t part, const DecoderState& state, Kind kind, Parts missing);
  void tryResume(const BatchArticleInfo& info);
  void forgetSeriesRecords(const std::string& series);
  std::vector<DecoderState> records();
  void keepRecords(std::vector<DecoderState> records);

  BatchHost& host_;
  Prompter& prompter_;
  BatchSettings settings_;
  FileLauncher* launcher_;
  ResumeStore* resumeStore_;

  BatchOperation operation_ = BatchOperation::None;
  std::vector<BatchItem> queue_;
  int countQueued_ = 0;
  int index_ = 0;
  std::optional<BatchItem> current_;
  BatchArticleInfo currentInfo_;
  std::optional<BatchItem> alternativeItem_;
  int doneCount_ = 0;
  bool launchAfterDecode_ = false;
  std::int64_t bytesDone_ = 0;
  std::int64_t bytesRemaining_ = 0;
  std::string appendPath_;

  bool inNext_ = false;    // NextInBatch is running (a synchronous owner may call back)
  bool again_ = false;
  bool brokenOff_ = false;  // a file being renamed for resuming is not reported as incomplete
  Kind dropKind_ = Kind::Incomplete;  // what a file dropped now is reported as
  bool skipArticle_ = false;  // a part the open file already holds
  bool fetching_ = false;
  bool articleEnded_ = false;
  std::string pending_;      // an incomplete line of fetched text
  std::string articleText_;  // the article's text, for save, append and store
  std::string lineBuffer_;
  std::string storedBuffer_;  // a stored article's text, reused
  std::optional<DecoderState> partStart_;  // the decoder before the current part
  std::vector<ClosedOutput> crcFiles_;     // closed by this article after a failed check
  // The open uuencoded or message/partial file: the last part it took (0:
  // no numbered series), the parts the series has (-1 unknown), its key.
  std::int64_t seriesLast_ = 0;
  std::int64_t seriesTotal_ = -1;
  std::string seriesKey_;
  std::function<void(const BatchFileReport&)> reportListener_;
};

// "%sing %d of %d" and "%d %s." of an operation.
std::string BatchProgressText(BatchOperation operation, int index, int count, bool scanning);
std::string BatchSummaryText(BatchOperation operation, int count);

}  // namespace orvel
