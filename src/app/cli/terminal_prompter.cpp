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

bool interactive() { return isatty(STDIN_FILENO) != 0; }

}  // namespace

void TerminalPrompter::message(std::string_view text, MessageKind, std::string_view) {
  err_ << text << '\n';
}

Button TerminalPrompter::ask(std::string_view text, Buttons buttons, MessageKind,
                             std::string_view) {
  const Button fallback = hasButton(buttons, defaultAnswer_) ? defaultAnswer_ : Button::Cancel;
  if (!interactive()) {
    err_ << text << " -> " << (hasButton(buttons, fallback) ? "answered by default" : "cancel")
         << '\n';
    return fallback;
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
    if (!std::getline(std::cin, line)) return Button::Cancel;
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
  if (!interactive()) return std::nullopt;
  err_ << caption << ' ' << prompt << ' ' << std::flush;
  const bool hide = mode == InputMode::Masked;
  termios saved{};
  if (hide && tcgetattr(STDIN_FILENO, &saved) == 0) {
    termios quiet = saved;
    quiet.c_lflag &= ~static_cast<tcflag_t>(ECHO);
    tcsetattr(STDIN_FILENO, TCSANOW, &quiet);
  }
  std::string line;
  const bool got = static_cast<bool>(std::getline(std::cin, line));
  if (hide) {
    tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    err_ << '\n';
  }
  if (!got) return std::nullopt;
  return line;
}

void TerminalPrompter::status(std::string_view text) {
  if (verbose_ && !text.empty()) err_ << text << '\n';
}

}  // namespace orvel::cli
