#pragma once
// The person at the terminal for orvel-cli: messages and status go to the
// error stream; text input (a login password, without echo) and questions are
// read from standard input when it is a terminal. Without a terminal a
// question gets the command's default answer, or Cancel.

#include <iosfwd>

#include "core/null_prompter.h"

namespace orvel::cli {

class TerminalPrompter final : public NullPrompter {
 public:
  explicit TerminalPrompter(std::ostream& err, Button defaultAnswer = Button::Cancel)
      : err_(err), defaultAnswer_(defaultAnswer) {}

  void message(std::string_view text, MessageKind kind, std::string_view caption) override;
  Button ask(std::string_view text, Buttons buttons, MessageKind kind,
             std::string_view caption) override;
  std::optional<std::string> inputText(std::string_view caption, std::string_view prompt,
                                       std::string_view initial, InputMode mode) override;
  void status(std::string_view text) override;

  void setVerbose(bool verbose) { verbose_ = verbose; }

 private:
  std::ostream& err_;
  Button defaultAnswer_;
  bool verbose_ = false;
};

}  // namespace orvel::cli
