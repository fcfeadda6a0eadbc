// uuencode, yEnc and base64 lines inside TMime: the begin, part and end
// lines and the data lines, written to the output.

#include <cstring>

#include "content/base64_lines.h"
#include "content/crc32.h"
#include "content/file_names.h"
#include "content/mime.h"
#include "content/uu_lines.h"
#include "content/yenc_lines.h"
#include "core/text.h"

namespace orvel {

namespace {

std::string unquoted(std::string_view name) {
  name = trimView(name);
  if (name.size() >= 2 && name.front() == '"' && name.back() == '"') {
    name = name.substr(1, name.size() - 2);
  }
  return std::string(name);
}

int countBlanks(std::string_view line) {
  int blanks = 0;
  for (char c : line) blanks += c == ' ' ? 1 : 0;
  return blanks;
}

ContentClass classOfName(std::string_view name) {
  return ExtensionInList(name, kTextExtensions) ? ContentClass::TextPlain : ContentClass::Other;
}

}  // namespace

// "begin MODE NAME": MODE a decimal number below 778, NAME not empty.
bool TMime::ParseUUBegin(std::string_view line) {
  std::string_view rest = line.substr(6);
  while (!rest.empty() && rest.front() == ' ') rest.remove_prefix(1);
  const std::size_t blank = rest.find(' ');
  if (blank == std::string_view::npos) return false;
  const auto mode = parseDecimal(rest.substr(0, blank));
  if (!mode || *mode < 0 || *mode > 777) return false;
  const std::string name = unquoted(rest.substr(blank + 1));
  if (name.empty()) return false;

  fileName_ = CleanFileName(name);
  requestedName_ = fileName_;
  encoding_ = TransferEncoding::UUencode;
  contentClass_ = classOfName(fileName_);
  OpenOutput();
  uuPreviousBytes_ = -1;
  state_ = ParseState::UUData;
  lineClass_ = LineClass::Begin;
  continuation_ = true;
  return true;
}

// A line that decodes is still text after text when it does not look like
// the data lines before it.
bool TMime::uuLooksLikeText(std::string_view line, int bytes) {
  if (state_ != ParseState::AfterData) return false;
  return bytes != uuPreviousBytes_ || dashes_.Match(line) || countBlanks(line) >= 3;
}

bool TMime::DecodeUULine(std::string_view line) {
  char decoded[kMaxUULineBytes + 3];
  const int bytes = DecodeUUBytes(line, uuPreviousBytes_, decoded);
  if (bytes < 0 || uuLooksLikeText(line, bytes)) return false;
  char* out = beginWrite(static_cast<std::size_t>(bytes));
  std::memcpy(out, decoded, static_cast<std::size_t>(bytes));
  endWrite(out, static_cast<std::size_t>(bytes));
  uuPreviousBytes_ = bytes;
  return true;
}

void TMime::handleUULine(std::string_view line) {
  if (line == "end" || (!line.empty() && line[0] == '`')) {
    CloseOutput(true);
    state_ = ParseState::Body;
    continuation_ = false;
    uuPreviousBytes_ = -1;
    return;
  }
  if (line.compare(0, 6, "begin ") == 0 && ParseUUBegin(line)) return;
  if ((line.empty() || line[0] != 'M') && cutHere_.Match(line)) {
    lineClass_ = LineClass::Text;
    state_ = ParseState::UUCutText;
    checkSignature(line);
    return;
  }
  if (DecodeUULine(line)) {
    lineClass_ = LineClass::Data;
    state_ = ParseState::UUData;
    return;
  }
  lineClass_ = LineClass::Text;
  state_ = ParseState::AfterData;
  checkSignature(line);
}

bool TMime::ParseYBegin(std::string_view line) {
  const YBeginLine begin = ReadYBegin(line);
  if (!begin.name) return false;
  const bool multiPart = begin.part.has_value();
  const std::int64_t part = begin.part.value_or(0);
  const std::string name = CleanFileName(unquoted(*begin.name));
  // A later part goes on with the open file of the same name.
  const bool goesOn =
      multiPart && part != 1 && continuation_ && outputOpen_ && name == requestedName_;
  partNumber_ = part;
  if (begin.total) total_ = *begin.total;
  if (!goesOn) {
    yencSize_ = begin.size.value_or(0);
    if (!multiPart) total_ = 0;
    fileName_ = name;
    requestedName_ = name;
    contentClass_ = classOfName(name);
    encoding_ = TransferEncoding::YEnc;
    OpenOutput();
  }
  encoding_ = TransferEncoding::YEnc;
  lineClass_ = LineClass::Begin;
  continuation_ = multiPart;
  state_ = multiPart ? ParseState::YPartExpected : ParseState::YEncData;
  crc_ = 0;
  return true;
}

bool TMime::ParseYPart(std::string_view line) {
  if (line.compare(0, 7, "=ypart ") != 0) return false;
  const YPartLine part = ReadYPart(line);
  yencBegin_ = part.begin.value_or(0);
  if (part.end && *part.end == yencSize_) total_ = partNumber_;
  lineClass_ = LineClass::Begin;
  state_ = ParseState::YEncData;
  return true;
}

bool TMime::DecodeYEncLine(std::string_view line) {
  char* out = beginWrite(line.size());
  const YEncLineResult result = DecodeYEncBytes(line, out);
  endWrite(out, result.size);
  return result.ok;
}

void TMime::ParseYEnd(std::string_view line) {
  const auto expected = ReadYEndCrc(line, partNumber_ >= 1 ? " pcrc32=" : " crc32=");
  if (expected && *expected > 1 && *expected != crc_) crcError_ = true;
  lineClass_ = LineClass::End;
  state_ = ParseState::Body;
  if (partNumber_ == total_) {
    CloseOutput(false);
    continuation_ = false;
  }
}

void TMime::handleYEncLine(std::string_view line) {
  if (line.compare(0, 6, "=yend ") == 0) {
    ParseYEnd(line);
    return;
  }
  if (DecodeYEncLine(line)) {
    lineClass_ = LineClass::Data;
    return;
  }
  lineClass_ = LineClass::Text;
  state_ = ParseState::Body;
  encoding_ = TransferEncoding::None;
}

void TMime::DecodeBase64Line(std::string_view line) {
  char* out = beginWrite((line.size() + 3) / 4 * 3);
  endWrite(out, DecodeBase64Bytes(line, out));
}

}  // namespace orvel
