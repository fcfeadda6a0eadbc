#include "net/nntp_reply_framer.h"

#include <array>
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

bool isDigit(char c) { return c >= '0' && c <= '9'; }

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
    if (cmd == command) return code == multiCode;
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

NntpEvent NntpReplyFramer::next() {
  if (state_ == State::Failed) return {};
  const std::string_view rest = std::string_view(buffer_).substr(pos_);
  const std::size_t lf = rest.find('\n', scanned_);
  if (lf == std::string_view::npos) {
    scanned_ = rest.size();
    // A line over the limit fails as soon as it is known, not at its end.
    if (rest.size() > maxLine_ + 1) return fail(NntpEvent::Kind::LineTooLong);
    return {};
  }
  std::string_view line = rest.substr(0, lf);
  pos_ += lf + 1;
  scanned_ = 0;
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  if (line.size() > maxLine_) return fail(NntpEvent::Kind::LineTooLong);
  return state_ == State::Data ? data(line) : status(line);
}

NntpEvent NntpReplyFramer::status(std::string_view line) {
  if (line.size() < 3 || !isDigit(line[0]) || !isDigit(line[1]) || !isDigit(line[2]) ||
      (line.size() > 3 && line[3] != ' ')) {
    return fail(NntpEvent::Kind::BadStatus, line);
  }
  NntpEvent event;
  event.kind = NntpEvent::Kind::Status;
  event.code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
  event.text = line.size() > 4 ? line.substr(4) : std::string_view();
  NntpCommand command = NntpCommand::Other;
  if (!expected_.empty()) {
    command = expected_.front();
    expected_.pop_front();
  }
  event.multiLine = IsNntpMultiLine(command, event.code);
  if (event.multiLine) state_ = State::Data;
  return event;
}

NntpEvent NntpReplyFramer::data(std::string_view line) {
  NntpEvent event;
  if (line == ".") {
    state_ = State::Status;
    event.kind = NntpEvent::Kind::DataEnd;
    return event;
  }
  if (!line.empty() && line.front() == '.') line.remove_prefix(1);
  event.kind = NntpEvent::Kind::DataLine;
  event.text = line;
  return event;
}

NntpEvent NntpReplyFramer::fail(NntpEvent::Kind kind, std::string_view text) {
  state_ = State::Failed;
  NntpEvent event;
  event.kind = kind;
  event.text = text;
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
