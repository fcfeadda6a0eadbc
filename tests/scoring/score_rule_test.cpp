#include "scoring/score_rule.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "core/atomic_file.h"

namespace orvel {
namespace {

RuleArticle reply() {
  RuleArticle a;
  a.subject = "Re: Prix (euro) 3.5?";
  a.fromName = "Jean Dupont";
  a.fromAddress = "jd@ex.fr";
  a.messageId = "<abc.1@news.ex.fr>";
  a.references = "<head@x.fr> <mid@x.fr>";
  a.xref = "srv fr.test:12 fr.misc:7";
  a.lines = 42;
  return a;
}

RuleArticle threadStart() {
  RuleArticle a = reply();
  a.subject = "Prix";
  a.references.clear();
  return a;
}

const DateTime kNow = *EncodeDateTime(2024, 3, 5, 14, 7, 9);
const std::string kCreated = "\r\n    % Cr\u00e9\u00e9 par Orvel le:    Tue 05 Mar 2024 14:07:09";
const std::string kExpires = "\r\n        Expires: 04/04/2024";

std::string text(const ScoreRule& rule, RuleTextUse use = RuleTextUse::Apply) {
  return RuleText(rule, use, kNow, DateFormatSettings{});
}

TEST(ScoreRuleFill, OffersTheArticlesValuesEscaped) {
  const ScoreRule r = FillScoreRule(reply(), "fr.test", {"~^alt\\.", "fr\\..*"});
  EXPECT_FALSE(r.newSection);
  EXPECT_EQ(r.section, 1);
  EXPECT_EQ(r.newPattern, "^fr\\.test$");
  using V = std::vector<std::string>;
  EXPECT_EQ(r.field(RuleField::Subject).offers,
            (V{"Prix \\(euro\\) 3\\.5\\?", "Re: Prix \\(euro\\) 3\\.5\\?"}));
  EXPECT_EQ(r.field(RuleField::From).offers, (V{"Jean Dupont", "jd@ex\\.fr"}));
  EXPECT_EQ(r.field(RuleField::References).offers, (V{"<abc\\.1@news\\.ex\\.fr>", "<head@x\\.fr>"}));
  EXPECT_EQ(r.field(RuleField::XRef).offers, (V{"srv", "fr\\.test:12", "fr\\.misc:7"}));
  EXPECT_EQ(r.field(RuleField::Lines).value, "42");
  EXPECT_EQ(r.field(RuleField::MessageID).offers, (V{"<abc\\.1@news\\.ex\\.fr>", "news\\.ex\\.fr"}));
  EXPECT_EQ(r.field(RuleField::Subject).value, "Prix \\(euro\\) 3\\.5\\?");

  const ScoreRule s = FillScoreRule(threadStart(), "fr.test", {});
  EXPECT_TRUE(s.newSection);
  EXPECT_EQ(s.field(RuleField::Subject).offers, V{"Prix"});
  EXPECT_EQ(s.headId, s.thisId);
}

TEST(ScoreRuleText, EachModeAndScoreChoice) {
  struct Row {
    const char* name;
    std::function<void(ScoreRule&)> set;
    std::string expected;
  };
  const std::string section = "[^fr\\.test$]";
  const Row rows[] = {
      {"caseless subject, add, ET",
       [](ScoreRule& r) { r.field(RuleField::Subject).checked = true; },
       section + kCreated + "\r\n    Score: 1000" + kExpires +
           "\r\n        Subject: Prix \\(euro\\) 3\\.5\\?\r\n\r\n"},
      {"inverted caseless from, assign, OU, never",
       [](ScoreRule& r) {
         r.field(RuleField::From).checked = true;
         r.field(RuleField::From).mode = MatchMode::NotMatches;
         r.assign = true;
         r.any = true;
         r.expires = false;
         r.value = -12;
       },
       section + kCreated + "\r\n    Score:: =-12\r\n        ~From: Jean Dupont\r\n\r\n"},
      {"case-sensitive xref, kill, all but",
       [](ScoreRule& r) {
         r.field(RuleField::XRef).checked = true;
         r.field(RuleField::XRef).mode = MatchMode::MatchesCase;
         r.choice = ScoreChoice::Kill;
         r.allBut = true;
       },
       "[~^fr\\.test$]" + kCreated + "\r\n    Score: -9999" + kExpires +
           "\r\n        XRef= srv\r\n\r\n"},
      {"inverted case-sensitive id, top",
       [](ScoreRule& r) {
         r.field(RuleField::MessageID).checked = true;
         r.field(RuleField::MessageID).mode = MatchMode::NotMatchesCase;
         r.choice = ScoreChoice::Top;
       },
       section + kCreated + "\r\n    Score: 9999" + kExpires +
           "\r\n        ~Message-ID= <abc\\.1@news\\.ex\\.fr>\r\n\r\n"},
      {"lines not more than, references of the thread, field order",
       [](ScoreRule& r) {
         r.field(RuleField::Lines).checked = true;
         r.field(RuleField::Lines).mode = MatchMode::NotMatches;
         r.field(RuleField::References).checked = true;
         r.referencesSource = ReferencesSource::OthersOfThread;
         r.field(RuleField::Subject).checked = true;
         r.days = 1;
       },
       section + kCreated + "\r\n    Score: 1000\r\n        Expires: 06/03/2024" +
           "\r\n        Subject: Prix \\(euro\\) 3\\.5\\?" +
           "\r\n        References: <abc\\.1@news\\.ex\\.fr>|<head@x\\.fr>" +
           "\r\n        ~Lines: 42\r\n\r\n"},
      {"existing section writes no header",
       [](ScoreRule& r) {
         r.sections = {"~^alt\\."};
         r.section = 0;
         r.newSection = false;
         r.field(RuleField::Lines).checked = true;
       },
       kCreated + "\r\n    Score: 1000" + kExpires + "\r\n        Lines: 42\r\n\r\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ScoreRule r = FillScoreRule(reply(), "fr.test", {});
    row.set(r);
    EXPECT_EQ(text(r), row.expected);
  }
}

TEST(ScoreRuleText, CopyCommentsOutWhatApplyLeavesOut) {
  ScoreRule r = FillScoreRule(reply(), "fr.test", {"~^alt\\."});
  r.field(RuleField::From).checked = true;
  const std::string fields =
      "\r\n        %Subject: Prix \\(euro\\) 3\\.5\\?\r\n        From: Jean Dupont"
      "\r\n        %References: <abc\\.1@news\\.ex\\.fr>\r\n        %XRef: srv"
      "\r\n        %Lines: 42\r\n        %Message-ID: <abc\\.1@news\\.ex\\.fr>\r\n\r\n";
  EXPECT_EQ(text(r, RuleTextUse::Copy),
            "%[~^alt\\.]\r\n" + kCreated + "\r\n    Score: 1000" + kExpires + fields);
  EXPECT_EQ(text(r), kCreated + "\r\n    Score: 1000" + kExpires +
                         "\r\n        From: Jean Dupont\r\n\r\n");
  r.newSection = true;
  EXPECT_EQ(text(r, RuleTextUse::Copy).substr(0, 16), "[^fr\\.test$]\r\n\r\n");
}

TEST(ScoreRulePreset, ChoosesSectionScoreAndThreadId) {
  struct Row {
    const char* name;
    RulePreset preset;
    bool hasReferences;
    const char* score;
    const char* id;
  };
  const Row rows[] = {
      {"kill thread", RulePreset::KillThread, true, "-9999", "<head@x\\.fr>"},
      {"kill from here", RulePreset::KillFromHere, true, "-9999", "<abc\\.1@news\\.ex\\.fr>"},
      {"important thread", RulePreset::MarkThreadImportant, true, "9999", "<head@x\\.fr>"},
      {"important from here", RulePreset::ImportantFromHere, true, "9999",
       "<abc\\.1@news\\.ex\\.fr>"},
      {"kill thread without references", RulePreset::KillThread, false, "-9999",
       "<abc\\.1@news\\.ex\\.fr>"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    for (const bool existing : {false, true}) {
      std::vector<std::string> sections = {"fr"};
      if (existing) sections.push_back("^fr\\.test$");
      ScoreRule r = FillScoreRule(row.hasReferences ? reply() : threadStart(), "fr.test", sections);
      r.section = 0;
      r.expires = false;
      r.field(RuleField::Subject).checked = true;
      r.field(RuleField::References).mode = MatchMode::NotMatchesCase;
      ApplyPreset(r, row.preset, "fr.test");
      EXPECT_EQ(r.newSection, !existing);
      const std::string header = existing ? "" : "[^fr\\.test$]";
      EXPECT_EQ(text(r), header + kCreated + "\r\n    Score:: " + row.score + kExpires +
                             "\r\n        References: " + row.id +
                             "\r\n        Message-ID: " + row.id + "\r\n\r\n");
    }
  }
}

TEST(ScoreRuleCheck, BadValuesBlockWriting) {
  struct Row {
    const char* name;
    std::function<void(ScoreRule&)> set;
    bool valid;
  };
  const Row rows[] = {
      {"as filled", [](ScoreRule&) {}, true},
      {"unclosed group", [](ScoreRule& r) { r.field(RuleField::Subject).value = "(a"; }, false},
      {"unclosed group, unchecked, still blocks",
       [](ScoreRule& r) { r.field(RuleField::XRef).value = "[x"; }, false},
      {"empty checked value",
       [](ScoreRule& r) {
         r.field(RuleField::Subject).checked = true;
         r.field(RuleField::Subject).value.clear();
       },
       false},
      {"empty unchecked value", [](ScoreRule& r) { r.field(RuleField::XRef).value.clear(); }, true},
      {"lines not a number", [](ScoreRule& r) { r.field(RuleField::Lines).value = "4x"; }, false},
      {"bad new section", [](ScoreRule& r) { r.newPattern = "fr.(test"; }, false},
      {"edited references bad",
       [](ScoreRule& r) { r.field(RuleField::References).value = "<a)"; }, false},
      {"references from the article ignore the edit",
       [](ScoreRule& r) {
         r.field(RuleField::References).value = "<a)";
         r.referencesSource = ReferencesSource::ThreadHead;
       },
       true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ScoreRule r = FillScoreRule(reply(), "fr.test", {});
    row.set(r);
    EXPECT_EQ(RuleIsValid(r), row.valid);
  }
  ScoreRule r = FillScoreRule(reply(), "fr.test", {});
  r.field(RuleField::Subject).value = "(a";
  EXPECT_NE(FieldError(r, RuleField::Subject).find("Perlre: "), std::string::npos);
}

class ScoreFileWrite : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = (std::filesystem::temp_directory_path() /
             ("orvel-rule-" + std::to_string(::getpid()) + ".ini"))
                .string();
  }
  void TearDown() override { std::filesystem::remove(path_); }
  std::string path_;
};

TEST_F(ScoreFileWrite, RuleGoesIntoItsSection) {
  const std::string file =
      "% mine\n[fr\\..*]\nScore: 1\n  Subject: a\n\n  [~^alt\\.]\nScore: 2\nFrom: b\n";
  struct Row {
    const char* name;
    bool newSection;
    std::string section;
    std::string expected;
  };
  const Row rows[] = {
      {"new section at the end", true, "",
       "% mine\r\n[fr\\..*]\r\nScore: 1\r\n  Subject: a\r\n\r\n  [~^alt\\.]\r\nScore: 2\r\n"
       "From: b\r\nRULE\r\n\r\n"},
      {"existing section before the next header", false, "fr\\..*",
       "% mine\r\n[fr\\..*]\r\nScore: 1\r\n  Subject: a\r\n\r\nRULE\r\n\r\n  [~^alt\\.]\r\n"
       "Score: 2\r\nFrom: b\r\n"},
      {"last section at the end", false, "~^alt\\.",
       "% mine\r\n[fr\\..*]\r\nScore: 1\r\n  Subject: a\r\n\r\n  [~^alt\\.]\r\nScore: 2\r\n"
       "From: b\r\nRULE\r\n\r\n"},
      {"missing header appended with it", false, "comp",
       "% mine\r\n[fr\\..*]\r\nScore: 1\r\n  Subject: a\r\n\r\n  [~^alt\\.]\r\nScore: 2\r\n"
       "From: b\r\n\r\n[comp]\r\nRULE\r\n\r\n"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    ASSERT_TRUE(SaveFileAtomically(path_, file));
    ScoreRule r;
    r.newSection = row.newSection;
    r.sections = {row.section};
    r.section = 0;
    ASSERT_TRUE(WriteRule(path_, r, "RULE\r\n\r\n"));
    std::string written;
    ASSERT_TRUE(ReadWholeFile(path_, written));
    EXPECT_EQ(written, row.expected);
  }
}

TEST_F(ScoreFileWrite, MissingFileIsCreated) {
  std::filesystem::remove(path_);
  ScoreRule r = FillScoreRule(reply(), "fr.test", {});
  r.field(RuleField::Lines).checked = true;
  ASSERT_TRUE(WriteRule(path_, r, text(r)));
  std::string written;
  ASSERT_TRUE(ReadWholeFile(path_, written));
  EXPECT_EQ(written, text(r));
}

}  // namespace
}  // namespace orvel
