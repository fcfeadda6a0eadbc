#pragma once
// NntpReplyFramer: cuts the bytes a news server sends into replies, without
// a socket. The owner tells it, in order, which command each coming reply
// answers (expect), hands it received bytes in pieces of any size (receive)
// and takes events until NeedMore (next).
//
// States: Status (a status line is awaited), Data (the lines of a multi-line
// reply, until "."), Failed (a line went over its limit; the framer stays
// failed until reset). A status line opens a data block when the command it
// answers gives a multi-line reply with that code (IsNntpMultiLine); a reply
// with no command expected (a greeting, or "400" before a close) is
// single-line.
//
// Status lines are read leniently, as servers send them: blank lines before
// one are skipped, a lone CR ends one, NUL bytes are dropped, and a line
// without a numeric code is a reply with code 0 for the owner to refuse.
//
// Data is handed out in blocks of whole lines as they arrived, dot-stuffed
// and with their line ends, so a parser reads them in one pass straight from
// the receive buffer; the block that holds the "." line ends with it and is
// marked last. Views stay valid until the next receive or reset.

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
// Whether the reply with this code to this command carries a data block:
// HELP and CAPABILITIES with their 1xx code, the others with any 2xx code
// (old servers answer some of them with a neighbouring code).
bool IsNntpMultiLine(NntpCommand command, int code);

struct NntpEvent {
  enum class Kind : std::uint8_t {
    NeedMore,     // nothing complete is left: receive more bytes
    Status,       // code, line and text (after the code and its blank)
    Data,         // text: whole lines of the data block as received
    LineTooLong,  // a line went over its limit (multiLine: a data line)
  };
  Kind kind = Kind::NeedMore;
  int code = 0;
  bool multiLine = false;  // Status: data follows
  bool last = false;       // Data: the block ends with the "." line
  std::string_view text;
  std::string_view line;   // Status: the whole line, without its line end
};

// Calls onLine with each line of a data block (without its line end, dot-
// stuffing undone), up to the "." line; returns false as soon as onLine does.
template <typename OnLine>
bool ForEachNntpLine(std::string_view block, OnLine&& onLine) {
  while (!block.empty()) {
    const std::size_t lf = block.find('\n');
    std::string_view line = block.substr(0, lf);
    block.remove_prefix(lf == std::string_view::npos ? block.size() : lf + 1);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (line == ".") break;
    if (!line.empty() && line.front() == '.') line.remove_prefix(1);
    if (!onLine(line)) return false;
  }
  return true;
}

class NntpReplyFramer {
 public:
  static constexpr std::size_t kDefaultMaxStatusLine = 64 * 1024;
  // Overview lines with long References run to a few kilobytes; an article
  // line is bounded only by what a receiver can hold.
  static constexpr std::size_t kDefaultMaxDataLine = 4 * 1024 * 1024;

  explicit NntpReplyFramer(std::size_t maxStatusLine = kDefaultMaxStatusLine,
                           std::size_t maxDataLine = kDefaultMaxDataLine)
      : maxStatusLine_(maxStatusLine), maxDataLine_(maxDataLine) {}

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

  NntpEvent status();
  NntpEvent data();
  NntpEvent statusEvent(std::string_view line);
  NntpEvent fail(bool inData);
  // Drops the NUL bytes of buffer_ from pos_ to end, before they are framed
  // (bytes not framed yet may turn out compressed); returns the new end.
  std::size_t dropNuls(std::size_t end);
  bool overLimit(std::size_t limit) const;

  std::size_t maxStatusLine_;
  std::size_t maxDataLine_;
  std::string buffer_;
  std::size_t pos_ = 0;      // bytes of buffer_ already handed out
  std::size_t scanned_ = 0;  // bytes from pos_ known to hold no line end
  std::deque<NntpCommand> expected_;
  State state_ = State::Status;
};

}  // namespace orvel
