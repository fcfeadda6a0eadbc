// orvel-cli compose: the queued text it prints, what it stores in the
// Outbox, and the checks that refuse a message or need --yes.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "support/cli_run.h"

namespace orvel::test {
namespace {

class CliCompose : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = (std::filesystem::temp_directory_path() /
             ("orvel-cli-compose-" + std::to_string(::getpid())))
                .string();
    std::filesystem::remove_all(base_);
    std::filesystem::create_directories(base_);
    write("servers.ini", "[Profiles]\r\ncount=1\r\n1=srv,127.0.0.1:1\r\nDefault=1\r\n");
    write("Orvel.ini",
          "[ID]\r\nName=Ann\r\nEmail=ann@real.example\r\nPublicEmail=ann@example.com\r\n"
          "Organization=Org\r\nSigFile=sig.txt\r\n");
    write("sig.txt", "Ann\n");
    write("body.txt", "Hi there\n");
    // Twenty lines: quoted, they are most of a short answer.
    std::string article =
        "From: Bob <bob@example.org>\r\nNewsgroups: fr.test\r\nSubject: Question\r\n"
        "Message-ID: <q1@example.org>\r\nDate: Mon, 07 Dec 2026 10:00:00 +0000\r\n\r\n";
    for (int i = 1; i <= 20; ++i) article += "Line " + std::to_string(i) + "\r\n";
    write("article.txt", article);
  }
  void TearDown() override { std::filesystem::remove_all(base_); }

  void write(const std::string& name, const std::string& text) {
    std::ofstream(base_ + "/" + name, std::ios::binary) << text;
  }
  CliRun compose(std::vector<std::string> args) {
    args.insert(args.begin(), {"--base", base_, "compose"});
    return runCli(args);
  }
  std::string path(const std::string& name) const { return base_ + "/" + name; }

  std::string base_;
};

// The Date line changes with the clock: it is cut out ("Date: Tue, 08 Dec
// 2026 01:30:00 GMT" is 35 characters, with "+0100" 37).
std::string withoutDate(std::string text) {
  const std::size_t at = text.find("\r\nDate: ");
  if (at == std::string::npos) return text;
  const std::size_t end = text.find("\r\n", at + 2);
  EXPECT_TRUE(end - at - 2 == 35 || end - at - 2 == 37) << text.substr(at, end - at);
  return text.erase(at, end - at);
}

