#pragma once
// The download of an NZB's files through a group view's batch: each file's
// segments are queued as records of their own (fetched by Message-ID, their
// part numbers the segments'), one file after the other, and decoded into
// the batch's decode directory; a segment the server lacks is asked of the
// view's alternative servers as any batch article is. Then the PAR2 sets
// among the files are checked and repaired (Par2Step).
//
// The records live in the import's own arena, apart from the view's list
// and store, so the group's stored headers stay as they were.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "articles/article_arena.h"
#include "content/decoded_files.h"
#include "content/group_batch.h"
#include "content/nzb.h"
#include "content/par2_step.h"
#include "core/clock.h"

namespace orvel {

// One record per segment of file, in segment order, in arena: fetched by
// Message-ID (no number), its part number the segment's.
std::vector<TArticle*> NzbSegmentRecords(const NzbFile& file, ArticleArena& arena);

struct NzbImportResult {
  struct SetOutcome {
    std::string set;  // the PAR2 file given to par2
    Par2Result result;
  };
  DecodedFiles files;
  std::vector<SetOutcome> sets;
  std::vector<std::string> failedFiles;  // subjects of files no server had a segment of
  bool stopped = false;     // the batch stopped with segments left
  bool setsWhole = true;    // no PAR2 set stayed incomplete or failed
  bool par2Checked = true;  // par2 could be run (or there was no set)
  bool whole() const { return !stopped && failedFiles.empty() && !files.any() && setsWhole; }
};

// What came of an import, a line each: the files decoded and those left
// short, the files no server had, the PAR2 sets; for the person.
std::string NzbImportSummary(const NzbImportResult& result);

class NzbImport {
 public:
  struct Events {
    std::function<void(std::size_t index, std::size_t count, const NzbFile& file)> fileStarted;
    std::function<void(const std::string& set, std::string_view phase)> par2Phase;
    std::function<void(const std::string& set, const Par2Result& result)> par2Done;
    // The last event; the owner destroys the import later, not from one of
    // its events.
    std::function<void(const NzbImportResult& result)> finished;
  };

  // par2: whether the PAR2 step follows the download.
  NzbImport(GroupBatch& batch, Clock& clock, NzbDocument document, Events events, bool par2 = true);
  ~NzbImport();
  NzbImport(const NzbImport&) = delete;
  NzbImport& operator=(const NzbImport&) = delete;

  // Starts with the first file; false (nothing started) when the batch is
  // busy or the document lists no segment.
  bool Start();
  bool Running() const { return running_; }
  // Ends an import whose batch will not go on (a resumption that gave up):
  // what was decoded so far, the rest stopped.
  void Abandon();

 private:
  void startFile();
  void fileEnded();
  void collectReports();
  void finish();

  GroupBatch& batch_;
  Clock& clock_;
  NzbDocument document_;
  Events events_;
  bool par2_;
  ArticleArena arena_;
  std::unique_ptr<Timer> nextTimer_;  // the next step starts outside the batch's call
  std::unique_ptr<Par2Step> par2Step_;
  std::vector<TArticle*> records_;  // the current file's segments
  std::size_t index_ = 0;
  std::size_t reportsSeen_ = 0;
  bool running_ = false;
  bool fileRunning_ = false;
  NzbImportResult result_;
};

}  // namespace orvel
