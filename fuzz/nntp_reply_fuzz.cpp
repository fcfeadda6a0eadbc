// Fuzzes TNNTP's read handler with arbitrary server byte streams, in every
// state: the input picks the profile and a script of reads (each with the
// fuzzer's own chunk boundaries), time-outs, peer closes and owner commands.
// The owner reads data lines as a real one does and issues the next command
// from its handlers, so the engine moves through login, status, data and
// post states, and through CAPABILITIES, STARTTLS and COMPRESS as the
// profile bits allow.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "fuzz_network.h"
#include "net/nntp_data.h"
#include "net/tnntp.h"

namespace {

using namespace orvel;
using fuzz::FuzzClock;
using fuzz::FuzzNetwork;
using fuzz::FuzzTransport;

// The next command the owner sends, chosen by a rotating index.
void issue(TNNTP& c, unsigned which) {
  switch (which % 10) {
    case 0: c.Group("test.small"); break;
    case 1: c.Xover(1, 12); break;
    case 2: c.Xhdr("Subject", 1, 1); break;
    case 3: c.Xpat("Subject 1-5 *"); break;
    case 4: c.List(); break;
    case 5: c.Head(3); break;
    case 6: c.Article(std::string("<a@b>")); break;
    case 7: c.Post(); break;
    case 8: c.Quit(); break;
    default: c.Close(); break;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  FuzzNetwork net;
  FuzzClock clock;
  auto conn = std::make_unique<TNNTP>(net, clock, nullptr, NNTPOptions{4, data[0] & 1});
  auto profile = std::make_shared<TProfile>();
  profile->host = "192.0.2.1";
  if (data[0] & 2) profile->userName = "tester";
  if (data[0] & 4) profile->password = "secret";
  profile->extensions = (data[0] & 8) != 0;
  profile->startTls = (data[0] & 16) != 0;
  profile->compress = (data[0] & 32) != 0;
  conn->setProfile(profile);

  unsigned next = data[1];
  auto again = [&](TNNTP& c) { issue(c, next++); };
  // Answered at once, inside the event, or before the next read.
  bool passwordWanted = false;
  conn->OnPasswordWanted = [&](TNNTP& c) {
    if (next++ % 2 == 0) {
      c.AnswerPassword("pw");
    } else {
      passwordWanted = true;
    }
  };
  conn->OnBanner = again;
  conn->OnGroup = again;
  conn->OnEndPost = again;
  conn->OnBeginPost = [](TNNTP& c) { c.SendArticle("Subject: x\r\n\r\n.body"); };
  conn->OnData = [&](TNNTP& c) {
    if (ReadDataLines(c, [](std::string_view) {})) issue(c, next++);
  };
  conn->OnError = [&](TNNTP& c, int, const std::string&) {
    if (next++ % 3 == 0) c.Close();
  };

  conn->Connect();
  FuzzTransport* t = net.last();
  t->connecting = false;
  t->connected = true;
  t->handler->onTransportConnected();

  std::size_t pos = 2;
  while (pos < size && conn) {
    if (std::exchange(passwordWanted, false)) conn->AnswerPassword("pw");
    const std::uint8_t op = data[pos++];
    if (op == 0xF0) {
      clock.fire(0);
    } else if (op == 0xF1) {
      t->connected = false;
      t->handler->onTransportClosed();
    } else if (op == 0xF2) {
      issue(*conn, next++);
    } else if (op == 0xF3) {
      conn.reset();  // the owner destroys the connection between reads
    } else if (op == 0xF5) {
      if (t->handshaking) {
        t->handshaking = false;
        t->handler->onTransportTlsReady();
      }
    } else if (op == 0xF4) {
      if (!t->connected) {
        conn->Connect();
        t->connecting = false;
        t->connected = true;
        t->handler->onTransportConnected();
      }
    } else {
      const std::size_t length = std::min<std::size_t>(op % 64 + 1, size - pos);
      if (t->connected) t->handler->onTransportData(
          std::string_view(reinterpret_cast<const char*>(data + pos), length));
      pos += length;
    }
  }
  return 0;
}
