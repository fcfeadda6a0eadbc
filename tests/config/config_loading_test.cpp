#include "config/config_loading.h"

#include <gtest/gtest.h>

#include "config/main_loader.h"
#include "config/shortcuts.h"
#include "config/startup.h"
#include "config/temp_base_dir.h"

namespace orvel {
namespace {

// The whole start-up on hand-written files: each step sees what the earlier
// ones loaded.
TEST(ConfigLoading, LoadsInOrderFromHandWrittenFiles) {
  test::TempBaseDir dir;
  dir.write("Orvel.ini",
            "[ID]\nName=Ann\nEmail=ann@example.net\n"
            "[Compose]\nWrapColumn=90\nCustomHeadersCount=1\nCustomHeader1=*X-Tag: a\n"
            "[Misc]\nSMTPHost=smtp.example.net\nXferTimeOut=60\nMaxConnPerServer=9\n"
            "[Display]\nSortOn=Subject\nViewerFont=broken\n");
  dir.write("IDs.ini", "[Work]\nOrganization=Example Ltd\n");
  dir.write("servers.ini",
            "[Profiles]\ncount=2\n1=news.example.net:563\n2=work,news.example.org\nDefault=2\n"
            "[work]\nID=Work\nUserName=ann\nSMTPHost=smtp.example.net\n");
  dir.write("groups0.ini", "[bin]\nregex=binaries\nAltServers=*\n");
  dir.write("keys.ini", "[Main]\nacmKeys=Ctrl+Shift+F1\n");

  AppState app;
  StartupOptions options;
  options.useLocaleDateFormats = false;
  CommandLine commandLine;
  commandLine.baseDir = dir.path();
  RunCommonStartup(app, commandLine, options);
  MainState main;
  RunMainLoadingSteps(app, main);

  ASSERT_EQ(main.identities.size(), 2u);
  EXPECT_EQ(main.identities[0].name, "<Default>");
  EXPECT_EQ(main.identities[1].Name, "Ann");
  EXPECT_EQ(main.settings.wrapColumn, 76);
  EXPECT_EQ(main.settings.xferTimeOutMs, 60000);
  EXPECT_EQ(main.settings.maxConnPerServer, 4);
  EXPECT_EQ(main.settings.sortOn, 0);
  ASSERT_EQ(main.settings.customHeaders.size(), 1u);
  ASSERT_EQ(main.settingsProblems.size(), 1u);
  EXPECT_NE(main.settingsProblems[0].find("Police Invalide"), std::string::npos);

  ASSERT_EQ(main.profiles.size(), 2u);
  EXPECT_EQ(main.defaultProfile()->alias, "work");
  EXPECT_EQ(main.profiles[1]->identity.Organization, "Example Ltd");
  EXPECT_EQ(main.profiles[1]->SMTPHost, "smtp.example.net");
  ASSERT_EQ(main.groupProps.size(), 1u);  // "groups0.ini" became "groups.ini"
  EXPECT_TRUE(std::filesystem::exists(dir.file("groups.ini")));

  ASSERT_EQ(main.mainActions.size(), 19u);
  EXPECT_EQ(ShortCutToText(FindAction(main.mainActions, "acmKeys")->shortcut), "Ctrl+Shift+F1");
  EXPECT_EQ(app.bags.mainKeys.count(), 19);

  // Saving the profiles writes back only what differs.
  std::string error;
  ASSERT_TRUE(SaveProfiles(app, main, {}, &error)) << error;
  const IniFile servers(ServersIniPath(app));
  EXPECT_EQ(servers.keys("work"), (std::vector<std::string>{"ID", "UserName"}));
  EXPECT_EQ(servers.readString("Profiles", "1"), "news.example.net,news.example.net:563");
}

}  // namespace
}  // namespace orvel
