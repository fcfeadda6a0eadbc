#pragma once
// A prompter that records every interaction and answers from a script.
// Questions and inputs take the next scripted answer of their kind; one that
// finds no scripted answer throws, so a test never passes on an unexpected
// question.

#include <cstdint>
#include <deque>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/prompter.h"

namespace orvel::test {

struct PromptRecord {
  enum class Kind { Message, Question, Text, Number, OpenFile, SaveFile, Folder, Status, Progress };
  Kind kind = Kind::Message;
  std::string caption;
  std::string text;  // message, question or prompt text, or the status text
  Buttons buttons = 0;
  MessageKind messageKind = MessageKind::Information;
  InputMode inputMode = InputMode::Plain;
  std::string initial;
  std::int64_t position = 0;
  std::int64_t maximum = 0;
};

class UnexpectedPrompt : public std::logic_error {
 public:
  using std::logic_error::logic_error;
};

class ScriptedPrompter final : public Prompter {
 public:
  // Scripting.
  void answer(Button b) { buttons_.push_back(b); }
  void answerText(std::optional<std::string> text) { texts_.push_back(std::move(text)); }
  void answerNumber(std::optional<std::int64_t> n) { numbers_.push_back(n); }
  void answerPath(std::optional<std::string> path) { paths_.push_back(std::move(path)); }
  bool scriptUsed() const {
    return buttons_.empty() && texts_.empty() && numbers_.empty() && paths_.empty();
  }

  // What happened.
  const std::vector<PromptRecord>& records() const { return records_; }
  std::vector<std::string> messages() const;   // message texts, in order
  std::vector<std::string> questions() const;  // question texts, in order
  std::vector<std::string> statuses() const;   // status texts, in order
  std::string lastStatus() const;
  void clear() { records_.clear(); }

  void message(std::string_view text, MessageKind kind, std::string_view caption) override;
  Button ask(std::string_view text, Buttons buttons, MessageKind kind,
             std::string_view caption) override;
  std::optional<std::string> inputText(std::string_view caption, std::string_view prompt,
                                       std::string_view initial, InputMode mode) override;
  std::optional<std::int64_t> inputNumber(std::string_view caption, std::string_view prompt,
                                          std::int64_t initial, std::int64_t minimum,
                                          std::int64_t maximum) override;
  std::optional<std::string> chooseOpenFile(std::string_view caption, std::string_view startPath,
                                            std::string_view filter) override;
  std::optional<std::string> chooseSaveFile(std::string_view caption, std::string_view startPath,
                                            std::string_view filter) override;
  std::optional<std::string> chooseFolder(std::string_view caption,
                                          std::string_view startPath) override;
  void status(std::string_view text) override;
  void progress(std::int64_t position, std::int64_t maximum) override;

 private:
  std::optional<std::string> nextPath(PromptRecord::Kind kind, std::string_view caption,
                                      std::string_view startPath);

  std::deque<Button> buttons_;
  std::deque<std::optional<std::string>> texts_;
  std::deque<std::optional<std::int64_t>> numbers_;
  std::deque<std::optional<std::string>> paths_;
  std::vector<PromptRecord> records_;
};

}  // namespace orvel::test
