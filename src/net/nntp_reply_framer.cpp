#include "net/nntp_reply_framer.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>

#include "core/text.h"

namespace orvel {

namespace {

struct VerbEntry {
  std::string_view verb;
  NntpCommand command;
};

constexpr std::array<VerbEntry, 14> kVerbs{{
    {"HELP", NntpCommand::Help},
    {"CAPABILITIES", NntpCommand::Capabilities},
    {"LISTGROUP", NntpCommand::ListGroup},
    {"LIST", NntpCommand::List},
    {"ARTICLE", NntpCommand::Article},
    {"HEAD", NntpCommand::Head},
    {"BODY", NntpCommand::Body},
    {"OVER", NntpCommand::Over},
    {"XOVER", NntpCommand::Over},
    {"HDR", NntpCommand::Hdr},
    {"XHDR", NntpCommand::XHdr},
    {"XPAT", NntpCommand::XHdr},
    {"NEWNEWS", NntpCommand::NewNews},
    {"NEWGROUPS", NntpCommand::NewGroups},
}};

// The one code with which each command's reply carries a data block.
constexpr std::array<std::pair<NntpCommand, int>, 12> kMultiLine{{
    {NntpCommand::Help, 100},
    {NntpCommand::Capabilities, 101},
    {NntpCommand::ListGroup, 211},
    {NntpCommand::List, 215},
    {NntpCommand::Article, 220},
    {NntpCommand::Head, 221},
    {NntpCommand::Body, 222},
    {NntpCommand::Over, 224},
    {NntpCommand::Hdr, 225},
    {NntpCommand::XHdr, 221},
    {NntpCommand::NewNews, 230},
    {NntpCommand::NewGroups, 231},
}};

// A "." line starting at i of text, which holds its line end: its length
// with that line end, or 0.
std::size_t terminatorAt(std::string_view text, std::size_t i) {
  if (text[i] != '.') return 0;
  if (text[i + 1] == '\n') return 2;
  return text[i + 1] == '\r' && i + 2 < text.size() && text[i + 2] == '\n' ? 3 : 0;
}

}  // namespace

NntpCommand ClassifyNntpCommand(std::string_view commandLine) {
  const std::string_view line = trimLeftView(commandLine);
  const std::string_view verb = line.substr(0, line.find_first_of(" \t\r\n"));
  for (const auto& entry : kVerbs) {
    if (equalsNoCase(verb, entry.verb)) return entry.command;
  }
  return NntpCommand::Other;
}

bool IsNntpMultiLine(NntpCommand command, int code) {
  for (const auto& [cmd, multiCode] : kMultiLine) {
    if (cmd != command) continue;
    return multiCode < 200 ? code == multiCode : code / 100 == 2;
  }
  return false;
}

void NntpReplyFramer::receive(std::string_view bytes) {
  if (state_ == State::Failed) return;
  if (pos_ > 0) {
    buffer_.erase(0, pos_);
    pos_ = 0;
  }
  buffer_.append(bytes);
}

std::size_t NntpReplyFramer::dropNuls(std::size_t end) {
  // memchr: this scans every byte received, and is vectorised where find is not.
  if (end <= pos_ || !std::memchr(buffer_.data() + pos_, '\0', end - pos_)) return end;
  const auto first = buffer_.begin() + static_cast<std::ptrdiff_t>(pos_);
  const auto last = buffer_.begin() + static_cast<std::ptrdiff_t>(end);
  const auto kept = std::remove(first, last, '\0');
  buffer_.erase(kept, last);
  return static_cast<std::size_t>(kept - buffer_.begin());
}

// An unfinished line over the limit; a CR at its end may belong to the line end.
bool NntpReplyFramer::overLimit(std::size_t limit) const {
  const std::size_t pending = buffer_.size() - pos_;
  return pending - (pending > 0 && buffer_.back() == '\r' ? 1 : 0) > limit;
}

NntpEvent NntpReplyFramer::next() {
  switch (state_) {
    case State::Status: return status();
    case State::Data: return data();
    case State::Failed: break;
  }
  return {};
}

NntpEvent NntpReplyFramer::status() {
  const std::size_t start = buffer_.find_first_not_of("\r\n", pos_);
  if (start == std::string::npos) {
    pos_ = buffer_.size();
    scanned_ = 0;
    return {};
  }
  if (start > pos_) {
    pos_ = start;
    scanned_ = 0;
  }
  // A status line ends at LF, or at a CR followed by anything but LF; a CR
  // at the very end waits for the next byte.
  std::size_t end = pos_ + scanned_;
  while (end < buffer_.size() && buffer_[end] != '\n' &&
         !(buffer_[end] == '\r' && end + 1 < buffer_.size() && buffer_[end + 1] != '\n')) {
    ++end;
  }
  if (end >= buffer_.size()) {
    scanned_ = buffer_.size() - pos_;
    if (buffer_.back() == '\r') --scanned_;
    if (overLimit(maxStatusLine_)) return fail(false);
    return {};
  }
  end = dropNuls(end);
  std::string_view line = std::string_view(buffer_).substr(pos_, end - pos_);
  pos_ = end + 1;
  scanned_ = 0;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.size() > maxStatusLine_) return fail(false);
  return statusEvent(line);
}

