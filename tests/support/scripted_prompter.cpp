#include "support/scripted_prompter.h"

namespace orvel::test {

namespace {

std::vector<std::string> textsOf(const std::vector<PromptRecord>& records,
                                 PromptRecord::Kind kind) {
  std::vector<std::string> out;
  for (const auto& r : records) {
    if (r.kind == kind) out.push_back(r.text);
  }
  return out;
}

template <typename Queue>
auto takeFront(Queue& queue, std::string_view what, std::string_view text) {
  if (queue.empty()) {
    throw UnexpectedPrompt("unscripted " + std::string(what) + ": " + std::string(text));
  }
  auto value = std::move(queue.front());
  queue.pop_front();
  return value;
}

PromptRecord record(PromptRecord::Kind kind, std::string_view caption, std::string_view text) {
  PromptRecord r;
  r.kind = kind;
  r.caption = std::string(caption);
  r.text = std::string(text);
  return r;
}

}  // namespace

std::vector<std::string> ScriptedPrompter::messages() const {
  return textsOf(records_, PromptRecord::Kind::Message);
}
std::vector<std::string> ScriptedPrompter::questions() const {
  return textsOf(records_, PromptRecord::Kind::Question);
}
std::vector<std::string> ScriptedPrompter::statuses() const {
  return textsOf(records_, PromptRecord::Kind::Status);
}
std::string ScriptedPrompter::lastStatus() const {
  auto all = statuses();
  return all.empty() ? std::string() : all.back();
}

void ScriptedPrompter::message(std::string_view text, MessageKind kind, std::string_view caption) {
  PromptRecord r = record(PromptRecord::Kind::Message, caption, text);
  r.messageKind = kind;
  records_.push_back(std::move(r));
}

Button ScriptedPrompter::ask(std::string_view text, Buttons buttons, MessageKind kind,
                             std::string_view caption) {
  PromptRecord r = record(PromptRecord::Kind::Question, caption, text);
  r.buttons = buttons;
  r.messageKind = kind;
  records_.push_back(std::move(r));
  Button b = takeFront(buttons_, "question", text);
  // Cancel stands for a box closed without an answer, possible for any question.
  if (b != Button::Cancel && !hasButton(buttons, b)) {
    throw UnexpectedPrompt("scripted answer is not one of the offered buttons: " +
                           std::string(text));
  }
  return b;
}

std::optional<std::string> ScriptedPrompter::inputText(std::string_view caption,
                                                       std::string_view prompt,
                                                       std::string_view initial, InputMode mode) {
  PromptRecord r = record(PromptRecord::Kind::Text, caption, prompt);
  r.initial = std::string(initial);
  r.inputMode = mode;
  records_.push_back(std::move(r));
  return takeFront(texts_, "text input", prompt);
}

std::optional<std::int64_t> ScriptedPrompter::inputNumber(std::string_view caption,
                                                          std::string_view prompt,
                                                          std::int64_t initial,
                                                          std::int64_t minimum,
                                                          std::int64_t maximum) {
  PromptRecord r = record(PromptRecord::Kind::Number, caption, prompt);
  r.initial = std::to_string(initial);
  r.position = minimum;
  r.maximum = maximum;
  records_.push_back(std::move(r));
  return takeFront(numbers_, "number input", prompt);
}

std::optional<std::string> ScriptedPrompter::nextPath(PromptRecord::Kind kind,
                                                      std::string_view caption,
                                                      std::string_view startPath) {
  PromptRecord r = record(kind, caption, startPath);
  records_.push_back(std::move(r));
  return takeFront(paths_, "file choice", caption);
}

std::optional<std::string> ScriptedPrompter::chooseOpenFile(std::string_view caption,
                                                            std::string_view startPath,
                                                            std::string_view) {
  return nextPath(PromptRecord::Kind::OpenFile, caption, startPath);
}
std::optional<std::string> ScriptedPrompter::chooseSaveFile(std::string_view caption,
                                                            std::string_view startPath,
                                                            std::string_view) {
  return nextPath(PromptRecord::Kind::SaveFile, caption, startPath);
}
std::optional<std::string> ScriptedPrompter::chooseFolder(std::string_view caption,
                                                          std::string_view startPath) {
  return nextPath(PromptRecord::Kind::Folder, caption, startPath);
}

void ScriptedPrompter::status(std::string_view text) {
  records_.push_back(record(PromptRecord::Kind::Status, {}, text));
}

void ScriptedPrompter::progress(std::int64_t position, std::int64_t maximum) {
  PromptRecord r = record(PromptRecord::Kind::Progress, {}, {});
  r.position = position;
  r.maximum = maximum;
  records_.push_back(std::move(r));
}

}  // namespace orvel::test
