// Header lines of TMime: the record's fields, folded lines, the MIME headers
// and their parameters.

#include "core/encoded_words.h"
#include "content/file_names.h"
#include "content/mime.h"
#include "core/text.h"

namespace orvel {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

int integerOr(std::string_view text, int fallback) {
  const auto value = parseDecimal(trimView(text));
  if (!value || *value < INT32_MIN || *value > INT32_MAX) return fallback;
  return static_cast<int>(*value);
}

std::vector<std::string> messageIds(std::string_view references) {
  std::vector<std::string> ids;
  std::size_t i = 0;
  while ((i = references.find('<', i)) != std::string_view::npos) {
    const std::size_t close = references.find('>', i);
    if (close == std::string_view::npos) break;
    ids.emplace_back(references.substr(i, close - i + 1));
    i = close + 1;
  }
  return ids;
}

// The value of a parameter from pos (after its "="): up to the closing quote,
// or up to a blank, TAB, ";" or the end. pos moves past it.
std::string parameterValue(std::string_view text, std::size_t& pos) {
  if (pos < text.size() && text[pos] == '"') {
    const std::size_t close = text.find('"', pos + 1);
    const std::size_t end = close == std::string_view::npos ? text.size() : close;
    std::string value(text.substr(pos + 1, end - pos - 1));
    pos = close == std::string_view::npos ? text.size() : close + 1;
    return value;
  }
  const std::size_t start = pos;
  while (pos < text.size() && !isBlank(text[pos]) && text[pos] != ';') ++pos;
  return std::string(text.substr(start, pos - start));
}

// Skips one unknown word, a quoted value inside it included.
void skipWord(std::string_view text, std::size_t& pos) {
  bool quoted = false;
  const std::size_t start = pos;
  while (pos < text.size()) {
    const char c = text[pos];
    if (c == '"') quoted = !quoted;
    if (!quoted && (isBlank(c) || c == ';') && pos > start) break;
    ++pos;
  }
}

}  // namespace

void TMime::ParseHeaderLine(std::string_view line) {
  if (isBlank(line[0])) {
    continueHeader(line);
    return;
  }
  const std::size_t colon = line.find(':');
  std::string_view name = line.substr(0, colon);
  std::string_view value;
  if (colon != std::string_view::npos) {
    value = line.substr(colon + 1);
    while (!value.empty() && isBlank(value.front())) value.remove_prefix(1);
  }
  headerName_ = std::string(name);
  headerNameLower_ = lowerAscii(name);
  currentExtra_ = -1;
  takeHeader(headerNameLower_, value);
}

// A folded line: its first blank becomes a space and the whole line is
// joined to the header it continues.
void TMime::continueHeader(std::string_view continuation) {
  std::string more(continuation);
  more[0] = ' ';
  const std::string& name = headerNameLower_;
  if (name.empty()) return;
  if (innerHeaders_) {
    if (name == "content-type" || name == "content-disposition") ParseParameters(more);
    return;
  }
  if (currentExtra_ >= 0) {
    THeader& extra = extraHeaders_[static_cast<std::size_t>(currentExtra_)];
    extra.value += more;
    setVisible(name, DecodeEncodedWords(extra.value));
  }
  if (name == "subject") {
    rawSubject_ += more;
    headers_.subject = DecodeEncodedWords(rawSubject_);
    setVisible(name, headers_.subject);
  } else if (name == "from") {
    rawFrom_ += more;
    takeHeader(name, std::string(rawFrom_));  // a copy: takeHeader replaces rawFrom_
  } else if (name == "x-face") {
    headers_.xFace += more;
  } else if (name == "newsgroups") {
    headers_.newsgroups += "," + more;
    setVisible(name, headers_.newsgroups);
  } else if (name == "followup-to") {
    headers_.followupTo += "," + more;
    setVisible(name, headers_.followupTo);
  } else if (name == "references") {
    headers_.references =
        std::string(trimRightView(headers_.references)) + " " + std::string(trimLeftView(more));
    headers_.referenceList = messageIds(headers_.references);
  } else if (name == "xref") {
    headers_.xref += " " + more;
  }
  const bool visibleSet = name == "subject" || name == "from" || name == "newsgroups" ||
                          name == "followup-to" || name == "reply-to";
  if (!visibleSet && currentExtra_ < 0) appendVisible(name, DecodeEncodedWords(more));
  if (name == "reply-to") {
    rawReplyTo_ += more;
    takeHeader(name, std::string(rawReplyTo_));
  } else if (name == "content-type" || name == "content-disposition") {
    ParseParameters(more);
  }
}

