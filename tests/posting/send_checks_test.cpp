#include "posting/send_checks.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>

#include "core/perlre.h"
#include "support/scripted_prompter.h"

namespace orvel {
namespace {

ComposeMessage Sendable() {
  ComposeMessage m;
  m.server = "news.example";
  m.groups = "fr.test";
  m.post = true;
  m.subject = "Bonjour";
  m.identity.Name = "Jean";
  m.identity.Email = "jean@example.org";
  m.identity.PublicEmail = "jean@example.org";
  m.body = {{"Du texte.", false}};
  m.modified = true;
  return m;
}

void Mail(ComposeMessage& m, std::string address) {
  m.mail = true;
  m.mailTo = std::move(address);
}

std::string Groups(int count) {
  std::string groups = "g0";
  for (int i = 1; i < count; ++i) groups += ",g" + std::to_string(i);
  return groups;
}

const std::vector<BodyLine> kBadlyWrapped = {
    {"> une ligne citée bien trop longue que l'éditeur a coupée", true},
    {"en deux", false},
    {"ma réponse", false},
    {"encore", false},
    {"et encore", false}};

constexpr const char* kBadWrapQuestion =
    "Il semble y avoir du texte cité mal formaté\r\nFormater avec  Orvel?";

std::string Share(int percent) {
  return "Le texte cité représente " + std::to_string(percent) +
         "% du texte total\r\n         Réduire le texte cité ?";
}

struct FindingCase {
  const char* name;
  std::function<void(ComposeMessage&)> change;
  std::vector<SendCheck> checks;
  std::string lastText;  // the last finding's text
};

class SendChecksTest : public testing::TestWithParam<FindingCase> {};

TEST_P(SendChecksTest, ListsTheFindingsInOrder) {
  const FindingCase& c = GetParam();
  ComposeMessage m = Sendable();
  c.change(m);
  SendCheckContext context;
  context.probe = [](const std::string& path) {
    if (path == "gone.bin") return AttachmentState::Missing;
    if (path == "locked.bin") return AttachmentState::Unreadable;
    return AttachmentState::Readable;
  };
  const std::vector<CheckFinding> findings = SendChecks(m, context);
  std::vector<SendCheck> checks;
  for (const CheckFinding& f : findings) checks.push_back(f.check);
  EXPECT_EQ(checks, c.checks);
  EXPECT_EQ(findings.empty() ? "" : findings.back().text, c.lastText);
}

using M = ComposeMessage&;
using S = SendCheck;
INSTANTIATE_TEST_SUITE_P(
    Cases, SendChecksTest,
    testing::Values(
        FindingCase{"SendableHasNone", [](M) {}, {}, ""},
        FindingCase{"Unchanged", [](M m) { m.modified = false; }, {S::Unchanged},
                    "Vous n'avez rien écrit dans ce message !   "},
        FindingCase{"BlankBody", [](M m) { m.body = {{"  ", false}, {"", false}}; }, {S::Empty},
                    "Ce message est vide !!"},
        FindingCase{"BlankBodyWithAttachment",
                    [](M m) { m.body.clear(); m.attachments = {{"a.bin", 3}}; },
                    {}, ""},
        FindingCase{"BlankSubject", [](M m) { m.subject = " \t"; }, {S::NoSubject},
                    "Sujet vide !!!!!"},
        FindingCase{"NoTarget", [](M m) { m.post = false; }, {S::NoTarget},
                    "Choisissez: Poster sur le groupe/ Répondre par mail!"},
        FindingCase{"TwoAddresses", [](M m) { Mail(m, "a@b.fr, c@d.fr"); },
                    {S::SeveralAddresses},
                    "Orvel ne peut envoyer de mail qu'à une seule adresse."},
        FindingCase{"MailToInvalidDomain", [](M m) { Mail(m, "a@b.invalid"); },
                    {S::BadMailTo}, "Mail-TO absent ou invalide "},
        FindingCase{"MailToWithNameAccepted",
                    [](M m) { Mail(m, "  Paul Durand <paul@example.fr> "); },
                    {}, ""},
        FindingCase{"ReplyToWithoutDot",
                    [](M m) { Mail(m, "paul@example.fr"); m.identity.Email = "jean@localhost"; },
                    {S::BadReplyTo}, "Adresse manquante ou invalide   "},
        FindingCase{"NoGroups", [](M m) { m.groups = " "; }, {S::NoGroups}, "Groupes absents ! "},
        FindingCase{"TwentyOneGroupsRefused", [](M m) { m.groups = Groups(21); },
                    {S::TooManyGroups},
                    "Vous n'êtes pas autorisé à poster dans plus de 20 groupes. :-(.\r\n"
                    "Désolé. (Jory Almec)"},
        FindingCase{"ElevenGroupsAsked", [](M m) { m.groups = Groups(11); }, {S::ManyGroups},
                    "Voulez-vous vraiment poster sur autant de groupes?\r\n"
                    "Si oui, indiquez un \"suivi sur\" un groupe."},
        FindingCase{"TenGroupsPass", [](M m) { m.groups = Groups(10); }, {}, ""},
        FindingCase{"FromWithSpace", [](M m) { m.identity.PublicEmail = "jean @x.fr"; },
                    {S::BadFrom}, "Adresse From invalide / absente"},
        FindingCase{"QuestionThenFrom",
                    [](M m) { m.groups = Groups(12); m.identity.PublicEmail.clear(); },
                    {S::ManyGroups, S::BadFrom}, "Adresse From invalide / absente"},
        FindingCase{"FromIgnoredForMailOnly",
                    [](M m) { m.post = false; Mail(m, "p@x.fr"); m.identity.PublicEmail.clear(); },
                    {}, ""},
        FindingCase{"BadlyWrappedQuote", [](M m) { m.body = kBadlyWrapped; },
                    {S::BadlyWrappedQuotes},
                    kBadWrapQuestion},
        FindingCase{"HardLineEndIsNotBadWrap",
                    [](M m) { m.body = kBadlyWrapped; m.body[0].soft = false; },
                    {}, ""},
        FindingCase{"SixteenCharactersIsNotBadWrap",
                    [](M m) { m.body = kBadlyWrapped; m.body[1].text = "seize caractères"; },
                    {}, ""},
        FindingCase{"FifteenCharactersCountedNotBytes",
                    [](M m) { m.body = kBadlyWrapped; m.body[1].text = "quinze accentué"; },
                    {S::BadlyWrappedQuotes},
                    kBadWrapQuestion},
        FindingCase{"QuoteShareAboveLimit",
                    [](M m) { m.body = {{"> a", false}, {"> b", false}, {"c", false}}; },
                    {S::ExcessiveQuote},
                    Share(67)},
        FindingCase{"QuoteShareAtLimitPasses",
                    [](M m) { m.body = {{"> a"}, {">b"}, {">"}, {""}, {"d"}}; },
                    {}, ""},
        FindingCase{"BothQuestionsInOrder",
                    [](M m) { m.body = {kBadlyWrapped[0], kBadlyWrapped[1], {"> b"}, {"> c"}}; },
                    {S::BadlyWrappedQuotes, S::ExcessiveQuote},
                    Share(75)},
        FindingCase{"ManualHeaderWithoutValue", [](M m) { m.manualHeaders = {"X-Vide:"}; },
                    {S::InvalidManualHeader}, "     Entête invalide : X-Vide:"},
        FindingCase{"ManualHeaderWithStar", [](M m) { m.manualHeaders = {"*X-On: 1"}; },
                    {S::InvalidManualHeader}, "     Entête invalide : *X-On: 1"},
        FindingCase{"ManualHeaderDouble",
                    [](M m) {
                      m.personalHeaders = {{}, {false, "X-Face", ""}};
                      m.manualHeaders = {"x-face: d"};
                    },
                    {S::DoubleManualHeader}, "En-tête manuelle double: x-face: d"},
        FindingCase{"ManualSubjectForbidden", [](M m) { m.manualHeaders = {"Subject: autre"}; },
                    {S::ForbiddenManualHeader},
                    "En-tête manuelle interdite / invalide: Subject: autre"},
        FindingCase{"ManualHeadersFromTheLast",
                    [](M m) { m.manualHeaders = {"bad line", "X-Ok: 1", "", "Lines: 3", " "}; },
                    {S::ForbiddenManualHeader},
                    "En-tête manuelle interdite / invalide: Lines: 3"},
        FindingCase{"AttachmentGone", [](M m) { m.attachments = {{"a.bin", 1}, {"gone.bin", 1}}; },
                    {S::AttachmentMissing}, "Pièce jointe introuvable : gone.bin"},
        FindingCase{"AttachmentUnreadable", [](M m) { m.attachments = {{"locked.bin", 1}}; },
                    {S::AttachmentUnreadable}, "Pièce jointe illisible : locked.bin"}),
    [](const testing::TestParamInfo<FindingCase>& info) { return std::string(info.param.name); });

TEST(SendChecksSettingsTest, WarningsSwitchedOffAskNothing) {
  ComposeMessage m = Sendable();
  m.body = {kBadlyWrapped[0], kBadlyWrapped[1], {"> b", false}, {"> c", false}};
  SendCheckContext context;
  context.warnBadWrap = false;
  context.warnExcessiveQuote = 0;
  EXPECT_TRUE(SendChecks(m, context).empty());
  context = SendCheckContext{};
  context.badWrapAccepted = true;
  ASSERT_EQ(SendChecks(m, context).size(), 1u);
  EXPECT_EQ(SendChecks(m, context)[0].check, SendCheck::ExcessiveQuote);
}

struct ConfirmCase {
  const char* name;
  SendCheck question;
  Button answer;
  SendVerdict verdict;
  bool badWrapAccepted;
};

class ConfirmSendTest : public testing::TestWithParam<ConfirmCase> {};

// Each question is followed by a refusal: the refusal shows only when the
// answer lets the send go on.
TEST_P(ConfirmSendTest, AnswerDecides) {
  const ConfirmCase& c = GetParam();
  test::ScriptedPrompter prompter;
  prompter.answer(c.answer);
  const std::vector<CheckFinding> findings = {
      {c.question, "question", kYesNoCancel, MessageKind::Question},
      {SendCheck::BadFrom, "refus", kOk, MessageKind::Warning}};
  const SendDecision decision = ConfirmSend(findings, prompter);
  const bool goesOn = c.verdict == SendVerdict::GoOn;
  EXPECT_EQ(decision.verdict, goesOn ? SendVerdict::Stop : c.verdict);
  EXPECT_EQ(decision.badWrapAccepted, c.badWrapAccepted);
  EXPECT_EQ(prompter.messages(),
            goesOn ? std::vector<std::string>{"refus"} : std::vector<std::string>{});
  EXPECT_EQ(VerdictFor(c.question, c.answer), c.verdict);
}

using B = Button;
using V = SendVerdict;
INSTANTIATE_TEST_SUITE_P(
    Answers, ConfirmSendTest,
    testing::Values(ConfirmCase{"ManyGroupsYes", S::ManyGroups, B::Yes, V::GoOn, false},
                    ConfirmCase{"ManyGroupsNo", S::ManyGroups, B::No, V::Stop, false},
                    ConfirmCase{"ManyGroupsCancel", S::ManyGroups, B::Cancel, V::Stop, false},
                    ConfirmCase{"BadWrapYes", S::BadlyWrappedQuotes, B::Yes, V::RewrapAndStop,
                                false},
                    ConfirmCase{"BadWrapNo", S::BadlyWrappedQuotes, B::No, V::GoOn, true},
                    ConfirmCase{"BadWrapCancel", S::BadlyWrappedQuotes, B::Cancel, V::Stop, false},
                    ConfirmCase{"QuoteShareYes", S::ExcessiveQuote, B::Yes, V::Stop, false},
                    ConfirmCase{"QuoteShareNo", S::ExcessiveQuote, B::No, V::GoOn, false}),
    [](const testing::TestParamInfo<ConfirmCase>& info) { return std::string(info.param.name); });

TEST(ConfirmSendTest, NoFindingsSends) {
  test::ScriptedPrompter prompter;
  EXPECT_EQ(ConfirmSend({}, prompter).verdict, SendVerdict::GoOn);
  EXPECT_TRUE(prompter.records().empty());
}

// The one-pass count agrees with the pattern it stands for.
TEST(HasCommaRunsTest, AgreesWithThePattern) {
  const std::vector<std::string> inputs = {
      "",      ",",       "a,",    ",,",     ",,,",   "a,,",   ",a,", "a,b,c", "a,b,c,",
      ",,,,,", "a,,b,,c", "ab,\n,", "a,\nb,c,", " , , ,", "é,è,", "a,b\n"};
  TPerlre pattern;
  for (const std::string& input : inputs)
    for (int count = 1; count <= 4; ++count) {
      pattern.Compile("(.+,){" + std::to_string(count) + ",}");
      EXPECT_EQ(HasCommaRuns(input, count), pattern.Match(input))
          << "\"" << input << "\" count " << count;
    }
}

TEST(PreparedForSendTest, TrimsAndRemovesSpacesFromGroups) {
  ComposeMessage m = Sendable();
  m.groups = " fr.a , fr.b ";
  m.followUp = "fr.a ";
  m.subject = "  Sujet\t";
  m.manualHeaders = {" X-A: 1 ", "", "  "};
  const ComposeMessage p = PreparedForSend(m);
  EXPECT_EQ(p.groups, "fr.a,fr.b");
  EXPECT_EQ(p.followUp, "fr.a");
  EXPECT_EQ(p.subject, "Sujet");
  EXPECT_EQ(p.manualHeaders, std::vector<std::string>{"X-A: 1"});
}

TEST(ProbeAttachmentFileTest, TellsMissingFromReadable) {
  const std::filesystem::path dir = testing::TempDir();
  const std::filesystem::path file = dir / "send_checks_probe.bin";
  std::ofstream(file) << "x";
  EXPECT_EQ(ProbeAttachmentFile(file.string()), AttachmentState::Readable);
  EXPECT_EQ(ProbeAttachmentFile(dir.string()), AttachmentState::Missing);
  std::filesystem::remove(file);
  EXPECT_EQ(ProbeAttachmentFile(file.string()), AttachmentState::Missing);
}

}  // namespace
}  // namespace orvel
