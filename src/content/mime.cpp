#include "content/mime.h"

#include <cstring>

#include "core/encoded_words.h"
#include "content/file_names.h"
#include "content/line_end.h"
#include "core/text.h"

namespace orvel {

namespace {

enum class Split { Line, Incomplete, ArticleEnd };

// One line of NNTP data from pos: up to the first LF (a CR before it is
// dropped), or without any LF up to a CR that is not the last byte. A lone
// "." ends the article; a leading "." of any other line is dot-stuffing.
Split splitServerLine(std::string_view text, std::size_t& pos, std::string& line) {
  const std::string_view rest = text.substr(pos);
  if (rest.size() >= 2 && rest[0] == '.' && (rest[1] == '\r' || rest[1] == '\n')) {
    pos += rest[1] == '\r' && rest.size() >= 3 && rest[2] == '\n' ? 3 : 2;
    return Split::ArticleEnd;
  }
  std::size_t end;
  std::size_t next;
  if (const void* lf = std::memchr(rest.data(), '\n', rest.size())) {
    next = static_cast<std::size_t>(static_cast<const char*>(lf) - rest.data());
    end = next > 0 && rest[next - 1] == '\r' ? next - 1 : next;
    ++next;
  } else {
    const void* cr = std::memchr(rest.data(), '\r', rest.size());
    if (cr == nullptr) return Split::Incomplete;
    end = static_cast<std::size_t>(static_cast<const char*>(cr) - rest.data());
    if (end + 1 == rest.size()) return Split::Incomplete;
    next = rest[end + 1] == '\r' ? end + 2 : end + 1;
  }
  const std::size_t start = end > 0 && rest[0] == '.' ? 1 : 0;
  line.assign(rest.data() + start, end - start);
  pos += next;
  return Split::Line;
}

// One line of a stored or local text: up to NUL, CR or LF; then one CR and
// one LF (or the NUL) are consumed. The line is returned as a view of text.
std::string_view nextTextLine(std::string_view text, std::size_t& pos) {
  const char* start = text.data() + pos;
  const std::size_t rest = text.size() - pos;
  const std::size_t end = FindLineEnd(start, rest);
  std::size_t i = pos + end;
  const std::size_t n = text.size();
  if (i < n && text[i] == '\0') {
    ++i;
  } else {
    if (i < n && text[i] == '\r') ++i;
    if (i < n && text[i] == '\n') ++i;
  }
  pos = i;
  return {start, end};
}

// The end of a stored text: its end, or a final zero byte.
bool textEnded(std::string_view text, std::size_t pos) {
  return pos >= text.size() || (pos + 1 == text.size() && text[pos] == '\0');
}

// A boundary line may carry trailing blanks (transport padding).
bool equalsPadded(std::string_view line, std::string_view boundary) {
  if (line.size() < boundary.size() || line.compare(0, boundary.size(), boundary) != 0) {
    return false;
  }
  for (std::size_t i = boundary.size(); i < line.size(); ++i) {
    if (line[i] != ' ' && line[i] != '\t') return false;
  }
  return true;
}

void compileOrClear(TPerlre& re, std::string_view pattern) {
  try {
    re.Compile(pattern);
  } catch (const EPerlRe&) {
    // A bad user pattern switches its test off rather than every parse.
  }
}

}  // namespace

std::vector<std::string> SplitVisibleHeaders(std::string_view setting) {
  std::vector<std::string> names;
  for (const std::string& piece : splitChar(setting, ',')) {
    const std::string name = lowerAscii(trimView(piece));
    if (!name.empty()) names.push_back(name);
  }
  return names;
}

std::string Rot13(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>('a' + (c - 'a' + 13) % 26);
    } else if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>('A' + (c - 'A' + 13) % 26);
    }
  }
  return out;
}

TMime::TMime(bool keepExtraHeaders, MimeSettings settings, MimeEnvironment env)
    : env_(env),
      sigDash_(true),
      cutHere_(true, TPerlre::kCaseless),
      dashes_(true),
      keepExtraHeaders_(keepExtraHeaders) {
  cutHere_.Compile("cut.+here");
  dashes_.Compile("[\\-\\*]{4}");
  setSettings(std::move(settings));
  ResetArticle();
}

