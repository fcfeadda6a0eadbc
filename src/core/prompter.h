#pragma once
// The one way the logic reaches the person: messages, questions with the
// program's button sets, text and number input, file and folder choice, and
// status and progress reports. The Qt shell implements it with dialogs and the
// status bar; tests implement it with scripted answers.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvel {

enum class Button : unsigned {
  None = 0,
  Ok = 1u << 0,
  Cancel = 1u << 1,
  Yes = 1u << 2,
  No = 1u << 3,
  All = 1u << 4,
  YesToAll = 1u << 5,
};

// A set of buttons shown together; the program uses the fixed sets below.
using Buttons = unsigned;

constexpr Buttons operator|(Button a, Button b) {
  return static_cast<unsigned>(a) | static_cast<unsigned>(b);
}
constexpr Buttons operator|(Buttons a, Button b) { return a | static_cast<unsigned>(b); }
constexpr bool hasButton(Buttons set, Button b) { return (set & static_cast<unsigned>(b)) != 0; }

inline constexpr Buttons kOk = static_cast<unsigned>(Button::Ok);
inline constexpr Buttons kOkCancel = Button::Ok | Button::Cancel;
inline constexpr Buttons kYesNo = Button::Yes | Button::No;
inline constexpr Buttons kYesNoCancel = Button::Yes | Button::No | Button::Cancel;
inline constexpr Buttons kYesNoCancelAll = kYesNoCancel | Button::All;
inline constexpr Buttons kYesNoYesToAllCancel = kYesNoCancel | Button::YesToAll;

enum class MessageKind { Information, Warning, Error, Question };

enum class InputMode { Plain, Masked };

class Prompter {
 public:
  virtual ~Prompter() = default;

  // A message box with an OK button. An empty caption means the program's title.
  virtual void message(std::string_view text, MessageKind kind = MessageKind::Information,
                       std::string_view caption = {}) = 0;

  // A question; returns the button pressed, Button::Cancel when the box was
  // closed without an answer.
  virtual Button ask(std::string_view text, Buttons buttons,
                     MessageKind kind = MessageKind::Question, std::string_view caption = {}) = 0;

  // Text input; nothing when cancelled. Masked input hides what is typed.
  virtual std::optional<std::string> inputText(std::string_view caption, std::string_view prompt,
                                               std::string_view initial = {},
                                               InputMode mode = InputMode::Plain) = 0;

  // Whole-number input within [minimum, maximum]; nothing when cancelled.
  virtual std::optional<std::int64_t> inputNumber(std::string_view caption,
                                                  std::string_view prompt, std::int64_t initial,
                                                  std::int64_t minimum, std::int64_t maximum) = 0;

  // File and folder choice. The filter is "Description|*.ext;*.ext2|..." pairs.
  virtual std::optional<std::string> chooseOpenFile(std::string_view caption,
                                                    std::string_view startPath,
                                                    std::string_view filter = {}) = 0;
  virtual std::optional<std::string> chooseSaveFile(std::string_view caption,
                                                    std::string_view startPath,
                                                    std::string_view filter = {}) = 0;
  virtual std::optional<std::string> chooseFolder(std::string_view caption,
                                                  std::string_view startPath) = 0;

  // Status line text of the window the logic belongs to.
  virtual void status(std::string_view text) = 0;

  // Progress of long work; a maximum of 0 hides the progress display.
  virtual void progress(std::int64_t position, std::int64_t maximum) = 0;
};

}  // namespace orvel
