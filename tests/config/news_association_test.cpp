#include "config/news_association.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "core/atomic_file.h"
#include "support/scripted_prompter.h"
#include "temp_base_dir.h"

namespace orvel {
namespace {

using test::ScriptedPrompter;
using test::TempBaseDir;

std::string lineOf(const std::string& text, std::string_view key) {
  for (std::size_t at = 0; at < text.size();) {
    const std::size_t end = text.find('\n', at);
    const std::string line = text.substr(at, end - at);
    if (line.starts_with(key)) return line;
    if (end == std::string::npos) break;
    at = end + 1;
  }
  return {};
}

struct EntryCase {
  const char* name;
  const char* path;
  bool secure;
  const char* exec;  // the Exec line; empty: no entry
  const char* mime;
};
void PrintTo(const EntryCase& c, std::ostream* os) { *os << c.name; }

class NewsDesktopEntryTest : public testing::TestWithParam<EntryCase> {};

TEST_P(NewsDesktopEntryTest, CommandAndSchemes) {
  const EntryCase& c = GetParam();
  const std::optional<std::string> entry = NewsDesktopEntry(c.path, c.secure);
  if (*c.exec == '\0') {
    EXPECT_FALSE(entry);
    return;
  }
  ASSERT_TRUE(entry);
  EXPECT_TRUE(entry->starts_with("[Desktop Entry]\n"));
  EXPECT_EQ(lineOf(*entry, "Exec="), c.exec);
  EXPECT_EQ(lineOf(*entry, "MimeType="), c.mime);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NewsDesktopEntryTest,
    testing::Values(
        EntryCase{"Plain", "/usr/bin/orvel", false, "Exec=/usr/bin/orvel %u",
                  "MimeType=x-scheme-handler/news;x-scheme-handler/nntp;"},
        EntryCase{"Secure", "/usr/bin/orvel", true, "Exec=/usr/bin/orvel %u",
                  "MimeType=x-scheme-handler/news;x-scheme-handler/nntp;x-scheme-handler/snews;"},
        EntryCase{"SpaceQuoted", "/opt/my apps/orvel", false, "Exec=\"/opt/my apps/orvel\" %u",
                  "MimeType=x-scheme-handler/news;x-scheme-handler/nntp;"},
        EntryCase{"ReservedEscapedTwice", "/h/a\"b$c\\d`e/orvel", false,
                  "Exec=\"/h/a\\\\\"b\\\\$c\\\\\\\\d\\\\`e/orvel\" %u",
                  "MimeType=x-scheme-handler/news;x-scheme-handler/nntp;"},
        EntryCase{"PercentNotAFieldCode", "/h/100%u/orvel", false, "Exec=/h/100%%u/orvel %u",
                  "MimeType=x-scheme-handler/news;x-scheme-handler/nntp;"},
        EntryCase{"Relative", "build/orvel", false, "", ""},
        EntryCase{"Empty", "", false, "", ""},
        EntryCase{"NewlineCannotBeWritten", "/h/a\nExec=/bin/evil", false, "", ""}),
    [](const auto& info) { return std::string(info.param.name); });

// desktop-file-validate reads the entries as a desktop does, quoting included.
TEST(NewsDesktopEntry, ValidatesForTrickyPaths) {
  TempBaseDir dir;
  for (const char* path : {"/usr/bin/orvel", "/opt/my apps/a\"b$c\\d`e;f/orvel"}) {
    SCOPED_TRACE(path);
    const std::string file = dir.file("orvel.desktop");
    ASSERT_TRUE(SaveFileAtomically(file, NewsDesktopEntry(path, true).value()));
    const ProgramResult r = RunProgram({"desktop-file-validate", file}, std::chrono::seconds(30));
    EXPECT_TRUE(r.ok()) << DescribeProgramResult(r);
    EXPECT_EQ(r.output, "");
  }
}

TEST(UserApplicationsDir, FromTheEnvironment) {
  EXPECT_EQ(UserApplicationsDir("/x/data", "/home/u"), "/x/data/applications");
  EXPECT_EQ(UserApplicationsDir("relative", "/home/u"), "/home/u/.local/share/applications");
  EXPECT_EQ(UserApplicationsDir("", "/home/u"), "/home/u/.local/share/applications");
  EXPECT_EQ(UserApplicationsDir(nullptr, "/home/u"), "/home/u/.local/share/applications");
  EXPECT_EQ(UserApplicationsDir(nullptr, nullptr), "");
}

struct FlowCase {
  const char* name;
  std::vector<Button> answers;
  const char* program;
  ProgramResult::Kind runKind;  // what the scripted xdg-mime does
  int runStatus;
  AssociationOutcome outcome;
  std::vector<std::string> command;  // xdg-mime's arguments after "default orvel.desktop"
  const char* mime;                  // the entry's MimeType line; empty: no entry written
  const char* message;               // the last message
};
void PrintTo(const FlowCase& c, std::ostream* os) { *os << c.name; }

class AssociateNewsLinksTest : public testing::TestWithParam<FlowCase> {};

TEST_P(AssociateNewsLinksTest, AsksWritesAndRegisters) {
  const FlowCase& c = GetParam();
  TempBaseDir dir;
  ScriptedPrompter prompter;
  for (const Button b : c.answers) prompter.answer(b);
  std::vector<std::vector<std::string>> runs;
  NewsAssociation setup{c.program, dir.path() + "share/applications",
                        [&](const std::vector<std::string>& argv) {
                          runs.push_back(argv);
                          ProgramResult r;
                          r.kind = c.runKind;
                          r.exitCode = c.runStatus;
                          r.output = c.runStatus ? "xdg-mime: no writable mimeapps.list\n" : "";
                          r.error = "xdg-mime: No such file or directory";
                          return r;
                        }};

  EXPECT_EQ(AssociateNewsLinks(setup, prompter), c.outcome);
  EXPECT_TRUE(prompter.scriptUsed());
  ASSERT_FALSE(prompter.questions().empty());
  EXPECT_EQ(prompter.questions()[0], kAssociateQuestion);
  EXPECT_EQ(prompter.records()[0].buttons, kYesNoCancel);

  std::string entry;
  const bool written = ReadWholeFile(setup.applicationsDir + "/orvel.desktop", entry);
  EXPECT_EQ(written, *c.mime != '\0');
  if (written) {
    EXPECT_EQ(lineOf(entry, "MimeType="), c.mime);
    EXPECT_EQ(lineOf(entry, "Exec="), "Exec=" + std::string(c.program) + " %u");
  }
  if (c.command.empty()) {
    EXPECT_TRUE(runs.empty());
  } else {
    std::vector<std::string> expected = {"xdg-mime", "default", "orvel.desktop"};
    expected.insert(expected.end(), c.command.begin(), c.command.end());
    ASSERT_EQ(runs.size(), 1u);
    EXPECT_EQ(runs[0], expected);
  }
  const auto messages = prompter.messages();
  if (*c.message == '\0') {
    EXPECT_TRUE(messages.empty());
  } else {
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], c.message);
  }
}

