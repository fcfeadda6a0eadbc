// SmtpClient over Qt against the SMTP sink of scripts/test-servers: a mail
// sent with STARTTLS and login, or in plain, is read back from the sink's
// mail directory byte for byte; refusals and certificate failures store
// nothing.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "net/qt/qt_clock.h"
#include "net/qt/qt_network.h"
#include "net/smtp_client.h"
#include "support/qt_event_loop.h"
#include "support/smtp_driver.h"
#include "support/test_servers.h"

namespace orvel::test {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

// The .eml files of the mail directory whose text holds token.
std::vector<fs::path> mailsWith(const std::string& dir, const std::string& token) {
  std::vector<fs::path> out;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() == ".eml" && readFile(entry.path()).find(token) != std::string::npos) {
      out.push_back(entry.path());
    }
  }
  return out;
}

struct SinkCase {
  const char* name;
  bool loginPort;          // the STARTTLS + AUTH port, else the plain one
  bool login;              // give the sink's user name
  const char* password;    // null: the right one
  bool trustTestCa;
  std::string to;
  std::string error;       // empty: delivered; else the start of the error text
  bool tls;                // STARTTLS was used
};

void PrintTo(const SinkCase& c, std::ostream* os) { *os << c.name; }

class SmtpSink : public ::testing::TestWithParam<SinkCase> {
 protected:
  void SetUp() override { qtApp(); }
};

TEST_P(SmtpSink, SendsAndReadsBack) {
  ORVEL_REQUIRE_TEST_SERVERS(servers);
  if (!servers.hasSmtp()) GTEST_SKIP() << "the test servers run no SMTP sink";
  const SinkCase& c = GetParam();
  const std::string token = std::string("orvel-smtp-") + c.name + "-" +
                            std::to_string(QtClock().now().time_since_epoch().count());

  QtNetPlatform platform;
  QtClock clock;
  SmtpDriver driver;
  driver.to = c.to;
  driver.block = "From: me@client.example\r\nTo: " + c.to + "\r\nSubject: " + token +
                 "\r\n\r\nfirst line\r\n..a line that starts with a dot\r\n.\r\n";
  SmtpClient client(platform, clock);
  client.setListener(&driver);
  SmtpOptions options{"client.example", "", ""};
  if (c.login) {
    options.userName = servers.smtpUser();
    options.password = c.password ? c.password : servers.smtpPassword();
  }
  const int port = c.loginPort ? servers.smtpPort() : servers.smtpPlainPort();
  client.Connect(servers.smtpHost() + ":" + std::to_string(port), options,
                 c.trustTestCa ? servers.smtpCaFile() : std::string());

  const auto ended = [&] {
    for (const auto& e : driver.log) {
      if (e == "closed" || e.rfind("error ", 0) == 0) return true;
    }
    return false;
  };
  ASSERT_TRUE(runUntil(ended, 15000)) << ::testing::PrintToString(driver.log);
  EXPECT_EQ(client.TlsActive(), c.tls);

  if (!c.error.empty()) {
    ASSERT_FALSE(driver.log.empty());
    const std::string& last = driver.log.back();
    EXPECT_EQ(last.rfind("error " + c.error, 0), 0u) << last;
    EXPECT_EQ(client.State(), last.find("Connexion TLS") != std::string::npos ? 0 : 2);
    client.Close();
    runFor(200);  // the sink would have stored the mail by now
    EXPECT_TRUE(mailsWith(servers.smtpMailDir(), token).empty());
    return;
  }
  EXPECT_EQ(driver.log, (Lines{"reply 1", "reply 3", "reply 4", "reply 5", "reply 6", "reply 7",
                               "reply 8", "closed"}));
  const auto mails = mailsWith(servers.smtpMailDir(), token);
  ASSERT_EQ(mails.size(), 1u);
  EXPECT_EQ(readFile(mails[0]),
            "From: me@client.example\r\nTo: " + c.to + "\r\nSubject: " + token +
                "\r\n\r\nfirst line\r\n.a line that starts with a dot\r\n");
  fs::path envelope = mails[0];
  envelope.replace_extension(".env");
  EXPECT_EQ(readFile(envelope), "MAIL FROM:<me@client.example>\nRCPT TO:<" + c.to + ">\n");
}

const SinkCase kCases[] = {
    {"StartTlsAndLogin", true, true, nullptr, true, "you@mail.example", "", true},
    {"Plain", false, false, nullptr, false, "you@mail.example", "", false},
    {"RecipientRefused", false, false, nullptr, false, "refuse-me@mail.example", "550 ", false},
    {"WrongPassword", true, true, "wrong", true, "you@mail.example", "535 ", true},
    {"LoginPortWantsLogin", true, false, nullptr, true, "you@mail.example", "530 ", true},
    {"UnknownCertificateAuthority", true, true, nullptr, false, "you@mail.example",
     "Connexion TLS refusée par 127.0.0.1", false},
    {"NoLoginWithoutTls", false, true, nullptr, true, "you@mail.example", kSmtpNoStartTls, false},
};

INSTANTIATE_TEST_SUITE_P(All, SmtpSink, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel::test
