#pragma once
// NntpReplyFramer: cuts the bytes a news server sends into replies, without
// a socket. The owner tells it, in order, which command each coming reply
// answers (expect), hands it received bytes in pieces of any size (receive)
// and takes events until NeedMore (next).
//
// States: Status (a status line is awaited), Data (the lines of a multi-line
// reply, until "."), Failed (the peer broke the framing: a line over the
// limit or a status line without a code; the framer stays failed until
// reset). A status line opens a data block only when the command it answers
// gives a multi-line reply with that code (IsNntpMultiLine); a reply with no
// command expected (a greeting, or "400" before a close) is single-line.
//
// The received bytes are kept in one buffer that is never copied again:
// events hand out views into it, dot-stuffing undone by moving the view's
// start. A view stays valid until the next receive or reset.

#include <cstddef>
#include <cstdint>
#include <deque>
#include <string>
#include <string_view>

namespace orvel {

// What a command line asks, as far as the shape of its reply goes.
enum class NntpCommand : std::uint8_t {
  Other,  // every command with a single-line reply (GROUP, STAT, POST, ...)
  Help,
  Capabilities,
  ListGroup,
  List,  // every LIST variant
  Article,
  Head,
  Body,
  Over,  // OVER and XOVER
  Hdr,
  XHdr,  // XHDR and XPAT
  NewNews,
  NewGroups,
};

// The command of a command line, by its verb (case-insensitive).
NntpCommand ClassifyNntpCommand(std::string_view commandLine);
// Whether the reply with this code to this command carries a data block.
bool IsNntpMultiLine(NntpCommand command, int code);

struct NntpEvent {
  enum class Kind : std::uint8_t {
    NeedMore,    // nothing complete is left: receive more bytes
    Status,      // code and text (after the code and its space)
    DataLine,    // text: one line of the data block, dot-stuffing undone
    DataEnd,     // the "." line: the reply is complete
    LineTooLong, // the peer sent a line over the limit: failed
    BadStatus,   // text: a status line without a three-digit code: failed
  };
  Kind kind = Kind::NeedMore;
  int code = 0;
  bool multiLine = false;  // Status: data lines follow
  std::string_view text;   // without CR LF
};

class NntpReplyFramer {
 public:
  // A line longer than this (without its CR LF) breaks the framing. Overview
  // lines with long References run to a few kilobytes.
  static constexpr std::size_t kDefaultMaxLine = 256 * 1024;

  explicit NntpReplyFramer(std::size_t maxLine = kDefaultMaxLine) : maxLine_(maxLine) {}

  // A command was sent: its reply comes after those of earlier commands.
  void expect(NntpCommand command) { expected_.push_back(command); }
  void receive(std::string_view bytes);
  NntpEvent next();
  // Drops every byte and expectation; the state becomes Status again.
  void reset();
  // Takes out the bytes received but not framed yet. After "206" to COMPRESS
  // every later byte is compressed: the caller inflates these (and all that
  // follow) before framing them again. Views of earlier events end here.
  std::string takeUnframed();

  bool failed() const { return state_ == State::Failed; }
  // A multi-line reply is being read.
  bool inData() const { return state_ == State::Data; }
  std::size_t pendingReplies() const { return expected_.size() + (inData() ? 1 : 0); }

 private:
  enum class State : std::uint8_t { Status, Data, Failed };

  NntpEvent status(std::string_view line);
  NntpEvent data(std::string_view line);
  NntpEvent fail(NntpEvent::Kind kind, std::string_view text = {});

  std::size_t maxLine_;
  std::string buffer_;
  std::size_t pos_ = 0;      // bytes of buffer_ already handed out
  std::size_t scanned_ = 0;  // bytes of buffer_ from pos_ known to hold no LF
  std::deque<NntpCommand> expected_;
  State state_ = State::Status;
};

}  // namespace orvel
