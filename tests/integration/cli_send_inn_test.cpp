// orvel-cli compose and send against the real INN 2 of scripts/test-servers:
// a text article, a follow-up to it and its supersede, a 1,000,000-byte file
// in yEnc parts that decode-group gives back byte for byte, the cancel of
// the user's own article, which the server then no longer has, and a send
// resumed after the server took its article, which does not post it again.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>

#include "articles/article_arena.h"
#include "articles/mailbox.h"
#include "config/temp_base_dir.h"
#include "core/atomic_file.h"
#include "posting/send_journal.h"
#include "support/cli_run.h"
#include "support/inn_query.h"

namespace orvel::test {
namespace {

// "there", or the code of the server's refusal.
std::string stat(const TestServers& s, const std::string& id) {
  return innPython(s, "try:\n    s.stat('" + id + "')\n    print('there')\n"
                      "except nntplib.NNTPTemporaryError as e:\n    print(str(e)[:3])\n");
}

class CliSendInn : public ::testing::Test {
 protected:
  void prepare(const TestServers& s, const std::string& compose) {
    dir_.write("servers.ini", "[Profiles]\r\ncount=1\r\n1=inn," + s.host() + ":" +
                                  s.get("ORVEL_NNTP_PORT") + "\r\nDefault=1\r\n");
    dir_.write("Orvel.ini", "[ID]\r\nName=Ann\r\nEmail=ann@real.test.invalid\r\n"
                            "PublicEmail=ann@test.invalid\r\n[Compose]\r\n" + compose);
    dir_.write("body.txt", "First line.\n.A line with a leading dot\n");
  }
  CliRun cli(std::vector<std::string> args) {
    args.insert(args.begin(), {"--base", dir_.path()});
    return runCli(args);
  }
  std::string stamp() const {
    return std::to_string(std::chrono::system_clock::now().time_since_epoch().count());
  }

  TempBaseDir dir_;
};

TEST_F(CliSendInn, TextFollowUpSupersedeAndCancel) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  ASSERT_EQ(newGroup("test.send"), 0);
  prepare(s, "");
  const std::string subject = "Sent by orvel " + stamp();
  const CliRun composed = cli({"compose", "--post", "test.send", "--subject", subject, "--body",
                               dir_.path() + "body.txt", "--yes"});
  ASSERT_EQ(composed.status, 0) << composed.err;
  const CliRun unconfirmed = cli({"send"});
  EXPECT_NE(unconfirmed.status, 0);
  EXPECT_NE(unconfirmed.err.find("--yes"), std::string::npos) << unconfirmed.err;
  const CliRun sent = cli({"send", "--yes"});
  ASSERT_EQ(sent.status, 0) << sent.err;
  EXPECT_EQ(sent.out, "sent: " + subject + "\n");

  const auto posted = innFind(s, "test.send", subject);
  ASSERT_EQ(posted.size(), 1u);
  const std::string head = innPython(s, "print('\\n'.join(l.decode() for l in s.article('" +
                                         posted[0].second + "')[1].lines))\n");
  EXPECT_NE(head.find("User-Agent: Orvel/Fr.08.12"), std::string::npos) << head;
  EXPECT_NE(head.find("Cancel-Lock: sha256:"), std::string::npos) << head;
  EXPECT_NE(head.find("\n.A line with a leading dot\n"), std::string::npos) << head;
  EXPECT_EQ(cli({"send", "--yes"}).out, "the Outbox holds nothing to send\n");

  // A follow-up to the article as the server serves it.
  const std::string articlePath = dir_.path() + "posted.txt";
  dir_.write("posted.txt", innPython(s, "sys.stdout.write('\\r\\n'.join(l.decode() for l in s.article('" +
                                         posted[0].second + "')[1].lines))\n"));
  ASSERT_EQ(cli({"compose", "--reply-to", articlePath, "--mode", "followup", "--body",
                 dir_.path() + "body.txt", "--yes"})
                .status,
            0);
  ASSERT_EQ(cli({"send", "--yes"}).status, 0);
  const auto answers = innFind(s, "test.send", "Re: " + subject);
  ASSERT_EQ(answers.size(), 1u);
  const std::string references = innPython(
      s, "print(s.head('" + answers[0].second + "')[1].lines)\n");
  EXPECT_NE(references.find(posted[0].second), std::string::npos) << references;

