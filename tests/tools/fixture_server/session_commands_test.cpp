// The fixture server's commands over real loopback sockets: status lines
// for every command family, and the exact bytes of listings and articles.

#include <gtest/gtest.h>

#include <algorithm>
#include <ostream>

#include "fixture_harness.h"
#include "fixture_server/generated_source.h"
#include "nntp_test_client.h"

namespace orvel::test {
namespace {

bool isMultiLine(const std::string& command, const std::string& status) {
  static const char* const kCodes[] = {"100", "101", "215", "220", "221", "222", "224", "225", "231", "291"};
  for (const char* code : kCodes) {
    if (status.starts_with(code)) return true;
  }
  return status.starts_with("211") && command.starts_with("LISTGROUP");
}

struct ExchangeCase {
  const char* name;
  std::vector<std::string> commands;
  std::vector<std::string> statuses;
};

void PrintTo(const ExchangeCase& c, std::ostream* os) { *os << c.name; }

class SessionExchangeTest : public testing::TestWithParam<ExchangeCase> {
 protected:
  static void SetUpTestSuite() { server_ = startTestServer().release(); }
  static void TearDownTestSuite() {
    delete server_;
    server_ = nullptr;
  }
  static TestServer* server_;
};
TestServer* SessionExchangeTest::server_ = nullptr;

TEST_P(SessionExchangeTest, StatusLines) {
  const ExchangeCase& c = GetParam();
  NntpTestClient client(server_->port());
  ASSERT_TRUE(client.readLine()->starts_with("200 "));
  ASSERT_EQ(c.commands.size(), c.statuses.size());
  for (std::size_t i = 0; i < c.commands.size(); ++i) {
    std::string status = client.command(c.commands[i]);
    EXPECT_EQ(status, c.statuses[i]) << c.commands[i];
    if (isMultiLine(c.commands[i], status)) client.readBlock();
  }
}

const std::string kGreeting = "200 fixture.invalid Orvel fixture NNRP server ready (posting ok)";

INSTANTIATE_TEST_SUITE_P(
    Table, SessionExchangeTest,
    testing::Values(
        ExchangeCase{"ModeReaderRepeatsTheGreeting", {"MODE READER"}, {kGreeting}},
        ExchangeCase{"GroupSelects", {"GROUP alt.gen"}, {"211 100 1 100 alt.gen"}},
        ExchangeCase{"GroupWithGap", {"GROUP alt.corpus"}, {"211 4 1 5 alt.corpus"}},
        ExchangeCase{"GroupUnknown", {"GROUP no.such"}, {"411 No such group no.such"}},
        ExchangeCase{"EmptyGroup",
                     {"GROUP alt.empty", "XOVER", "NEXT", "XOVER 1-"},
                     {"211 0 1 0 alt.empty", "420 Current article number 0 is invalid",
                      "420 Current article number 0 is invalid", "224 No articles in 1-"}},
        ExchangeCase{"NothingBeforeGroup",
                     {"ARTICLE 1", "XOVER 1-2", "XHDR Subject 1", "XPAT Subject 1- *", "NEXT", "LISTGROUP"},
                     {"412 Not in a newsgroup", "412 Not in a newsgroup", "412 Not in a newsgroup",
                      "412 Not in a newsgroup", "412 Not in a newsgroup", "412 Not in a newsgroup"}},
        ExchangeCase{"XoverRanges",
                     {"GROUP alt.gen", "XOVER 1-3", "XOVER 99-", "XOVER 9999-10000", "XOVER", "XOVER x"},
                     {"211 100 1 100 alt.gen", "224 Overview information for 1-3 follows",
                      "224 Overview information for 99- follows", "224 No articles in 9999-10000",
                      "224 Overview information for 1 follows", "501 Syntax is: XOVER [range]"}},
        ExchangeCase{"OverRanges",
                     {"GROUP alt.gen", "OVER 5", "OVER 9999-10000", "OVER " + GeneratedId("alt.gen", 1)},
                     {"211 100 1 100 alt.gen", "224 Overview information for 5 follows",
                      "423 No articles in 9999-10000", "503 Overview by Message-ID unsupported"}},
        ExchangeCase{"HeaderCommands",
                     {"GROUP alt.gen", "XHDR Subject 1-5", "HDR Subject 1-3", "XHDR Subject 9999-10000",
                      "HDR Subject 9999-10000", "XHDR", "HDR :bytes 1", "XHDR From " + GeneratedId("alt.gen", 2),
                      "HDR Subject " + GeneratedId("alt.gen", 2), "XHDR Subject <none@x>"},
                     {"211 100 1 100 alt.gen",
                      "221 Header information for Subject follows (from overview)",
                      "225 Header or metadata information for Subject follows (from overview)",
                      "221 No header information for Subject follows (from overview)",
                      "423 No articles in 9999-10000", "501 Syntax is: XHDR header [message-ID|range]",
                      "225 Header or metadata information for :bytes follows (from overview)",
                      "221 Header information for From follows (from overview)",
                      "225 Header information for Subject follows (from the article)",
                      "430 No such article"}},
        ExchangeCase{"Xpat",
                     {"GROUP alt.gen", "XPAT Subject 1-100 *", "XPAT Subject 9999-10000 *", "XPAT Subject"},
                     {"211 100 1 100 alt.gen",
                      "221 Header or metadata information for Subject follows (from overview)",
                      "221 No header information for Subject follows (from overview)",
                      "501 Syntax is: XPAT header message-ID|range pattern [pattern ...]"}},
        ExchangeCase{"ArticleByNumberAndId",
                     {"GROUP alt.gen", "ARTICLE 2", "HEAD 2", "BODY 2", "STAT 2", "ARTICLE " + GeneratedId("alt.gen", 5),
                      "STAT " + GeneratedId("alt.gen", 5), "ARTICLE 101", "ARTICLE 0", "ARTICLE <nope@x>"},
                     {"211 100 1 100 alt.gen", "220 2 " + GeneratedId("alt.gen", 2) + " article", "221 2 " + GeneratedId("alt.gen", 2) + " head",
                      "222 2 " + GeneratedId("alt.gen", 2) + " body", "223 2 " + GeneratedId("alt.gen", 2) + " status",
                      "220 0 " + GeneratedId("alt.gen", 5) + " article", "223 0 " + GeneratedId("alt.gen", 5) + " status",
                      "423 No such article number 101", "423 No such article number 0", "430 No such article"}},
        ExchangeCase{"ArticleByIdWorksWithoutGroup",
                     {"HEAD <c2@example.invalid>"}, {"221 0 <c2@example.invalid> head"}},
        ExchangeCase{"NextAndLastSkipTheGap",
                     {"GROUP alt.corpus", "LAST", "STAT 3", "NEXT", "NEXT", "LAST", "ARTICLE 4"},
                     {"211 4 1 5 alt.corpus", "422 No previous article to retrieve",
                      "223 3 <c3@example.invalid> status",
                      "223 5 <c5@example.invalid> Article retrieved; request text separately",
                      "421 No next article to retrieve",
                      "223 3 <c3@example.invalid> Article retrieved; request text separately",
                      "423 No such article number 4"}},
        ExchangeCase{"Lists",
                     {"LIST", "LIST ACTIVE alt.*", "LIST NEWSGROUPS", "LIST OVERVIEW.FMT", "LIST COUNTS",
                      "LIST ACTIVE.TIMES", "LIST HEADERS", "LIST MOTD"},
                     {"215 Newsgroups in form \"group high low status\"",
                      "215 Newsgroups in form \"group high low status\"",
                      "215 Newsgroup descriptions in form \"group description\"",
                      "215 Order of fields in overview database",
                      "215 Newsgroups in form \"group high low count status\"",
                      "215 Newsgroup creation times in form \"group time who\"",
                      "215 Headers and metadata items supported",
                      "501 Syntax is: LIST [ACTIVE|ACTIVE.TIMES|COUNTS|HEADERS|NEWSGROUPS|OVERVIEW.FMT] [wildmat]"}},
        ExchangeCase{"Misc",
                     {"DATE", "HELP", "CAPABILITIES", "FROBNICATE", "", "MODE STREAM", "NEWGROUPS 2024 000000"},
                     {"111 20240101000000", "100 Legal commands", "101 Capability list:", "500 What?",
                      "500 What?", "501 Unknown MODE variant",
                      "501 Syntax is: NEWGROUPS [yy]yymmdd hhmmss [GMT]"}},
        ExchangeCase{"AuthinfoWithoutConfiguredLoginAcceptsAny",
                     {"AUTHINFO PASS x", "AUTHINFO USER u", "AUTHINFO PASS p", "AUTHINFO USER u"},
                     {"482 Authentication commands issued out of sequence", "381 Enter password",
                      "281 Authentication succeeded", "502 Already authenticated"}},
        ExchangeCase{"Quit", {"QUIT"}, {"205 Bye!"}}),
    [](const testing::TestParamInfo<ExchangeCase>& info) { return std::string(info.param.name); });

class SessionTest : public testing::Test {
 protected:
  void SetUp() override {
    server_ = startTestServer();
    client_ = std::make_unique<NntpTestClient>(server_->port());
    client_->readLine();
  }
  std::vector<std::string> block(const std::string& command, const std::string& status) {
    EXPECT_EQ(client_->command(command), status) << command;
    return client_->readBlock();
  }
  std::unique_ptr<TestServer> server_;
  std::unique_ptr<NntpTestClient> client_;
};

TEST_F(SessionTest, XoverOfACorpusGroupIsByteExact) {
  ASSERT_EQ(client_->command("GROUP alt.corpus"), "211 4 1 5 alt.corpus");
  client_->send("XOVER 1-5");
  // Bytes are the CRLF sizes of the article files, counted by hand.
  std::string raw = client_->readLine().value_or("") + "\r\n";
  raw += client_->readRawBlock();
  EXPECT_EQ(raw,
            "224 Overview information for 1-5 follows\r\n"
            "1\tFirst post\tAlice <alice@example.invalid>\tMon, 01 Jan 2024 10:00:00 +0000\t"
            "<c1@example.invalid>\t\t230\t5\tXref: fixture.invalid alt.corpus:1\r\n"
            "2\tRe: First post\tBob <bob@example.invalid>\tMon, 01 Jan 2024 11:00:00 +0000\t"
            "<c2@example.invalid>\t<c1@example.invalid>\t206\t2\tXref: fixture.invalid alt.corpus:2\r\n"
            "3\tCross\tClaire <claire@example.invalid>\tMon, 01 Jan 2024 12:00:00 +0000\t"
            "<c3@example.invalid>\t\t226\t1\tXref: fixture.invalid alt.corpus:3 alt.other:1\r\n"
            "5\tAfter a gap with a tab\tDan <dan@example.invalid>\tMon, 01 Jan 2024 13:00:00 +0000\t"
            "<c5@example.invalid>\t\t210\t1\tXref: fixture.invalid alt.corpus:5\r\n"
            ".\r\n");
}

TEST_F(SessionTest, ArticleIsSentWithCrlfAndDotStuffing) {
  ASSERT_EQ(client_->command("GROUP alt.corpus"), "211 4 1 5 alt.corpus");
  client_->send("BODY 1");
  EXPECT_EQ(client_->readLine(), "222 1 <c1@example.invalid> body");
  EXPECT_EQ(client_->readRawBlock(), "Hello.\r\n..hidden dot line\r\n...two dots\r\n..\r\nend\r\n.\r\n");
  client_->send("ARTICLE 1");
  EXPECT_EQ(client_->readLine(), "220 1 <c1@example.invalid> article");
  std::string raw = client_->readRawBlock();
  EXPECT_TRUE(raw.starts_with("From: Alice <alice@example.invalid>\r\nNewsgroups: alt.corpus\r\n")) << raw;
  EXPECT_TRUE(raw.ends_with("Organization: Example Org\r\n\r\nHello.\r\n..hidden dot line\r\n"
                            "...two dots\r\n..\r\nend\r\n.\r\n"))
      << raw;
}

TEST_F(SessionTest, HeaderListingsGiveValuesPerNumber) {
  ASSERT_EQ(client_->command("GROUP alt.corpus"), "211 4 1 5 alt.corpus");
  EXPECT_EQ(block("XHDR Organization 1-5", "221 Header information for Organization follows (from articles)"),
            (std::vector<std::string>{"1 Example Org", "5 Another Org"}));
  EXPECT_EQ(block("XHDR Xref 3", "221 Header information for Xref follows (from overview)"),
            (std::vector<std::string>{"3 fixture.invalid alt.corpus:3 alt.other:1"}));
  EXPECT_EQ(block("HDR :lines 1-2", "225 Header or metadata information for :lines follows (from overview)"),
            (std::vector<std::string>{"1 5", "2 2"}));
  EXPECT_EQ(block("XHDR Subject <c2@example.invalid>", "221 Header information for Subject follows (from overview)"),
            (std::vector<std::string>{"<c2@example.invalid> Re: First post"}));
  EXPECT_EQ(block("HDR Subject <c2@example.invalid>", "225 Header information for Subject follows (from the article)"),
            (std::vector<std::string>{"0 Re: First post"}));
  EXPECT_EQ(block("XPAT Subject 1- *[Ff][Ii][Rr][Ss][Tt]* *gap*",
                  "221 Header or metadata information for Subject follows (from overview)"),
            (std::vector<std::string>{"1 First post", "2 Re: First post", "5 After a gap with a tab"}));
  EXPECT_EQ(block("LISTGROUP alt.corpus 2-4", "211 4 1 5 alt.corpus"), (std::vector<std::string>{"2", "3"}));
}

TEST_F(SessionTest, ListsDescribeEveryGroup) {
  EXPECT_EQ(block("LIST", "215 Newsgroups in form \"group high low status\""),
            (std::vector<std::string>{"alt.corpus 5 1 y", "alt.empty 0 1 y", "alt.gen 100 1 y", "alt.other 1 1 m"}));
  EXPECT_EQ(block("LIST ACTIVE alt.*,!alt.e*,!alt.o*", "215 Newsgroups in form \"group high low status\""),
            (std::vector<std::string>{"alt.corpus 5 1 y", "alt.gen 100 1 y"}));
  EXPECT_EQ(block("LIST NEWSGROUPS alt.[co]*", "215 Newsgroup descriptions in form \"group description\""),
            (std::vector<std::string>{"alt.corpus\tThe corpus group", "alt.other\tAnother group"}));
  EXPECT_EQ(block("LIST COUNTS alt.corpus", "215 Newsgroups in form \"group high low count status\""),
            (std::vector<std::string>{"alt.corpus 5 1 4 y"}));
  EXPECT_EQ(block("LIST ACTIVE.TIMES alt.corpus", "215 Newsgroup creation times in form \"group time who\""),
            (std::vector<std::string>{"alt.corpus 1262304000 news@fixture.invalid"}));
  EXPECT_EQ(block("LIST OVERVIEW.FMT", "215 Order of fields in overview database"),
            (std::vector<std::string>{"Subject:", "From:", "Date:", "Message-ID:", "References:", "Bytes:",
                                      "Lines:", "Xref:full"}));
}

TEST_F(SessionTest, NewgroupsListsGroupsCreatedSince) {
  EXPECT_EQ(block("NEWGROUPS 20050101 000000 GMT", "231 New newsgroups follow"),
            (std::vector<std::string>{"alt.corpus 5 1 y"}));
  EXPECT_EQ(client_->command("XNEWGROUP alt.fresh 10:4 created=20240101120000"), "290 Group alt.fresh created");
  EXPECT_EQ(client_->command("XNEWGROUP alt.fresh"), "501 Group exists");
  EXPECT_EQ(block("NEWGROUPS 240101 000000 GMT", "231 New newsgroups follow"),
            (std::vector<std::string>{"alt.fresh 10 1 y"}));
  EXPECT_EQ(block("NEWGROUPS 20240102 000000 GMT", "231 New newsgroups follow"), std::vector<std::string>{});
  EXPECT_EQ(client_->command("GROUP alt.fresh"), "211 10 1 10 alt.fresh");
}

TEST_F(SessionTest, PostedArticleIsStoredInEveryNamedGroup) {
  EXPECT_EQ(client_->command("POST"), "340 Ok, recommended Message-ID <fixture.1704067200.1@fixture.invalid>");
  client_->sendRaw(
      "From: Eve <eve@example.invalid>\r\nNewsgroups: alt.gen,no.such,alt.corpus\r\n"
      "Subject: Posted\r\n\r\n..leading dot\r\nplain\r\n.\r\n");
  std::string reply = client_->readLine().value();
  // Without a Message-ID of its own the article takes the recommended one.
  ASSERT_EQ(reply, "240 Article received <fixture.1704067200.1@fixture.invalid>");
  EXPECT_EQ(client_->command("GROUP alt.gen"), "211 101 1 101 alt.gen");
  EXPECT_EQ(client_->command("GROUP alt.corpus"), "211 5 1 6 alt.corpus");
  EXPECT_EQ(block("ARTICLE 6", "220 6 <fixture.1704067200.1@fixture.invalid> article"),
            (std::vector<std::string>{"Path: fixture.invalid!not-for-mail", "From: Eve <eve@example.invalid>",
                                      "Newsgroups: alt.gen,no.such,alt.corpus", "Subject: Posted",
                                      "Date: Mon, 01 Jan 2024 00:00:00 +0000",
                                      "Message-ID: <fixture.1704067200.1@fixture.invalid>",
                                      "Xref: fixture.invalid alt.gen:101 alt.corpus:6", "", ".leading dot",
                                      "plain"}));
  std::vector<std::string> over = block("XOVER 6", "224 Overview information for 6 follows");
  ASSERT_EQ(over.size(), 1u);
  EXPECT_TRUE(over[0].starts_with("6\tPosted\tEve <eve@example.invalid>\t")) << over[0];
  // The same Message-ID again is a duplicate.
  EXPECT_EQ(client_->command("POST"), "340 Ok, recommended Message-ID <fixture.1704067200.2@fixture.invalid>");
  client_->sendRaw("From: a@b\r\nNewsgroups: alt.gen\r\nSubject: s\r\n"
                   "Message-ID: <fixture.1704067200.1@fixture.invalid>\r\n\r\nx\r\n.\r\n");
  EXPECT_EQ(client_->readLine(), "441 435 Duplicate");
}

struct PostErrorCase {
  const char* name;
  const char* article;
  const char* reply;
};

void PrintTo(const PostErrorCase& c, std::ostream* os) { *os << c.name; }

class PostErrorTest : public testing::TestWithParam<PostErrorCase> {};

TEST_P(PostErrorTest, RefusedWithInnsText) {
  auto server = startTestServer();
  NntpTestClient client(server->port());
  client.readLine();
  ASSERT_TRUE(client.command("POST").starts_with("340 "));
  client.sendRaw(std::string(GetParam().article) + ".\r\n");
  EXPECT_EQ(client.readLine(), GetParam().reply);
  EXPECT_EQ(client.command("GROUP alt.gen"), "211 100 1 100 alt.gen");
}

INSTANTIATE_TEST_SUITE_P(
    Table, PostErrorTest,
    testing::Values(
        PostErrorCase{"Empty", "", "441 Article is empty"},
        PostErrorCase{"NoNewsgroups", "From: a@b\r\nSubject: s\r\n\r\nx\r\n",
                      "441 Missing required Newsgroups header field"},
        PostErrorCase{"NoSubject", "From: a@b\r\nNewsgroups: alt.gen\r\n\r\nx\r\n",
                      "441 Missing required Subject header field"},
        PostErrorCase{"NoFrom", "Subject: s\r\nNewsgroups: alt.gen\r\n\r\nx\r\n",
                      "441 Missing required From header field"},
        PostErrorCase{"UnknownGroup", "From: a@b\r\nSubject: s\r\nNewsgroups: no.such\r\n\r\nx\r\n",
                      "441 No valid newsgroups in \"no.such\""}),
    [](const testing::TestParamInfo<PostErrorCase>& info) { return std::string(info.param.name); });

TEST(SessionAuthTest, LoginRequiredBeforeOtherCommands) {
  fixture::ServerConfig config;
  config.authUser = "tester";
  config.authPassword = "secret";
  auto server = startTestServer(config);
  NntpTestClient client(server->port());
  EXPECT_EQ(client.readLine(), "200 fixture.invalid Orvel fixture NNRP server ready (no posting)");
  EXPECT_EQ(client.command("GROUP alt.gen"), "480 Authentication required for command");
  EXPECT_EQ(client.command("LIST"), "480 Authentication required for command");
  EXPECT_EQ(client.command("POST"), "480 Authentication required for command");
  EXPECT_EQ(client.command("CAPABILITIES"), "101 Capability list:");
  std::vector<std::string> caps = client.readBlock();
  EXPECT_NE(std::find(caps.begin(), caps.end(), "AUTHINFO USER"), caps.end());
  EXPECT_EQ(client.command("AUTHINFO USER tester"), "381 Enter password");
  EXPECT_EQ(client.command("AUTHINFO PASS wrong"), "481 Authentication failed");
  EXPECT_EQ(client.command("AUTHINFO USER other"), "381 Enter password");
  EXPECT_EQ(client.command("AUTHINFO PASS secret"), "481 Authentication failed");
  EXPECT_EQ(client.command("AUTHINFO USER tester"), "381 Enter password");
  EXPECT_EQ(client.command("AUTHINFO PASS secret"), "281 Authentication succeeded");
  EXPECT_EQ(client.command("GROUP alt.gen"), "211 100 1 100 alt.gen");
  EXPECT_EQ(client.command("AUTHINFO USER tester"), "502 Already authenticated");
}

TEST(SessionReadOnlyTest, NoPostingGreetsWith201AndRefusesPost) {
  fixture::ServerConfig config;
  config.postingAllowed = false;
  auto server = startTestServer(config);
  NntpTestClient client(server->port());
  EXPECT_EQ(client.readLine(), "201 fixture.invalid Orvel fixture NNRP server ready (no posting)");
  EXPECT_EQ(client.command("POST"), "440 Posting not allowed");
}

TEST_F(SessionTest, XrangeMovesTheMarksOfAGeneratedGroup) {
  EXPECT_EQ(client_->command("XRANGE alt.gen 50 80"), "290 alt.gen now 50-80");
  EXPECT_EQ(client_->command("GROUP alt.gen"), "211 31 50 80 alt.gen");
  EXPECT_EQ(client_->command("STAT 49"), "423 No such article number 49");
  EXPECT_EQ(client_->command("XRANGE alt.gen 20 60"), "290 alt.gen now 20-60");
  EXPECT_EQ(client_->command("GROUP alt.gen"), "211 41 20 60 alt.gen");
  EXPECT_EQ(client_->command("XRANGE alt.corpus 1 2"), "501 Only generated groups can change their range");
}

TEST_F(SessionTest, PipelinedCommandsAreAnsweredInOrder) {
  std::string batch;
  for (int i = 1; i <= 30; ++i) batch += "STAT " + std::to_string(i) + "\r\n";
  ASSERT_EQ(client_->command("GROUP alt.gen"), "211 100 1 100 alt.gen");
  client_->sendRaw(batch + "XOVER 1-100\r\nSTAT 31\r\n");
  for (int i = 1; i <= 30; ++i) {
    EXPECT_EQ(client_->readLine(), "223 " + std::to_string(i) + " " + GeneratedId("alt.gen", i) + " status");
  }
  EXPECT_EQ(client_->readLine(), "224 Overview information for 1-100 follows");
  EXPECT_EQ(client_->readBlock().size(), 100u);
  EXPECT_EQ(client_->readLine(), "223 31 " + GeneratedId("alt.gen", 31) + " status");
}

TEST(SessionStreamingTest, LongXoverArrivesWholeAndInOrder) {
  auto server = std::make_unique<fixture::Server>(fixture::ServerConfig{});
  server->state().store.add("alt.big", {},
                            std::make_unique<fixture::GeneratedSource>("fixture.invalid", "alt.big", 200000, 5));
  server->listen("127.0.0.1", 0);
  fixture::ServerThread thread(std::move(server));
  NntpTestClient client(thread.port());
  client.readLine();
  ASSERT_EQ(client.command("GROUP alt.big"), "211 200000 1 200000 alt.big");
  ASSERT_EQ(client.command("XOVER 1-"), "224 Overview information for 1- follows");
  std::vector<std::string> lines = client.readBlock();
  ASSERT_EQ(lines.size(), 200000u);
  for (std::size_t i = 0; i < lines.size(); i += 997) {
    ASSERT_TRUE(lines[i].starts_with(std::to_string(i + 1) + "\t")) << lines[i];
    ASSERT_EQ(std::count(lines[i].begin(), lines[i].end(), '\t'), 8);
  }
  EXPECT_EQ(client.command("DATE").substr(0, 4), "111 ");
}

}  // namespace
}  // namespace orvel::test
