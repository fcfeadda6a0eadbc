// Rendering: each line TMime returns is dispatched by its line class to the
// header block, the structure lines (boundaries, begin and end lines, with
// decoded text parts taking their place), or the body line rules (signature,
// ROT-13, quote test and collapsing). Finished files reported by TMime's
// completion event are listed before the line that closed them.

#include "content/article_view.h"

#include "config/startup.h"
#include "core/encoded_words.h"
#include "content/file_names.h"
#include "content/jpeg_probe.h"
#include "core/charset.h"
#include "core/text.h"

namespace orvel {

namespace {

MimeSettings mimeSettingsOf(const ViewerSettings& settings) {
  MimeSettings mime;
  mime.visibleHeaders = settings.visibleHeaders;
  mime.sigDashRegex = settings.sigDashRegex;
  mime.saveTypes = settings.saveTypes;
  mime.autoSaveAttachments = settings.autoSaveAttachments;
  return mime;
}

void compileOrClear(TPerlre& re, std::string_view pattern) {
  try {
    re.Compile(pattern);
  } catch (const EPerlRe&) {
    // A bad user pattern switches its test off; start-up reports it.
  }
}

bool matches(TPerlre& re, std::string_view text) { return re.IsCompiled() && re.Match(text); }

// Header text for the screen: valid UTF-8 (encoded words are decoded to it)
// is kept, other bytes are read as Windows-1252.
std::string displayText(std::string_view bytes) { return ConvertToUtf8(bytes, {}); }

// Text parts whose decoded text replaces the line that ends them.
bool decodesToText(TransferEncoding encoding) {
  return encoding == TransferEncoding::Base64 || encoding == TransferEncoding::UUencode ||
         encoding == TransferEncoding::YEnc;
}

bool isFileLine(const RenderedLine& line) {
  return line.kind == LineKind::FileSaved || line.kind == LineKind::FileDecoded ||
         line.kind == LineKind::Picture;
}

}  // namespace

std::optional<AttachmentSaveDialog::Answer> PrompterSaveDialog::ask(std::string_view caption,
                                                                     std::string_view startPath) {
  auto path = prompter_.chooseSaveFile(caption, startPath);
  if (!path || path->empty()) return std::nullopt;
  return Answer{*path, false};
}

ArticleView::ArticleView(ViewerSettings settings, ViewerServices services)
    : services_(services),
      prompterDialog_(services.prompter),
      mime_(true, mimeSettingsOf(settings), services.mime),
      quoteRegex_(true, 0),
      separatorRegex_(true, 0),
      sigDashRegex_(true, 0) {
  separatorRegex_.Compile(kSeparatorPattern);
  setSettings(std::move(settings));
  mime_.setCompletionEvent([this](TMime& sender, int code) { onMimeEvent(sender, code); });
  mime_.setKnownDirectories(&knownDirectories_);
  mime_.setOutputMode(OutputMode::View);
}

ArticleView::~ArticleView() { mime_.setCompletionEvent(nullptr); }

void ArticleView::setSettings(ViewerSettings settings) {
  settings_ = std::move(settings);
  mime_.setSettings(mimeSettingsOf(settings_));
  visibleNames_ = SplitVisibleHeaders(settings_.visibleHeaders);
  compileOrClear(quoteRegex_, settings_.quoteRegex);
  compileOrClear(sigDashRegex_, settings_.sigDashRegex);
  quoteMarks_ = QuoteMarks(settings_.quoteChars);
  ownRepair_.setQuoteChars(settings_.quoteChars);
}

void ArticleView::setAttachmentDirectory(std::string_view directory) {
  attachmentDirectory_ = WithTrailingSlash(directory);
  if (attachmentDirectory_.empty()) return;
  for (const std::string& known : knownDirectories_) {
    if (WithTrailingSlash(known) == attachmentDirectory_) return;
  }
  knownDirectories_.push_back(attachmentDirectory_);
}

void ArticleView::StartArticle(bool clear, bool autoSave) {
  flushAll();
  activeStore_ = &storeForToggles();
  if (clear) {
    lines_.clear();
    notifiedLines_ = 0;
    if (observer_) observer_->viewerCleared();
  } else {
    // The files of the old lines go with their article.
    for (RenderedLine& line : lines_) {
      if (isFileLine(line)) {
        line.kind = LineKind::Text;
        line.fileIndex = kNoFile;
      }
    }
  }
  rawCopy_.clear();
  ended_ = false;
  redisplayWanted_ = false;
  // Without an attachment directory nothing is saved (not into whatever the
  // working directory happens to be).
  autoSave_ = autoSave && !attachmentDirectory_.empty();
  mime_.setOutputMode(autoSave_ ? OutputMode::ViewAutoSave : OutputMode::View);
  mime_.setOutputDirectory(attachmentDirectory_);
  mime_.setCollisionOption(settings_.attachOpt);
  // The viewer shows one article at a time: a split file is assembled by the
  // batch, never across articles shown one after the other.
  mime_.clearMultipartContinuation();
  mime_.ResetArticle();

  request_ = ArticleRequestKind::Stored;
  panel_ = HeaderPanel();
  progressLines_ = 0;
  headerBlock_.clear();
  lastHeaderCollected_ = false;
  articleHeadersDone_ = false;
  firstBoundarySeen_ = false;
  partEncoding_ = TransferEncoding::None;
  decodedCharset_.clear();
  signatureSeen_ = false;
  quotedRun_ = false;
  pending_.reset();
  joinNext_ = false;
  skipJoined_ = false;
  finishedFiles_.clear();
  firstLineAfterHeaders_.reset();
  lastSignatureLine_.reset();
  if (observer_) {
    observer_->headerPanelChanged();
    observer_->attachmentsChanged();
  }
}

std::size_t ArticleView::ParseArticle(ArticleRequestKind request, std::string_view text,
                                      std::size_t pos, bool& last) {
  const LineSource source =
      request == ArticleRequestKind::Stored ? LineSource::Text : LineSource::ServerData;
  pos = parse(request, source, text, pos, last);
  if (last && redisplayWanted_) RedisplayArticle();
  return pos;
}

std::size_t ArticleView::parse(ArticleRequestKind request, LineSource source,
                               std::string_view text, std::size_t pos, bool& last) {
  request_ = request;
  last = false;
  if (ended_) return pos;
  const ParseDepth depth = toggles_.raw ? ParseDepth::HeadersOnly : ParseDepth::Full;
  std::string* raw = source == LineSource::ServerData ? &rawCopy_ : nullptr;
  std::string line;
  while (!last) {
    if (source == LineSource::Text && pos >= text.size()) {
      // An empty stored text, or one parsed to its end already.
      mime_.FinishArticle(source, nullptr);
      last = true;
      break;
    }
    const LineClass lineClass = mime_.ParseLine(text, pos, line, raw, source, depth, last);
    if (lineClass == LineClass::Incomplete) break;
    if (lineClass != LineClass::Header && lineClass != LineClass::PartHeader) ++progressLines_;
    if (last && source == LineSource::ServerData) {
      // The terminating line is not shown; it may still end the headers of
      // a HEAD reply or of an article without a body.
      line.clear();
      const bool endsHeaders = lineClass == LineClass::HeadersEnd && !articleHeadersDone_;
      const bool endsPartHeaders = lineClass == LineClass::PartHeadersEnd;
      if (!endsHeaders && !endsPartHeaders) break;
    }
    if (toggles_.raw) {
      handleRawLine(lineClass, line);
    } else {
      handleLine(lineClass, line);
    }
  }
  if (last) finishArticle();
  notifyAdded();
  return pos;
}

void ArticleView::ShowStoredArticle(std::string text, bool autoSave) {
  StartArticle(true, autoSave);
  rawCopy_ = std::move(text);
  bool last = false;
  parse(ArticleRequestKind::Stored, LineSource::Text, rawCopy_, 0, last);
}

bool ArticleView::RedisplayArticle() {
  if (!ended_) {
    // Still arriving: rendered again once it has ended.
    redisplayWanted_ = true;
    return false;
  }
  std::string raw = std::move(rawCopy_);
  const ArticleRequestKind request = request_;
  StartArticle(true, false);
  rawCopy_ = std::move(raw);
  bool last = false;
  parse(request, LineSource::Text, rawCopy_, 0, last);
  return true;
}

bool ArticleView::allHeaders() const {
  return toggles_.showAllHeaders || request_ == ArticleRequestKind::Head;
}

void ArticleView::handleRawLine(LineClass lineClass, const std::string& line) {
  RenderedLine shown;
  shown.text = ConvertToUtf8(line, mime_.charset());
  shown.style = toggles_.fixedFont ? LineStyle::Fixed : LineStyle::Body;
  queueLine(std::move(shown), false);
  if (lineClass == LineClass::HeadersEnd && !articleHeadersDone_) endArticleHeaders();
}

void ArticleView::handleLine(LineClass lineClass, std::string& line) {
  const bool softJoin = joinNext_;
  joinNext_ = false;
  switch (lineClass) {
    case LineClass::Incomplete:
    case LineClass::Preamble:
    case LineClass::Data:
      showFinishedFiles();
      return;
    case LineClass::Header:
    case LineClass::PartHeader:
      handleHeaderLine(line);
      return;
    case LineClass::HeadersEnd:
    case LineClass::PartHeadersEnd: {
      // A text that ends inside its headers returns its last header line
      // with the end-of-headers class.
      if (!line.empty()) handleHeaderLine(line);
      const bool article = lineClass == LineClass::HeadersEnd && !articleHeadersDone_;
      endHeaderBlock(article);
      if (article) endArticleHeaders();
      partEncoding_ = mime_.transferEncoding();
      decodedCharset_ = mime_.charset();
      return;
    }
    case LineClass::Boundary:
    case LineClass::ClosingBoundary:
    case LineClass::End:
      handleStructureLine(lineClass, line);
      return;
    case LineClass::Begin:
      showFinishedFiles();
      if (decodesToText(partEncoding_)) showDecodedText();
      partEncoding_ = mime_.transferEncoding();
      decodedCharset_.clear();  // a file's charset is unknown
      showBodyLine(line, {}, false);
      return;
    case LineClass::Text:
      showFinishedFiles();
      if (softJoin) {
        appendJoined(line, mime_.charset());
      } else {
        showBodyLine(line, mime_.charset(), false);
      }
      joinNext_ = mime_.transferEncoding() == TransferEncoding::QuotedPrintable &&
                  !mime_.hardLineEnd();
      return;
  }
}

void ArticleView::handleHeaderLine(std::string_view line) {
  if (line.empty()) return;
  if (line[0] == ' ' || line[0] == '\t') {
    // A folded line joins the line it continues, its first blank a space.
    if (lastHeaderCollected_ && !headerBlock_.empty()) {
      headerBlock_.back() += ' ';
      headerBlock_.back() += displayText(DecodeEncodedWords(line.substr(1)));
    }
    return;
  }
  const std::string name = lowerAscii(trimView(line.substr(0, line.find(':'))));
  bool visible = false;
  for (const std::string& wanted : visibleNames_) visible = visible || wanted == name;
  const bool hiddenInSplit = toggles_.splitScreen && settings_.noHeadersInSplitScreen;
  lastHeaderCollected_ = allHeaders() || (visible && !hiddenInSplit);
  if (lastHeaderCollected_) headerBlock_.push_back(displayText(DecodeEncodedWords(line)));
}

void ArticleView::endHeaderBlock(bool articleHeaders) {
  std::vector<std::string> shown;
  if (allHeaders()) {
    shown = std::move(headerBlock_);
  } else if (!headerBlock_.empty()) {
    if (articleHeaders) {
      // The article's visible headers come in the setting's order.
      const std::string text = mime_.VisibleHeaderText();
      for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = text.find("\r\n", start);
        shown.push_back(displayText(text.substr(start, end - start)));
        start = end == std::string::npos ? text.size() : end + 2;
      }
    } else {
      shown = std::move(headerBlock_);
    }
  }
  headerBlock_.clear();
  lastHeaderCollected_ = false;
  if (shown.empty()) return;
  for (const std::string& header : shown) {
    RenderedLine line;
    line.text = header;
    line.style = LineStyle::Header;
    queueLine(std::move(line), false);
  }
  queueLine(RenderedLine(), false);  // a blank line between headers and text
  if (articleHeaders) {
    panel_.lines = std::move(shown);
    flushAll();
    firstLineAfterHeaders_ = lines_.size();
  }
}

