// orvel-cli send with mail, against the SMTP sink and INN 2 of
// scripts/test-servers: a mail reply reaches the relay over STARTTLS with a
// login and the headers of a mail; a refused recipient leaves the entry in
// the Outbox with its mail unsent; post-and-mail whose mail went on an
// earlier send only posts the next time.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "articles/article_arena.h"
#include "articles/mailbox.h"
#include "config/password_scramble.h"
#include "config/temp_base_dir.h"
#include "support/cli_run.h"
#include "support/test_servers.h"

namespace orvel::test {
namespace {

namespace fs = std::filesystem;

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream out;
  out << in.rdbuf();
  return out.str();
}

std::vector<std::string> mailsWith(const std::string& dir, const std::string& token) {
  std::vector<std::string> out;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().extension() != ".eml") continue;
    std::string text = readFile(entry.path());
    if (text.find(token) != std::string::npos) out.push_back(std::move(text));
  }
  return out;
}

class CliSendSmtp : public ::testing::Test {
 protected:
  // newsPort: where the news server is (0: nowhere that answers).
  void configure(const TestServers& s, int newsPort) {
    const std::string news = newsPort ? std::to_string(newsPort) : "1";
    dir_.write("servers.ini",
               "[Profiles]\r\ncount=1\r\n1=inn," + s.host() + ":" + news + "\r\nDefault=1\r\n"
               "[inn]\r\nSMTPHost=" + s.smtpHost() + ":" + std::to_string(s.smtpPort()) +
               "\r\nSMTPUser=" + s.smtpUser() + "\r\nSMTPPassWd=" + EncodePassword(s.smtpPassword()) +
               "\r\nCAFile=" + s.smtpCaFile() + "\r\n");
    dir_.write("Orvel.ini", "[ID]\r\nName=Ann\r\nEmail=ann@real.example.net\r\n"
                            "PublicEmail=ann@example.net\r\n");
    dir_.write("body.txt", "A word by mail.\n");
  }
  CliRun cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--base", dir_.path()});
    return runCli(args);
  }
  std::string subject(const std::string& what) const {
    return what + " " +
           std::to_string(std::chrono::system_clock::now().time_since_epoch().count());
  }
  // The Outbox's records as they are on disk.
  std::vector<TArticle> outbox() {
    TFolder folder(dir_.path() + "folders/Outbox.mbx", kStoreOutbox);
    std::vector<TArticle*> list;
    folder.LoadHeaders(arena_, list);
    std::vector<TArticle> out;
    for (TArticle* a : list) out.push_back(*a);
    return out;
  }

  TempBaseDir dir_;
  ArticleArena arena_;
};

TEST_F(CliSendSmtp, AMailReachesTheRelay) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  if (!s.hasSmtp()) GTEST_SKIP() << "no SMTP sink";
  configure(s, 0);
  const std::string title = subject("By mail");
  ASSERT_EQ(cli({"compose", "--mail", "Bob <bob@example.net>", "--subject", title, "--body",
                 dir_.path() + "body.txt", "--yes"})
                .status,
            0);
  const CliRun sent = cli({"send", "--yes"});
  ASSERT_EQ(sent.status, 0) << sent.err;
  EXPECT_NE(sent.err.find("RCPT TO <bob@example.net>"), std::string::npos) << sent.err;
  const auto mails = mailsWith(s.smtpMailDir(), title);
  ASSERT_EQ(mails.size(), 1u);
  for (const char* header : {"From: Ann <ann@real.example.net>\r\n", "To: Bob <bob@example.net>\r\n",
                             "User-Agent: Orvel/Fr.08.12\r\n"}) {
    EXPECT_NE(mails[0].find(header), std::string::npos) << header << mails[0];
  }
  EXPECT_EQ(mails[0].find("Newsgroups:"), std::string::npos);
  for (const TArticle& a : outbox()) EXPECT_TRUE(a.Has(NodeFlag::Deleted));
}

TEST_F(CliSendSmtp, ARefusedRecipientLeavesTheEntryQueued) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  if (!s.hasSmtp()) GTEST_SKIP() << "no SMTP sink";
  configure(s, 0);
  const std::string title = subject("Refused");
  ASSERT_EQ(cli({"compose", "--mail", "refuse@example.net", "--subject", title, "--body",
                 dir_.path() + "body.txt", "--yes"})
                .status,
            0);
  const CliRun sent = cli({"send", "--yes"});
  EXPECT_EQ(sent.status, 1);
  EXPECT_NE(sent.err.find("550"), std::string::npos) << sent.err;
  EXPECT_NE(sent.err.find("the rest stays in the Outbox"), std::string::npos) << sent.err;
  const auto entries = outbox();
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_FALSE(entries[0].Has(NodeFlag::Deleted));
  EXPECT_FALSE(entries[0].Has(NodeFlag::MailSent));
  EXPECT_FALSE(entries[0].Has(NodeFlag::Fetching));
  EXPECT_TRUE(mailsWith(s.smtpMailDir(), title).empty());
}

TEST_F(CliSendSmtp, MailSentEarlierIsNotSentAgain) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  if (!s.hasSmtp()) GTEST_SKIP() << "no SMTP sink";
  configure(s, 0);
  const std::string title = subject("Posted and mailed");
  ASSERT_EQ(cli({"compose", "--post", "test.send", "--mail", "bob@example.net", "--subject", title,
                 "--body", dir_.path() + "body.txt", "--yes"})
                .status,
            0);
  EXPECT_EQ(cli({"send", "--yes"}).status, 1) << "no news server answers";
  ASSERT_EQ(outbox().size(), 1u);
  EXPECT_TRUE(outbox()[0].Has(NodeFlag::MailSent));
  EXPECT_FALSE(outbox()[0].Has(NodeFlag::Posted));

  configure(s, std::stoi(s.get("ORVEL_NNTP_PORT")));
  const CliRun again = cli({"send", "--yes"});
  ASSERT_EQ(again.status, 0) << again.err;
  EXPECT_EQ(again.err.find("Mailing"), std::string::npos) << again.err;
  EXPECT_EQ(mailsWith(s.smtpMailDir(), title).size(), 1u);
  for (const TArticle& a : outbox()) EXPECT_TRUE(a.Has(NodeFlag::Deleted)) << "sent whole";
}

}  // namespace
}  // namespace orvel::test