TEST_F(CliCompose, PrintsTheQueuedTextByteForByte) {
  const CliRun run = compose({"--post", "fr.test", "--subject", "Hello", "--body",
                              path("body.txt"), "--header", "X-Test: yes", "--print"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(withoutDate(run.out),
            std::string("Subject: Hello\r\nNewsgroups: srv:fr.test\r\nLines: 5\r\n"
                        "X-ID: <Default>\tAnn\tann@real.example\tann@example.com\tOrg\t\tsig.txt\r\n"
                        "X-Status: 20\r\nX-Test: yes\r\n\r\nHi there\r\n\r\n-- \r\nAnn\r\n") +
                '\0');

  const std::string attached = path("file.bin");
  write("file.bin", "12345");
  const CliRun reply = compose({"--reply-to", path("article.txt"), "--mode", "followup-mail",
                                "--body", path("body.txt"), "--attach", attached, "--yes",
                                "--print"});
  ASSERT_EQ(reply.status, 0) << reply.err;
  EXPECT_NE(reply.out.find("Subject: Re: Question\r\nNewsgroups: srv:fr.test\r\n"
                           "To: Bob <bob@example.org>\r\nReferences: <q1@example.org>\r\n"),
            std::string::npos)
      << reply.out;
  EXPECT_NE(reply.out.find("\r\nX-Status: 21\r\nX-Attachments: 0;2;8000;5;-1;-1\t" + attached +
                           "\r\n\r\n[Copie en courrier]\r\n\r\n"),
            std::string::npos)
      << reply.out;
  EXPECT_NE(reply.out.find("> Line 19\r\n> Line 20\r\n\r\nHi there\r\n\r\n-- \r\nAnn"),
            std::string::npos)
      << reply.out;
}

TEST_F(CliCompose, RefusalsAndQuestions) {
  std::string eleven = "g0";
  for (int i = 1; i <= 10; ++i) eleven += ",g" + std::to_string(i);
  std::string twentyOne = eleven;
  for (int i = 11; i <= 20; ++i) twentyOne += ",g" + std::to_string(i);
  const std::string body = path("body.txt");
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* err;
  };
  const Case cases[] = {
      {{"--post", "fr.test", "--body", body}, 1, "Sujet vide !!!!!"},
      {{"--post", twentyOne, "--subject", "s", "--body", body}, 1, "plus de 20 groupes"},
      {{"--post", eleven, "--subject", "s", "--body", body}, 1, "--yes"},
      {{"--post", eleven, "--subject", "s", "--body", body, "--yes"}, 1, "--followup-to"},
      {{"--post", eleven, "--subject", "s", "--body", body, "--yes", "--followup-to", "g0"}, 0, nullptr},
      {{"--mail", "a@b.example, c@d.example", "--subject", "s", "--body", body}, 1, "une seule adresse"},
      {{"--post", "fr.test", "--subject", "s", "--body", body, "--header", "Subject: x"}, 1, "interdite"},
      {{"--post", "fr.test", "--subject", "s", "--attach", path("gone.bin")}, 1, "Pi\u00e8ce jointe introuvable"},
      {{"--reply-to", path("article.txt"), "--mode", "followup"}, 1, "rien \u00e9crit"},
      {{"--reply-to", path("article.txt"), "--mode", "followup", "--body", body}, 1, "--yes"},
      {{"--reply-to", path("article.txt"), "--mode", "followup", "--body", body, "--yes"}, 0, nullptr},
      {{"--reply-to", path("article.txt")}, 2, "go together"},
      {{"--post", "fr.test", "--identity", "nobody"}, 1, "no identity nobody"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.args[0] + " " + c.args[1]);
    const CliRun run = compose(c.args);
    EXPECT_EQ(run.status, c.status) << run.err;
    if (c.err) EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    if (c.status == 1) EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
  }
  const CliRun outbox = runCli({"--base", base_, "folders", "show", "Outbox"});
  EXPECT_EQ(outbox.status, 0) << outbox.err;
  EXPECT_NE(outbox.out.find("Re: Question"), std::string::npos) << outbox.out;
  EXPECT_NE(outbox.out.find("\ts\t"), std::string::npos) << outbox.out;
}

// An article with a broken MIME structure, an unknown charset, NUL bytes
// and a 100 KB line still gives a quoted reply.
TEST_F(CliCompose, BadArticlesStillGiveAQuotedReply) {
  std::string article =
      "From: Bob <bob@example.org>\r\nNewsgroups: fr.test\r\nSubject: Broken\r\n"
      "Message-ID: <b1@example.org>\r\nMIME-Version: 1.0\r\n"
      "Content-Type: multipart/mixed; boundary=\"never\"\r\n\r\n"
      "--other\r\nContent-Type: text/plain; charset=x-unknown-9\r\n\r\n";
  article += std::string("before\0after\r\n", 14);
  article += std::string(100 * 1024, 'w') + "\r\nlast line\r\n";
  write("broken.txt", article);
  const CliRun run = compose({"--reply-to", path("broken.txt"), "--mode", "followup", "--body",
                              path("body.txt"), "--yes", "--print"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_NE(run.out.find("> before after\r\n"), std::string::npos) << "the raw body, NUL made a blank";
  EXPECT_NE(run.out.find(" last line\r\n"), std::string::npos);
  EXPECT_NE(run.out.find("\r\n> wwww"), std::string::npos) << "the long line is quoted, rewrapped";
  EXPECT_EQ(run.out.find(std::string(100, 'w')), std::string::npos);
  EXPECT_EQ(std::count(run.out.begin(), run.out.end(), '\0'), 1) << "only the final NUL";
}

}  // namespace
}  // namespace orvel::test