void ArticleView::endArticleHeaders() {
  articleHeadersDone_ = true;
  panel_.face.reset();
  const std::string& face = mime_.headers().xFace;
  if (settings_.xFace && !face.empty()) panel_.face = DecodeXFace(face);
  if (observer_) observer_->headerPanelChanged();
}

void ArticleView::handleStructureLine(LineClass lineClass, const std::string& line) {
  const bool replaced = decodesToText(partEncoding_) && showDecodedText();
  std::string dropped;
  mime_.TakeDecodedText(dropped);  // text other parts wrote to their files
  showFinishedFiles();
  partEncoding_ = TransferEncoding::None;
  const bool firstBoundary = lineClass == LineClass::Boundary && !firstBoundarySeen_;
  if (lineClass == LineClass::Boundary) firstBoundarySeen_ = true;
  if (replaced || firstBoundary) return;
  showBodyLine(line, {}, lineClass != LineClass::End);
}

bool ArticleView::showDecodedText() {
  std::string text;
  if (!mime_.TakeDecodedText(text)) return false;
  std::string_view rest = text;
  while (!rest.empty()) {
    const std::size_t lf = rest.find('\n');
    std::string_view piece = rest.substr(0, lf);
    rest = lf == std::string_view::npos ? std::string_view() : rest.substr(lf + 1);
    if (!piece.empty() && piece.back() == '\r') piece.remove_suffix(1);
    const std::string converted = ConvertToUtf8(piece, decodedCharset_);
    if (!signatureNow() && matches(sigDashRegex_, converted)) signatureSeen_ = true;
    showBodyLine(piece, decodedCharset_, false);
  }
  return true;
}