const std::vector<std::string> kNews = {"x-scheme-handler/news", "x-scheme-handler/nntp"};
const std::vector<std::string> kAll = {"x-scheme-handler/news", "x-scheme-handler/nntp",
                                       "x-scheme-handler/snews"};
constexpr const char* kNewsMime = "MimeType=x-scheme-handler/news;x-scheme-handler/nntp;";
constexpr const char* kAllMime =
    "MimeType=x-scheme-handler/news;x-scheme-handler/nntp;x-scheme-handler/snews;";
using K = ProgramResult::Kind;
using O = AssociationOutcome;

INSTANTIATE_TEST_SUITE_P(
    Cases, AssociateNewsLinksTest,
    testing::Values(
        FlowCase{"NoStops", {Button::No}, "/usr/bin/orvel", K::Exited, 0, O::Declined, {}, "", ""},
        FlowCase{"CancelStops", {Button::Cancel}, "/usr/bin/orvel", K::Exited, 0, O::Declined,
                 {}, "", ""},
        FlowCase{"SecureQuestionClosedStops", {Button::Yes, Button::Cancel}, "/usr/bin/orvel",
                 K::Exited, 0, O::Declined, {}, "", ""},
        FlowCase{"WithoutSecureLinks", {Button::Yes, Button::No}, "/usr/bin/orvel", K::Exited, 0,
                 O::Done, kNews, kNewsMime, "Done!"},
        FlowCase{"WithSecureLinks", {Button::Yes, Button::Yes}, "/usr/bin/orvel", K::Exited, 0,
                 O::Done, kAll, kAllMime, "Done!"},
        FlowCase{"XdgMimeFailureSaid", {Button::Yes, Button::No}, "/usr/bin/orvel", K::Exited, 5,
                 O::Failed, kNews, kNewsMime,
                 "Association impossible : xdg-mime default a \u00e9chou\u00e9 (exit status 5: "
                 "xdg-mime: no writable mimeapps.list)"},
        FlowCase{"XdgMimeMissingSaid", {Button::Yes, Button::Yes}, "/usr/bin/orvel",
                 K::NotStarted, 0, O::Failed, kAll, kAllMime,
                 "Association impossible : xdg-mime ne d\u00e9marre pas (xdg-mime: No such file or "
                 "directory) : le paquet xdg-utils manque-t-il ?"},
        FlowCase{"RelativeProgramWritesNothing", {Button::Yes, Button::No}, "orvel", K::Exited, 0,
                 O::Failed, {}, "",
                 "Association impossible : le chemin du programme \"orvel\" ne convient pas"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(AssociateNewsLinks, UncreatableDirectorySaidAndNothingRun) {
  TempBaseDir dir;
  dir.write("share", "a file where the directory should be");
  ScriptedPrompter prompter;
  prompter.answer(Button::Yes);
  prompter.answer(Button::No);
  bool ran = false;
  NewsAssociation setup{"/usr/bin/orvel", dir.path() + "share/applications",
                        [&](const std::vector<std::string>&) {
                          ran = true;
                          return ProgramResult{};
                        }};
  EXPECT_EQ(AssociateNewsLinks(setup, prompter), AssociationOutcome::Failed);
  EXPECT_FALSE(ran);
  ASSERT_EQ(prompter.messages().size(), 1u);
  EXPECT_TRUE(prompter.messages()[0].starts_with("Association impossible : le dossier " +
                                                 setup.applicationsDir))
      << prompter.messages()[0];
}

}  // namespace
}  // namespace orvel
