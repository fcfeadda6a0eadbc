#include "content/batch.h"

#include <algorithm>
#include <fstream>
#include <utility>

#include "content/file_names.h"
#include "core/text.h"

namespace orvel {

namespace {

// A fetched line longer than this without its line end is cut there, so a
// peer cannot make the batch hold an unbounded line.
constexpr std::size_t kMaxPendingLine = 1 << 20;

struct OperationWords {
  const char* progress;
  const char* summary;
};

OperationWords wordsOf(BatchOperation operation) {
  switch (operation) {
    case BatchOperation::Decode: return {"Decod", "files decoded"};
    case BatchOperation::Save: return {"Sav", "saved"};
    case BatchOperation::Append: return {"Append", "saved"};
    case BatchOperation::Store: return {"", "stored"};
    case BatchOperation::Transfer: return {"Transferr", "transferred"};
    case BatchOperation::Copy: return {"Copy", "copied"};
    case BatchOperation::Send: return {"Send", "sent"};
    case BatchOperation::Cancel: return {"Cancell", ""};
    case BatchOperation::None: break;
  }
  return {"", ""};
}

std::string withoutFinalZero(std::string text) {
  if (!text.empty() && text.back() == '\0') text.pop_back();
  return text;
}

}  // namespace

std::string BatchProgressText(BatchOperation operation, int index, int count, bool scanning) {
  const char* word = scanning ? "Scann" : wordsOf(operation).progress;
  if (*word == '\0') return {};
  return format("%sing %d of %d", word, index, count);
}

std::string BatchSummaryText(BatchOperation operation, int count) {
  const char* word = wordsOf(operation).summary;
  if (*word == '\0') return {};
  return format("%d %s.", count, word);
}

TBatch::TBatch(BatchHost& host, Prompter& prompter, BatchSettings settings, MimeEnvironment env,
               FileLauncher* launcher, ResumeStore* resumeStore)
    : TMime(false, settings.mime, env),
      host_(host),
      prompter_(prompter),
      settings_(std::move(settings)),
      launcher_(launcher),
      resumeStore_(resumeStore) {
  setCompletionEvent([this](TMime&, int code) { BatchNotify(code); });
  setCollisionOption(settings_.decodeOpt);
}

// --- the queue

void TBatch::renumber(std::size_t from) {
  for (std::size_t i = from; i < queue_.size(); ++i) {
    host_.setQueuePosition(queue_[i], static_cast<int>(i));
  }
}

void TBatch::Append(BatchItem item) {
  if (std::find(queue_.begin(), queue_.end(), item) != queue_.end()) return;
  queue_.push_back(item);
  host_.setQueuePosition(item, static_cast<int>(queue_.size() - 1));
}

void TBatch::InsertAt(std::size_t index, BatchItem item) {
  Remove(item);
  index = std::min(index, queue_.size());
  queue_.insert(queue_.begin() + static_cast<std::ptrdiff_t>(index), item);
  renumber(index);
}

void TBatch::Remove(BatchItem item) {
  const auto it = std::find(queue_.begin(), queue_.end(), item);
  if (it == queue_.end()) return;
  const auto index = static_cast<std::size_t>(it - queue_.begin());
  queue_.erase(it);
  host_.setQueuePosition(item, -1);
  renumber(index);
}

void TBatch::Toggle(BatchItem item) {
  if (std::find(queue_.begin(), queue_.end(), item) != queue_.end()) {
    Remove(item);
  } else {
    Append(item);
  }
}

void TBatch::ClearQueue() {
  for (BatchItem item : queue_) host_.setQueuePosition(item, -1);
  queue_.clear();
}

void TBatch::ResortQueue(const std::function<int(BatchItem)>& positionOf) {
  std::stable_sort(queue_.begin(), queue_.end(),
                   [&](BatchItem a, BatchItem b) { return positionOf(a) < positionOf(b); });
  renumber(0);
}

// --- running

bool TBatch::Start(BatchOperation operation, std::string appendPath, bool launchAfterDecode) {
  if (running() || queue_.empty() || operation == BatchOperation::None) return false;
  if (operation == BatchOperation::Append && appendPath.empty()) return false;
  operation_ = operation;
  appendPath_ = std::move(appendPath);
  launchAfterDecode_ = launchAfterDecode;
  countQueued_ = static_cast<int>(queue_.size());
  index_ = 0;
  doneCount_ = 0;
  bytesDone_ = 0;
  bytesRemaining_ = 0;
  for (BatchItem item : queue_) bytesRemaining_ += host_.articleInfo(item).bytes;
  NextInBatch();
  return true;
}

void TBatch::NextInBatch() {
  if (inNext_) {
    again_ = true;
    return;
  }
  inNext_ = true;
  do {
    again_ = false;
    while (running() && !fetching_) {
      if (queue_.empty()) {
        finishBatch();
        break;
      }
      const BatchItem item = queue_.front();
      queue_.erase(queue_.begin());
      host_.setQueuePosition(item, -1);
      renumber(0);
      current_ = item;
      ++index_;
      currentInfo_ = host_.articleInfo(item);
      const bool scanning = alternativeItem_ == item;
      alternativeItem_.reset();
      prompter_.status(BatchProgressText(operation_, index_, countQueued_, scanning));
      try {
        prepareArticle(currentInfo_);
        if (skipArticle_) {
          oneDone();
          continue;
        }
        if (host_.storedText(item, storedBuffer_)) {
          parseText(storedBuffer_, LineSource::Text);
          oneDone();
          continue;
        }
      } catch (const EDecodeOutput& error) {
        fail(error.what());
        break;
      }
      fetching_ = true;
      articleEnded_ = false;
      pending_.clear();
      prompter_.status(format("Fetching %d of %d", index_, countQueued_));
      const std::string label = operation_ == BatchOperation::Decode
                                    ? format("En cours %d de %d", index_, countQueued_)
                                    : BatchProgressText(operation_, index_, countQueued_, false);
      if (!host_.fetchArticle(item, label)) {
        fetching_ = false;
        host_.articleDone(item);
        current_.reset();
      }
    }
  } while (again_);
  inNext_ = false;
}

void TBatch::prepareArticle(const BatchArticleInfo& info) {
  const bool decode = operation_ == BatchOperation::Decode;
  setOutputMode(decode ? OutputMode::File : OutputMode::None);
  if (decode) {
    setOutputDirectory(settings_.decodeDir);
    setCollisionOption(settings_.decodeOpt);
  }
  skipArticle_ = false;
  if (decode && outputOpen() && !placedOutputOpen()) beforeSequentialPart(info);
  // A stray open file of an incomplete earlier post is not continued.
  if (info.partNumber < 2) clearMultipartContinuation();
  ResetArticle();
  if (info.headerless) BeginBody();
  articleText_.clear();
  partStart_.reset();
  if (!decode || !resumable()) return;
  if (info.partNumber == 1) forgetSeriesRecords(info.series);
  if (info.partNumber > 1) {
    tryResume(info);
    if (outputOpen() && !placedOutputOpen()) {
      partStart_ = SaveDecoderState();
      partStart_->partNumber = info.partNumber;
    }
  }
}

void TBatch::parseText(std::string_view text, LineSource source) {
  std::string* raw = operation_ == BatchOperation::Decode ? nullptr : &articleText_;
  std::size_t pos = 0;
  bool last = false;
  while (!last) {
    // The data lines of a stored yEnc file go straight to the decoder.
    if (!raw && source == LineSource::Text) ParseYEncDataLines(text, pos);
    if (ParseLine(text, pos, lineBuffer_, raw, source, ParseDepth::Full, last) ==
        LineClass::Incomplete) {
      break;
    }
  }
  if (last) articleEnded_ = true;
  if (source == LineSource::ServerData) pending_.assign(text.substr(pos));
}

void TBatch::ArticleData(std::string_view block) {
  if (!fetching_ || articleEnded_) return;
  try {
    if (!pending_.empty()) {
      const std::size_t lf = block.find('\n');
      if (lf == std::string_view::npos) {
        pending_.append(block);
        if (pending_.size() > kMaxPendingLine) {
          pending_ += "\r\n";
          parseText(std::string(pending_), LineSource::ServerData);
        }
        return;
      }
      std::string line = pending_;
      line.append(block.substr(0, lf + 1));
      block.remove_prefix(lf + 1);
      parseText(line, LineSource::ServerData);
      if (articleEnded_) return;
      if (!pending_.empty()) block = std::string_view();  // a CR-ended line left a piece
    }
    parseText(block, LineSource::ServerData);
  } catch (const EDecodeOutput& error) {
    fail(error.what());
  }
}

void TBatch::ArticleEnded() {
  if (!fetching_) return;
  try {
    if (!articleEnded_ && !pending_.empty()) {
      std::string rest = pending_ + "\r\n";
      parseText(rest, LineSource::ServerData);
    }
    if (!articleEnded_) {
      std::string* raw = operation_ == BatchOperation::Decode ? nullptr : &articleText_;
      FinishArticle(LineSource::ServerData, raw);
    }
  } catch (const EDecodeOutput& error) {
    fail(error.what());
    return;
  }
  fetching_ = false;
  pending_.clear();
  Batch1Done();
}

void TBatch::ArticleFailed() {
  if (!fetching_) return;
  fetching_ = false;
  pending_.clear();
  if (current_) host_.articleDone(*current_);
  current_.reset();
  NextInBatch();
}

void TBatch::Batch1Done() {
  if (!current_) return;
  try {
    oneDone();
  } catch (const EDecodeOutput& error) {
    fail(error.what());
    return;
  }
  NextInBatch();
}

void TBatch::oneDone() {
  const BatchItem item = *current_;
  bytesRemaining_ -= currentInfo_.bytes;
  bytesDone_ += currentInfo_.bytes;
  prompter_.progress(bytesDone_, bytesDone_ + bytesRemaining_);
  const std::string text = withoutFinalZero(std::move(articleText_));
  articleText_.clear();
  switch (operation_) {
    case BatchOperation::Decode:
      if (!skipArticle_) noteSeries();
      afterDecode(item);
      break;
    case BatchOperation::Save:
      saveArticle(currentInfo_, text);
      ++doneCount_;
      break;
    case BatchOperation::Append:
      appendArticle(currentInfo_, text);
      ++doneCount_;
      break;
    case BatchOperation::Store:
      if (host_.storeBody(item, text)) ++doneCount_;
      break;
    case BatchOperation::Transfer:
    case BatchOperation::Copy:
    case BatchOperation::Send:
    case BatchOperation::Cancel:
      if (!host_.otherOperation(operation_, item, text)) {
        host_.articleDone(item);
        current_.reset();
        Kill();
        return;
      }
      ++doneCount_;
      break;
    case BatchOperation::None:
      break;
  }
  host_.articleDone(item);
  current_.reset();
}

void TBatch::Kill() {
  if (!running()) return;
  try {
    reportCrcFiles(std::exchange(crcFiles_, {}));
    if (operation_ == BatchOperation::Decode && outputOpen()) {
      if (!placedOutputOpen() && resumable() && partStart_) {
        breakOff(partStart_->partNumber, *partStart_, Kind::BrokenOff, {});
      } else {
        dropKind_ = Kind::BrokenOff;
        DropOutput();
      }
    }
  } catch (const EDecodeOutput& error) {
    prompter_.message(error.what(), MessageKind::Error);
  }
  dropKind_ = Kind::Incomplete;
  if (current_) {
    InsertAt(0, *current_);
    host_.articleInterrupted(*current_);
    current_.reset();
  }
  fetching_ = false;
  pending_.clear();
  operation_ = BatchOperation::None;
  prompter_.progress(0, 0);
  host_.batchEnded();
}

void TBatch::Close() {
  Kill();
  try {
    settleOpenFile(Kind::Incomplete);
  } catch (const EDecodeOutput& error) {
    prompter_.message(error.what(), MessageKind::Error);
  }
}

void TBatch::saveArticle(const BatchArticleInfo& info, std::string_view text) {
  const std::string subject = info.subject.empty() ? "article" : CleanFileName(info.subject);
  const std::string name = SafeOutputName(subject + "." + std::to_string(index_) + ".txt");
  OutputFile file;
  const std::string base = WithTrailingSlash(settings_.saveDir) + name;
  for (int attempt = 0;; ++attempt) {
    if (attempt == 1000) throw EDecodeOutput("No free name for " + base);
    const std::string path = UniqueFileName(base);
    if (!file.create(path, CreateMode::Exclusive)) continue;
    file.write(text.data(), text.size());
    file.close();
    report(Kind::Saved, path);
    return;
  }
}

void TBatch::appendArticle(const BatchArticleInfo& info, std::string_view text) {
  std::ofstream out(appendPath_, std::ios::binary | std::ios::app);
  out << "From " << info.from << " " << info.date << "\r\n";
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
  out << "\r\n";
  out.flush();
  if (!out) throw EDecodeOutput("Cannot write " + appendPath_);
}

void TBatch::finishBatch() {
  if (operation_ == BatchOperation::Decode) {
    // What is still open lacks parts: it is set aside now, so this batch
    // says so and a later one can go on with it.
    try {
      settleOpenFile(Kind::Incomplete);
    } catch (const EDecodeOutput& error) {
      prompter_.message(error.what(), MessageKind::Error);
    }
  }
  prompter_.status(BatchSummaryText(operation_, doneCount_));
  prompter_.progress(0, 0);
  operation_ = BatchOperation::None;
  current_.reset();
  host_.batchEnded();
}

void TBatch::fail(const std::string& message) {
  prompter_.message(message, MessageKind::Error);
  Kill();
}

void TBatch::report(Kind kind, std::string path, Parts missing) {
  if (reportListener_) reportListener_(BatchFileReport{kind, std::move(path), std::move(missing)});
}

}  // namespace orvel