void ArticleView::showBodyLine(std::string_view bytes, std::string_view charset, bool partLine) {
  RenderedLine line;
  line.text = ConvertToUtf8(bytes, charset);
  bool quoted = false;
  rotatedLine_ = false;
  if (signatureNow() || partLine) {
    line.style = LineStyle::Signature;
  } else {
    if (toggles_.rot13) {
      line.text = Rot13(line.text);
      rotatedLine_ = true;
    }
    if (!line.text.empty() && !matches(separatorRegex_, line.text) &&
        matches(quoteRegex_, line.text)) {
      quoted = true;
      line.style = LineStyle::Quoted;
      line.quoteDepth = std::max(0, quoteMarks_.Depth(line.text));
      if (!toggles_.quoted) {
        // A run of quoted lines shows as one "> [...]".
        skipJoined_ = quotedRun_;
        if (quotedRun_) return;
        line.text = std::string(kCollapsedQuoteText);
        line.kind = LineKind::CollapsedQuote;
      }
    }
  }
  skipJoined_ = false;
  if (toggles_.fixedFont) line.style = LineStyle::Fixed;
  queueLine(std::move(line), quoted);
}

// The continuation of a quoted-printable line with a soft line end.
void ArticleView::appendJoined(std::string_view bytes, std::string_view charset) {
  if (skipJoined_ || !pending_) return;
  std::string more = ConvertToUtf8(bytes, charset);
  if (rotatedLine_) more = Rot13(more);
  if (pending_->kind == LineKind::Text) pending_->text += more;
}