  // A supersede replaces the follow-up: the server drops it.
  dir_.write("answer.txt", innPython(s, "sys.stdout.write('\\r\\n'.join(l.decode() for l in s.article('" +
                                            answers[0].second + "')[1].lines))\n"));
  ASSERT_EQ(cli({"compose", "--reply-to", dir_.path() + "answer.txt", "--mode", "supersede",
                 "--body", dir_.path() + "body.txt", "--yes"})
                .status,
            0);
  const CliRun superseded = cli({"send", "--yes"});
  ASSERT_EQ(superseded.status, 0) << superseded.err;
  EXPECT_EQ(stat(s, answers[0].second), "430\n") << "replaced";

  const CliRun cancel = cli({"cancel", "inn", "test.send", posted[0].first});
  ASSERT_EQ(cancel.status, 0) << cancel.err;
  EXPECT_EQ(stat(s, posted[0].second), "430\n");
}

TEST_F(CliSendInn, AMegabyteInYEncPartsComesBackWhole) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  ASSERT_EQ(newGroup("test.send.bin"), 0);
  prepare(s, "UseyEnc=1\r\nyCutSize=400000\r\n");
  std::string bytes(1000000, '\0');
  std::mt19937 random(7);
  for (char& c : bytes) c = static_cast<char>(random());
  const std::string name = "orvel-" + stamp() + ".bin";
  const std::string subject = "Binary " + stamp();
  dir_.write(name, bytes);
  ASSERT_EQ(cli({"compose", "--post", "test.send.bin", "--subject", subject, "--body",
                 dir_.path() + "body.txt", "--attach", dir_.path() + name, "--yes"})
                .status,
            0);
  const CliRun sent = cli({"send", "--yes"});
  ASSERT_EQ(sent.status, 0) << sent.err;

  const auto parts = innFind(s, "test.send.bin", subject);
  ASSERT_EQ(parts.size(), 3u);
  const std::string out = dir_.path() + "decoded";
  std::filesystem::create_directories(out);
  const CliRun decoded = cli({"decode-group", "inn", "test.send.bin",
                              parts.front().first + "-" + parts.back().first, "--out", out});
  ASSERT_EQ(decoded.status, 0) << decoded.err;
  std::string back;
  ASSERT_TRUE(ReadWholeFile(out + "/" + name, back)) << decoded.out;
  EXPECT_TRUE(back == bytes);
}

// A send cut after the server took an article, before the program knew:
// the next send asks the server for it and does not post it again.
TEST_F(CliSendInn, AResumedSendNeverPostsTwice) {
  ORVEL_REQUIRE_TEST_SERVERS(s);
  ASSERT_EQ(newGroup("test.send"), 0);
  prepare(s, "");
  const std::string subject = "Cut short " + stamp();
  ASSERT_EQ(cli({"compose", "--post", "test.send", "--subject", subject, "--body",
                 dir_.path() + "body.txt", "--yes"})
                .status,
            0);
  TFolder outbox(dir_.path() + "folders/Outbox.mbx", kStoreOutbox);
  ArticleArena arena;
  std::vector<TArticle*> entries;
  ASSERT_TRUE(outbox.LoadHeaders(arena, entries));
  ASSERT_EQ(entries.size(), 1u);
  const std::string id = "<OvFcut." + stamp() + "@test.invalid>";
  innPython(s, "import io\ns.post(io.BytesIO(b'From: Ann <ann@test.invalid>\\r\\n"
               "Newsgroups: test.send\\r\\nSubject: " + subject + "\\r\\nMessage-ID: " + id +
               "\\r\\n\\r\\nFirst line.\\r\\n'))\n");
  ASSERT_EQ(innFind(s, "test.send", subject).size(), 1u);
  SendJournal(SendJournalPath(outbox.path))
      .Starting({entries[0]->Date, std::string(entries[0]->Subject.view())}, 0, id);

  const CliRun sent = cli({"send", "--yes"});
  ASSERT_EQ(sent.status, 0) << sent.err;
  EXPECT_EQ(sent.out, "sent: " + subject + "\n");
  EXPECT_EQ(innFind(s, "test.send", subject).size(), 1u) << "not posted a second time";
}

}  // namespace
}  // namespace orvel::test
