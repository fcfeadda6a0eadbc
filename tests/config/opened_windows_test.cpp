#include "config/opened_windows.h"

#include <gtest/gtest.h>

#include "config/single_instance_rule.h"

namespace orvel {
namespace {

using K = OpenedWindow::Kind;

TEST(OpenedWindows, WrittenInWindowOrderAndReadBack) {
  IniFile ini = IniFile::FromText("[Opened]\nCount=9\n7=S:old\n[Misc]\nA=1\n");
  // A group list for "a", a group view (not recorded), the Sent folder view.
  WriteOpenedWindows(ini, {{K::ServerGroups, "a"}, {K::FolderView, "Sent"}});
  EXPECT_EQ(ini.readString("Opened", "1"), "S:a");
  EXPECT_EQ(ini.readString("Opened", "2"), "F:Sent");
  EXPECT_EQ(ini.readString("Opened", "Count"), "2");
  EXPECT_FALSE(ini.hasKey("Opened", "7"));
  EXPECT_EQ(ini.readString("Misc", "A"), "1");
  EXPECT_EQ(ReadOpenedWindows(ini),
            (std::vector<OpenedWindow>{{K::ServerGroups, "a"}, {K::FolderView, "Sent"}}));

  WriteOpenedWindows(ini, {});
  EXPECT_FALSE(ini.hasSection("Opened"));
}

TEST(OpenedWindows, UnrecognisedEntriesAreSkipped) {
  const IniFile ini =
      IniFile::FromText("[Opened]\nCount=5\n1=Folders\n2=X:what\n3=S:\n5=F:Archive\n");
  EXPECT_EQ(ReadOpenedWindows(ini),
            (std::vector<OpenedWindow>{{K::FolderWindow, ""}, {K::FolderView, "Archive"}}));
}

TEST(SecondStart, WalksArgumentsInOrder) {
  using S = SecondStart::Kind;
  EXPECT_EQ(DecideSecondStart({"/URL=news:a.b"}).kind, S::PassUrl);
  EXPECT_EQ(DecideSecondStart({"prof", "/url=news:a.b", "/m"}).url, "news:a.b");
  EXPECT_EQ(DecideSecondStart({"/m", "/url=news:a.b"}).kind, S::RunAsSecond);
  EXPECT_EQ(DecideSecondStart({"prof"}).kind, S::ShowFirst);
  EXPECT_EQ(DecideSecondStart({}).kind, S::ShowFirst);
}

}  // namespace
}  // namespace orvel
