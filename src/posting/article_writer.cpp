#include "posting/article_writer.h"

#include <algorithm>
#include <limits>

#include "content/crc32.h"
#include "core/text.h"

namespace orvel {

namespace {

constexpr int kYEncProgressLines = 25;
constexpr int kOtherProgressLines = 100;

std::uint64_t ceilDiv(std::uint64_t a, std::uint64_t b) { return (a + b - 1) / b; }

std::uint64_t encodedLines(std::uint64_t size) { return ceilDiv(size, kUuBytesPerLine); }

class DiscardingSink final : public LineSink {
 public:
  void Line(std::string_view) override {}
};

}  // namespace

ArticleWriter::ArticleWriter(const PostJob& job, PostTarget target, WriterEnvironment env)
    : job_(job), target_(target), env_(std::move(env)) {
  hasText_ = !job_.body.empty();
  const bool mail = target_ == PostTarget::Mail;
  option_ = mail ? 0 : std::clamp(job_.option, 0, 3);
  if (option_ == 1 && !hasText_) option_ = 2;
  mime_ = (mail || job_.mime) && !job_.files.empty();
  yEnc_ = job_.yEnc && !mime_ && !mail;
  const std::uint64_t cut = job_.cutSize > 0 ? static_cast<std::uint64_t>(job_.cutSize) : 0;
  if (yEnc_) splitBytes_ = cut;
  for (const PostFile& f : job_.files) {
    totalUnits_ += static_cast<std::int64_t>(yEnc_ ? f.size : encodedLines(f.size));
  }
  planFirst();
}

// --- The series ------------------------------------------------------------

void ArticleWriter::planFirst() {
  if (job_.files.empty() || option_ == 0) {
    kind_ = Kind::Stream;
    const std::uint64_t cut = job_.cutSize > 0 ? static_cast<std::uint64_t>(job_.cutSize) : 0;
    if (!job_.files.empty() && target_ == PostTarget::News && cut > 0) {
      // Text lines count against the cut size except with yEnc, which counts bytes.
      std::uint64_t units = yEnc_ ? 0 : job_.body.size();
      for (const PostFile& f : job_.files) units += yEnc_ ? f.size : encodedLines(f.size);
      const std::uint64_t parts = ceilDiv(std::max<std::uint64_t>(units, 1), cut);
      if (parts > 1) {
        totalParts_ = static_cast<int>(parts);
        if (!yEnc_) splitLines_ = cut;
      }
    }
    if (mime_) {
      const unsigned first = env_.random();
      boundary_ = MakeMimeBoundary(env_.now, first, env_.random());
      if (totalParts_ > 1) partialId_ = MakePartialId(env_.now, env_.random(), env_.serverAddress);
    }
  } else if (option_ == 1) {
    kind_ = Kind::Text;
    currentPart_ = 0;
  } else {
    selectFile(0, -1);
  }
}

int ArticleWriter::fileArticles(const PostFile& file) const {
  const std::uint64_t cut = job_.cutSize > 0 ? static_cast<std::uint64_t>(job_.cutSize) : 0;
  if (cut == 0) return 1;
  const std::uint64_t units = yEnc_ ? file.size : encodedLines(file.size);
  return static_cast<int>(std::max<std::uint64_t>(ceilDiv(units, cut), 1));
}

void ArticleWriter::selectFile(std::size_t index, int previousPart) {
  fileIndex_ = static_cast<int>(index);
  totalParts_ = fileArticles(job_.files[index]);
  splitLines_ = !yEnc_ && totalParts_ > 1 ? static_cast<std::size_t>(job_.cutSize) : 0;
  const bool textFirst =
      hasText_ && previousPart != 0 && (option_ == 3 || (option_ == 2 && index == 0));
  kind_ = textFirst ? Kind::Text : Kind::File;
  currentPart_ = textFirst ? 0 : 1;
  textAt_ = 0;
  // Each file's series is a message/partial set of its own.
  if (mime_ && totalParts_ > 1) partialId_ = MakePartialId(env_.now, env_.random(), env_.serverAddress);
}

bool ArticleWriter::planNext() {
  if (kind_ == Kind::Stream) {
    if (textAt_ < job_.body.size() || dataFile_ < job_.files.size()) {
      ++currentPart_;
      return true;
    }
  } else if (kind_ == Kind::File && dataFile_ == static_cast<std::size_t>(fileIndex_)) {
    ++currentPart_;
    return true;
  } else {
    const std::size_t next = kind_ == Kind::Text && fileIndex_ >= 0
                                 ? static_cast<std::size_t>(fileIndex_)
                                 : static_cast<std::size_t>(fileIndex_ + 1);
    if (next < job_.files.size()) {
      selectFile(next, currentPart_);
      return true;
    }
  }
  complete_ = true;
  return false;
}

// --- One article -------------------------------------------------------------

std::string ArticleWriter::subjectLine() const {
  const int fileCount = static_cast<int>(job_.files.size());
  if (fileCount > 0 && kind_ == Kind::Stream) {
    return TogetherSubjectLine(job_.subject, fileCount, job_.showFileCount, currentPart_,
                               totalParts_);
  }
  if (fileCount == 0 || fileIndex_ < 0) return "Subject: " + job_.subject;
  std::string label;
  if (job_.showFileCount) {
    label = job_.seriesIndex >= 0 ? FileLabel(job_.seriesIndex, job_.seriesCount)
                                  : FileLabel(fileIndex_ + 1, fileCount);
  }
  const PostFile& file = job_.files[static_cast<std::size_t>(fileIndex_)];
  return FileSubjectLine(job_.subject, label, file.name, file.size, yEnc_, currentPart_,
                         totalParts_);
}

std::vector<std::string> ArticleWriter::mimeHeaderLines(bool& endsHeader) {
  endsHeader = true;
  if (!mime_ || currentPart_ <= 0) return {};
  std::vector<std::string> lines{"Mime-Version: 1.0"};
  if (totalParts_ > 1) {
    lines.push_back(format("Content-Type: message/partial; number=%d; total=%d;", currentPart_,
                           totalParts_));
    lines.push_back("\tid=\"" + partialId_ + "\"");
  } else if (kind_ == Kind::Stream && hasText_) {
    lines.push_back("Content-Type: multipart/mixed; boundary=\"" + boundary_ + "\"");
  } else {
    // The body's first lines complete the header.
    endsHeader = false;
  }
  return lines;
}

void ArticleWriter::beginArticle() {
  inArticle_ = true;
  articleLines_ = 0;
  articleBytes_ = 0;
  ArticleHeaderParts parts;
  parts.subjectLine = subjectLine();
  if (target_ == PostTarget::News && env_.messageId && !skipping_) {
    parts.messageId = env_.messageId(article_);
    if (!parts.messageId.empty() && env_.cancelLock) {
      parts.cancelLock = env_.cancelLock(parts.messageId);
    }
    lastMessageId_ = parts.messageId;
  }
  parts.dropMimeHeaders = mime_ || !job_.files.empty();
  parts.mime = mimeHeaderLines(parts.endsHeader);
  pending_ = ArticleHeaderLines(job_, target_, env_, parts);
  pendingAt_ = 0;
  step_ = kind_ == Kind::Stream ? Step::Preamble : kind_ == Kind::Text ? Step::Text : Step::FileStart;
}

void ArticleWriter::pushPreamble() {
  if (!mime_ || preambleDone_) return;
  preambleDone_ = true;
  // The enclosed message's header in a split series, or the end of the
  // article's own header when no text made it a multipart one.
  if (totalParts_ > 1 || !hasText_) {
    pending_.push_back("Content-Type: multipart/mixed; boundary=\"" + boundary_ + "\"");
    pending_.emplace_back();
  }
  if (hasText_) {
    pending_.emplace_back("This is a MIME-encoded message.");
    pending_.push_back("--" + boundary_);
    pending_.emplace_back();
  }
}

bool ArticleWriter::limitReached() const {
  return (splitLines_ > 0 && articleLines_ >= splitLines_) ||
         (splitBytes_ > 0 && articleBytes_ >= splitBytes_);
}

bool ArticleWriter::nextLine() {
  for (;;) {
    if (pendingAt_ < pending_.size()) {
      line_ = pending_[pendingAt_++];
      return true;
    }
    pending_.clear();
    pendingAt_ = 0;
    switch (step_) {
      case Step::Preamble:
        pushPreamble();
        step_ = Step::Text;
        break;
      case Step::Text:
        if (textStep()) return true;
        break;
      case Step::FileStart:
        if (fileStartStep()) return true;
        break;
      case Step::FileData:
        if (fileDataStep()) return true;
        break;
      case Step::FileEnd:
        fileEndStep();
        break;
      case Step::Closing:
        if (!boundary_.empty() && dataFile_ >= job_.files.size()) {
          pending_.push_back("--" + boundary_ + "--");
        }
        step_ = Step::Done;
        break;
      case Step::Done:
        return false;
    }
  }
}

bool ArticleWriter::textStep() {
  if (textAt_ >= job_.body.size()) {
    step_ = kind_ == Kind::Text ? Step::Done : Step::FileStart;
    return false;
  }
  // Only text travelling with the files is split by the cut size.
  const bool counted = kind_ == Kind::Stream && splitLines_ > 0;
  if (counted && articleLines_ >= splitLines_) {
    step_ = Step::Done;
    return false;
  }
  if (counted) ++articleLines_;
  line_ = job_.body[textAt_++];
  return true;
}

bool ArticleWriter::fileStartStep() {
  if (dataFile_ >= job_.files.size() ||
      (kind_ == Kind::File && dataFile_ != static_cast<std::size_t>(fileIndex_))) {
    step_ = Step::Closing;
    return false;
  }
  if (file_.begun) {
    step_ = Step::FileData;
    return false;
  }
  // A file's first lines travel with its data.
  if (limitReached()) {
    step_ = Step::Done;
    return false;
  }
  const PostFile& f = job_.files[dataFile_];
  std::string error;
  if (!file_.reader.Open(f, error)) {
    fail(error);
    return false;
  }
  file_.begun = true;
  file_.partOpen = false;
  file_.part = 1;
  file_.parts = 1;
  file_.fileCrc = 0;
  if (yEnc_ && splitBytes_ > 0) {
    const std::uint64_t room = splitBytes_ - articleBytes_;
    if (f.size > room) file_.parts = 1 + static_cast<int>(ceilDiv(f.size - room, splitBytes_));
  } else if (mime_) {
    if (!boundary_.empty()) pending_.push_back("--" + boundary_);
    const std::string type = env_.contentType ? env_.contentType(f.name) : std::string();
    pending_.push_back("Content-Type: " + (type.empty() ? "application/octet-stream" : type) +
                       "; name=\"" + f.name + "\"");
    pending_.emplace_back("Content-Transfer-Encoding: base64");
    pending_.emplace_back();
  } else if (!yEnc_) {
    pending_.emplace_back();
    pending_.push_back("begin 644 " + f.name);
  }
  step_ = Step::FileData;
  return false;
}

void ArticleWriter::pushYEncPartBegin() {
  const PostFile& f = job_.files[dataFile_];
  pending_.emplace_back();
  std::string head = "=ybegin ";
  if (file_.parts > 1) head += format("part=%d total=%d ", file_.part, file_.parts);
  head += format("line=%zu size=%llu name=", kYEncLineLength,
                 static_cast<unsigned long long>(f.size));
  pending_.push_back(head + f.name);
  if (file_.parts > 1) {
    const std::uint64_t from = file_.reader.Position();
    const std::uint64_t room = splitBytes_ > 0 ? splitBytes_ - articleBytes_ : f.size;
    pending_.push_back(format("=ypart begin=%llu end=%llu", static_cast<unsigned long long>(from + 1),
                              static_cast<unsigned long long>(std::min(from + room, f.size))));
  }
  file_.partOpen = true;
  file_.partCrc = 0;
  file_.partBytes = 0;
}

void ArticleWriter::endYEncPart(bool lastPart) {
  file_.fileCrc = Crc32Combine(file_.fileCrc, file_.partCrc, static_cast<std::int64_t>(file_.partBytes));
  const auto bytes = static_cast<unsigned long long>(file_.partBytes);
  if (file_.parts > 1) {
    std::string end = format("=yend size=%llu part=%d pcrc32=%08x", bytes, file_.part, file_.partCrc);
    if (lastPart) end += format(" crc32=%08x", file_.fileCrc);
    pending_.push_back(std::move(end));
  } else {
    pending_.push_back(format("=yend size=%llu crc32=%08x", bytes, file_.fileCrc));
  }
  ++file_.part;
  file_.partOpen = false;
}

bool ArticleWriter::fileDataStep() {
  if (file_.reader.AtEnd()) {
    step_ = Step::FileEnd;
    return false;
  }
  if (limitReached()) {
    if (yEnc_ && file_.partOpen) endYEncPart(false);
    step_ = Step::Done;
    return false;
  }
  if (yEnc_ && !file_.partOpen) {
    pushYEncPartBegin();
    return false;
  }
  std::size_t want = yEnc_ ? kYEncLineLength : kUuBytesPerLine;
  if (splitBytes_ > 0) want = static_cast<std::size_t>(std::min<std::uint64_t>(want, splitBytes_ - articleBytes_));
  std::string error;
  const std::string_view data = file_.reader.Peek(want, error);
  if (data.empty()) {
    fail(error);
    return false;
  }
  const auto* bytes = reinterpret_cast<const unsigned char*>(data.data());
  std::size_t taken = data.size();
  std::size_t length = 0;
  if (yEnc_) {
    length = EncodeYEncLine(bytes, data.size(), lineBuffer_, taken);
    file_.partCrc = Crc32Update(file_.partCrc, bytes, taken);
    file_.partBytes += taken;
    articleBytes_ += taken;
    doneUnits_ += static_cast<std::int64_t>(taken);
  } else {
    length = mime_ ? EncodeBase64Line(bytes, taken, lineBuffer_) : EncodeUuLine(bytes, taken, lineBuffer_);
    ++articleLines_;
    ++doneUnits_;
  }
  file_.reader.Advance(taken);
  line_ = std::string_view(lineBuffer_, length);
  reportProgress();
  return true;
}

void ArticleWriter::fileEndStep() {
  std::string error;
  if (!file_.reader.CheckEnd(error)) {
    fail(error);
    return;
  }
  if (yEnc_) {
    endYEncPart(true);
  } else if (!mime_) {
    pending_.emplace_back("`");
    pending_.emplace_back("end");
    pending_.emplace_back();
  }
  file_.reader.Close();
  file_.begun = false;
  ++dataFile_;
  step_ = kind_ == Kind::Stream ? Step::FileStart : Step::Closing;
}

void ArticleWriter::fail(const std::string& text) {
  failed_ = true;
  error_ = text;
  pending_.clear();
  pendingAt_ = 0;
  step_ = Step::Done;
}

void ArticleWriter::reportProgress() {
  const int every = yEnc_ ? kYEncProgressLines : kOtherProgressLines;
  if (++linesSinceProgress_ < every) return;
  linesSinceProgress_ = 0;
  if (!onProgress || skipping_) return;
  const int percent = totalUnits_ > 0 ? static_cast<int>(doneUnits_ * 100 / totalUnits_) : 100;
  onProgress(percent, (target_ == PostTarget::News ? "Posting " : "Mailing ") + job_.subject);
}

// --- The caller's side ---------------------------------------------------------

WriteResult ArticleWriter::WriteSome(LineSink& sink, std::size_t maxBytes, std::string& error) {
  if (failed_) {
    error = error_;
    return WriteResult::Failed;
  }
  if (!inArticle_) {
    if (complete_) return WriteResult::Complete;
    beginArticle();
  }
  std::size_t written = 0;
  while (nextLine()) {
    sink.Line(line_);
    written += line_.size() + 2;
    if (written >= maxBytes) return WriteResult::More;
  }
  if (failed_) {
    error = error_;
    return WriteResult::Failed;
  }
  inArticle_ = false;
  ++article_;
  planNext();
  return WriteResult::Written;
}

WriteResult ArticleWriter::WriteNext(LineSink& sink, std::string& error) {
  return WriteSome(sink, std::numeric_limits<std::size_t>::max(), error);
}

bool ArticleWriter::SkipArticles(int count, std::string& error) {
  DiscardingSink discard;
  skipping_ = true;
  WriteResult result = WriteResult::Written;
  for (int i = 0; i < count && result == WriteResult::Written; ++i) result = WriteNext(discard, error);
  skipping_ = false;
  if (result == WriteResult::Complete) error = format("Pas d'article %d dans cet envoi", count);
  return result == WriteResult::Written;
}

}  // namespace orvel
