#include "config/settings_table.h"

#include <gtest/gtest.h>

#include <set>

#include "config/main_state.h"
#include "config/temp_base_dir.h"
#include "config/window_placements.h"

namespace orvel {
namespace {

struct ReadCase {
  const char* label;
  const char* section;
  const char* key;
  const char* value;  // nullptr: absent
  const char* effective;
};
void PrintTo(const ReadCase& c, std::ostream* os) { *os << c.label; }

class SettingsReadTest : public ::testing::TestWithParam<ReadCase> {};

// Reads one key from a file holding only it, and checks the effective value
// in its file form.
TEST_P(SettingsReadTest, TakesOrRefuses) {
  const ReadCase& c = GetParam();
  std::string text = std::string("[") + c.section + "]\n";
  if (c.value) text += std::string(c.key) + "=" + c.value + "\n";
  const IniFile ini = IniFile::FromText(text);
  TBag misc, display;
  if (c.value && std::string(c.section) == "Misc") misc.SetString(c.key, c.value);
  if (c.value && std::string(c.section) == "Display") display.SetString(c.key, c.value);
  TPerlre pattern;
  std::vector<std::string> problems;
  const Settings s = ReadSettings(ini, misc, display, pattern, &problems);
  const SettingKey* key = FindSettingKey(c.section, c.key);
  ASSERT_NE(key, nullptr);
  EXPECT_EQ(SettingText(s, *key), c.effective);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, SettingsReadTest,
    ::testing::Values(
        ReadCase{"WrapColumnOutOfRange", "Compose", "WrapColumn", "90", "76"},
        ReadCase{"WrapColumnInRange", "Compose", "WrapColumn", "72", "72"},
        ReadCase{"ExcessiveQuoteAbove100IsOff", "Compose", "WarnExcessiveQuote", "150", "0"},
        ReadCase{"ExcessiveQuoteNegativeKeepsDefault", "Compose", "WarnExcessiveQuote", "-1",
                 "60"},
        ReadCase{"CutSizeTooSmall", "Compose", "CutSize", "50", "8000"},
        ReadCase{"yCutSizeTooLarge", "Compose", "yCutSize", "2000000", "400000"},
        ReadCase{"FollowupPromptZero", "Compose", "FollowupPrompt", "0", "3"},
        ReadCase{"ComposeBoolIsAnyInteger", "Compose", "MDIEditor", "7", "1"},
        ReadCase{"ComposeBoolNotANumber", "Compose", "KeepCopies", "yes", "1"},
        ReadCase{"BagBoolOnlyOneIsTrue", "Misc", "HardKill", "yes", "0"},
        ReadCase{"BagBoolOne", "Display", "DrawTree", "1", "1"},
        ReadCase{"EmptyQuoteCharsKeepsDefault", "Misc", "QuoteChars", "", ">:|]\xC2\xBB"},
        ReadCase{"QuoteChars", "Misc", "QuoteChars", ">", ">"},
        ReadCase{"DejaQueryWithoutPercentM", "Misc", "DejaQuery", "https://x/?q=",
                 "https://www.google.com/search?q=%m"},
        ReadCase{"DejaQueryWithPercentM", "Misc", "DejaQuery", "https://x/?q=%m",
                 "https://x/?q=%m"},
        ReadCase{"AutoResumeDelayZeroIsOne", "Misc", "AutoResumeDelay", "0", "1"},
        ReadCase{"AutoResumeDelayTooLarge", "Misc", "AutoResumeDelay", "1801", "20"},
        ReadCase{"CatchUpButtonFourIsZero", "Misc", "CatchUpButton", "4", "0"},
        ReadCase{"CatchUpButtonThree", "Misc", "CatchUpButton", "3", "3"},
        ReadCase{"XferTimeOutInSeconds", "Misc", "XferTimeOut", "45", "45"},
        ReadCase{"XferTimeOutTooLarge", "Misc", "XferTimeOut", "1801", "30"},
        ReadCase{"AutoSaveIntervalTooSmallStaysOff", "Misc", "AutoSaveInterval", "4", "0"},
        ReadCase{"AutoSaveInterval", "Misc", "AutoSaveInterval", "5", "5"},
        ReadCase{"MaxConnZero", "Misc", "MaxConnPerServer", "0", "4"},
        ReadCase{"DecodeOptTwoNotAccepted", "Misc", "DecodeOpt", "2", "2"},
        ReadCase{"DecodeOptOne", "Misc", "DecodeOpt", "1", "1"},
        ReadCase{"LaunchTypesUpperCased", "Misc", "LaunchTypes", ".jpg|.Png", ".JPG|.PNG"},
        ReadCase{"NumberNotANumber", "Misc", "StorageExp", "7days", "7"},
        ReadCase{"SortOrderZero", "Display", "SortOrder", "0", "1"},
        ReadCase{"SortOrderDescending", "Display", "SortOrder", "-1", "-1"},
        ReadCase{"SortOnName", "Display", "SortOn", "subject", "Subject"},
        ReadCase{"SortOnIndex", "Display", "SortOn", "6", "Number"},
        ReadCase{"SortOnUnknown", "Display", "SortOn", "Size", "Date"},
        ReadCase{"FixWrapOptOutOfRange", "Display", "FixWrapOpt", "2", "-1"},
        ReadCase{"Colour", "Display", "GridColor", "$00FF00", "$00FF00"},
        ReadCase{"ColourTooLarge", "Display", "GridColor", "$1000000", "$E0E0E0"},
        ReadCase{"Font", "Display", "ViewerFont", "1,0<12>-16;$0000FF:Serif|0",
                 "1,0<12>-16;$0000FF:Serif|0"},
        ReadCase{"UnreadableFontKeepsDefault", "Display", "ViewerFont", "Serif 12",
                 "0,0<10>-13;$000000:DejaVu Sans|1"},
        ReadCase{"PromptThresholdAnyInteger", "XOVER", "PromptThreshold", "-5", "-5"},
        ReadCase{"PopupText", "Popups", "Viewer", "acaMail", "acaMail"},
        ReadCase{"ToolBarDefault", "ToolBars", "A1", nullptr, "*"}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(SettingsTable, KeysAreUniqueAndSettingsRoundTrip) {
  std::set<std::string> seen;
  for (const auto& key : SettingsTable()) {
    EXPECT_TRUE(seen.insert(std::string(SectionName(key.section)) + "/" + key.key).second)
        << key.key;
  }
  EXPECT_EQ(SettingsTable().size(), 135u);  // 113 keys, 11 fonts and 11 colours

  // Every key written back and read again keeps its value; defaults included.
  Settings s;
  s.wrapColumn = 70;
  s.xferTimeOutMs = 120000;
  s.sortOn = -1;
  s.decodeDir = "/tmp/dec/";
  s.saveDir = "/tmp/save/";
  s.viewerFont = DefaultFont(14, BagFont::Italic, Rgb(1, 2, 3), "Serif");
  s.quoteColor6 = Rgb(10, 20, 30);
  s.mdiEditor = true;
  s.newsAttrib = "%g a écrit : ";  // a trailing blank and quotes survive the file
  s.externalEditor = "\"vi\"";
  s.customHeaders = {{true, "X-A", "1", "*X-A: 1"}};
  IniFile ini;
  TBag misc, display;
  WriteSettings(s, ini, misc, display);
  TPerlre pattern;
  pattern.Compile(kHeaderLinePattern);
  const Settings back = ReadSettings(IniFile::FromText(ini.text()), misc, display, pattern);
  for (const auto& key : SettingsTable()) {
    EXPECT_EQ(SettingText(back, key), SettingText(s, key)) << key.key;
  }
  EXPECT_EQ(back.customHeaders, s.customHeaders);
  EXPECT_EQ(back.xferTimeOutMs, 120000);
}

TEST(SettingsTable, SaveDirFollowsDecodeDirUnlessGiven) {
  TBag misc, display;
  TPerlre pattern;
  misc.SetString("DecodeDir", "/d/");
  Settings s = ReadSettings(IniFile(), misc, display, pattern);
  EXPECT_EQ(s.saveDir, "/d/");
  const SettingKey* saveDir = FindSettingKey("misc", "savedir");
  EXPECT_TRUE(SettingIsDefault(s, *saveDir));
  EXPECT_FALSE(SettingIsDefault(s, *FindSettingKey("Misc", "DecodeDir")));
  misc.SetString("SaveDir", "/s/");
  s = ReadSettings(IniFile(), misc, display, pattern);
  EXPECT_EQ(s.saveDir, "/s/");
  EXPECT_FALSE(SettingIsDefault(s, *saveDir));
}

TEST(SettingsTable, PersonalHeaderLinesMustMatchThePattern) {
  TPerlre pattern;
  pattern.Compile(kHeaderLinePattern);
  const IniFile ini = IniFile::FromText(
      "[Compose]\nCustomHeadersCount=5\nCustomHeader1=*X-Face: abc\n"
      "CustomHeader2=X-No-Archive yes\nCustomHeader3=Organization:\n"
      "CustomHeader4=1X: y\nCustomHeader5=X-Tag:value\n");
  TBag misc, display;
  const Settings s = ReadSettings(ini, misc, display, pattern);
  ASSERT_EQ(s.customHeaders.size(), 2u);
  EXPECT_EQ(s.customHeaders[0], (CustomHeader{true, "X-Face", "abc", "*X-Face: abc"}));
  EXPECT_EQ(s.customHeaders[1], (CustomHeader{false, "Organization", "", "Organization:"}));

  IniFile out = ini;
  WriteCustomHeaders(out, "Compose", {s.customHeaders[1]});
  EXPECT_EQ(out.readString("Compose", "CustomHeadersCount"), "1");
  EXPECT_EQ(out.readString("Compose", "CustomHeader1"), "Organization:");
  EXPECT_FALSE(out.hasKey("Compose", "CustomHeader2"));
  EXPECT_FALSE(out.hasKey("Compose", "CustomHeader5"));
}

TEST(SettingsTable, SaveWritesComposeAndBothBags) {
  test::TempBaseDir dir;
  dir.write("Orvel.ini", "[Misc]\nHandAdded=x\n[Metrics]\nmain=1\n");
  AppState app;
  app.baseDir = dir.path();
  app.bags.misc = TBag(app.iniPath(), "Misc");
  app.bags.display = TBag(app.iniPath(), "Display");
  app.bags.misc.LoadFromIni(false);
  Settings s;
  s.wrapColumn = 72;
  s.hardKill = false;
  s.xFace = false;
  std::string error;
  ASSERT_TRUE(SaveSettings(s, app, &error)) << error;
  const IniFile ini(app.iniPath());
  EXPECT_EQ(ini.readString("Compose", "WrapColumn"), "72");
  EXPECT_EQ(ini.readString("Misc", "HardKill"), "0");
  EXPECT_EQ(ini.readString("Misc", "XferTimeOut"), "30");
  EXPECT_EQ(ini.readString("Misc", "HandAdded"), "x");
  EXPECT_EQ(ini.readString("Display", "XFace"), "0");
  EXPECT_EQ(ini.readString("Metrics", "main"), "1");
}

TEST(SettingsHelpers, ExtensionListsCompareWholeItems) {
  EXPECT_TRUE(ExtensionListHas(".TXT|.GIF", "picture.gif"));
  EXPECT_TRUE(ExtensionListHas(".TXT|.GIF", ".Txt"));
  EXPECT_FALSE(ExtensionListHas(".TXT|.GIF", "a.gi"));
  EXPECT_FALSE(ExtensionListHas(".TXT|.GIF", "noextension"));
}

TEST(SettingsHelpers, TimeZoneAndGapBudget) {
  Settings s;
  s.tz = 530;
  EXPECT_EQ(s.timeZoneOffset(), 530);
  s.tz = -1;
  const int system = s.timeZoneOffset();
  EXPECT_GE(system, -1200);
  EXPECT_LE(system, 1400);
  EXPECT_LT(std::abs(system) % 100, 60);
  EXPECT_EQ(s.defragGapBudget(), 200);
  s.defragGapSize = 0;
  EXPECT_EQ(s.defragGapBudget(), 100);
  EXPECT_EQ(s.quoteColor(9), s.quoteColor6);
}

}  // namespace
}  // namespace orvel

namespace orvel {
namespace {

TEST(WindowPlacements, StoredPlacementWinsWhenUsable) {
  TBag metrics;
  metrics.SetString("main", "0,3,-1,-1,-1,-1,10,20,810,620");
  metrics.SetString("editor", "0,1,-1,-1,-1,-1,50,50,40,40");  // no size
  metrics.SetString("groups", "1,2,3");
  const WindowGeometry main = WindowGeometryFor(metrics, "main", true);
  EXPECT_EQ(main.x, 10);
  EXPECT_EQ(main.width, 800);
  EXPECT_TRUE(main.maximised);
  EXPECT_FALSE(WindowGeometryFor(metrics, "main", false).maximised);
  EXPECT_EQ(WindowGeometryFor(metrics, "editor", true).width, DefaultWindowGeometry("editor").width);
  EXPECT_EQ(WindowGeometryFor(metrics, "groups", true).height, DefaultWindowGeometry("groups").height);
  EXPECT_GT(DefaultWindowGeometry("unknown").width, 0);
}

}  // namespace
}  // namespace orvel
