#pragma once
// The person at the terminal for orvel-cli: messages and status go to the
// error stream; questions and text input (a login password, without echo)
// are read from the terminal. A command's --yes or --no gives its answer to
// every question instead. A question that cannot be asked (no terminal, or
// its input ended) gets Cancel and is remembered: the command then fails with
// a line naming it and the flags that answer it, never taking Cancel for the
// person's answer.

#include <iosfwd>
#include <optional>
#include <string>

#include "core/null_prompter.h"

namespace orvel::cli {

// Standard input when it is a terminal, else nothing.
std::istream* TerminalInput();

class TerminalPrompter final : public NullPrompter {
 public:
  // input: where answers are read (none: nobody to ask); answer: what --yes
  // or --no gave.
  TerminalPrompter(std::ostream& err, std::istream* input,
                   std::optional<Button> answer = std::nullopt)
      : err_(err), input_(input), answer_(answer) {}

  void message(std::string_view text, MessageKind kind, std::string_view caption) override;
  Button ask(std::string_view text, Buttons buttons, MessageKind kind,
             std::string_view caption) override;
  std::optional<std::string> inputText(std::string_view caption, std::string_view prompt,
                                       std::string_view initial, InputMode mode) override;
  void status(std::string_view text) override;

  void setVerbose(bool verbose) { verbose_ = verbose; }
  // The first question nobody could answer, on one line; empty when none.
  const std::string& unanswered() const { return unanswered_; }
  // "cannot ask "QUESTION" without a terminal", then "; answer with " and
  // the command's flags for a confirmation or for a text input, when it
  // has any.
  std::string UnansweredReason(std::string_view confirmationFlags,
                               std::string_view inputFlags = {}) const;

 private:
  void remember(std::string_view question, bool confirmation);

  std::ostream& err_;
  std::istream* input_;
  std::optional<Button> answer_;
  bool verbose_ = false;
  std::string unanswered_;
  bool unansweredConfirmation_ = false;
};

}  // namespace orvel::cli