void TMime::takeHeader(std::string_view name, std::string_view value) {
  if (innerHeaders_) {
    takeMimeHeader(name, value);
    return;
  }
  bool taken = true;
  bool alsoExtra = false;
  std::string shown(value);
  if (name == "subject") {
    rawSubject_ = std::string(value);
    headers_.subject = DecodeEncodedWords(value);
    shown = headers_.subject;
  } else if (name == "message-id") {
    headers_.messageId = std::string(value);
  } else if (name == "from") {
    rawFrom_ = std::string(value);
    headers_.from = DecodeEncodedWords(value);
    shown = headers_.from;
    if (env_.headerParser) {
      env_.headerParser->splitAddress(headers_.from, headers_.fromName, headers_.fromAddress);
    } else {
      headers_.fromName.clear();
      headers_.fromAddress = trim(headers_.from);
    }
  } else if (name == "date") {
    headers_.date = env_.headerParser ? env_.headerParser->articleDate(value) : 0;
  } else if (name == "lines") {
    headers_.lines = integerOr(value, 10);
  } else if (name == "newsgroups") {
    headers_.newsgroups = std::string(value);
  } else if (name == "followup-to") {
    headers_.followupTo = std::string(value);
  } else if (name == "references") {
    headers_.references = std::string(value);
    headers_.referenceList = messageIds(value);
  } else if (name == "to") {
    headers_.to = std::string(value);
    shown = DecodeEncodedWords(value);
    if (env_.headerParser) {
      env_.headerParser->splitAddress(shown, headers_.toName, headers_.toAddress);
    } else {
      headers_.toAddress = trim(shown);
    }
  } else if (name == "reply-to") {
    rawReplyTo_ = std::string(value);
    shown = DecodeEncodedWords(value);
    if (env_.headerParser) {
      env_.headerParser->splitAddress(shown, headers_.replyToName, headers_.replyToAddress);
    } else {
      headers_.replyToAddress = trim(shown);
    }
    alsoExtra = currentExtra_ < 0;
  } else if (name == "xref") {
    const std::string_view rest = trimLeftView(value);
    const std::size_t blank = rest.find_first_of(" \t");
    headers_.xref = blank == std::string_view::npos ? std::string()
                                                   : std::string(trimLeftView(rest.substr(blank)));
  } else if (name == "x-id") {
    headers_.xId = std::string(value);
  } else if (name == "x-attachments") {
    headers_.xAttachments = std::string(value);
  } else if (name == "x-status") {
    headers_.xStatus = integerOr(value, 0);
  } else if (name == "x-no-archive" && equalsNoCase(trimView(value), "yes")) {
    headers_.xNoArchive = true;
  } else if (name == "x-face") {
    headers_.xFace = std::string(value);
  } else {
    taken = false;
    shown = DecodeEncodedWords(value);
  }
  setVisible(name, shown);
  if (taken && !alsoExtra) return;

  if (keepExtraHeaders_ && currentExtra_ < 0) {
    extraHeaders_.push_back(THeader{headerName_, std::string(value)});
    currentExtra_ = static_cast<int>(extraHeaders_.size() - 1);
  }
  takeMimeHeader(name, value);
}

