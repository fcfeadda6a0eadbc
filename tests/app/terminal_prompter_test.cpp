// orvel-cli's terminal: --yes and --no answer for the person, a terminal
// asks, and a question nobody can answer is kept for the failure line rather
// than taken for an answer.

#include "app/cli/terminal_prompter.h"

#include <gtest/gtest.h>

#include <sstream>

namespace orvel::cli {
namespace {

struct AskCase {
  const char* name;
  std::optional<Button> flag;  // --yes or --no
  const char* input;           // what the terminal types; nullptr: no terminal
  Buttons buttons;
  Button expected;
  const char* unanswered;
};
void PrintTo(const AskCase& c, std::ostream* os) { *os << c.name; }

class TerminalAskTest : public testing::TestWithParam<AskCase> {};

TEST_P(TerminalAskTest, AnswersOnlyWhatThePersonGave) {
  const AskCase& c = GetParam();
  std::ostringstream err;
  std::istringstream typed(c.input ? c.input : "");
  TerminalPrompter prompter(err, c.input ? &typed : nullptr, c.flag);
  EXPECT_EQ(
      prompter.ask("Encore?\r\n( celà peut être long )", c.buttons, MessageKind::Question, {}),
      c.expected);
  EXPECT_EQ(prompter.unanswered(), c.unanswered);
}

constexpr const char* kFlat = "Encore? ( celà peut être long )";

INSTANTIATE_TEST_SUITE_P(
    Cases, TerminalAskTest,
    testing::Values(
        AskCase{"YesFlag", Button::Yes, nullptr, kYesNoCancel, Button::Yes, ""},
        AskCase{"NoFlag", Button::No, nullptr, kYesNoCancel, Button::No, ""},
        AskCase{"NoFlagCancelsWhereThereIsNoNo", Button::No, nullptr, kOkCancel, Button::Cancel,
                ""},
        AskCase{"YesFlagWhereThereIsNoYesIsNoAnswer", Button::Yes, nullptr, kOkCancel,
                Button::Cancel, kFlat},
        AskCase{"NoTerminalIsNoAnswer", std::nullopt, nullptr, kYesNoCancel, Button::Cancel, kFlat},
        AskCase{"TerminalAnswer", std::nullopt, "y\n", kYesNoCancel, Button::Yes, ""},
        AskCase{"TerminalAsksAgainAfterNonsense", std::nullopt, "peut-être\nno\n", kYesNo,
                Button::No, ""},
        AskCase{"TerminalCancel", std::nullopt, "cancel\n", kYesNoCancel, Button::Cancel, ""},
        AskCase{"EndOfInputIsNoAnswer", std::nullopt, "", kYesNoCancel, Button::Cancel, kFlat},
        AskCase{"FlagAnswersBeforeTheTerminal", Button::Yes, "no\n", kYesNo, Button::Yes, ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(TerminalPrompterTest, TheFailureLineNamesWhatAnswersTheQuestion) {
  std::ostringstream err;
  TerminalPrompter confirmation(err, nullptr);
  confirmation.ask("Supprimer ?    ", kYesNoCancel, MessageKind::Question, {});
  confirmation.ask("Classer Groupes?", kYesNo, MessageKind::Question, {});
  EXPECT_EQ(confirmation.UnansweredReason("--yes or --no", "--password"),
            "cannot ask \"Supprimer ?\" without a terminal; answer with --yes or --no");

  TerminalPrompter password(err, nullptr);
  EXPECT_EQ(password.inputText("Le Mot de passe ?", "Mot de passe pour: news.example",
                               {}, InputMode::Masked),
            std::nullopt);
  EXPECT_EQ(password.UnansweredReason("--yes or --no", "--password"),
            "cannot ask \"Mot de passe pour: news.example\" without a terminal; answer with "
            "--password");
  EXPECT_EQ(password.UnansweredReason("--yes or --no"),
            "cannot ask \"Mot de passe pour: news.example\" without a terminal");
}

}  // namespace
}  // namespace orvel::cli
