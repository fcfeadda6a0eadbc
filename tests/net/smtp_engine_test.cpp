// The SMTP dialogue without a socket: each row is a script of server
// replies, owner commands and handshake ends, with the step the engine
// answers each one with.

#include "net/smtp_engine.h"

#include <gtest/gtest.h>

#include <utility>

namespace orvel {
namespace {

// "send LINE", "starttls", "accepted N", "refused TEXT", or "" for nothing.
std::string describe(const SmtpStep& step) {
  switch (step.kind) {
    case SmtpStep::Kind::None: return "";
    case SmtpStep::Kind::Send: return "send " + step.text;
    case SmtpStep::Kind::StartTls: return "starttls";
    case SmtpStep::Kind::Accepted: return "accepted " + std::to_string(step.state);
    case SmtpStep::Kind::Refused: return "refused " + step.text;
  }
  return "?";
}

// One input: "helo", "mail ADDR", "rcpt ADDR", "data", "quit", "sent" (the
// message went out), "tls" (handshake done); anything else is server text,
// to which CR LF is added.
SmtpStep feed(SmtpEngine& e, const std::string& input) {
  if (input == "helo") return e.helo();
  if (input.rfind("mail ", 0) == 0) return e.mailFrom(input.substr(5));
  if (input.rfind("rcpt ", 0) == 0) return e.rcptTo(input.substr(5));
  if (input == "data") return e.data();
  if (input == "quit") return e.quit();
  if (input == "tls") return e.tlsReady();
  if (input == "sent") {
    e.messageSent();
    return {};
  }
  return e.receive(input + "\r\n");
}

using Script = std::vector<std::pair<std::string, std::string>>;

struct DialogueCase {
  const char* name;
  SmtpOptions options;
  Script script;  // after the connection: the greeting "220 hi" was accepted
  int finalState;
  bool tls;
};

void PrintTo(const DialogueCase& c, std::ostream* os) { *os << c.name; }

class Dialogue : public ::testing::TestWithParam<DialogueCase> {};

TEST_P(Dialogue, StepsInOrder) {
  const DialogueCase& c = GetParam();
  SmtpEngine e(c.options);
  e.connected();
  ASSERT_EQ(describe(e.receive("220 hi\r\n")), "accepted 1");
  for (const auto& [input, expected] : c.script) {
    EXPECT_EQ(describe(feed(e, input)), expected) << "after: " << input;
  }
  EXPECT_EQ(static_cast<int>(e.state()), c.finalState);
  EXPECT_EQ(e.tlsActive(), c.tls);
}

const SmtpOptions kPlain{"client.example", "", ""};
const SmtpOptions kLogin{"client.example", "tester", "secret"};

// The introduction as far as EHLO over TLS, then rest: the server offers
// STARTTLS and the handshake succeeds.
Script overTls(Script rest) {
  Script s{{"helo", "send EHLO client.example"},
           {"250-m\r\n250 STARTTLS", "send STARTTLS"},
           {"220 go", "starttls"},
           {"tls", "send EHLO client.example"}};
  s.insert(s.end(), rest.begin(), rest.end());
  return s;
}

const std::string kRefusedNoStartTls = std::string("refused ") + kSmtpNoStartTls;

const DialogueCase kDialogues[] = {
    {"WholeMailPlain", kPlain,
     {{"helo", "send EHLO client.example"},
      {"250-mail.example\r\n250-SIZE 1000\r\n250 8BITMIME", "accepted 3"},
      {"mail me@client.example", "send MAIL FROM:<me@client.example>"},
      {"250 ok", "accepted 4"},
      {"rcpt you@mail.example", "send RCPT TO:<you@mail.example>"},
      {"250 ok", "accepted 5"},
      {"data", "send DATA"},
      {"354 go ahead", "accepted 6"},
      {"sent", ""},
      {"250 queued", "accepted 7"},
      {"quit", "send QUIT"},
      {"221 bye", "accepted 8"}},
     8, false},
    {"EhloRefusedFallsBackToHelo", kPlain,
     {{"helo", "send EHLO client.example"},
      {"502 command not implemented", "send HELO client.example"},
      {"250 hello", "accepted 3"}},
     3, false},
    {"HeloRefusedToo", kPlain,
     {{"helo", "send EHLO client.example"},
      {"500 what", "send HELO client.example"},
      {"501 no", "refused 501 no"}},
     2, false},
    {"EhloRejectionIsNoFallback", kPlain,
     {{"helo", "send EHLO client.example"}, {"554 not you", "refused 554 not you"}}, 2, false},
    {"StartTlsOfferedIsUsedWithoutLogin", kPlain,
     overTls({{"250-mail.example\r\n250 STARTTLS", "accepted 3"}}), 3, true},
    {"StartTlsRefused", kPlain,
     {{"helo", "send EHLO client.example"},
      {"250-mail.example\r\n250 STARTTLS", "send STARTTLS"},
      {"454 TLS not available", "refused 454 TLS not available"}},
     2, false},
    {"EhloOverTlsRefused", kPlain, overTls({{"554 no", "refused 554 no"}}), 2, true},
    // AUTH offered in the clear waits for TLS; PLAIN is preferred to LOGIN.
    {"LoginWithAuthPlainAfterTls", kLogin,
     {{"helo", "send EHLO client.example"},
      {"250-mail.example\r\n250-STARTTLS\r\n250 AUTH PLAIN LOGIN", "send STARTTLS"},
      {"220 go", "starttls"},
      {"tls", "send EHLO client.example"},
      {"250-mail.example\r\n250-AUTH LOGIN PLAIN\r\n250 SIZE", "send AUTH PLAIN AHRlc3RlcgBzZWNyZXQ="},
      {"235 2.7.0 Authentication successful", "accepted 3"},
      {"mail me@client.example", "send MAIL FROM:<me@client.example>"}},
     4, true},
    {"LoginWithAuthLoginWhenOnlyOffered", kLogin,
     overTls({{"250-m\r\n250 AUTH=LOGIN", "send AUTH LOGIN"},
              {"334 VXNlcm5hbWU6", "send dGVzdGVy"},
              {"334 UGFzc3dvcmQ6", "send c2VjcmV0"},
              {"235 ok", "accepted 3"}}),
     3, true},
    {"LoginRefusedByTheServer", kLogin,
     overTls({{"250-m\r\n250 AUTH PLAIN", "send AUTH PLAIN AHRlc3RlcgBzZWNyZXQ="},
              {"535 5.7.8 Authentication credentials invalid",
               "refused 535 5.7.8 Authentication credentials invalid"}}),
     2, true},
    {"AuthLoginUserRefused", kLogin,
     overTls({{"250-m\r\n250 AUTH LOGIN", "send AUTH LOGIN"},
              {"334 VXNlcm5hbWU6", "send dGVzdGVy"},
              {"535 no such user", "refused 535 no such user"}}),
     2, true},
    {"CredentialsNeverInClear", kLogin,
     {{"helo", "send EHLO client.example"},
      {"250-mail.example\r\n250 AUTH PLAIN LOGIN", kRefusedNoStartTls}},
     2, false},
    {"LoginWithEhloRefusedIsNoFallback", kLogin,
     {{"helo", "send EHLO client.example"}, {"500 unknown", kRefusedNoStartTls}}, 2, false},
    {"LoginWithoutAuthOffered", kLogin,
     overTls({{"250-m\r\n250 AUTH CRAM-MD5", std::string("refused ") + kSmtpNoAuth}}), 2, true},
    {"DataAnswered250IsRefused", kPlain,
     {{"helo", "send EHLO client.example"},
      {"250 ok", "accepted 3"},
      {"data", "send DATA"},
      {"250 ok", "refused 250 ok"}},
     2, false},
    {"RepliesIgnoredOnceFailed", kPlain,
     {{"mail a@b", "send MAIL FROM:<a@b>"}, {"550 no", "refused 550 no"}, {"250 ok", ""}},
     2, false},
    {"AddressCannotSmuggleACommand", kPlain,
     {{"rcpt a@b>\r\nRCPT TO:<c@d", std::string("refused ") + kSmtpBadAddress}}, 2, false},
    {"OnlyTheFirstReplyOfAReadCounts", kPlain,
     {{"helo", "send EHLO client.example"}, {"250 ok\r\n250 extra", "accepted 3"},
      {"mail a@b", "send MAIL FROM:<a@b>"}, {"550 no", "refused 550 no"}},
     2, false},
};

INSTANTIATE_TEST_SUITE_P(All, Dialogue, ::testing::ValuesIn(kDialogues),
                         [](const auto& info) { return std::string(info.param.name); });

// Each state refuses the replies it does not accept; the refusal carries
// the reply line and leaves state 2.
struct RefusalCase {
  const char* name;
  std::vector<std::string> commandsBefore;  // each accepted with a 2xx reply
  std::string command;                      // empty: the greeting itself
  std::string reply;
};

void PrintTo(const RefusalCase& c, std::ostream* os) { *os << c.name; }

class Refusal : public ::testing::TestWithParam<RefusalCase> {};

TEST_P(Refusal, CarriesTheReplyLine) {
  const RefusalCase& c = GetParam();
  SmtpEngine e(kPlain);
  e.connected();
  if (!c.command.empty()) {
    ASSERT_EQ(describe(e.receive("220 hi\r\n")), "accepted 1");
    for (const auto& before : c.commandsBefore) {
      feed(e, before);
      ASSERT_EQ(e.receive(before == "data" ? "354 go\r\n" : "250 ok\r\n").kind,
                SmtpStep::Kind::Accepted);
    }
    feed(e, c.command);
  }
  const std::string finalLine = c.reply.substr(c.reply.rfind('\n') + 1);
  EXPECT_EQ(describe(e.receive(c.reply + "\r\n")), "refused " + finalLine);
  EXPECT_EQ(e.state(), SmtpState::Failed);
  EXPECT_FALSE(e.waiting());
}

const RefusalCase kRefusals[] = {
    {"Greeting", {}, "", "554 no service"},
    {"Mail", {"helo"}, "mail a@b", "550 sender rejected"},
    {"Rcpt", {"helo", "mail a@b"}, "rcpt c@d", "550 5.1.1 no such user"},
    {"Data", {"helo", "mail a@b", "rcpt c@d"}, "data", "554 no valid recipients"},
    {"Message", {"helo", "mail a@b", "rcpt c@d", "data"}, "sent", "552 too big"},
    {"Quit", {"helo"}, "quit", "500 what"},
    {"ContinuationThenRefusal", {"helo"}, "mail a@b", "451-try\r\n451 later"},
};

INSTANTIATE_TEST_SUITE_P(All, Refusal, ::testing::ValuesIn(kRefusals),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(SmtpEngine, RepliesBeforeTheConnectionAreIgnored) {
  SmtpEngine e(kPlain);
  EXPECT_EQ(describe(e.receive("220 hi\r\n")), "");
  EXPECT_EQ(e.state(), SmtpState::Idle);
}

// Text the server sends after its STARTTLS reply, before the handshake,
// would be read as if it came over TLS: it is dropped.
TEST(SmtpEngine, TextInjectedBeforeTheHandshakeIsDropped) {
  SmtpEngine e(kLogin);
  e.connected();
  e.receive("220 hi\r\n");
  e.helo();
  ASSERT_EQ(describe(e.receive("250-m\r\n250 STARTTLS\r\n")), "send STARTTLS");
  EXPECT_EQ(describe(e.receive("220 go\r\n250-m\r\n250 AUTH PLAIN\r\n")), "starttls");
  EXPECT_TRUE(e.handshaking());
  EXPECT_EQ(describe(e.receive("250 during the handshake\r\n")), "");
  EXPECT_EQ(describe(e.tlsReady()), "send EHLO client.example");
  EXPECT_EQ(describe(e.receive("")), "");
  EXPECT_EQ(describe(e.receive("250-m\r\n250 AUTH PLAIN\r\n")),
            "send AUTH PLAIN AHRlc3RlcgBzZWNyZXQ=");
}

TEST(SmtpEngine, LocalNameFallsBackToLocalhost) {
  for (const char* name : {"", "  ", "bad\r\nname"}) {
    SmtpEngine e(SmtpOptions{name, "", ""});
    e.connected();
    e.receive("220 hi\r\n");
    EXPECT_EQ(describe(e.helo()), "send EHLO localhost") << name;
  }
}

TEST(SmtpEngine, TooLongReplyIsRefused) {
  SmtpEngine e(kPlain);
  e.connected();
  EXPECT_EQ(describe(e.receive(std::string(SmtpReplyReader::kMaxReplyBytes + 1, 'x'))),
            std::string("refused ") + kSmtpReplyTooLong);
  EXPECT_EQ(e.state(), SmtpState::Failed);
}

}  // namespace
}  // namespace orvel
