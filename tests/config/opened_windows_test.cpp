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
  EXPECT_EQ(DecideSecondStart({"snews://h/<a@b>"}).url, "snews://h/<a@b>");
  EXPECT_EQ(DecideSecondStart({"prof"}).kind, S::ShowFirst);
  EXPECT_EQ(DecideSecondStart({}).kind, S::ShowFirst);
}

}  // namespace
}  // namespace orvel

#include <unistd.h>

#include <filesystem>

#include "config/shutdown.h"

namespace orvel {
namespace {

TEST(Shutdown, SavesPlacementAndOpenWindowsKeepingOtherSections) {
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("orvel-shutdown-" + std::to_string(::getpid()));
  std::filesystem::create_directories(dir);
  AppState app;
  app.baseDir = dir.string() + "/";
  {
    IniFile ini(app.iniPath());
    ini.write("Metrics", "stale", "1");
    ini.write("Misc", "Keep", "yes");
    ASSERT_TRUE(ini.save());
  }
  app.bags.metrics = TBag(app.iniPath(), "Metrics");
  std::string error;
  ASSERT_TRUE(SaveShutdownState(app, BagPlacement{0, 1, -1, -1, -1, -1, 5, 6, 805, 606}, false,
                                {{K::ServerGroups, "a"}}, &error))
      << error;
  const IniFile ini(app.iniPath());
  EXPECT_EQ(ini.keys("Metrics"), (std::vector<std::string>{"main"}));  // section erased first
  EXPECT_EQ(ini.readString("Metrics", "main"), "0,1,-1,-1,-1,-1,5,6,805,606");
  EXPECT_EQ(ini.readString("Opened", "1"), "S:a");
  EXPECT_EQ(ini.readString("Misc", "Keep"), "yes");
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace orvel
