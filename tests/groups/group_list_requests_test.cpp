// The group list's requests over the fake network: full and new-groups
// lists, count runs with their error rules, the one-request rule, the force
// flag and the count-update timer.
#include <gtest/gtest.h>

#include "config/servers_file.h"
#include "groups/group_list_fixture.h"
#include "net/socket_errors.h"

namespace orvel::test {
namespace {

const char* const kListQuestion =
    "R\xC3\xA9" "cup\xC3\xA9rer la liste de tous les groupes disponibles?\r\n"
    "( cel\xC3\xA0 peut \xC3\xAAtre long )";

using Lines = std::vector<std::string>;

class RequestTest : public GroupListTest {
 protected:
  // Opens the list on `newsrc` and starts a new-groups list or a count run
  // over a greeted connection; the commands it sent.
  Lines listing(const std::string& newsrc) {
    EXPECT_TRUE(open(newsrc));
    list->ListGroups(false);
    greet();
    return sent();
  }
  Lines counting(const std::string& newsrc) {
    EXPECT_TRUE(open(newsrc));
    list->GetAllCounts();
    greet();
    return sent();
  }
};

TEST_F(RequestTest, EmptyServerAsksThenListsAllGroupsAndRemembersTheTime) {
  prompter.answer(Button::Yes);
  ASSERT_TRUE(open(""));
  EXPECT_EQ(dir.read("srv.newsrc"), "") << "a missing newsrc is created empty";
  EXPECT_EQ(prompter.questions(), Lines{kListQuestion});
  EXPECT_TRUE(hasStatus("Liste des groupes...."));
  EXPECT_EQ(prompter.lastStatus(), "Se connecte..");

  greet();
  EXPECT_EQ(sent(), Lines{"LIST"});
  EXPECT_TRUE(hasStatus("Liste les groupes.."));
  EXPECT_EQ(list->tab(), GroupTab::All);
  server().receive("215 Newsgroups follow\r\nalt.one 0000000012 0000000001 y\r\n");
  EXPECT_EQ(prompter.lastStatus(), "1 groups found (1 new)");
  server().receive("not a list line\r\nalt.two 5 3 n\r\n.\r\n");
  EXPECT_EQ(prompter.lastStatus(), "Termin\xC3\xA9: 2 groupes, 2 nouveaux  ");
  EXPECT_EQ(list->lastListSkipped(), 1);
  EXPECT_FALSE(list->busy());
  ASSERT_EQ(observer.outcomes.size(), 1u);
  EXPECT_TRUE(observer.outcomes[0].completed);
  EXPECT_EQ(observer.outcomes[0].request, GroupRequest::FullList);
  // The manual clock stands at 2027-01-15 08:00:00 GMT.
  EXPECT_EQ(ReadLastUpdated(dir.file("servers.ini"), "srv"), "270115 080000");
  EXPECT_EQ(group("alt.one").total, 12);
  EXPECT_EQ(list->shown().size(), 2u);

  ASSERT_TRUE(list->Close());
  EXPECT_EQ(dir.read("srv.newsrc"), "alt.one!\r\nalt.two!\r\n");
  EXPECT_EQ(sent(), Lines{"QUIT"}) << "the idle connection ends with the window";
}

// A command that already is the answer (orvel-cli groups --list), or one
// that opens a single group, lists without the question; anything but Yes
// to the question lists nothing.
struct ListAskCase {
  const char* name;
  bool listWhenEmpty;
  bool listConfirmed;  // ListGroups(true, true) after opening
  Button answer;
  Lines questions;
  Lines commands;
};
void PrintTo(const ListAskCase& c, std::ostream* os) { *os << c.name; }

class ListQuestionTest : public GroupListTest, public testing::WithParamInterface<ListAskCase> {};

TEST_P(ListQuestionTest, AsksOnlyWhenNothingAnsweredIt) {
  const ListAskCase& c = GetParam();
  options.listWhenEmpty = c.listWhenEmpty;
  prompter.answer(c.answer);
  ASSERT_TRUE(open(""));
  if (c.listConfirmed) list->ListGroups(true, true);
  Lines commands;
  if (connectAttempts() > 0) {
    greet();
    commands = sent();
  }
  EXPECT_EQ(prompter.questions(), c.questions);
  EXPECT_EQ(commands, c.commands);
  if (c.commands.empty()) {
    EXPECT_FALSE(list->busy());
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ListQuestionTest,
    testing::Values(
        ListAskCase{"OpeningAnEmptyServerAsks", true, false, Button::Yes, {kListQuestion},
                    {"LIST"}},
        ListAskCase{"AnythingButYesCancels", true, false, Button::No, {kListQuestion}, {}},
        ListAskCase{"ConfirmedListAsksNothing", false, true, Button::Yes, {}, {"LIST"}},
        ListAskCase{"OneGroupsCommandListsNothing", false, false, Button::Yes, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RequestTest, NewGroupsWithoutLastUpdatedSendsList) {
  EXPECT_EQ(listing("alt.old!\r\n"), Lines{"LIST"});
  EXPECT_TRUE(prompter.questions().empty());
  server().receive("215 list\r\nalt.new 1 1 y\r\n.\r\n");
  // Not a full list: what it left out stays.
  EXPECT_NE(list->FindGroup("alt.old"), nullptr);
  EXPECT_EQ(group("alt.new").state, SubscriptionState::New);
}

TEST_F(RequestTest, NewGroupsSinceLastUpdatedInGmt) {
  ASSERT_TRUE(WriteLastUpdated(dir.file("servers.ini"), "srv", "261201 101010"));
  EXPECT_EQ(listing("alt.old!\r\n"), Lines{"NEWGROUPS 261201 101010 GMT"});
  EXPECT_EQ(prompter.lastStatus(), "Liste les groupes..261201 101010");
  server().receive("231 New newsgroups follow\r\n.\r\n");
  EXPECT_EQ(prompter.lastStatus(), "Termin\xC3\xA9: 0 groupes, 0 nouveaux  ");
  EXPECT_EQ(ReadLastUpdated(dir.file("servers.ini"), "srv"), "270115 080000");
}

TEST_F(RequestTest, TimeZoneSettingShiftsLastUpdated) {
  options.tz = 200;  // local time is taken as GMT+2
  setenv("TZ", "UTC", 1);
  tzset();
  listing("alt.old!\r\n");
  server().receive("215 list\r\n.\r\n");
  EXPECT_EQ(ReadLastUpdated(dir.file("servers.ini"), "srv"), "270115 060000");
}

TEST_F(RequestTest, FullListDropsWhatItNoLongerNamesExceptSubscribedAndOpen) {
  ASSERT_TRUE(open("kept.sub: 1-4\r\ngone.unsub! 1-3\r\nkept.open!\r\nkept.listed!\r\n"));
  FakeView view(*list, list->FindGroup("kept.open"));
  prompter.answer(Button::Yes);
  list->ListGroups(true);
  greet();
  server().receive("215 list\r\nkept.listed 3 1 y\r\n.\r\n");
  EXPECT_EQ(list->FindGroup("gone.unsub"), nullptr);
  EXPECT_NE(list->FindGroup("kept.sub"), nullptr);
  EXPECT_NE(list->FindGroup("kept.open"), nullptr);
  list->UnregisterView(view);
  ASSERT_TRUE(list->Close());
  EXPECT_EQ(dir.read("srv.newsrc"), "kept.sub: 1-4\r\nkept.open!\r\nkept.listed!\r\n");
}

TEST_F(RequestTest, ListFilterIsClearedAndAllGroupsShown) {
  ASSERT_TRUE(open("alt.a!\r\nalt.b!\r\n"));
  list->SetFilter("a$");
  EXPECT_EQ(prompter.lastStatus(), "1 filtered.");
  list->ShowTab(GroupTab::Subscribed);
  list->SetFilter("b$");
  list->ListGroups(false);
  greet();
  EXPECT_FALSE(list->filterActive());
  EXPECT_EQ(list->tab(), GroupTab::All);
  EXPECT_EQ(observer.filterStates, (std::vector<bool>{true, false, true, false}));
}

TEST_F(RequestTest, ReplyErrorDuringListKeepsWhatArrived) {
  listing("alt.old!\r\n");
  server().receive("215 list\r\nalt.partial 3 1 y\r\n");
  server().peerClose();
  EXPECT_EQ(prompter.lastStatus(), "Le serveur a d\xC3\xA9" "connect\xC3\xA9 ");
  EXPECT_NE(list->FindGroup("alt.partial"), nullptr);
  EXPECT_EQ(ReadLastUpdated(dir.file("servers.ini"), "srv"), "");
  ASSERT_EQ(observer.outcomes.size(), 1u);
  EXPECT_FALSE(observer.outcomes[0].completed);
}

TEST_F(RequestTest, RefusedListShowsTheReply) {
  listing("alt.old!\r\n");
  server().receive("502 Permission denied\r\n");
  EXPECT_EQ(prompter.lastStatus(), "502 Permission denied");
  EXPECT_FALSE(list->busy());
  EXPECT_EQ(observer.outcomes.back().errorCode, 502);
  // The connection stays usable for the next request.
  list->ListGroups(false);
  EXPECT_EQ(sent(), Lines{"LIST"});
}

TEST_F(RequestTest, NoConnectionShowsThePoolError) {
  ASSERT_TRUE(open("alt.old!\r\n"));
  list->ListGroups(false);
  server().fail(neterr::kConnectionRefused);
  EXPECT_FALSE(list->busy());
  ASSERT_EQ(observer.outcomes.size(), 1u);
  EXPECT_EQ(observer.outcomes[0].errorCode, neterr::kConnectionRefused);
  EXPECT_FALSE(prompter.lastStatus().empty());
  EXPECT_EQ(prompter.lastStatus(), observer.outcomes[0].errorText);
}

TEST_F(RequestTest, CountsGoOnPastAMissingGroup) {
  ASSERT_TRUE(open("a.one: 1-5\r\nb.gone:\r\nc.three:\r\nd.unsub!\r\n"));
  list->ShowTab(GroupTab::All);
  list->GetAllCounts();
  EXPECT_EQ(list->tab(), GroupTab::Subscribed);
  greet();
  EXPECT_EQ(sent(), Lines{"GROUP a.one"});
  EXPECT_EQ(prompter.lastStatus(), "Nombre d'articles........ a.one");
  answerGroup("211 10 1 10 a.one");
  EXPECT_EQ(sent(), Lines{"GROUP b.gone"});
  answerGroup("411 No such group b.gone");
  EXPECT_TRUE(hasStatus("411 No such group b.gone"));
  EXPECT_EQ(sent(), Lines{"GROUP c.three"});
  answerGroup("211 7 3 9 c.three");
  EXPECT_TRUE(sent().empty());
  EXPECT_EQ(connectAttempts(), 1u) << "one connection, given back and taken again";

  EXPECT_EQ(group("a.one").unread, 5);
  EXPECT_EQ(group("b.gone").unread, -1);
  EXPECT_EQ(group("c.three").first, 3);
  EXPECT_EQ(group("c.three").last, 9);
  EXPECT_EQ(group("c.three").total, 7);
  EXPECT_EQ(group("c.three").unread, 7);
  EXPECT_EQ(observer.changed, (Lines{"a.one", "c.three"}));
  ASSERT_EQ(observer.outcomes.size(), 1u);
  EXPECT_TRUE(observer.outcomes[0].completed);
  EXPECT_EQ(prompter.lastStatus(), " 4 total. 3 Abonn\xC3\xA9s.  .");
}

TEST_F(RequestTest, OtherCountErrorStopsTheRun) {
  counting("a.one:\r\nb.two:\r\n");
  answerGroup("480 Authentication required for command");
  EXPECT_TRUE(sent().empty());
  EXPECT_EQ(prompter.lastStatus(), "480 Authentication required for command");
  EXPECT_FALSE(observer.outcomes.back().completed);
  EXPECT_EQ(observer.outcomes.back().errorCode, 480);
}

struct CountCase {
  const char* name;
  std::string reply;
  std::string read;
  bool flagged;
  std::int32_t unread;
  std::string readAfter;
};

void PrintTo(const CountCase& c, std::ostream* os) { *os << c.name; }

class CountReplyTest : public GroupListTest, public ::testing::WithParamInterface<CountCase> {};

TEST_P(CountReplyTest, UnreadFromReadRangesCappedAtTotal) {
  ASSERT_TRUE(open("g:\r\n"));
  group("g").read = {GetParam().read, GetParam().flagged};
  list->GetCounts({&group("g")});
  greet();
  answerGroup(GetParam().reply);
  EXPECT_EQ(group("g").unread, GetParam().unread);
  EXPECT_EQ(group("g").read.text, GetParam().readAfter);
  EXPECT_FALSE(group("g").read.needsNormalising);
}

INSTANTIATE_TEST_SUITE_P(
    Replies, CountReplyTest,
    ::testing::Values(
        CountCase{"FortyNineOfHundred", "211 100 100 199 g", "1-150", false, 49, "1-150"},
        CountCase{"CappedAtTotal", "211 10 1 100 g", "1-50", false, 10, "1-50"},
        CountCase{"EmptyGroup", "211 0 1 0 g", "1-12", false, 0, "1-12"},
        CountCase{"FlaggedTextIsNormalised", "211 100 100 199 g", "1-150,160,155,151", true, 46,
                  "1-151,155,160"},
        CountCase{"MarksAboveLastSurvive", "211 10 1 10 g", "1-5,40,30", true, 5, "1-5,30,40"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(RequestTest, OneRequestAtATime) {
  EXPECT_EQ(counting("a.one:\r\nb.two:\r\n"), Lines{"GROUP a.one"});
  list->ListGroups(false);
  list->GetAllCounts();
  EXPECT_TRUE(sent().empty());
  EXPECT_EQ(list->runningRequest(), GroupRequest::Counts);
  answerGroup("211 1 1 1 a.one");
  EXPECT_EQ(sent(), Lines{"GROUP b.two"});
}

TEST_F(RequestTest, NothingStartsWhileTheMainWindowCloses) {
  ASSERT_TRUE(open("a.one:\r\n"));
  host.mainWindowClosing = true;
  list->GetAllCounts();
  list->ListGroups(false);
  EXPECT_EQ(connectAttempts(), 0u);
}

TEST_F(RequestTest, TimerCountsOnlyOverAConnectedConnection) {
  options.updateCountInterval = 2;
  ASSERT_TRUE(open("a.one:\r\n"));
  clock.advance(2 * 60000);
  EXPECT_EQ(connectAttempts(), 0u) << "without force nothing connects";
  EXPECT_EQ(pool.activeCount(), 0);

  list->GetAllCounts();  // forced: connects
  greet();
  sent();
  answerGroup("211 3 1 3 a.one");
  group("a.one").unread = -1;
  clock.advance(2 * 60000);
  EXPECT_EQ(sent(), Lines{"GROUP a.one"}) << "the idle pooled connection is used";
  answerGroup("211 3 1 3 a.one");
  EXPECT_EQ(group("a.one").unread, 3);
  EXPECT_EQ(connectAttempts(), 1u);
}

TEST_F(RequestTest, AutoGetMsgCountsCountsAtOpening) {
  options.autoGetMsgCounts = true;
  ASSERT_TRUE(open("a.one:\r\nb.unsub!\r\n"));
  greet();
  EXPECT_EQ(sent(), Lines{"GROUP a.one"});
}

TEST_F(RequestTest, EditReadCountsWithoutForcing) {
  ASSERT_TRUE(open("a.one: 1-3\r\n"));
  prompter.answerText("1-20,25");
  list->EditRead(group("a.one"));
  EXPECT_EQ(prompter.records().back().caption, "Edit read");
  EXPECT_EQ(prompter.records().back().text, "Marquer lu.   ");
  EXPECT_EQ(prompter.records().back().initial, "1-3");
  EXPECT_EQ(group("a.one").read.text, "1-20,25");
  EXPECT_TRUE(group("a.one").read.needsNormalising);
  EXPECT_EQ(connectAttempts(), 0u);

  list->GetAllCounts();
  greet();
  sent();
  answerGroup("211 30 1 30 a.one");
  prompter.answerText("1-10,5");
  list->EditRead(group("a.one"));
  EXPECT_EQ(sent(), Lines{"GROUP a.one"});
  answerGroup("211 30 1 30 a.one");
  EXPECT_EQ(group("a.one").read.text, "1-10");
  EXPECT_EQ(group("a.one").unread, 20);
}

TEST_F(RequestTest, GroupDeletedDuringItsCountIsSkipped) {
  counting("a.one:\r\nb.two:\r\n");
  prompter.answer(Button::Yes);
  list->Delete({&group("a.one")}, {});
  answerGroup("211 3 1 3 a.one");
  EXPECT_EQ(sent(), Lines{"GROUP b.two"});
  answerGroup("211 3 1 3 b.two");
  EXPECT_EQ(group("b.two").unread, 3);
}

TEST_F(RequestTest, ClosingDropsTheHeldConnection) {
  counting("a.one:\r\n");
  ASSERT_TRUE(list->Close());
  EXPECT_FALSE(list->busy());
  EXPECT_FALSE(server().isConnected()) << "a transfer cut short closes the connection";
  list->GetAllCounts();
  EXPECT_EQ(connectAttempts(), 1u) << "a closed list starts nothing";
}

}  // namespace
}  // namespace orvel::test