NntpEvent NntpReplyFramer::statusEvent(std::string_view line) {
  NntpEvent event;
  event.kind = NntpEvent::Kind::Status;
  event.line = line;
  const std::size_t wordEnd = std::min(line.find_first_of(" \t"), line.size());
  const auto number = parseDecimal(line.substr(0, wordEnd));
  event.code = number && *number >= 0 && *number <= 999999 ? static_cast<int>(*number) : 0;
  event.text = line.substr(std::min(wordEnd + 1, line.size()));
  NntpCommand command = NntpCommand::Other;
  if (!expected_.empty()) {
    command = expected_.front();
    expected_.pop_front();
  }
  // Some servers answer XHDR (or HDR, where it is XHDR under another name)
  // of a header they lack with "(none)" lines alone.
  const bool headerCommand = command == NntpCommand::XHdr || command == NntpCommand::Hdr;
  event.multiLine = IsNntpMultiLine(command, event.code) ||
                    (headerCommand && startsWithNoCase(line, "(none)"));
  if (event.multiLine) state_ = State::Data;
  return event;
}

NntpEvent NntpReplyFramer::data() {
  const std::size_t lastLf = buffer_.rfind('\n');
  if (lastLf == std::string::npos || lastLf < pos_) {
    if (overLimit(maxDataLine_)) return fail(true);
    return {};
  }
  const std::size_t end = dropNuls(lastLf + 1);
  const std::string_view lines = std::string_view(buffer_).substr(pos_, end - pos_);
  std::size_t stop = terminatorAt(lines, 0);
  for (std::size_t at = 0; stop == 0;) {
    at = lines.find("\n.", at);
    if (at == std::string_view::npos || at + 1 >= lines.size()) break;
    if (const std::size_t length = terminatorAt(lines, at + 1)) stop = at + 1 + length;
    at += 2;
  }
  NntpEvent event;
  event.kind = NntpEvent::Kind::Data;
  event.last = stop != 0;
  event.text = event.last ? lines.substr(0, stop) : lines;
  pos_ += event.text.size();
  if (event.last) state_ = State::Status;
  return event;
}

NntpEvent NntpReplyFramer::fail(bool inData) {
  state_ = State::Failed;
  NntpEvent event;
  event.kind = NntpEvent::Kind::LineTooLong;
  event.multiLine = inData;
  return event;
}

std::string NntpReplyFramer::takeUnframed() {
  std::string rest = buffer_.substr(pos_);
  buffer_.clear();
  pos_ = 0;
  scanned_ = 0;
  return rest;
}

void NntpReplyFramer::reset() {
  buffer_.clear();
  pos_ = 0;
  scanned_ = 0;
  expected_.clear();
  state_ = State::Status;
}

}  // namespace orvel
