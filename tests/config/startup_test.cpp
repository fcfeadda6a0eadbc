#include "config/startup.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "config/main_loader.h"
#include "core/atomic_file.h"

namespace orvel {
namespace {

namespace fs = std::filesystem;

class TempDir {
 public:
  TempDir() {
    path_ = fs::temp_directory_path() /
            ("orvel-startup-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
    fs::remove_all(path_);
    fs::create_directories(path_);
  }
  ~TempDir() { fs::remove_all(path_); }
  std::string str() const { return path_.string(); }
  const fs::path& path() const { return path_; }

 private:
  static inline int counter_ = 0;
  fs::path path_;
};

TEST(CommandLine, ArgumentsByPrefixLastProfileWins) {
  const CommandLine cl =
      ParseCommandLine({"/D:/tmp/x", "first", "/URL=news:comp.lang.c", "/m", "second", "/other"});
  EXPECT_EQ(cl.baseDir, "/tmp/x");
  EXPECT_EQ(cl.url, "news:comp.lang.c");
  EXPECT_TRUE(cl.allowSecondInstance);
  EXPECT_EQ(cl.profile, "second");

  // A desktop launcher passes the bare link; an alias never holds a colon.
  EXPECT_EQ(ParseCommandLine({"alias", "NNTP://h/g"}).url, "NNTP://h/g");
  EXPECT_EQ(ParseCommandLine({"alias", "NNTP://h/g"}).profile, "alias");

  const CommandLine none = ParseCommandLine({"/mumble"});
  EXPECT_FALSE(none.allowSecondInstance);
  EXPECT_TRUE(none.profile.empty());
}

TEST(BaseDir, ExistingDirectoryGetsOneTrailingSlash) {
  TempDir dir;
  TempDir fallback;
  EXPECT_EQ(ResolveBaseDir(dir.str(), fallback.str()), dir.str() + "/");
  EXPECT_EQ(ResolveBaseDir(dir.str() + "/", fallback.str()), dir.str() + "/");
}

TEST(BaseDir, MissingDirectoryFallsBackToTheDefault) {
  TempDir fallback;
  const std::string def = fallback.str() + "/Orvel/";
  EXPECT_EQ(ResolveBaseDir(fallback.str() + "/does-not-exist", def), def);
  EXPECT_TRUE(fs::is_directory(def));
  EXPECT_EQ(ResolveBaseDir("", def), def);
}

TEST(CommonStartup, CreatesDirectoriesAndLoadsTheBags) {
  TempDir base;
  ASSERT_TRUE(SaveFileAtomically(base.str() + "/Orvel.ini",
                                 "[Display]\nFont=x\n[Misc]\nA=1\nB=2\n[Metrics]\nmain=1\n"));
  ASSERT_TRUE(SaveFileAtomically(base.str() + "/keys.ini", "[Main]\nacmNew=N\nacmBad=?\n"));
  StartupOptions options;
  options.defaultBaseDir = base.str() + "/unused/";
  options.useLocaleDateFormats = false;
  options.shortcutCodec.textToCode = [](std::string_view t) -> std::optional<int> {
    if (t == "N") return 78;
    return std::nullopt;
  };
  AppState app;
  RunCommonStartup(app, ParseCommandLine({"/d:" + base.str(), "alias"}), options);
  EXPECT_EQ(app.baseDir, base.str() + "/");
  EXPECT_EQ(app.tempDir, base.str() + "/temp/");
  for (const char* sub : {"data", "folders", "temp"}) {
    EXPECT_TRUE(fs::is_directory(base.path() / sub)) << sub;
  }
  EXPECT_EQ(app.profileArgument, "alias");
  EXPECT_EQ(app.bags.display.count(), 1);
  EXPECT_EQ(app.bags.misc.count(), 2);
  EXPECT_EQ(app.bags.metrics.count(), 1);
  EXPECT_EQ(app.bags.mainKeys.GetKey("acmNew"), 78);
  EXPECT_FALSE(app.bags.mainKeys.GetKey("acmBad"));
  EXPECT_EQ(app.bags.groupKeys.fileName(), base.str() + "/keys.ini");
  EXPECT_EQ(app.bags.articleKeys.section(), "Article");
}

struct SeparatorCase {
  const char* line;
  bool separator;
  friend void PrintTo(const SeparatorCase& c, std::ostream* os) { *os << '"' << c.line << '"'; }
};

class SeparatorRegex : public ::testing::TestWithParam<SeparatorCase> {};

TEST_P(SeparatorRegex, Matches) {
  TPerlre re;
  re.Compile(kSeparatorPattern);
  EXPECT_EQ(re.Match(GetParam().line), GetParam().separator);
}

INSTANTIATE_TEST_SUITE_P(Lines, SeparatorRegex,
                         ::testing::Values(SeparatorCase{"----------", true},
                                           SeparatorCase{"  - - - - - - - -  ", true},
                                           SeparatorCase{"=*=*=*=*", true},
                                           SeparatorCase{"-------", false},
                                           SeparatorCase{":-)", true},
                                           SeparatorCase{";o)", true},
                                           SeparatorCase{"> quoted", false},
                                           SeparatorCase{"text ----------", false}));

TEST(MainLoader, Groups0BecomesGroupsOnlyWhenMissing) {
  TempDir base;
  AppState app;
  app.baseDir = base.str() + "/";
  MainState main;
  ASSERT_TRUE(SaveFileAtomically(app.baseDir + "groups0.ini", "[old]\n"));
  RunMainLoadingSteps(app, main);
  EXPECT_TRUE(fs::exists(app.baseDir + "groups.ini"));
  EXPECT_FALSE(fs::exists(app.baseDir + "groups0.ini"));
  EXPECT_TRUE(main.headerLinePattern.Match("X-Face: abc"));

  ASSERT_TRUE(SaveFileAtomically(app.baseDir + "groups0.ini", "[newer]\n"));
  RunMainLoadingSteps(app, main);
  EXPECT_TRUE(fs::exists(app.baseDir + "groups0.ini"));
}

TEST(MainLoader, StepsKeepTheirOrder) {
  std::vector<LoadingStepId> ids;
  for (const auto& step : MainLoadingSteps()) ids.push_back(step.id);
  EXPECT_EQ(ids, (std::vector<LoadingStepId>{
                     LoadingStepId::MoveGroups0, LoadingStepId::CreateLists,
                     LoadingStepId::Folders, LoadingStepId::DefaultIdentity,
                     LoadingStepId::Settings, LoadingStepId::Identities,
                     LoadingStepId::Profiles, LoadingStepId::GroupProperties,
                     LoadingStepId::ScoreAndPlonk, LoadingStepId::MainKeyBindings}));
}

}  // namespace
}  // namespace orvel
