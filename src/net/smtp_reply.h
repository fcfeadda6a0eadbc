#pragma once
// SmtpReplyReader: cuts received bytes into SMTP replies. A line ends at LF
// (a CR before it is dropped, NUL bytes are dropped); a line that starts
// with digits and "-" continues a multi-line reply, any other line ends it.
// The continuation lines are kept with the reply (EHLO lists the server's
// extensions in them), within limits the peer cannot push past.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace orvel {

struct SmtpReply {
  std::vector<std::string> lines;  // every line, the final one last; never empty

  const std::string& finalLine() const { return lines.back(); }
};

// Whether a line continues a multi-line reply ("250-SIZE").
bool IsSmtpContinuation(std::string_view line);

class SmtpReplyReader {
 public:
  // Longest reply (all its lines) or pending line; longer is a broken peer.
  static constexpr std::size_t kMaxReplyBytes = 64 * 1024;
  static constexpr std::size_t kMaxReplyLines = 512;

  enum class Result { NeedMore, Reply, TooLong };

  void append(std::string_view bytes);
  // Takes the next complete reply out of the buffer into out. After
  // TooLong the reader holds nothing and starts afresh.
  Result next(SmtpReply& out);
  // Drops everything received and not yet taken.
  void clear();

 private:
  std::string buffer_;
  std::size_t scanned_ = 0;  // bytes of buffer_ known to hold no LF
  std::vector<std::string> partial_;
  std::size_t partialBytes_ = 0;
};

}  // namespace orvel
