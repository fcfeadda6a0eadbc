// What a decode batch makes of each file: the outcome of each closed file
// (decoded, incomplete, CRC error), the CRC marker files, the retry of a
// failed part from another server, and the files set aside for a later
// batch with their resume records.
//
// A yEnc file written at offsets is set aside when the batch ends (or
// another file takes the output) while parts are missing; any later part
// of it, found by name and size, reopens it. A uuencoded or message/partial
// file is written in part order: a numbered series stops at a hole, and the
// file is set aside at the end of the last part in order, to go on from the
// first missing one.

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <utility>

#include "content/batch.h"
#include "content/file_names.h"

namespace orvel {

namespace {

bool exists(const std::string& path) {
  struct stat st;
  return ::lstat(path.c_str(), &st) == 0;
}

std::string directoryOf(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

// The record of a file written at offsets, to be continued by its first
// missing part (whose number its name carries) or any other.
DecoderState placedRecord(const ClosedOutput& closed, std::int64_t firstMissing) {
  DecoderState s;
  s.directory = directoryOf(closed.path);
  s.fileName = closed.fileName;
  s.requestedName = closed.requestedName;
  s.partNumber = firstMissing;
  s.encoding = TransferEncoding::YEnc;
  s.yencSize = closed.parts->size();
  s.total = closed.parts->total();
  s.parts = closed.parts;
  return s;
}

bool sameDirectory(const DecoderState& record, const std::string& directory) {
  return WithTrailingSlash(record.directory) == directory;
}

}  // namespace

bool TBatch::resumable() const {
  return settings_.useSmartDecode && host_.isOnline() && resumeStore_ != nullptr;
}

std::vector<DecoderState> TBatch::records() {
  return resumeStore_ ? resumeStore_->load() : std::vector<DecoderState>();
}

void TBatch::keepRecords(std::vector<DecoderState> records) {
  if (!resumeStore_) return;
  if (records.size() > kMaxResumeRecords) {
    records.erase(records.begin(),
                  records.end() - static_cast<std::ptrdiff_t>(kMaxResumeRecords));
  }
  resumeStore_->save(records);
}

// --- outcomes

void TBatch::BatchNotify(int code) {
  if (brokenOff_) return;
  const ClosedOutput& closed = lastClosed();
  if (code == kFileFinished) {
    ++doneCount_;
    report(Kind::Finished, closed.path);
    if (launchAfterDecode_ && launcher_) LaunchFile(closed.path, false, *launcher_, prompter_);
  } else if (code == kFileCrcError) {
    // Settled once the article is done: its part may come again from
    // another server.
    crcFiles_.push_back(closed);
  } else if (closed.parts) {
    setAsidePlaced(closed, dropKind_);
  } else {
    report(dropKind_, closed.path);
  }
}

void TBatch::afterDecode(BatchItem item) {
  std::vector<ClosedOutput> files = std::exchange(crcFiles_, {});
  if (crcError() && !fileName().empty()) {
    if (host_.isOnline() && host_.requeueFromAlternative(item)) {
      InsertAt(0, item);
      alternativeItem_ = item;
      ++countQueued_;
      // The file stays open, or one this part completed opens again, for
      // the copy from the other server to be written over the failed one.
      const auto reopened = std::find_if(files.begin(), files.end(),
                                         [](const ClosedOutput& f) { return f.parts.has_value(); });
      if (reopened != files.end()) {
        RestoreDecoderState(placedRecord(*reopened, 0));
        files.erase(reopened);
      }
      reportCrcFiles(std::move(files));
      return;
    }
    reportCrcFiles(std::move(files));
    writeCrcMarker(outputDirectory() + fileName(), partNumber());
    host_.markMissing(item);
    return;
  }
  reportCrcFiles(std::move(files));
}

// A file whose parts all passed but whose whole-file CRC did not gets a
// marker of its own; a failed part got its marker when it came.
void TBatch::reportCrcFiles(std::vector<ClosedOutput> files) {
  for (const ClosedOutput& closed : files) {
    report(Kind::CrcError, closed.path);
    if (closed.wholeCrcFailed) writeCrcMarker(closed.path, 0);
  }
}

void TBatch::writeCrcMarker(const std::string& filePath, std::int64_t part) {
  std::string marker = filePath + "__yEnc_CRCerror";
  if (part > 0) marker += "_part_" + std::to_string(part);
  marker += ".txt";
  OutputFile file;
  for (int attempt = 0; attempt < 1000; ++attempt) {
    const std::string path = UniqueFileName(marker);
    if (file.create(path, CreateMode::Exclusive)) {
      file.close();
      report(Kind::CrcMarker, path);
      return;
    }
  }
  throw EDecodeOutput("No free name for " + marker);
}

// --- files set aside

void TBatch::settleOpenFile(Kind kind) {
  if (!outputOpen()) return;
  if (placedOutputOpen()) {
    dropKind_ = kind;
    DropOutput();
    dropKind_ = Kind::Incomplete;
    return;
  }
  setAsideSequential(kind, seriesMissing(std::max(seriesLast_ + 1, seriesTotal_)));
}

// Named after its first missing part, with a record of the parts it holds;
// without smart decoding it stays as it is.
void TBatch::setAsidePlaced(const ClosedOutput& closed, Kind kind) {
  const Parts missing = closed.parts->missingParts();
  if (!resumable()) {
    report(Kind::Incomplete, closed.path, missing);
    return;
  }
  const std::int64_t first = missing.empty() ? 0 : missing.front();
  setAside(directoryOf(closed.path), placedRecord(closed, first), kind, missing);
}

// Renames record's file after the part it waits for and keeps the record
// in place of any older one of that file.
void TBatch::setAside(const std::string& directory, DecoderState record, Kind kind,
                      Parts missing) {
  const std::string from = directory + record.fileName;
  const std::string to = directory + BrokenPartName(record.fileName, record.partNumber);
  std::remove(to.c_str());
  if (std::rename(from.c_str(), to.c_str()) != 0) {
    report(Kind::Incomplete, from, std::move(missing));
    return;
  }
  std::vector<DecoderState> kept = records();
  std::erase_if(kept, [&](const DecoderState& r) {
    return sameDirectory(r, directory) && r.fileName == record.fileName;
  });
  kept.push_back(std::move(record));
  keepRecords(std::move(kept));
  report(kind, to, std::move(missing));
}

bool TBatch::resumePlacedFile(std::string_view requestedName, std::int64_t size) {
  if (operation_ != BatchOperation::Decode || !resumable()) return false;
  std::vector<DecoderState> kept = records();
  const std::string directory = outputDirectory();
  for (auto it = kept.begin(); it != kept.end(); ++it) {
    if (!it->parts || !sameDirectory(*it, directory) || it->requestedName != requestedName ||
        it->parts->size() != size) {
      continue;
    }
    DecoderState record = std::move(*it);
    kept.erase(it);
    keepRecords(std::move(kept));  // taken, or of no use when its file is gone
    const std::string name = SafeOutputName(record.fileName);
    const std::string broken = directory + BrokenPartName(name, record.partNumber);
    if (name.empty() || !exists(broken)) return false;
    const std::string target = UniqueFileName(directory + name);
    if (std::rename(broken.c_str(), target.c_str()) != 0) return false;
    record.fileName = target.substr(directory.size());
    record.directory = directory;
    RestoreDecoderState(record);
    return true;
  }
  return false;
}

// --- sequential files (uuencode, message/partial)

// Before a numbered part of the series the open file holds: the part that
// follows goes on, one already in it is skipped, one after a hole ends the
// file there; an article of another post sets the file aside.
void TBatch::beforeSequentialPart(const BatchArticleInfo& info) {
  if (info.partNumber < 2) {
    setAsideSequential(Kind::Incomplete, seriesMissing(std::max(seriesLast_ + 1, seriesTotal_)));
    return;
  }
  if (seriesLast_ < 1 || !multipartContinuation()) return;
  if (info.partNumber <= seriesLast_) {
    skipArticle_ = true;
  } else if (info.partNumber > seriesLast_ + 1) {
    setAsideSequential(Kind::Incomplete, seriesMissing(info.partNumber - 1));
  }
}

// After an article: the series the open file belongs to, when numbered.
void TBatch::noteSeries() {
  if (outputOpen() && !placedOutputOpen() && multipartContinuation() &&
      currentInfo_.partNumber >= 1) {
    seriesLast_ = currentInfo_.partNumber;
    seriesTotal_ = currentInfo_.partTotal;
    seriesKey_ = currentInfo_.series;
  } else {
    seriesLast_ = 0;
  }
}

// The parts after the last one taken, up to upTo.
TBatch::Parts TBatch::seriesMissing(std::int64_t upTo) const {
  Parts missing;
  if (seriesLast_ < 1) return missing;
  upTo = std::min(upTo, seriesLast_ + kMaxYEncParts);
  for (std::int64_t k = seriesLast_ + 1; k <= upTo; ++k) missing.push_back(k);
  return missing;
}

void TBatch::setAsideSequential(Kind kind, Parts missing) {
  if (resumable() && multipartContinuation() && seriesLast_ >= 1) {
    breakOff(seriesLast_ + 1, SaveDecoderState(), kind, std::move(missing));
  } else {
    brokenOff_ = true;
    DropOutput();
    brokenOff_ = false;
    report(Kind::Incomplete, lastClosedFile(), std::move(missing));
  }
  clearMultipartContinuation();
  seriesLast_ = 0;
}

void TBatch::breakOff(std::int64_t part, const DecoderState& state, Kind kind, Parts missing) {
  brokenOff_ = true;
  DropOutput();
  brokenOff_ = false;
  DecoderState record = state;
  record.partNumber = part;
  record.series = seriesKey_;
  setAside(WithTrailingSlash(state.directory), std::move(record), kind, std::move(missing));
}

// A part numbered above 1 with no file open reopens the file a record
// waits with for that part, of this directory and, when both say, the same
// post.
void TBatch::tryResume(const BatchArticleInfo& info) {
  if (outputOpen()) return;
  std::vector<DecoderState> kept = records();
  const std::string directory = outputDirectory();
  const auto it = std::find_if(kept.begin(), kept.end(), [&](const DecoderState& r) {
    return !r.parts && r.partNumber == info.partNumber && sameDirectory(r, directory) &&
           (r.series.empty() || info.series.empty() || r.series == info.series);
  });
  if (it == kept.end()) return;
  DecoderState record = std::move(*it);
  const std::string name = SafeOutputName(record.fileName);
  if (name.empty()) return;
  const std::string broken = directory + BrokenPartName(name, record.partNumber);
  std::string target = directory + name;
  if (exists(broken)) {
    target = UniqueFileName(target);
    if (std::rename(broken.c_str(), target.c_str()) != 0) return;
    record.fileName = target.substr(directory.size());
  } else if (!exists(target)) {
    kept.erase(it);  // its file is gone
    keepRecords(std::move(kept));
    return;
  }
  kept.erase(it);
  RestoreDecoderState(record);
  keepRecords(std::move(kept));
}

// A series decoded again from its first part makes its older records
// useless (a record that names no series could be any).
void TBatch::forgetSeriesRecords(const std::string& series) {
  std::vector<DecoderState> kept = records();
  const std::size_t before = kept.size();
  std::erase_if(kept, [&](const DecoderState& r) {
    return !r.parts && (r.series.empty() || r.series == series);
  });
  if (kept.size() != before) keepRecords(std::move(kept));
}

}  // namespace orvel