void ArticleView::onMimeEvent(TMime& sender, int code) {
  // A file that failed its CRC check is shown too; AttachNotify launches
  // only sound ones.
  if ((code != kFileFinished && code != kFileCrcError) || sender.producedFiles().empty()) return;
  if (sender.outputMode() != OutputMode::View && sender.outputMode() != OutputMode::ViewAutoSave) {
    return;
  }
  finishedFiles_.push_back(sender.producedFiles().size() - 1);
  if (observer_) observer_->attachmentsChanged();
  AttachNotify(sender, code, settings_.launchTypes, services_.launcher, services_.prompter);
}

void ArticleView::showFinishedFiles() {
  for (std::size_t index : finishedFiles_) {
    const ProducedFile& file = mime_.producedFiles()[index];
    RenderedLine line;
    line.fileIndex = index;
    line.style = toggles_.fixedFont ? LineStyle::Fixed : LineStyle::Body;
    std::optional<JpegSize> picture;
    if (settings_.jpeg && HasJpegExtension(file.name)) picture = ProbeJpeg(file.memory);
    if (picture) {
      line.kind = LineKind::Picture;
      line.text = displayText(file.name);
      line.pictureWidth = picture->width;
      line.pictureHeight = picture->height;
    } else if (file.onDisk) {
      line.kind = LineKind::FileSaved;
      line.text = std::string(kFileSavedText) + displayText(file.name);
    } else {
      line.kind = LineKind::FileDecoded;
      line.text = std::string(kFileDecodedText) + displayText(file.name);
    }
    queueLine(std::move(line), false);
  }
  finishedFiles_.clear();
}

