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
  if (multiPart && outputMode_ == OutputMode::File) {
    return beginPlacedPart(part, begin.total, begin.size, name);
  }
  // A later part goes on with the open file of the same name.
  const bool goesOn =
      multiPart && part != 1 && continuation_ && outputOpen_ && name == requestedName_;
  partNumber_ = part;
  if (begin.total) total_ = *begin.total;
  if (!goesOn) {
    yencSize_ = begin.size.value_or(-1);
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
  crc_.reset();
  return true;
}

// A part of a file written at offsets: the open file when it is the same
// (name and size), else the file an owner set aside, else a new one.
// Without a believable size nothing can be placed: the line is not a begin
// line.
bool TMime::beginPlacedPart(std::int64_t part, std::optional<std::int64_t> total,
                            std::optional<std::int64_t> size, const std::string& name) {
  if (!size || *size <= 0 || *size > kMaxYEncFileSize) return false;
  const bool same = placed_ && placed_->requestedName == name && placed_->parts.size() == *size;
  if (!same) {
    DropOutput();
    if (!resumePlacedFile(name, *size) || !placed_) {
      fileName_ = name;
      contentClass_ = classOfName(name);
      encoding_ = TransferEncoding::YEnc;
      OpenOutput();
      placed_ = PlacedFile{YEncAssembly(*size), name, fileName_};
    }
  }
  if (total) placed_->parts.setTotal(*total);
  partNumber_ = part;
  total_ = placed_->parts.total();
  yencSize_ = *size;
  fileName_ = placed_->fileName;
  requestedName_ = name;
  contentClass_ = classOfName(name);
  encoding_ = TransferEncoding::YEnc;
  lineClass_ = LineClass::Begin;
  continuation_ = false;  // the next part is found by its name, not by its order
  state_ = ParseState::YPartExpected;
  crc_.reset();
  return true;
}

bool TMime::ParseYPart(std::string_view line) {
  if (line.compare(0, 7, "=ypart ") != 0) return false;
  const YPartLine part = ReadYPart(line);
  if (placed_) return beginPlacedBytes(part.begin, part.end);
  yencBegin_ = part.begin.value_or(0);
  if (part.end && *part.end == yencSize_) total_ = partNumber_;
  lineClass_ = LineClass::Begin;
  state_ = ParseState::YEncData;
  return true;
}

// The part's bytes go to begin - 1 .. end - 1. A range outside the file is
// refused (the part is text); a part already held whole and sound is
// decoded but not written again.
bool TMime::beginPlacedBytes(std::optional<std::int64_t> begin, std::optional<std::int64_t> end) {
  PlacedFile& p = *placed_;
  if (!begin || !end || *begin < 1 || *end < *begin || *end > p.parts.size()) return false;
  p.partBegin = *begin - 1;
  p.partLength = *end - p.partBegin;
  p.partRoom = p.partLength;
  p.partDecoded = 0;
  p.skipPart = p.parts.holdsGoodPart(partNumber_);
  p.inPart = true;
  if (!p.skipPart) file_.seek(p.partBegin);
  yencBegin_ = *begin;
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
  if (placed_ && placed_->inPart) {
    endPlacedPart(line);
    return;
  }
  const auto expected = ReadYEndCrc(line, partNumber_ >= 1 ? " pcrc32=" : " crc32=");
  if (expected && *expected > 1 && *expected != crc_.value()) crcError_ = true;
  lineClass_ = LineClass::End;
  state_ = ParseState::Body;
  if (partNumber_ != total_) return;
  continuation_ = false;
  // A single-part file is whole when it has the size its begin line gave.
  if (outputOpen_ && outputMode_ == OutputMode::File && yencSize_ >= 0 &&
      outputSize() != yencSize_) {
    encoding_ = TransferEncoding::None;
    DropOutput();
    return;
  }
  CloseOutput(false);
}

// A part is counted when it gave exactly the bytes its "=ypart" announced;
// one cut short or running over is left out, so the file stays incomplete
// until a sound copy arrives. The last part's "crc32=" is the whole file's.
void TMime::endPlacedPart(std::string_view line) {
  PlacedFile& p = *placed_;
  p.inPart = false;
  lineClass_ = LineClass::End;
  state_ = ParseState::Body;
  encoding_ = TransferEncoding::None;
  if (p.skipPart) return;
  const auto expected = ReadYEndCrc(line, partNumber_ >= 1 ? " pcrc32=" : " crc32=");
  const bool sound = !(expected && *expected > 1 && *expected != crc_.value());
  if (!sound) crcError_ = true;
  if (p.partDecoded != p.partLength) return;
  const std::int64_t end = p.partBegin + p.partLength;
  p.parts.add({partNumber_, partNumber_, p.partBegin, end, crc_.value(), sound});
  if (end == p.parts.size()) {
    const auto whole = ReadYEndCrc(line, " crc32=");
    if (whole && *whole > 1) p.parts.setFileCrc(*whole);
  }
  total_ = p.parts.total();
  if (p.parts.complete()) finishOutput(kFileFinished);
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
  if (placed_) placed_->inPart = false;
}

void TMime::DecodeBase64Line(std::string_view line) {
  char* out = beginWrite((line.size() + 3) / 4 * 3);
  endWrite(out, DecodeBase64Bytes(line, out));
}

}  // namespace orvel
