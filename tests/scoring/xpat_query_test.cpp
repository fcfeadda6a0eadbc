// The server search dialog's rules and the command it sends; the search
// scoring what is loaded at once and what it fetches.

#include "scoring/xpat_query.h"

#include <gtest/gtest.h>

#include "../articles/group_view_fixture.h"

namespace orvel::test {
namespace {

TEST(XpatRange, MatchesOnlyTheThreeForms) {
  for (const char* good : {"1", "1-", "1-20", "0012-3"}) EXPECT_TRUE(XpatRangeValid(good)) << good;
  for (const char* bad : {"", "-", "-5", "1-2-3", "a", "1 -2", "1-\n", " 1"}) {
    EXPECT_FALSE(XpatRangeValid(bad)) << bad;
  }
}

struct CommandCase {
  const char* name;
  XpatForm form;
  XpatCheck check;
  const char* command;
};
void PrintTo(const CommandCase& c, std::ostream* os) { *os << c.name; }

XpatForm Form(std::string pattern, XpatHeader header, bool caseSensitive = false,
              std::string other = {}, std::string range = "1-") {
  XpatForm f;
  f.pattern = std::move(pattern);
  f.header = header;
  f.caseSensitive = caseSensitive;
  f.otherName = std::move(other);
  f.range = std::move(range);
  return f;
}

class XpatCommandTest : public testing::TestWithParam<CommandCase> {};

TEST_P(XpatCommandTest, BuildsTheCommand) {
  const CommandCase& c = GetParam();
  EXPECT_EQ(CheckXpatForm(c.form), c.check);
  if (c.check == XpatCheck::Ok) {
    EXPECT_EQ(XpatCommandText(c.form), c.command);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Forms, XpatCommandTest,
    testing::Values(
        CommandCase{"LettersBracketedUpperFirst", Form("abc", XpatHeader::Subject), XpatCheck::Ok,
                    "Subject 1- [Aa][Bb][Cc]"},
        CommandCase{"OtherCharactersStay", Form("*x-1?*", XpatHeader::Author), XpatCheck::Ok,
                    "From 1- *[Xx]-1?*"},
        CommandCase{"CaseSensitiveAsTyped", Form("AbC *d", XpatHeader::Keywords, true),
                    XpatCheck::Ok, "Keywords 1- AbC *d"},
        CommandCase{"ReferencesAndRange",
                    Form("*<a@b>*", XpatHeader::References, true, {}, "10-20"), XpatCheck::Ok,
                    "References 10-20 *<a@b>*"},
        CommandCase{"MessageId", Form("*@b>", XpatHeader::MessageID, true), XpatCheck::Ok,
                    "Message-ID 1- *@b>"},
        CommandCase{"OtherTypedName", Form("x", XpatHeader::Other, true, "X-Trace"),
                    XpatCheck::Ok, "X-Trace 1- x"},
        CommandCase{"OtherWithoutName", Form("x", XpatHeader::Other), XpatCheck::EmptyHeader, ""},
        CommandCase{"EmptyPattern", Form("", XpatHeader::Subject), XpatCheck::EmptyPattern, ""},
        CommandCase{"BadRange", Form("x", XpatHeader::Subject, false, {}, "1-x"),
                    XpatCheck::BadRange, ""}),
    [](const testing::TestParamInfo<CommandCase>& info) { return std::string(info.param.name); });

class RedrawnRows : public GroupViewObserver {
 public:
  void rowChanged(const TNode& row) override { rows.push_back(&row); }
  std::vector<const TNode*> rows;
};

TEST_F(GroupViewTest, XpatHitsGetTheScoreAtOnceAndWhenFetched) {
  server.groups["alt.test"] = MakeGroup(1, 20);
  record().read.text = "5-8";  // left out of the first download
  open();
  RedrawnRows observer;
  view->SetObserver(&observer);
  server.hook = [&](FakeTransport&, const std::string& line) {
    if (line.rfind("XPAT ", 0) == 0) {
      return FakeNewsServer::Action::Answer("221 Header follows\r\n3 x\r\n6 y\r\nz\r\n7 w\r\n.\r\n");
    }
    return FakeNewsServer::Action{};
  };
  ServerSearch search(*view, prompter);
  XpatSearch xpat(*view, search);
  XpatMemory memory;
  XpatForm form = Form("ab", XpatHeader::Subject);
  form.score = 777;
  form.range = "2-";
  ASSERT_TRUE(xpat.Run(form, memory));
  server.pump();
  view->SetObserver(nullptr);

  EXPECT_EQ(server.commandsStarting("XPAT "), std::vector<std::string>{"XPAT Subject 2- [Aa][Bb]"});
  EXPECT_EQ(memory.score, 777);
  EXPECT_EQ(memory.range, "2-");
  ASSERT_FALSE(observer.rows.empty());
  EXPECT_EQ(observer.rows.front()->AsArticle()->Number, 3);
  for (const TArticle* a : view->MasterList()) {
    const bool hit = a->Number == 3 || a->Number == 6 || a->Number == 7;
    EXPECT_EQ(a->Score, hit ? 777 : 0) << a->Number;
  }
  EXPECT_EQ(view->MasterList().size(), 18u);  // 6 and 7 fetched
}

TEST_F(GroupViewTest, XpatRefusesAnInvalidFormWithoutSending) {
  server.groups["alt.test"] = MakeGroup(1, 5);
  open();
  ServerSearch search(*view, prompter);
  XpatSearch xpat(*view, search);
  XpatMemory memory;
  EXPECT_FALSE(xpat.Run(Form("", XpatHeader::Subject), memory));
  EXPECT_EQ(memory.range, "1-");
  EXPECT_EQ(memory.score, 10000);
  EXPECT_TRUE(server.commandsStarting("XPAT ").empty());
}

}  // namespace
}  // namespace orvel::test
