// Fuzzes SmtpClient's reading of server replies in every state: the input
// picks the options and a script of reads (each with the fuzzer's own chunk
// boundaries), handshake ends, time-outs, peer closes and owner commands.
// The owner answers each accepted reply with the next command, as the
// poster does, so the dialogue moves through every state.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "fuzz_network.h"
#include "net/smtp_client.h"

namespace {

using namespace orvel;
using fuzz::FuzzClock;
using fuzz::FuzzNetwork;
using fuzz::FuzzTransport;

void issue(SmtpClient& c, unsigned which) {
  switch (which % 7) {
    case 0: c.Helo(); break;
    case 1: c.MailFrom("me@client.example"); break;
    case 2: c.RcptTo("you@mail.example"); break;
    case 3: c.Data(); break;
    case 4: c.Quit(); break;
    case 5:
      if (c.State() == 7) c.SendMessageBlock("Subject: x\r\n\r\n..body\r\n.\r\n");
      break;
    default: c.Close(); break;
  }
}

struct Owner final : SmtpListener {
  std::unique_ptr<SmtpClient>* client = nullptr;
  unsigned next = 0;
  void onSmtpReply(SmtpClient& c, int state) override {
    switch (state) {
      case 1: c.Helo(); break;
      case 3: c.MailFrom("me@client.example"); break;
      case 4: c.RcptTo("you@mail.example"); break;
      case 5: c.Data(); break;
      case 6: c.SendMessageBlock("Subject: x\r\n\r\n..body\r\n.\r\n"); break;
      case 7: c.Quit(); break;
      default: issue(c, next++); break;
    }
  }
  void onSmtpError(SmtpClient& c, const std::string&) override {
    if (next++ % 3 == 0) c.Close();
    if (next % 5 == 0) client->reset();  // the owner gives up the client
  }
  void onSmtpClosed(SmtpClient&) override { ++next; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  FuzzNetwork net;
  FuzzClock clock;
  auto client = std::make_unique<SmtpClient>(net, clock);
  Owner owner;
  owner.client = &client;
  owner.next = data[1];
  client->setListener(&owner);
  SmtpOptions options{"client.example", "", ""};
  if (data[0] & 1) options = {"client.example", "tester", "secret"};

  auto connect = [&] {
    client->Connect("192.0.2.25", options);
    FuzzTransport* t = net.last();
    t->connecting = false;
    t->connected = true;
    t->handler->onTransportConnected();
  };
  connect();
  FuzzTransport* t = net.last();

  std::size_t pos = 2;
  while (pos < size && client) {
    const std::uint8_t op = data[pos++];
    if (op == 0xF0) {
      clock.fire(0);
    } else if (op == 0xF1) {
      t->connected = false;
      t->handler->onTransportClosed();
    } else if (op == 0xF2) {
      issue(*client, owner.next++);
    } else if (op == 0xF3) {
      client.reset();
    } else if (op == 0xF4) {
      if (!t->connected) connect();
    } else if (op == 0xF5) {
      if (t->handshaking) {
        t->handshaking = false;
        t->handler->onTransportTlsReady();
      }
    } else {
      const std::size_t length = std::min<std::size_t>(op % 64 + 1, size - pos);
      if (t->connected && !t->handshaking) {
        t->handler->onTransportData(
            std::string_view(reinterpret_cast<const char*>(data + pos), length));
      }
      pos += length;
    }
  }
  return 0;
}