TMime::~TMime() {
  try {
    file_.close();
  } catch (const EDecodeOutput&) {
    // Nothing to report to from a destructor.
  }
}

void TMime::setSettings(MimeSettings settings) {
  settings_ = std::move(settings);
  visibleNames_ = SplitVisibleHeaders(settings_.visibleHeaders);
  visibleLines_.assign(visibleNames_.size(), std::string());
  compileOrClear(sigDash_, settings_.sigDashRegex);
}

void TMime::setOutputDirectory(std::string_view directory) {
  outputDirectory_ = WithTrailingSlash(directory);
}

void TMime::ResetArticle() {
  if (!continuation_) {
    uuPreviousBytes_ = -1;
    mimeVersion_ = false;
    attachment_ = false;
    partial_ = false;
    contentClass_ = ContentClass::Other;
    contentType_ = "application/unknown";
    charset_.clear();
    encoding_ = TransferEncoding::None;
    fileName_.clear();
    requestedName_.clear();
    nameFromDisposition_ = false;
    qpLineBreakPending_ = false;
    partCounter_ = 0;
    boundaries_.clear();
    total_ = 0;
    decodedText_.clear();
    // A yEnc file written at offsets waits for its other parts, which
    // find it by name.
    if (!placed_) DropOutput();
    if (inViewMode()) producedFiles_.clear();
  }
  if (placed_) placed_->inPart = false;
  headerName_.clear();
  headerNameLower_.clear();
  signature_ = false;
  partNumber_ = 0;
  crcError_ = false;
  headersEnded_ = false;
  skippedHeaderGap_ = false;
  headers_ = ArticleHeaders();
  rawSubject_.clear();
  rawFrom_.clear();
  rawReplyTo_.clear();
  lineClass_ = LineClass::Header;
  state_ = ParseState::BeforeHeaders;
  visibleLines_.assign(visibleNames_.size(), std::string());
  extraHeaders_.clear();
  currentExtra_ = -1;
  hardLineEnd_ = true;
  innerHeaders_ = false;
}

LineClass TMime::ParseLine(std::string_view text, std::size_t& pos, std::string& line,
                           std::string* rawCopy, LineSource source, ParseDepth depth,
                           bool& last) {
  last = false;
  for (;;) {
    if (source == LineSource::ServerData) {
      const Split split = splitServerLine(text, pos, line);
      if (split == Split::Incomplete) return LineClass::Incomplete;
      if (split == Split::ArticleEnd) {
        line.clear();
        FinishArticle(source, rawCopy);
        last = true;
        return lineClass_;
      }
    } else {
      line.assign(nextTextLine(text, pos));
    }
    if (rawCopy) {
      rawCopy->append(line);
      rawCopy->append("\r\n");
    }
    const bool handled = handleLine(line, source, depth);
    if (source == LineSource::Text && textEnded(text, pos)) {
      FinishArticle(source, rawCopy);
      last = true;
      return lineClass_;
    }
    if (handled) return lineClass_;
  }
}

void TMime::ParseYEncDataLines(std::string_view text, std::size_t& pos) {
  while (state_ == ParseState::YEncData) {
    std::size_t next = pos;
    const std::string_view line = nextTextLine(text, next);
    if (textEnded(text, next) || line.starts_with("=yend ")) return;
    pos = next;
    handleYEncLine(line);
  }
}

void TMime::ParseHeadersOnly(std::string_view text) {
  ResetArticle();
  std::size_t pos = 0;
  std::string line;
  bool last = false;
  while (!last) {
    const LineClass c =
        ParseLine(text, pos, line, nullptr, LineSource::Text, ParseDepth::HeadersOnly, last);
    if (c == LineClass::HeadersEnd) break;
  }
}

