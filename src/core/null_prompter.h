#pragma once
// A prompter nobody answers: messages and status are dropped, questions get
// Cancel and inputs nothing. A base for prompters that handle only some calls.

#include "core/prompter.h"

namespace orvel {

class NullPrompter : public Prompter {
 public:
  void message(std::string_view, MessageKind, std::string_view) override {}
  Button ask(std::string_view, Buttons, MessageKind, std::string_view) override {
    return Button::Cancel;
  }
  std::optional<std::string> inputText(std::string_view, std::string_view, std::string_view,
                                       InputMode) override {
    return std::nullopt;
  }
  std::optional<std::int64_t> inputNumber(std::string_view, std::string_view, std::int64_t,
                                          std::int64_t, std::int64_t) override {
    return std::nullopt;
  }
  std::optional<std::string> chooseOpenFile(std::string_view, std::string_view,
                                            std::string_view) override {
    return std::nullopt;
  }
  std::optional<std::string> chooseSaveFile(std::string_view, std::string_view,
                                            std::string_view) override {
    return std::nullopt;
  }
  std::optional<std::string> chooseFolder(std::string_view, std::string_view) override {
    return std::nullopt;
  }
  void status(std::string_view) override {}
  void progress(std::int64_t, std::int64_t) override {}
};

}  // namespace orvel
