#pragma once
// NntpEngine: the client side of one news connection as a protocol engine,
// without a socket. The transport hands it the bytes it received (receive)
// and sends what it gives back (takeOutput); the owner takes events (next)
// and answers the two that need it: PasswordWanted with password(), StartTls
// with tlsStarted() once the handshake is done.
//
// The login is a table of steps (see NntpLoginStep): greeting, then, with
// extensions on, CAPABILITIES (again after STARTTLS, MODE READER when the
// server asks for it, and a login), STARTTLS when the profile asks, MODE
// READER unless the server is a reader already, AUTHINFO USER/PASS, LIST
// OVERVIEW.FMT where the last CAPABILITIES lists OVER or that LIST variant
// (a refusal keeps the default field order), and COMPRESS DEFLATE when
// offered and allowed. After its 206 every byte either way is one raw
// deflate stream, inflated and deflated here.
//
// After LoggedIn the owner sends commands (command), several at once if it
// likes: replies are framed in order (net/nntp_reply_framer.h) and come back
// as Reply events, with the data of multi-line replies in Data events.
// Views in an event stay valid until the next call of next() or receive().

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "net/nntp_capabilities.h"
#include "net/nntp_reply_framer.h"
#include "net/overview_format.h"

namespace orvel {

class Compressor;
class Decompressor;

struct NntpLoginSettings {
  std::string userName;   // empty: no login
  bool extensions = true; // ask CAPABILITIES and use what it offers
  bool startTls = false;  // STARTTLS before the login (asks CAPABILITIES even without
                          // extensions); the login fails when it is not offered
  bool compress = true;   // COMPRESS DEFLATE when offered
};

enum class NntpLoginStep : std::uint8_t {
  Greeting,
  Capabilities,
  StartTls,        // STARTTLS sent
  TlsHandshake,    // 382 received: the owner runs the handshake
  ModeReader,
  User,
  PasswordWanted,  // the owner is asked for the password
  Password,
  OverviewFormat,  // LIST OVERVIEW.FMT sent
  Compress,
  Done,            // logged in: commands may be sent
  Refused,         // the login failed; only QUIT is of use
};

struct NntpEngineEvent {
  enum class Kind : std::uint8_t {
    None,            // nothing complete is left: receive more bytes
    LoggedIn,
    PasswordWanted,  // answer with password()
    StartTls,        // run the TLS handshake, then call tlsStarted()
    Reply,           // code, line, multiLine: the status line of an owner command
    Data,            // data, last: lines of the reply's data block as received
    LoginRefused,    // code, line: a login step failed
    Broken,          // line: the stream cannot be followed any more
  };
  Kind kind = Kind::None;
  int code = 0;
  bool multiLine = false;
  bool last = false;
  bool dataLine = false;  // Broken by an overlong data line (else status line)
  std::string_view line;
  std::string_view data;
};

class NntpEngine {
 public:
  NntpEngine();
  ~NntpEngine();
  NntpEngine(const NntpEngine&) = delete;
  NntpEngine& operator=(const NntpEngine&) = delete;

  // The stream is connected: everything is reset and the greeting awaited.
  void connected(const NntpLoginSettings& settings);
  void receive(std::string_view bytes);
  NntpEngineEvent next();
  void password(std::string_view password);
  void tlsStarted();
  // One command line (without CR LF); its reply comes after the earlier ones.
  void command(std::string_view line);
  // Bytes sent as they are, with no reply expected (an article after 340).
  void sendRaw(std::string_view bytes);
  // What to send now, compressed when compression is on.
  std::string takeOutput();

  NntpLoginStep step() const { return step_; }
  bool loggedIn() const { return step_ == NntpLoginStep::Done; }
  std::size_t pendingReplies() const { return framer_.pendingReplies(); }
  const std::string& greeting() const { return greeting_; }
  bool postingAllowed() const { return postingAllowed_; }
  // What CAPABILITIES said last; known() is false when it was not asked or
  // the server does not have it.
  const NntpCapabilities& capabilities() const { return capabilities_; }
  bool capabilitiesKnown() const { return capabilitiesKnown_; }
  // The field order of the server's overview lines: RFC 3977's unless LIST
  // OVERVIEW.FMT said otherwise during the login.
  const OverviewFormat& overviewFormat() const { return overviewFormat_; }
  bool usedStartTls() const { return tlsDone_; }
  bool compressing() const { return decompressor_ != nullptr; }
  // Bytes received from the wire, and the same after inflating.
  std::int64_t wireBytesReceived() const { return wireBytes_; }
  std::int64_t bytesReceived() const { return plainBytes_; }

 private:
  enum class CapabilitiesRound : std::uint8_t { First, AfterTls, AfterModeReader, AfterLogin };

  NntpEvent nextFramed();
  // A login step's reply; returns the event for the owner, or None to go on.
  NntpEngineEvent loginReply(const NntpEvent& reply);
  NntpEngineEvent capabilitiesData(const NntpEvent& data);
  NntpEngineEvent afterCapabilities();
  NntpEngineEvent modeReaderOrLogin();
  NntpEngineEvent startLogin();
  NntpEngineEvent afterLogin(bool loggedInNow);
  NntpEngineEvent overviewFormatOrCompress();
  NntpEngineEvent overviewFormatData(const NntpEvent& data);
  NntpEngineEvent compressOrDone();
  NntpEngineEvent askCapabilities(CapabilitiesRound round);
  NntpEngineEvent refuse(int code, std::string_view line);
  void startCompression();
  void send(std::string_view line, NntpLoginStep step);

  NntpLoginSettings settings_;
  NntpReplyFramer framer_;
  NntpLoginStep step_ = NntpLoginStep::Greeting;
  CapabilitiesRound round_ = CapabilitiesRound::First;
  NntpCapabilities capabilities_;
  bool capabilitiesKnown_ = false;
  OverviewFormat overviewFormat_;
  OverviewFormat listedFormat_;  // the list being read
  bool tlsDone_ = false;
  bool postingAllowed_ = false;
  std::string greeting_;
  std::string refusal_;  // the text of a refusal made here, kept for its view
  std::string output_;
  std::unique_ptr<Compressor> compressor_;
  std::unique_ptr<Decompressor> decompressor_;
  std::int64_t wireBytes_ = 0;
  std::int64_t plainBytes_ = 0;
};

}  // namespace orvel