bool TMime::handleLine(std::string& line, LineSource source, ParseDepth depth) {
  switch (state_) {
    case ParseState::BeforeHeaders:
      if (line.empty()) return false;
      state_ = ParseState::Headers;
      [[fallthrough]];
    case ParseState::Headers:
      if (!line.empty()) {
        ParseHeaderLine(line);
        lineClass_ = LineClass::Header;
        return true;
      }
      // A server may put a blank line inside the headers; one such line met
      // before Message-ID and Newsgroups are both known is passed over.
      if (source == LineSource::ServerData && !skippedHeaderGap_ &&
          (headers_.messageId.empty() || headers_.newsgroups.empty())) {
        skippedHeaderGap_ = true;
        return false;
      }
      if (depth == ParseDepth::HeadersOnly) {
        lineClass_ = LineClass::HeadersEnd;
        headersEnded_ = true;
        state_ = ParseState::Body;
        return true;
      }
      endOfHeaders();
      return true;
    default:
      break;
  }
  if (depth == ParseDepth::HeadersOnly) {
    lineClass_ = LineClass::Text;
    return true;
  }
  switch (state_) {
    case ParseState::PartHeaders:
      if (!line.empty()) {
        ParseHeaderLine(line);
        lineClass_ = LineClass::PartHeader;
      } else if (equalsNoCase(contentType_, "message/rfc822")) {
        // A message inside the part: its own headers follow, and their MIME
        // headers describe what comes after them.
        lineClass_ = LineClass::PartHeadersEnd;
        startInnerMessage();
      } else {
        lineClass_ = LineClass::PartHeadersEnd;
        innerHeaders_ = false;
        state_ = encoding_ == TransferEncoding::UUencode ? ParseState::UUData : ParseState::Body;
      }
      return true;
    case ParseState::Preamble:
      if (!testBoundary(line)) lineClass_ = LineClass::Preamble;
      return true;
    case ParseState::Epilogue:
      lineClass_ = LineClass::Preamble;
      return true;
    case ParseState::YPartExpected:
      if (!ParseYPart(line)) {
        lineClass_ = LineClass::Text;
        state_ = ParseState::Body;
      }
      return true;
    case ParseState::YEncData:
      handleYEncLine(line);
      return true;
    case ParseState::UUData:
    case ParseState::UUContinued:
      if (encoding_ == TransferEncoding::UUencode) {
        if (!testBoundary(line)) handleUULine(line);
        return true;
      }
      state_ = ParseState::Body;
      break;
    default:
      break;
  }
  handleBody(line);
  return true;
}

void TMime::endOfHeaders() {
  lineClass_ = LineClass::HeadersEnd;
  headersEnded_ = true;
  state_ = contentClass_ == ContentClass::Multipart && !boundaries_.empty() ? ParseState::Preamble
                                                                             : ParseState::Body;
  if (!continuation_) return;
  const bool uuKnown = uuPreviousBytes_ >= 0;
  if (mimeVersion_) {
    if (partNumber_ == 1) {
      state_ = ParseState::PartHeaders;  // the inner headers of a message/partial
    } else {
      state_ = uuKnown ? ParseState::UUContinued : ParseState::Body;
    }
  } else {
    state_ = uuKnown ? ParseState::UUContinued : ParseState::LaterPart;
  }
}

bool TMime::testBoundary(std::string_view line) {
  if (boundaries_.empty() || line.size() < 2 || line[0] != '-' || line[1] != '-') return false;
  const std::string& boundary = boundaries_.front();
  if (equalsPadded(line, boundary)) {
    StartPart();
    return true;
  }
  if (line.size() >= boundary.size() + 2 && line.compare(0, boundary.size(), boundary) == 0 &&
      line.compare(boundary.size(), 2, "--") == 0 &&
      equalsPadded(line.substr(boundary.size() + 2), "")) {
    boundaries_.erase(boundaries_.begin());
    state_ = boundaries_.empty() ? ParseState::Epilogue : ParseState::Preamble;
    lineClass_ = LineClass::ClosingBoundary;
    if (encoding_ != TransferEncoding::None || outputOpen_) CloseOutput(false);
    return true;
  }
  return false;
}

void TMime::StartPart() {
  lineClass_ = LineClass::Boundary;
  if (outputOpen_) CloseOutput(false);
  resetPartContext();
  state_ = ParseState::PartHeaders;
  ++partCounter_;
}

