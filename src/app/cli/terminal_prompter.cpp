#include "app/cli/terminal_prompter.h"

#include <termios.h>
#include <unistd.h>

#include <iostream>

#include "core/text.h"

namespace orvel::cli {

namespace {

struct Choice {
  Button button;
  const char* word;
};

constexpr Choice kChoices[] = {{Button::Yes, "yes"},        {Button::No, "no"},
                               {Button::All, "all"},        {Button::YesToAll, "yes-to-all"},
                               {Button::Ok, "ok"},          {Button::Cancel, "cancel"}};

// The flag's answer among the buttons shown: Yes as given; No, or Cancel
// where the question has no No.
std::optional<Button> givenAnswer(Button answer, Buttons buttons) {
  if (hasButton(buttons, answer)) return answer;
  if (answer == Button::No && hasButton(buttons, Button::Cancel)) return Button::Cancel;
  return std::nullopt;
}

// Hides what is typed on the terminal while it lives.
class NoEcho {
 public:
  NoEcho() {
    if (tcgetattr(STDIN_FILENO, &saved_) != 0) return;
    termios quiet = saved_;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    active_ = tcsetattr(STDIN_FILENO, TCSANOW, &quiet) == 0;
  }
  ~NoEcho() {
    if (active_) tcsetattr(STDIN_FILENO, TCSANOW, &saved_);
  }
  NoEcho(const NoEcho&) = delete;
  NoEcho& operator=(const NoEcho&) = delete;

 private:
  termios saved_{};
  bool active_ = false;
};

}  // namespace

std::istream* TerminalInput() { return isatty(STDIN_FILENO) != 0 ? &std::cin : nullptr; }

void TerminalPrompter::message(std::string_view text, MessageKind, std::string_view) {
  err_ << text << '\n';
}

void TerminalPrompter::remember(std::string_view question, bool confirmation) {
  if (!unanswered_.empty()) return;
  unansweredConfirmation_ = confirmation;
  // Questions may span lines ("...?\r\n( celà peut être long )").
  for (const char c : question) {
    if (c == '\r') continue;
    unanswered_ += c == '\n' ? ' ' : c;
  }
  unanswered_ = trim(unanswered_);
}

std::string TerminalPrompter::UnansweredReason(std::string_view confirmationFlags,
                                               std::string_view inputFlags) const {
  std::string reason = "cannot ask \"" + unanswered_ + "\" without a terminal";
  const std::string_view flags = unansweredConfirmation_ ? confirmationFlags : inputFlags;
  if (!flags.empty()) reason += "; answer with " + std::string(flags);
  return reason;
}

Button TerminalPrompter::ask(std::string_view text, Buttons buttons, MessageKind,
                             std::string_view) {
  if (answer_) {
    if (const auto given = givenAnswer(*answer_, buttons)) return *given;
  }
  if (!input_) {
    remember(text, true);
    return Button::Cancel;
  }
  for (;;) {
    err_ << text << " [";
    bool first = true;
    for (const auto& c : kChoices) {
      if (!hasButton(buttons, c.button)) continue;
      err_ << (first ? "" : "/") << c.word;
      first = false;
    }
    err_ << "] " << std::flush;
    std::string line;
    if (!std::getline(*input_, line)) {
      err_ << '\n';
      remember(text, true);
      return Button::Cancel;
    }
    const std::string answer = lowerAscii(trimView(line));
    for (const auto& c : kChoices) {
      if (hasButton(buttons, c.button) && !answer.empty() &&
          std::string_view(c.word).substr(0, answer.size()) == answer) {
        return c.button;
      }
    }
  }
}

std::optional<std::string> TerminalPrompter::inputText(std::string_view caption,
                                                       std::string_view prompt, std::string_view,
                                                       InputMode mode) {
  if (!input_) {
    remember(prompt, false);
    return std::nullopt;
  }
  err_ << caption << ' ' << prompt << ' ' << std::flush;
  std::string line;
  bool got = false;
  if (mode == InputMode::Masked && input_ == &std::cin) {
    const NoEcho hidden;
    got = static_cast<bool>(std::getline(*input_, line));
    err_ << '\n';
  } else {
    got = static_cast<bool>(std::getline(*input_, line));
  }
  if (!got) {
    remember(prompt, false);
    return std::nullopt;
  }
  return line;
}

void TerminalPrompter::status(std::string_view text) {
  if (verbose_ && !text.empty()) err_ << text << '\n';
}

}  // namespace orvel::cli
