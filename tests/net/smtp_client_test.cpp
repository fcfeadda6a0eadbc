// SmtpClient over the scripted network and the manual clock: what the
// socket adds to the engine's dialogue (tests/net/smtp_engine_test.cpp):
// host forms, replies in pieces, STARTTLS on the transport, failures,
// time-outs, and owners that close the client in an event.

#include "net/smtp_client.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "net/socket_errors.h"
#include "support/fake_network.h"
#include "support/manual_clock.h"
#include "support/smtp_driver.h"

namespace orvel::test {
namespace {

using Lines = std::vector<std::string>;

const SmtpOptions kPlain{"client.example", "", ""};
const SmtpOptions kLogin{"client.example", "tester", "secret"};

struct SmtpHarness {
  FakeNetwork net;
  ManualClock clock;
  SmtpDriver driver;
  std::unique_ptr<SmtpClient> client = std::make_unique<SmtpClient>(net, clock);

  SmtpHarness() { client->setListener(&driver); }
  FakeTransport& transport() { return net.last(); }
  Lines takeLog() { return std::exchange(driver.log, {}); }

  // Connected to a numeric host, the greeting sent.
  void greet(const SmtpOptions& options = kPlain, const std::string& caFile = {}) {
    client->Connect("192.0.2.25", options, caFile);
    transport().accept();
    transport().receive("220 mail.example ESMTP\r\n");
  }
};

struct HostCase {
  const char* name;
  std::string host;
  std::string lookedUp;  // empty: no lookup
  std::string address;
  int port;
  std::string peerName;
};

void PrintTo(const HostCase& c, std::ostream* os) { *os << c.name; }

class ClientHost : public ::testing::TestWithParam<HostCase> {};

TEST_P(ClientHost, ConnectsWhereTheHostSays) {
  const HostCase& c = GetParam();
  SmtpHarness h;
  h.client->Connect(c.host, kPlain, "/tmp/ca.pem");
  if (!c.lookedUp.empty()) {
    EXPECT_TRUE(h.transport().connects().empty());
    ASSERT_TRUE(h.net.fakeResolver().complete(0, c.address, c.lookedUp));
  }
  EXPECT_EQ(h.net.fakeResolver().hostsLookedUp(),
            c.lookedUp.empty() ? Lines{} : Lines{c.lookedUp});
  ASSERT_EQ(h.transport().connects().size(), 1u);
  const auto& call = h.transport().connects()[0];
  EXPECT_EQ(call.address, c.address);
  EXPECT_EQ(call.port, c.port);
  EXPECT_FALSE(call.tls.enabled);
  EXPECT_EQ(call.tls.peerName, c.peerName);
  EXPECT_EQ(call.tls.caFile, "/tmp/ca.pem");
  EXPECT_EQ(h.client->State(), 0);
  h.transport().accept();
  EXPECT_EQ(h.client->State(), 1);
}

// The forms themselves are host_port_test's; here, what reaches the transport.
const HostCase kHosts[] = {
    {"NumericWithPort", " 192.0.2.25:2525 ", "", "192.0.2.25", 2525, "192.0.2.25"},
    {"Ipv6WithPort", "[::1]:2526", "", "::1", 2526, "::1"},
    {"NameLookedUpOnPort25", "mail.example", "mail.example", "192.0.2.7", 25, "mail.example"},
};

INSTANTIATE_TEST_SUITE_P(All, ClientHost, ::testing::ValuesIn(kHosts),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SmtpClient, UnusableHostIsAnErrorWithoutConnecting) {
  const std::pair<std::string, std::string> rows[] = {
      {"mail.example:smtp", "error Erreur SMTP: serveur invalide: mail.example:smtp"},
      {"  ", "error Erreur SMTP: aucun serveur indiqué"},
  };
  for (const auto& [host, event] : rows) {
    SmtpHarness h;
    h.client->Connect(host, kPlain);
    EXPECT_EQ(h.takeLog(), Lines{event});
    EXPECT_TRUE(h.transport().connects().empty());
    EXPECT_TRUE(h.net.fakeResolver().hostsLookedUp().empty());
  }
}

TEST(SmtpClient, LookupFailureNamesTheHost) {
  SmtpHarness h;
  h.client->Connect("nowhere.example", kPlain);
  h.net.fakeResolver().complete(neterr::kHostNotFound, "");
  EXPECT_EQ(h.takeLog(), Lines{"error Hôte nonTrouvé while looking up nowhere.example"});
  EXPECT_EQ(h.client->State(), 0);
}

TEST(SmtpClient, StartTlsOnTheTransportThenEhloAgain) {
  SmtpHarness h;
  h.client->Connect("mail.example:587", kPlain, "/tmp/ca.pem");
  h.net.fakeResolver().complete(0, "192.0.2.7");
  h.transport().accept();
  // A reply in pieces is still one reply: one EHLO.
  h.transport().receiveBytewise("220-mail.example ESMTP\r\n220 ready\r\n");
  h.transport().receive("250-mail.example\r\n250 STARTTLS\r\n");
  EXPECT_EQ(h.transport().takeSentLines(), (Lines{"EHLO client.example", "STARTTLS"}));
  h.transport().receive("220 go ahead\r\n");
  ASSERT_EQ(h.transport().tlsStarts().size(), 1u);
  EXPECT_EQ(h.transport().tlsStarts()[0].peerName, "mail.example");
  EXPECT_EQ(h.transport().tlsStarts()[0].caFile, "/tmp/ca.pem");
  EXPECT_TRUE(h.transport().handshaking());
  EXPECT_EQ(h.client->State(), 3);
  h.transport().tlsReady();
  EXPECT_TRUE(h.client->TlsActive());
  h.transport().receive("250 mail.example\r\n");
  EXPECT_EQ(h.transport().takeSentLines(),
            (Lines{"EHLO client.example", "MAIL FROM:<me@client.example>"}));
  EXPECT_EQ(h.takeLog(), (Lines{"reply 1", "reply 3"}));
}
TEST(SmtpClient, FailedHandshakeIsAnError) {
  SmtpHarness h;
  h.greet();
  h.transport().receive("250-m\r\n250 STARTTLS\r\n");
  h.transport().receive("220 go\r\n");
  h.transport().fail(neterr::kTlsFailure, "certificate unknown");
  EXPECT_EQ(h.takeLog(),
            (Lines{"reply 1", "error Connexion TLS refusée par 192.0.2.25 : certificate unknown"}));
  EXPECT_EQ(h.client->State(), 0);
}

// A refusal reaches the listener and leaves the connection to its owner;
// without a listener the client closes the connection itself.
TEST(SmtpClient, RefusalGoesToTheListenerOrClosesTheConnection) {
  for (const bool listening : {true, false}) {
    SCOPED_TRACE(listening ? "listener" : "none");
    SmtpHarness h;
    if (!listening) h.client->setListener(nullptr);
    h.greet();
    h.transport().takeSent();
    h.transport().receive("554 refused here\r\n");
    EXPECT_EQ(h.takeLog(), listening ? (Lines{"reply 1", "error 554 refused here"}) : Lines{});
    EXPECT_EQ(h.client->State(), listening ? 2 : 0);
    EXPECT_EQ(h.transport().isConnected(), listening);
    EXPECT_EQ(h.transport().takeSent(), "");
    EXPECT_EQ(h.clock.activeTimers(), 0);
  }
}
TEST(SmtpClient, CommandsWithoutConnectionSayNotConnected) {
  const std::string notConnected = "error Erreur SMTP: pas connecté";
  SmtpHarness h;
  h.driver.answer = false;
  h.client->Helo();
  h.client->MailFrom("a@b");
  h.client->SendMessageBlock(".\r\n");
  h.client->Quit();  // nothing at all
  EXPECT_EQ(h.takeLog(), (Lines{notConnected, notConnected, notConnected}));
  EXPECT_EQ(h.client->State(), 0);
  // Once the peer has left, too.
  h.greet();
  h.transport().peerClose();
  h.client->RcptTo("a@b");
  EXPECT_EQ(h.takeLog(), (Lines{"reply 1", "closed", notConnected}));
}

TEST(SmtpClient, MessageBlockMisuseIsAProgrammingFault) {
  SmtpHarness h;
  h.driver.answer = false;
  h.greet();
  EXPECT_THROW(h.client->SendMessageBlock("x\r\n.\r\n"), std::logic_error);  // before 354
  h.client->Data();
  h.transport().receive("354 go\r\n");
  EXPECT_THROW(h.client->SendMessageBlock("no end\r\n"), std::logic_error);
  EXPECT_THROW(h.client->SendMessageBlock("x.\r\n"), std::logic_error);
  h.transport().takeSent();
  h.client->SendMessageBlock(".\r\n");
  EXPECT_EQ(h.transport().takeSent(), ".\r\n");
}

// Every wait is guarded: the lookup and connect, a reply (restarted by each
// byte received), and the longer reply to the message.
TEST(SmtpClient, EachWaitTimesOutAndTheConnectionGoes) {
  const struct {
    const char* name;
    std::function<void(SmtpHarness&)> reach;
    std::int64_t wait;
    const char* error;
  } cases[] = {
      {"lookup never answers",
       [](SmtpHarness& h) { h.client->Connect("mail.example", kPlain); }, 120'000,
       "error Erreur SMTP: pas de réponse de mail.example depuis 120 s"},
      {"silent server",
       [](SmtpHarness& h) {
         h.client->Connect("192.0.2.25", kPlain);
         h.clock.advance(60'000);
         h.transport().accept();
         h.clock.advance(119'999);
         h.transport().receive("220-slow");  // bytes restart the wait
       },
       120'000, "error Erreur SMTP: pas de réponse de 192.0.2.25 depuis 120 s"},
      {"message reply",
       [](SmtpHarness& h) {
         h.greet();
         for (const char* r : {"250 hello\r\n", "250 ok\r\n", "250 ok\r\n", "354 go\r\n"}) {
           h.transport().receive(r);
         }
       },
       600'000, "error Erreur SMTP: pas de réponse de 192.0.2.25 depuis 600 s"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SmtpHarness h;
    c.reach(h);
    h.takeLog();
    h.clock.advance(c.wait - 1);
    EXPECT_TRUE(h.takeLog().empty());
    h.clock.advance(1);
    EXPECT_EQ(h.takeLog(), Lines{c.error});
    EXPECT_EQ(h.client->State(), 0);
    EXPECT_FALSE(h.transport().isConnected());
    EXPECT_EQ(h.net.fakeResolver().pending(), 0);
    EXPECT_EQ(h.clock.activeTimers(), 0);
  }
}

TEST(SmtpClient, NoTimerWhileTheOwnerHasTheTurn) {
  SmtpHarness h;
  h.driver.answer = false;
  h.greet();
  EXPECT_EQ(h.clock.activeTimers(), 0);
  h.clock.advance(3'600'000);
  EXPECT_EQ(h.takeLog(), Lines{"reply 1"});
  h.client->Helo();
  EXPECT_EQ(h.clock.activeTimers(), 1);
}

// The owner closes the client inside each kind of event: nothing more
// reaches it, and no timer is left.
struct Closer final : SmtpListener {
  int events = 0;
  void onSmtpReply(SmtpClient& c, int) override { end(c); }
  void onSmtpError(SmtpClient& c, const std::string&) override { end(c); }
  void onSmtpClosed(SmtpClient& c) override { end(c); }
  void end(SmtpClient& c) {
    ++events;
    c.Close();
  }
};

TEST(SmtpClient, OwnerMayCloseTheClientInsideAnyEvent) {
  const std::function<void(SmtpHarness&)> endings[] = {
      [](SmtpHarness& h) { h.transport().receive("220 hi\r\n250 more\r\n"); },
      [](SmtpHarness& h) { h.transport().receive("554 no\r\n"); },
      [](SmtpHarness& h) { h.transport().peerClose(); },
      [](SmtpHarness& h) { h.transport().fail(neterr::kConnectionReset); },
      [](SmtpHarness& h) { h.clock.advance(120'000); },
  };
  for (const auto& ending : endings) {
    SmtpHarness h;
    Closer c;
    h.client->setListener(&c);
    h.client->Connect("192.0.2.25", kPlain);
    h.transport().accept();
    ending(h);
    EXPECT_EQ(c.events, 1);
    EXPECT_FALSE(h.client->IsConnected());
    EXPECT_EQ(h.clock.activeTimers(), 0);
  }
}

}  // namespace
}  // namespace orvel::test
