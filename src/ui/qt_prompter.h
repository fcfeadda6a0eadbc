#pragma once
// The prompter with Qt dialogs: message boxes with the program's button sets,
// input boxes (masked for passwords), number input, file and folder dialogs.
// Status texts and progress go to the sinks the owning window gives.

#include <QPointer>
#include <QString>
#include <QWidget>

#include <functional>

#include "core/prompter.h"

namespace orvel::ui {

// "Description|*.a;*.b|Other|*.c" to Qt's "Description (*.a *.b);;Other (*.c)".
QString qtFileFilter(std::string_view filter);

class QtPrompter final : public Prompter {
 public:
  explicit QtPrompter(QWidget* parent) : parent_(parent) {}

  void setStatusSink(std::function<void(const QString&)> sink) { statusSink_ = std::move(sink); }
  void setProgressSink(std::function<void(std::int64_t, std::int64_t)> sink) {
    progressSink_ = std::move(sink);
  }

  // The defaults are the prompter's, for callers that hold a QtPrompter.
  void message(std::string_view text, MessageKind kind = MessageKind::Information,
               std::string_view caption = {}) override;
  Button ask(std::string_view text, Buttons buttons, MessageKind kind = MessageKind::Question,
             std::string_view caption = {}) override;
  std::optional<std::string> inputText(std::string_view caption, std::string_view prompt,
                                       std::string_view initial = {},
                                       InputMode mode = InputMode::Plain) override;
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
  QPointer<QWidget> parent_;
  std::function<void(const QString&)> statusSink_;
  std::function<void(std::int64_t, std::int64_t)> progressSink_;
};

}  // namespace orvel::ui
