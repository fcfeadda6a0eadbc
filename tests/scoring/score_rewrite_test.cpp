#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "config/temp_base_dir.h"
#include "scoring/score_file.h"
#include "scoring/score_file_watch.h"
#include "support/scripted_prompter.h"

namespace orvel {
namespace {

using test::ScriptedPrompter;
using test::TempBaseDir;

ScoreLoadOptions today(int expiredOpt) {
  ScoreLoadOptions o;
  o.expiredScoreOpt = expiredOpt;
  o.today.tm_year = 2024 - 1900;
  o.today.tm_mon = 5;
  o.today.tm_mday = 15;
  return o;
}

// Expires on today's date (15/06/2024), so it is expired.
constexpr const char* kFile =
    "% top\r\n"
    "[keep]\r\n"
    "Score: 1\r\n"
    "From: a\r\n"
    "\r\n"
    "  \r\n"
    "% Cr\xC3\xA9\xC3\xA9 par Orvel    15/01/2024\r\n"
    "Score: -5\r\n"
    "Expires: 15/06/2024\r\n"
    "Subject: old\r\n"
    "% trailing comment\r\n"
    "\r\n"
    "[gone]\r\n"
    "Score: 2\r\n"
    "Expires: 14/06/2024\r\n"
    "From: b\r\n"
    "Score: 3\r\n"
    "Expires: 16/06/2024\r\n"
    "From: c\r\n";

TEST(ScoreExpiry, ReportedWithTheirExpiresLinesWhenKept) {
  TempBaseDir dir;
  dir.write("score.ini", kFile);
  ScriptedPrompter prompter;
  ScoreSectionList sections;
  const ScoreLoadResult r = LoadScoreFile(sections, dir.file("score.ini"), today(1), prompter);
  EXPECT_EQ(r.expiredReport, "Scores expir\xC3\xA9s, lignes : 8,14");
  EXPECT_EQ(prompter.lastStatus(), r.expiredReport);
  ASSERT_EQ(sections.size(), 2u);
  EXPECT_EQ(sections[0]->rules.size(), 1u);
  EXPECT_EQ(sections[1]->rules.at(0).score, 3);
  EXPECT_EQ(dir.read("score.ini"), kFile);
}

struct RemovalCase {
  const char* name;
  Button answer;
  const char* kept;
  std::size_t sections;
};

class ScoreExpiryRemoval : public ::testing::TestWithParam<RemovalCase> {};

TEST_P(ScoreExpiryRemoval, RewritesTheFileAfterABackup) {
  TempBaseDir dir;
  const std::string text = std::string(kFile) + "[empties]\r\nScore: 9\r\nExpires: 1/1/2020\r\n"
                                               "From: z\r\n";
  dir.write("score.ini", text);
  dir.write("score.bak.ini", "older backup");
  ScriptedPrompter prompter;
  prompter.answer(GetParam().answer);
  ScoreSectionList sections;
  const ScoreLoadResult r = LoadScoreFile(sections, dir.file("score.ini"), today(0), prompter);
  EXPECT_TRUE(r.rewritten) << r.writeError;
  EXPECT_EQ(prompter.questions(),
            std::vector<std::string>{"Section Score:[empties]  vid\xC3\xA9" "e.      \r\n"
                                     "Voulez-vous la supprimer?"});
  EXPECT_EQ(dir.read("score.bak.ini"), text);
  EXPECT_EQ(dir.read("score.ini"), GetParam().kept);
  EXPECT_EQ(sections.size(), GetParam().sections);
}

constexpr const char* kKeptPrefix =
    "% top\r\n[keep]\r\nScore: 1\r\nFrom: a\r\n% trailing comment\r\n\r\n[gone]\r\n"
    "Score: 3\r\nExpires: 16/06/2024\r\nFrom: c\r\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, ScoreExpiryRemoval,
    ::testing::Values(RemovalCase{"EmptiedSectionDropped", Button::Yes, kKeptPrefix, 2},
                      RemovalCase{"EmptiedSectionKept", Button::No,
                                  "% top\r\n[keep]\r\nScore: 1\r\nFrom: a\r\n% trailing comment\r\n"
                                  "\r\n[gone]\r\nScore: 3\r\nExpires: 16/06/2024\r\nFrom: c\r\n"
                                  "[empties]\r\n",
                                  3}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(ScoreExpiry, AnErrorRewritesNothing) {
  TempBaseDir dir;
  const std::string text = std::string(kFile) + "Bad line without separator\r\n";
  dir.write("score.ini", text);
  ScriptedPrompter prompter;
  ScoreSectionList sections;
  const ScoreLoadResult r = LoadScoreFile(sections, dir.file("score.ini"), today(0), prompter);
  EXPECT_FALSE(r.ok);
  EXPECT_EQ(prompter.lastStatus(), "Expression invalide     \"Bad line without separator\" ligne   20");
  EXPECT_TRUE(sections.empty());
  EXPECT_EQ(dir.read("score.ini"), text);
  EXPECT_FALSE(std::filesystem::exists(dir.file("score.bak.ini")));
}

TEST(ScoreFileWatch, ReloadDecisionByOption) {
  TempBaseDir dir;
  dir.write("score.ini", "% a\n");
  ScoreFileWatch watch(dir.file("score.ini"));
  watch.Remember();
  ScriptedPrompter prompter;
  EXPECT_FALSE(watch.ShouldReload(0, prompter));  // unchanged
  std::filesystem::last_write_time(dir.file("score.ini"),
                                   std::filesystem::file_time_type::clock::now() +
                                       std::chrono::hours(1));
  EXPECT_FALSE(watch.ShouldReload(2, prompter));
  EXPECT_TRUE(watch.ShouldReload(0, prompter));
  prompter.answer(Button::No);
  EXPECT_FALSE(watch.ShouldReload(1, prompter));
  EXPECT_EQ(prompter.questions(),
            std::vector<std::string>{"Fichier de score modifi\xC3\xA9 : Recharger?"});
  EXPECT_FALSE(watch.ShouldReload(1, prompter));  // the refused change is remembered
}

TEST(ScoreFileWatch, MissingFileCreatedWithItsTwoLinesOnYes) {
  TempBaseDir dir;
  ScriptedPrompter prompter;
  prompter.answer(Button::No);
  prompter.answer(Button::Yes);
  EXPECT_FALSE(EnsureScoreFile(dir.file("score.ini"), prompter));
  EXPECT_FALSE(std::filesystem::exists(dir.file("score.ini")));
  EXPECT_TRUE(EnsureScoreFile(dir.file("score.ini"), prompter));
  EXPECT_EQ(dir.read("score.ini"),
            "% des scores effectu\xC3\xA9s\n% Explications dans: \"scoring.txt\"\n");
  EXPECT_EQ(prompter.questions().at(0), "Fichier score introuvable. Cr\xC3\xA9" "er?");
  EXPECT_EQ(ScoreFilePath("score.ini", "/b/data/"), "/b/data/score.ini");
  EXPECT_EQ(ScoreFilePath("/etc/s.ini", "/b/data/"), "/etc/s.ini");
}

}  // namespace
}  // namespace orvel
