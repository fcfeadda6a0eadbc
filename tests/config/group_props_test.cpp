#include "config/group_props.h"

#include <gtest/gtest.h>

#include "config/identities_file.h"
#include "config/main_state.h"

namespace orvel {
namespace {

MainState stateWith(const std::string& groupsIni) {
  MainState main;
  main.headerLinePattern.Compile(kHeaderLinePattern);
  main.identities.push_back(ReadDefaultIdentity(IniFile::FromText("[ID]\nName=Ann\n")));
  TID work = main.identities.front();
  work.name = "Work";
  work.Name = "Ann at work";
  work.Organization = "Example Ltd";
  main.identities.push_back(work);
  main.groupProps = ReadGroupProps(IniFile::FromText(groupsIni));
  return main;
}

GroupProps resolve(MainState& main, const char* group) {
  GroupProps props;
  ResolveGroupProps(main, group, props);
  return props;
}

TEST(GroupProps, ContinueChainsToTheNextApplyingSet) {
  MainState chained = stateWith(
      "[first]\nregex=^comp\\.\ncontinue=1\nSortOrder=-1\nStorageExp=30\n"
      "[other]\nregex=^alt\\.\nSortOrder=-1\n"
      "[second]\nregex=lang\nSortOrder=1\n");
  const GroupProps p = resolve(chained, "comp.lang.c");
  EXPECT_EQ(p.sortOrder, 1);
  EXPECT_EQ(p.storageExp, 30);

  MainState stopped = stateWith(
      "[first]\nregex=^comp\\.\nSortOrder=-1\n"
      "[second]\nregex=lang\nSortOrder=1\nStorageExp=30\n");
  const GroupProps q = resolve(stopped, "comp.lang.c");
  EXPECT_EQ(q.sortOrder, -1);
  EXPECT_EQ(q.storageExp, 7);
}

TEST(GroupProps, UnusableSetsAreDropped) {
  MainState main = stateWith(
      "[empty]\nregex=\nSortOrder=-1\n[tilde]\nregex=~\nSortOrder=-1\n"
      "[broken]\nregex=(unclosed\nSortOrder=-1\n[none]\nSortOrder=-1\n"
      "[good]\nregex=.\n");
  ASSERT_EQ(main.groupProps.size(), 1u);
  EXPECT_EQ(main.groupProps[0].name, "good");
  EXPECT_EQ(resolve(main, "x").sortOrder, 1);
}

TEST(GroupProps, NegatedPatternAppliesToOtherGroups) {
  MainState main = stateWith("[notbinaries]\nregex=~binaries\nFullScreen=1\n");
  EXPECT_TRUE(resolve(main, "comp.lang.c").fullScreen);
  EXPECT_FALSE(resolve(main, "alt.binaries.x").fullScreen);
}

TEST(GroupProps, ValuesOutsideTheirRangeChangeNothing) {
  MainState main = stateWith(
      "[a]\nregex=.\ncontinue=1\nStorageOpt=2\nSortOn=Subject\nDecodeDir=/dl\n"
      "[b]\nregex=.\nStorageOpt=9\nStorageExp=91\nSortOrder=0\nSortOn=Size\nExpandAllThreads=x\n");
  main.settings.storageExp = 14;
  const GroupProps p = resolve(main, "g");
  EXPECT_EQ(p.storageOpt, 2);
  EXPECT_EQ(p.storageExp, 14);
  EXPECT_EQ(p.sortOrder, 1);
  EXPECT_EQ(p.sortOn, 0);
  EXPECT_TRUE(p.expandAllThreads);
  EXPECT_EQ(p.decodeDir, "/dl/");
  EXPECT_EQ(p.attachDir, "");
}

TEST(GroupProps, FoldersAndIdentityName) {
  MainState main = stateWith(
      "[a]\nregex=.\ncontinue=1\nID=Work\nArchive=*\nQueue=*\nPostTo=x.test\n"
      "[b]\nregex=.\n");
  const GroupProps p = resolve(main, "comp.lang.c");
  EXPECT_EQ(p.archive, "comp.lang.c");
  EXPECT_EQ(p.queue, "_comp.lang.c");
  EXPECT_EQ(p.postTo, "x.test");
  // A later applying set without "ID" brings the default back.
  EXPECT_EQ(p.id, "<Default>");
  MainState single = stateWith("[a]\nregex=.\nID=Work\n");
  EXPECT_EQ(resolve(single, "g").id, "Work");
  EXPECT_EQ(resolve(single, "g").archive, "Archive");
}

TEST(GroupProps, PersonalHeadersAddUpOrStartAfresh) {
  MainState main = stateWith(
      "[a]\nregex=^a\ncontinue=1\nCustomHeadersCount=1\nCustomHeader1=X-A: 1\n"
      "[b]\nregex=^ab\nNewCustomHeaders=1\nCustomHeadersCount=1\nCustomHeader1=*X-B: 2\n");
  main.settings.customHeaders = {{false, "X-G", "0", "X-G: 0"}};
  const auto ax = resolve(main, "ax").customHeaders;
  ASSERT_EQ(ax.size(), 2u);
  EXPECT_EQ(ax[0].name, "X-G");
  EXPECT_EQ(ax[1].name, "X-A");
  const auto ab = resolve(main, "ab").customHeaders;
  ASSERT_EQ(ab.size(), 1u);
  EXPECT_EQ(ab[0].name, "X-B");
  EXPECT_TRUE(ab[0].on);
}

TEST(GroupProps, IdentityResolution) {
  MainState main = stateWith(
      "[a]\nregex=^work\\.\ncontinue=1\nID=Work\n"
      "[b]\nregex=secret\nEmail=hidden@example.net\nIDToken=a b\n"
      "[c]\nregex=.\nID=Missing\nSigFile=never.sig\n");
  TProfile profile;
  profile.identity = main.identities.front();
  profile.identity.Email = "profile@example.net";

  TID id;
  ResolveIdentity(main, profile, "work.secret", id);
  EXPECT_EQ(id.name, "Work");
  EXPECT_EQ(id.Name, "Ann at work");
  EXPECT_EQ(id.Email, "hidden@example.net");
  EXPECT_EQ(id.IDToken, "a.b");
  EXPECT_EQ(id.SigFile, "sig.txt");  // "b" ends the walk

  ResolveIdentity(main, profile, "misc.test", id);
  EXPECT_EQ(id.name, "<Default>");  // an unknown "ID" keeps the profile's identity
  EXPECT_EQ(id.Email, "profile@example.net");
  EXPECT_EQ(id.SigFile, "never.sig");
}

}  // namespace
}  // namespace orvel