void ArticleView::finishArticle() {
  // A single-part text in base64 has no boundary for its text to replace.
  if (!toggles_.raw && decodesToText(partEncoding_)) showDecodedText();
  std::string dropped;
  mime_.TakeDecodedText(dropped);
  showFinishedFiles();
  flushAll();
  ended_ = true;
  if (settings_.fixWrapOnce && toggles_.fixWrap) {
    toggles_.fixWrap = false;
    if (observer_) observer_->togglesChanged();
  }
}

// --- emission

void ArticleView::queueLine(RenderedLine line, bool quoted) {
  flushPending();
  pending_ = std::move(line);
  quotedRun_ = quoted;
}

void ArticleView::flushPending() {
  if (!pending_) return;
  RenderedLine line = std::move(*pending_);
  pending_.reset();
  store().Add(std::move(line), [this](RenderedLine out) { addLine(std::move(out)); });
}

void ArticleView::flushAll() {
  flushPending();
  store().Flush([this](RenderedLine out) { addLine(std::move(out)); });
}

QuoteLineStore& ArticleView::storeForToggles() {
  if (!toggles_.quoted || !toggles_.fixWrap) return passThrough_;
  return repairStore_ != nullptr ? *repairStore_ : ownRepair_;
}

void ArticleView::addLine(RenderedLine line) {
  const bool bodyStyle = line.style != LineStyle::Header && line.style != LineStyle::Quoted;
  if (line.kind == LineKind::Text && bodyStyle && matches(sigDashRegex_, line.text)) {
    lastSignatureLine_ = lines_.size();
  }
  if (toggles_.uniformQuote && line.kind == LineKind::Text && line.quoteDepth >= 0) {
    line.text = quoteMarks_.Uniform(line.text);
  }
  lines_.push_back(std::move(line));
}

void ArticleView::notifyAdded() {
  if (lines_.size() > notifiedLines_) {
    const std::size_t first = notifiedLines_;
    notifiedLines_ = lines_.size();
    if (observer_) observer_->linesAdded(first);
  }
}

std::optional<std::size_t> ArticleView::ScrollTargetAfterHeaders() const {
  if (!settings_.skipHeaders || toggles_.showAllHeaders || !firstLineAfterHeaders_) {
    return std::nullopt;
  }
  if (*firstLineAfterHeaders_ >= lines_.size()) return std::nullopt;  // headers only
  return firstLineAfterHeaders_;
}

bool ArticleView::SkipQuoteMovesOn(std::size_t lastVisibleLine) const {
  if (lines_.empty()) return true;
  const std::size_t end = lastSignatureLine_.value_or(lines_.size() - 1);
  return lastVisibleLine >= end;
}

}  // namespace orvel
