// The group list's commands and saving: subscription, the group commands,
// categories, hand-added and deleted groups, sorting, views, and the newsrc
// and ".Orvelrc" on disk with their backups.
#include <gtest/gtest.h>
#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include "groups/auto_save.h"
#include "groups/group_list_fixture.h"

namespace orvel::test {
namespace {

using Lines = std::vector<std::string>;

TEST_F(GroupListTest, SubscribingMarksBothFilesAndSavesThem) {
  ASSERT_TRUE(open("a.sub: 1-3\r\nb.new!\r\nc.other!\r\n", ":a.sub\r\n"));
  list->Subscribe({&group("c.other"), &group("a.sub")}, +1);
  list->Subscribe({&group("a.sub")}, -1);
  list->Subscribe({&group("b.new")}, -1);  // already unsubscribed: nothing
  EXPECT_TRUE(list->lists().newsrcChanged);
  EXPECT_TRUE(list->lists().orvelrcChanged);
  ASSERT_TRUE(list->SaveNewsRC());
  EXPECT_EQ(dir.read("srv.newsrc"), "c.other:\r\na.sub! 1-3\r\nb.new!\r\n");
  EXPECT_EQ(dir.read("srv.Orvelrc"), ":c.other\r\n");
  EXPECT_FALSE(list->lists().newsrcChanged);
  EXPECT_TRUE(hasStatus("Saving newsrc"));
  EXPECT_TRUE(hasStatus("Sauve Orvelrc."));
  EXPECT_EQ(prompter.lastStatus(), "");
}

TEST_F(GroupListTest, GroupCommands) {
  ASSERT_TRUE(open("g: 1-5/7-9\r\n"));
  TGrpInfo& g = group("g");
  g.last = 120;
  g.total = 80;
  list->CatchUp({&g});
  EXPECT_EQ(g.read.text, "1-120");
  EXPECT_EQ(g.unread, 0);
  list->ClearToFetch({&g});
  EXPECT_EQ(g.toFetch, "");
  g.toFetch = "9";
  list->Reset({&g});
  EXPECT_EQ(g.read.text, "");
  EXPECT_EQ(g.toFetch, "");
  EXPECT_EQ(g.unread, 80);
  g.last = -1;
  list->CatchUp({&g});
  EXPECT_EQ(g.read.text, "") << "without a last article there is nothing to catch up";
  EXPECT_EQ(observer.changed, (Lines{"g", "g", "g"}));
}

TEST_F(GroupListTest, MarkReadAppendsAndTheSaveMerges) {
  ASSERT_TRUE(open("g: 1-10\r\nu! 1-2\r\n"));
  EXPECT_TRUE(list->MarkRead("g", 12));
  EXPECT_EQ(group("g").read.text, "1-10,12");
  EXPECT_TRUE(list->MarkRead("g", 11));
  EXPECT_FALSE(list->MarkRead("G", 13)) << "exact name";
  EXPECT_FALSE(list->MarkRead("u", 3)) << "subscribed groups only";
  ASSERT_TRUE(list->SaveNewsRC());
  EXPECT_EQ(dir.read("srv.newsrc"), "g: 1-12\r\nu! 1-2\r\n");

  EXPECT_TRUE(list->MarkUnread("g", 5));
  EXPECT_EQ(group("g").read.text, "1-4,6-12");
}

TEST_F(GroupListTest, ReadStateHandedBackByAView) {
  ASSERT_TRUE(open("g:\r\n"));
  GroupReadState state;
  state.read = {"1-40", false};
  state.toFetch = "45";
  state.storage = StorageMode::Bodies;
  state.unread = 7;
  list->UpdateReadState(group("g"), state);
  EXPECT_EQ(group("g").unread, 7);
  EXPECT_EQ(group("g").first, -1);
  ASSERT_TRUE(list->SaveNewsRC());
  EXPECT_EQ(dir.read("srv.newsrc"), "g: 1-40/45\r\n");
  EXPECT_EQ(dir.read("srv.Orvelrc"), "@g\r\n");
}

TEST_F(GroupListTest, NewAndRenamedCategories) {
  ASSERT_TRUE(open("a:\r\n"));
  prompter.answerText("  Work ");
  TGrpCat* work = list->NewCategory();
  ASSERT_NE(work, nullptr);
  EXPECT_EQ(prompter.records().back().caption, "Cr\xC3\xA9" "er un dossier de groupes.  ");
  EXPECT_EQ(prompter.records().back().text, "    Ce nom:");
  EXPECT_EQ(work->name, "Work");
  EXPECT_FALSE(work->expanded);

  prompter.answerText("WORK");
  EXPECT_EQ(list->NewCategory(), nullptr);
  EXPECT_EQ(prompter.messages().back(), "WORK existe d\xC3\xA9j\xC3\xA0   ");

  prompter.answerText("Play");
  TGrpCat* play = list->NewCategory();
  prompter.answerText("work");
  list->RenameCategory(*play);
  EXPECT_EQ(play->name, "Play");
  prompter.answerText("Fun");
  list->RenameCategory(*play);
  EXPECT_EQ(prompter.records().back().caption, "Rename folder");
  EXPECT_EQ(play->name, "Fun");

  list->MoveGroups({&group("a")}, {work, 0});
  list->SetExpanded(*work, true);
  list->MoveCategory(*play, 0);
  ASSERT_TRUE(list->SaveNewsRC());
  EXPECT_EQ(dir.read("srv.Orvelrc"), "=Fun\r\n+Work\r\n,:a\r\n");
}

TEST_F(GroupListTest, GroupsAddedByHand) {
  ASSERT_TRUE(open("alt.known!\r\nalt.sub:\r\n", ":alt.sub\r\n"));
  prompter.answerText("alt.new, ALT.KNOWN ,bad name,,alt.sub,x:y");
  EXPECT_EQ(list->AddGroupsByHand({nullptr, 0}), 2);
  EXPECT_EQ(prompter.records().back().caption, "Entrer noms \xC3\xA0 la main");
  EXPECT_EQ(prompter.records().back().text,
            "Nom des groupes s\xC3\xA9par\xC3\xA9s par des \",\"    ");
  ASSERT_TRUE(list->SaveNewsRC());
  EXPECT_EQ(dir.read("srv.Orvelrc"), ":alt.new\r\n:alt.known\r\n:alt.sub\r\n");
  EXPECT_EQ(dir.read("srv.newsrc"), "alt.sub:\r\nalt.new:\r\nalt.known:\r\n");
}

TEST_F(GroupListTest, DeleteSparesGroupsOpenInAView) {
  ASSERT_TRUE(open("a:\r\nb:\r\nc!\r\n", "+Cat\r\n,:a\r\n:b\r\n"));
  FakeView view(*list, list->FindGroup("b"));
  TGrpCat* cat = list->lists().tree()[0].category;
  prompter.answer(Button::No);
  list->Delete({&group("c")}, {cat});
  EXPECT_NE(list->FindGroup("c"), nullptr);
  prompter.answer(Button::Yes);
  list->Delete({&group("b"), &group("c")}, {cat});
  EXPECT_EQ(prompter.questions().back(), "Supprimer ?    ");
  EXPECT_EQ(list->FindGroup("c"), nullptr);
  EXPECT_NE(list->FindGroup("b"), nullptr);
  EXPECT_EQ(list->lists().categoryCount(), 0u);
  ASSERT_TRUE(list->SaveNewsRC());
  EXPECT_EQ(dir.read("srv.Orvelrc"), ":a\r\n:b\r\n") << "the category's groups stay";
  EXPECT_EQ(dir.read("srv.newsrc"), "a:\r\nb:\r\n");
}

TEST_F(GroupListTest, SortingAllGroupsAsksFirst) {
  ASSERT_TRUE(open("b!\r\na!\r\n"));
  list->ShowTab(GroupTab::All);
  prompter.answer(Button::No);
  list->SortBy(GroupColumn::Name);
  EXPECT_EQ(list->shown()[0].group->name, "b");
  EXPECT_FALSE(list->sortColumn()) << "a refused sort leaves no sort column";
  prompter.answer(Button::Yes);
  list->SortBy(GroupColumn::Name);
  EXPECT_EQ(prompter.questions(), (Lines{"Classer Groupes?", "Classer Groupes?"}));
  EXPECT_TRUE(hasStatus("Sorting..."));
  EXPECT_EQ(list->shown()[0].group->name, "a");
  EXPECT_EQ(list->sortColumn(), GroupColumn::Name);
  EXPECT_TRUE(list->sortAscending());
  list->SortBy(GroupColumn::Read);  // not a sorting column
  EXPECT_EQ(prompter.questions().size(), 2u);
  EXPECT_EQ(list->sortColumn(), GroupColumn::Name);
  EXPECT_FALSE(list->lists().newsrcChanged);
}

TEST_F(GroupListTest, SortingTheTreeNeedsNoConfirmation) {
  ASSERT_TRUE(open("b:\r\na:\r\n"));
  list->SortBy(GroupColumn::Name);
  EXPECT_TRUE(prompter.questions().empty());
  EXPECT_EQ(list->shown()[0].group->name, "a");
  list->SortBy(GroupColumn::Name);
  EXPECT_EQ(list->shown()[0].group->name, "b");
  EXPECT_FALSE(list->sortAscending()) << "the same column again reverses";
  EXPECT_TRUE(list->lists().orvelrcChanged);
}

TEST_F(GroupListTest, ClosingAsksTheViewsAndHonoursIgnoreChanges) {
  ASSERT_TRUE(open("a:\r\n"));
  FakeView view(*list, list->FindGroup("a"));
  view.allowClose = false;
  list->MarkRead("a", 1);
  EXPECT_FALSE(list->Close());
  EXPECT_EQ(view.asked, 1);
  EXPECT_EQ(dir.read("srv.newsrc"), "a:\r\n");

  view.allowClose = true;
  host.ignoreChanges = true;
  EXPECT_TRUE(list->Close());
  EXPECT_EQ(dir.read("srv.newsrc"), "a:\r\n") << "changes ignored";
  EXPECT_EQ(host.groupListOf(*profile), nullptr);
}

TEST_F(GroupListTest, AutoSaveTimerCollectsViewsAndSaves) {
  ASSERT_TRUE(open("a:\r\n"));
  EXPECT_EQ(host.groupListOf(*profile), list.get());
  FakeView view(*list, list->FindGroup("a"));
  view.onHandBack = [&] { list->MarkRead("a", 4); };
  AutoSaveTimer timer(clock, host);
  timer.setInterval(4);
  EXPECT_FALSE(timer.active()) << "below 5 minutes stays off";
  timer.setInterval(5);
  host.ignoreChanges = true;
  clock.advance(5 * 60000);
  EXPECT_EQ(view.handBacks, 0);
  host.ignoreChanges = false;
  clock.advance(5 * 60000);
  EXPECT_EQ(view.handBacks, 1);
  EXPECT_EQ(dir.read("srv.newsrc"), "a: 4\r\n");
}

TEST_F(GroupListTest, BackupsOfBothFiles) {
  options.backUpNewsRC = false;
  ASSERT_TRUE(open("a: 1\r\n", ":a\r\n"));
  list->MarkRead("a", 2);
  list->SetStorageMode(group("a"), StorageMode::Headers);
  ASSERT_TRUE(list->SaveNewsRC());
  EXPECT_FALSE(std::filesystem::exists(dir.file("srv.newsrc.bak")));
  EXPECT_EQ(dir.read("srv.Orvelrc.bak"), ":a\r\n") << "the first one is made anyway";
  list->SetStorageMode(group("a"), StorageMode::Bodies);
  ASSERT_TRUE(list->SaveNewsRC());
  EXPECT_EQ(dir.read("srv.Orvelrc.bak"), ":a\r\n") << "an old backup is kept";
  EXPECT_EQ(dir.read("srv.Orvelrc"), "@a\r\n");

  list.reset();
  options.backUpNewsRC = true;
  ASSERT_TRUE(open(""));
  list->MarkRead("a", 3);
  list->SetStorageMode(group("a"), StorageMode::Nothing);
  ASSERT_TRUE(list->SaveNewsRC());
  EXPECT_EQ(dir.read("srv.newsrc.bak"), "a: 1-2\r\n");
  EXPECT_EQ(dir.read("srv.newsrc"), "a: 1-3\r\n");
  EXPECT_EQ(dir.read("srv.Orvelrc.bak"), "@a\r\n");
  EXPECT_EQ(dir.read("srv.Orvelrc"), "~a\r\n");
}

TEST_F(GroupListTest, AnotherNewsreadersFileLoadsAndComesBackTheSame) {
  const std::string theirs =
      "comp.lang.c: 1-4031,4033-4100\nalt.test! 1-5\nnews.software.readers: 1-77,79\n";
  ASSERT_TRUE(open(theirs));
  list->MarkRead("comp.lang.c", 4032);
  ASSERT_TRUE(list->Close());
  const std::string ours = dir.read("srv.newsrc");
  EXPECT_EQ(ours, "comp.lang.c: 1-4100\r\nnews.software.readers: 1-77,79\r\nalt.test! 1-5\r\n");
  list.reset();
  ASSERT_TRUE(open(""));
  EXPECT_EQ(group("comp.lang.c").read.text, "1-4100");
  EXPECT_EQ(group("news.software.readers").read.text, "1-77,79");
  EXPECT_EQ(group("alt.test").read.text, "1-5");
  EXPECT_FALSE(group("alt.test").subscribed());
}

TEST_F(GroupListTest, UnreadableNewsrcIsNeverOverwritten) {
  std::filesystem::create_directory(dir.file("srv.newsrc"));
  EXPECT_FALSE(open(""));
  EXPECT_EQ(prompter.messages().size(), 1u);
  EXPECT_FALSE(list->SaveNewsRC());
  EXPECT_TRUE(std::filesystem::is_directory(dir.file("srv.newsrc")));
}

// The save of a newsrc the file-size limit cuts short.
bool saveUnderSizeLimit(TGroupList& list, rlim_t limit) {
  struct rlimit old {};
  ::getrlimit(RLIMIT_FSIZE, &old);
  auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  struct rlimit small = old;
  small.rlim_cur = limit;
  ::setrlimit(RLIMIT_FSIZE, &small);
  const bool saved = list.SaveNewsRC();
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  return saved;
}

std::string bigNewsrc() {
  std::string text;
  for (int i = 0; i < 400; ++i) text += "group." + std::to_string(i) + ": 1-10,12,14\r\n";
  return text;
}

TEST_F(GroupListTest, FullDiskLeavesThePreviousNewsrc) {
  const std::string before = bigNewsrc();
  ASSERT_TRUE(open(before));
  list->MarkRead("group.1", 20);
  EXPECT_FALSE(saveUnderSizeLimit(*list, 4096));
  EXPECT_EQ(dir.read("srv.newsrc"), before);
  ASSERT_EQ(prompter.messages().size(), 1u);
  EXPECT_NE(prompter.messages()[0].find("srv.newsrc"), std::string::npos);
  EXPECT_TRUE(list->lists().newsrcChanged) << "the next save tries again";
  EXPECT_TRUE(list->SaveNewsRC());
  EXPECT_NE(dir.read("srv.newsrc").find("group.1: 1-10,12,14,20\r\n"), std::string::npos);
}

TEST_F(GroupListTest, CrashDuringSaveLeavesThePreviousNewsrc) {
  const std::string before = bigNewsrc();
  ASSERT_TRUE(open(before));
  list->MarkRead("group.1", 20);
  const pid_t child = ::fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // The size limit's signal kills the process in the middle of the write.
    struct rlimit small {4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &small);
    std::signal(SIGXFSZ, SIG_DFL);
    list->SaveNewsRC();
    ::_exit(0);
  }
  int status = 0;
  ASSERT_EQ(::waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFSIGNALED(status));
  EXPECT_EQ(WTERMSIG(status), SIGXFSZ);
  EXPECT_EQ(dir.read("srv.newsrc"), before);
  EXPECT_EQ(dir.read("srv.newsrc.bak"), before);
}

}  // namespace
}  // namespace orvel::test