void TMime::takeMimeHeader(std::string_view name, std::string_view value) {
  if (name == "mime-version") {
    mimeVersion_ = true;
  } else if (name == "content-transfer-encoding") {
    if (startsWithNoCase(value, "base64")) {
      encoding_ = TransferEncoding::Base64;
    } else if (startsWithNoCase(value, "quoted-printable")) {
      encoding_ = TransferEncoding::QuotedPrintable;
    } else if (value.find("uu") != std::string_view::npos) {
      encoding_ = TransferEncoding::UUencode;
    }
  } else if (name == "content-type") {
    if (startsWithNoCase(value, "multipart/")) {
      contentClass_ = ContentClass::Multipart;
    } else if (startsWithNoCase(value, "text/plain")) {
      contentClass_ = ContentClass::TextPlain;
    } else if (startsWithNoCase(value, "text/")) {
      contentClass_ = ContentClass::Text;
    } else if (startsWithNoCase(value, "message/partial")) {
      contentClass_ = ContentClass::Partial;
      continuation_ = true;
      partial_ = true;
    } else {
      contentClass_ = ContentClass::Other;
    }
    const std::size_t end = value.find_first_of(" \t;");
    contentType_ = std::string(value.substr(0, end));
    ParseParameters(end == std::string_view::npos ? std::string_view() : value.substr(end));
  } else if (name == "content-disposition") {
    ParseParameters(value);
  }
}

void TMime::setVisible(std::string_view name, std::string_view value) {
  for (std::size_t i = 0; i < visibleNames_.size(); ++i) {
    if (visibleNames_[i] == name) {
      visibleLines_[i] = headerName_ + ": " + std::string(value);
      return;
    }
  }
}

void TMime::appendVisible(std::string_view name, std::string_view more) {
  for (std::size_t i = 0; i < visibleNames_.size(); ++i) {
    if (visibleNames_[i] == name && !visibleLines_[i].empty()) visibleLines_[i] += more;
  }
}

void TMime::setFileNameParameter(std::string_view name, bool fromDisposition) {
  if (!fromDisposition && nameFromDisposition_) return;
  fileName_ = CleanFileName(name);
  requestedName_ = fileName_;
  nameFromDisposition_ = nameFromDisposition_ || fromDisposition;
}

void TMime::ParseParameters(std::string_view text) {
  std::size_t pos = 0;
  auto skipSeparators = [&] {
    while (pos < text.size() && (isBlank(text[pos]) || text[pos] == '"' || text[pos] == ';')) {
      ++pos;
    }
  };
  auto at = [&](std::string_view key) {
    if (!startsWithNoCase(text.substr(pos), key)) return false;
    pos += key.size();
    return true;
  };
  for (skipSeparators(); pos < text.size(); skipSeparators()) {
    if (at("boundary=")) {
      const std::string value = parameterValue(text, pos);
      // Too deep a nesting is not followed: its lines stay text.
      if (!value.empty() && boundaries_.size() < kMaxBoundaryDepth) {
        boundaries_.insert(boundaries_.begin(), "--" + value);
      }
    } else if (at("number=")) {
      const int number = integerOr(parameterValue(text, pos), 0);
      if (number == 1 && outputOpen_) DropOutput();
      partNumber_ = number;
    } else if (at("charset=")) {
      charset_ = parameterValue(text, pos);
    } else if (at("total=")) {
      total_ = integerOr(parameterValue(text, pos), 0);
    } else if (at("filename=")) {
      setFileNameParameter(DecodeEncodedWords(parameterValue(text, pos)), true);
    } else if (at("filename*=")) {
      setFileNameParameter(DecodeExtendedParameter(parameterValue(text, pos)), true);
    } else if (at("name=")) {
      setFileNameParameter(DecodeEncodedWords(parameterValue(text, pos)), false);
    } else if (at("name*=")) {
      setFileNameParameter(DecodeExtendedParameter(parameterValue(text, pos)), false);
    } else if (at("attachment")) {
      attachment_ = true;
    } else {
      skipWord(text, pos);
    }
  }
}

}  // namespace orvel
