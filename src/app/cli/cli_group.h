#pragma once
// A group of a profile opened through a TGroupView for one orvel-cli command
// (article, decode-group): the profile's group list from its newsrc, the
// view on the stored headers, the header download of a number range when the
// store lacks it, and closing that saves the store and the newsrc.

#include <functional>
#include <memory>
#include <ostream>
#include <string>

#include "app/cli/cli.h"
#include "app/cli/session.h"
#include "app/cli/terminal_prompter.h"
#include "articles/group_view.h"
#include "groups/group_list.h"
#include "net/connection_pool.h"
#include "net/qt/qt_clock.h"
#include "net/qt/qt_network.h"

namespace orvel::cli {

class CliGroup final : private XoverDialogHost {
 public:
  // name: the command's name for error texts.
  CliGroup(CliContext& context, std::string name, bool verbose);
  ~CliGroup() override;

  // Opens the group on its stored headers; false (said on the error
  // stream) when the profile or the group is unknown.
  bool Open(const std::string& alias, const std::string& group);
  // Downloads the headers of first..last, read ones included.
  void DownloadRange(std::int32_t first, std::int32_t last);
  // Runs the event loop until done() holds and no slot is busy or waiting.
  void Wait(const std::function<bool()>& done = {});
  void Close();

  TGroupView& View() { return *view_; }
  Prompter& prompter() { return prompter_; }
  Clock& clock() { return clock_; }
  const Settings& settings() const { return session_->main.settings; }
  TArticle* FindNumber(std::int32_t number) const;
  TArticle* FindMessageId(std::string_view id) const;
  // Errors the person was told about.
  bool Failed() const { return prompter_.failed; }

 private:
  bool ShowXoverForm(TfmXOVER& form) override;

  // The terminal; messages count as failures, the group list's questions
  // are answered No.
  class Terminal final : public NullPrompter {
   public:
    explicit Terminal(TerminalPrompter& terminal) : terminal_(terminal) {}
    void message(std::string_view text, MessageKind kind, std::string_view caption) override;
    Button ask(std::string_view, Buttons buttons, MessageKind, std::string_view) override;
    std::optional<std::string> inputText(std::string_view caption, std::string_view prompt,
                                         std::string_view initial, InputMode mode) override {
      return terminal_.inputText(caption, prompt, initial, mode);
    }
    void status(std::string_view text) override { terminal_.status(text); }
    bool failed = false;

   private:
    TerminalPrompter& terminal_;
  };

  CliContext& context_;
  std::string name_;
  std::unique_ptr<Session> session_;
  QtNetPlatform platform_;
  QtClock clock_;
  TerminalPrompter terminal_;
  Terminal prompter_;
  std::unique_ptr<ConnectionPool> pool_;
  GroupListHost listHost_;
  std::unique_ptr<TGroupList> list_;
  XoverDialogPrefs prefs_;
  bool yesToAll_ = false;
  std::unique_ptr<TGroupView> view_;
  std::int32_t rangeFirst_ = 0;
  std::int32_t rangeLast_ = -1;
};

}  // namespace orvel::cli
