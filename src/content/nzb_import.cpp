#include "content/nzb_import.h"

#include <algorithm>
#include <climits>

namespace orvel {

std::vector<TArticle*> NzbSegmentRecords(const NzbFile& file, ArticleArena& arena) {
  std::vector<TArticle*> records;
  const PooledString subject = arena.Strings().Store(file.subject);
  for (const NzbSegment& s : file.segments) {
    TArticle* a = arena.New();
    a->Subject = subject;
    a->MessageID = arena.Strings().Store(s.messageId);
    a->PartNumber = s.number;
    a->Bytes = static_cast<std::int32_t>(std::min<std::int64_t>(s.bytes, INT32_MAX));
    records.push_back(a);
  }
  return records;
}

std::string NzbImportSummary(const NzbImportResult& result) {
  static const char* const kKinds[] = {"décodé", "incomplet", "à reprendre", "erreur CRC", "sauvé", "erreur CRC"};
  std::string text;
  for (const std::string& path : result.files.decoded) text += "décodé: " + path + "\n";
  for (const BatchFileReport& r : result.files.shortfall) {
    text += std::string(kKinds[static_cast<int>(r.kind)]) + ": " + r.path + "\n";
  }
  for (const std::string& subject : result.failedFiles) text += "introuvable sur les serveurs: " + subject + "\n";
  if (result.stopped) text += "Arrêté avant la fin du NZB\n";
  static const char* const kVerdicts[] = {"complet", "réparé", "incomplet", "échec"};
  for (const NzbImportResult::SetOutcome& s : result.sets) {
    text += std::string("PAR2 ") + kVerdicts[static_cast<int>(s.result.verdict)] + ": " + s.set;
    if (!s.result.detail.empty()) text += " (" + s.result.detail + ")";
    text += "\n";
  }
  return text;
}

NzbImport::NzbImport(GroupBatch& batch, Clock& clock, NzbDocument document, Events events, bool par2)
    : batch_(batch),
      clock_(clock),
      document_(std::move(document)),
      events_(std::move(events)),
      par2_(par2),
      nextTimer_(clock.createTimer([this] { fileEnded(); })) {}

NzbImport::~NzbImport() { batch_.SetEndListener(nullptr); }

bool NzbImport::Start() {
  const bool anySegment = std::any_of(document_.files.begin(), document_.files.end(),
                                      [](const NzbFile& f) { return !f.segments.empty(); });
  if (running_ || batch_.Running() || !anySegment) return false;
  running_ = true;
  result_ = NzbImportResult{};
  index_ = 0;
  reportsSeen_ = batch_.Files().size();
  // The batch calls back from inside itself: the next file waits for the
  // event loop.
  batch_.SetEndListener([this] {
    if (fileRunning_) nextTimer_->start(std::chrono::milliseconds(0), TimerMode::SingleShot);
  });
  startFile();
  return true;
}

void NzbImport::startFile() {
  while (index_ < document_.files.size() && document_.files[index_].segments.empty()) {
    result_.failedFiles.push_back(document_.files[index_].subject);
    ++index_;
  }
  if (index_ == document_.files.size()) {
    finish();
    return;
  }
  const NzbFile& file = document_.files[index_];
  if (events_.fileStarted) events_.fileStarted(index_, document_.files.size(), file);
  records_ = NzbSegmentRecords(file, arena_);
  fileRunning_ = true;
  if (!batch_.Start(BatchOperation::Decode, records_)) {
    fileRunning_ = false;
    result_.stopped = true;
    finish();
  }
}

void NzbImport::fileEnded() {
  if (!fileRunning_ || batch_.Running()) return;
  fileRunning_ = false;
  collectReports();
  const bool allMissing = std::all_of(records_.begin(), records_.end(),
                                      [](const TArticle* a) { return a->Has(NodeFlag::Missing); });
  if (allMissing) result_.failedFiles.push_back(document_.files[index_].subject);
  if (!batch_.Queue().empty()) {
    result_.stopped = true;
    finish();
    return;
  }
  ++index_;
  startFile();
}

void NzbImport::Abandon() {
  if (!running_ || !fileRunning_) return;
  fileRunning_ = false;
  collectReports();
  result_.stopped = true;
  finish();
}

void NzbImport::collectReports() {
  const std::vector<BatchFileReport>& reports = batch_.Files();
  for (; reportsSeen_ < reports.size(); ++reportsSeen_) result_.files.add(reports[reportsSeen_]);
}

void NzbImport::finish() {
  batch_.SetEndListener(nullptr);
  const auto done = [this] {
    running_ = false;
    if (events_.finished) events_.finished(result_);
  };
  if (!par2_ || result_.stopped) return done();
  Par2Step::Events events;
  events.phase = events_.par2Phase;
  events.setDone = [this](const std::string& set, const Par2Result& result) {
    result_.sets.push_back({set, result});
    if (events_.par2Done) events_.par2Done(set, result);
  };
  events.finished = [this, done](bool whole, bool checked) {
    result_.setsWhole = whole;
    result_.par2Checked = checked;
    done();
  };
  par2Step_ = std::make_unique<Par2Step>(clock_, result_.files, batch_.Resume(), std::move(events));
  par2Step_->Start();
}

}  // namespace orvel