// What a part's own headers describe starts over: a new part, or a message
// inside a message/rfc822 part.
void TMime::resetPartContext() {
  headerName_.clear();
  headerNameLower_.clear();
  currentExtra_ = -1;
  contentClass_ = ContentClass::TextPlain;
  contentType_ = "text/plain";
  charset_.clear();
  encoding_ = TransferEncoding::None;
  attachment_ = false;
  fileName_.clear();
  requestedName_.clear();
  nameFromDisposition_ = false;
  hardLineEnd_ = true;
  qpLineBreakPending_ = false;
  innerHeaders_ = false;
}

void TMime::startInnerMessage() {
  resetPartContext();
  innerHeaders_ = true;
}

void TMime::handleBody(std::string& line) {
  const bool textState = state_ == ParseState::Body || state_ == ParseState::AfterData ||
                         state_ == ParseState::UUCutText;
  if (textState && testBoundary(line)) return;
  if (encoding_ == TransferEncoding::UUencode &&
      (state_ == ParseState::AfterData || state_ == ParseState::UUCutText)) {
    handleUULine(line);
    return;
  }
  const bool beginState = state_ == ParseState::Body || state_ == ParseState::LaterPart;
  if (beginState && line.compare(0, 8, "=ybegin ") == 0 && ParseYBegin(line)) return;
  lineClass_ = LineClass::Text;
  switch (encoding_) {
    case TransferEncoding::QuotedPrintable:
      hardLineEnd_ = DecodeQPLine(line, false);
      if (attachment_) writeAttachmentLine(line, hardLineEnd_);
      break;
    case TransferEncoding::Base64:
      if (line.empty() || static_cast<unsigned char>(line[0]) < '!') {
        state_ = ParseState::AfterData;
      } else if (state_ == ParseState::Body) {
        DecodeBase64Line(line);
        lineClass_ = LineClass::Data;
        return;
      }
      break;
    default:
      if (line.compare(0, 6, "begin ") == 0 && ParseUUBegin(line)) return;
      if (attachment_ && encoding_ == TransferEncoding::None) {
        writeAttachmentLine(line, true);  // a 7bit or 8bit attachment
      } else if (isTextContent() && outputOpen_ && inViewMode()) {
        writeOutput(line);
        writeOutput("\r\n");
      }
      break;
  }
  checkSignature(line);
}

// The line break before a boundary belongs to the boundary, so a hard line
// end is written only once another line follows.
void TMime::writeAttachmentLine(std::string_view line, bool hardEnd) {
  if (qpLineBreakPending_) writeOutput("\r\n");
  writeOutput(line);
  qpLineBreakPending_ = hardEnd;
}

void TMime::checkSignature(std::string_view line) {
  if (!signature_ && sigDash_.IsCompiled() && sigDash_.Match(line)) signature_ = true;
}

void TMime::FinishArticle(LineSource source, std::string* rawCopy) {
  if (lineClass_ == LineClass::Header) lineClass_ = LineClass::HeadersEnd;
  if (lineClass_ == LineClass::PartHeader) lineClass_ = LineClass::PartHeadersEnd;
  if (source == LineSource::ServerData && rawCopy) rawCopy->push_back('\0');
  if (!outputOpen_) return;
  // uu and yEnc files end at their end lines, possibly articles later; other
  // content ends with its article unless a message/partial goes on.
  const bool lineEnded = outputEncoding_ == TransferEncoding::UUencode ||
                         outputEncoding_ == TransferEncoding::YEnc;
  if (lineEnded) return;
  // A message/partial goes on until its last part.
  if (partial_ && !(total_ > 0 && partNumber_ == total_)) return;
  // Without a boundary after it, the last line break is the content's own.
  if (qpLineBreakPending_) writeOutput("\r\n");
  CloseOutput(false);
  continuation_ = false;
}

bool TMime::TakeDecodedText(std::string& text) {
  if (decodedText_.empty()) return false;
  text.swap(decodedText_);
  decodedText_.clear();
  return true;
}

std::string TMime::VisibleHeaderText() const {
  std::string out;
  for (const std::string& visible : visibleLines_) {
    if (visible.empty()) continue;
    out += visible;
    out += "\r\n";
  }
  return out;
}

}  // namespace orvel
