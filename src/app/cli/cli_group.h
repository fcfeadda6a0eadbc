#pragma once
// A group of a profile opened through a GroupSession for one orvel-cli
// command (headers, article, decode-group, mark, next): the profile's group
// list from its newsrc (a group it lacks is added), the session (downloading,
// or on the stored headers), the header download of a number range when the
// store lacks it, and closing that saves the store and the newsrc. Waiting
// runs the event loop until the session says its connections are idle.
//
// What the command meets goes to the error stream: warnings and errors, the
// resumption countdown, and each connection failure with its code. The
// slots retry at most --retries times, AutoResumeDelay seconds apart; a
// question nobody can answer fails the command; a group the command added
// goes again when the command failed before the server accepted it.

#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "app/cli/cli.h"
#include "app/cli/session.h"
#include "app/cli/terminal_prompter.h"
#include "articles/group_view.h"
#include "content/group_session.h"
#include "scoring/scoring_state.h"
#include "groups/group_list.h"
#include "net/connection_pool.h"
#include "net/qt/qt_clock.h"
#include "net/qt/qt_network.h"

class QEventLoop;

namespace orvel {
class ArticleView;
class FileMimeTypes;
}  // namespace orvel

namespace orvel::cli {

struct CliGroupOptions {
  bool verbose = false;          // --verbose: every status and progress text
  int retries = 2;               // --retries N
};

// Reads --retries N or --verbose at args[i] (i moves past a value). False
// when args[i] is neither; problem tells what is wrong with a value.
bool TakeGroupOption(const std::vector<std::string>& args, std::size_t& i,
                     CliGroupOptions& options, std::optional<std::string>& problem);

inline constexpr const char* kGroupOptionsUsage =
    "  --retries N   after a failed connection, try again at most N times (default 2),\n"
    "                AutoResumeDelay seconds apart (at once after a time-out)\n"
    "  --verbose     show every status text on the error stream\n";

class CliGroup final : private XoverDialogHost, private GroupSessionListener {
 public:
  // name: the command's name for error texts.
  CliGroup(CliContext& context, std::string name, CliGroupOptions options);
  ~CliGroup() override;

  // Makes the group's view, not opened yet; dialog answers the download
  // dialog (none: the range of DownloadRange). False (said on the error
  // stream) when the profile is unknown or the group's name cannot be one.
  bool Prepare(const std::string& alias, const std::string& group,
               XoverDialogHost* dialog = nullptr);
  // Prepares the view and opens it on the stored headers.
  bool Open(const std::string& alias, const std::string& group);
  // Downloads the headers of first..last, read ones included.
  void DownloadRange(std::int32_t first, std::int32_t last);
  // Runs the event loop until done() holds and no slot is busy or waiting.
  // done is asked again each time the connections fall idle.
  void Wait(const std::function<bool()>& done = {});
  // Closes the view and the list, which save the store and the newsrc.
  // succeeded: whether the command did what was asked; a group it added
  // is dropped again when it failed and the server never accepted it.
  // False when closing showed an error (a file not saved).
  bool Close(bool succeeded);
  // Prints why the command failed when what it met says more than the
  // command knows: a question nobody could answer, or a connection failure
  // that was not retried. True when it printed that line.
  bool ExplainFailure();

  GroupSession& Reading() { return *reading_; }
  // The score file and plonk list of the base directory, as the group's
  // overview is scored with them.
  ScoringState& Scoring() { return *scoring_; }
  TGroupView& View() { return reading_->View(); }
  // Gives the session a reader and a batch over viewer, with the batch's
  // files going to decodeDir (empty: the group's own).
  void AttachContent(ArticleView& viewer, const std::string& decodeDir = {});
  Prompter& prompter() { return prompter_; }
  Clock& clock() { return clock_; }
  const Settings& settings() const { return session_->main.settings; }
  TArticle* FindNumber(std::int32_t number) const;
  TArticle* FindMessageId(std::string_view id) const;
  // A warning or error was shown, a question went unanswered, or the last
  // connection failure was not retried.
  bool Failed() const;
  // Header downloads that ended (ran their ranges, found nothing new, or
  // stopped as the dialog's choice asked).
  int Downloads() const { return downloads_; }
  // The last of "Pret!" and "Groupe inchangé." shown, or empty.
  const std::string& Outcome() const { return prompter_.outcome; }
  // "wire: N bytes, M after decompression": what the command's connections
  // to the group's server received.
  std::string ReceivedText() const;

 private:
  bool ShowXoverForm(TfmXOVER& form) override;
  // GroupSessionListener
  void progressText(std::string_view text) override;
  void stopEnabled(bool enabled) override;
  void downloadEnded() override { ++downloads_; }
  void connectionFailed(int code, std::string_view text) override;

  // The view's and the list's prompter: the terminal, with warnings and
  // errors named after the command and counted as failures.
  class Terminal final : public NullPrompter {
   public:
    explicit Terminal(CliGroup& owner) : owner_(owner) {}
    void message(std::string_view text, MessageKind kind, std::string_view caption) override;
    Button ask(std::string_view text, Buttons buttons, MessageKind kind,
               std::string_view caption) override {
      return owner_.terminal_.ask(text, buttons, kind, caption);
    }
    std::optional<std::string> inputText(std::string_view caption, std::string_view prompt,
                                         std::string_view initial, InputMode mode) override {
      return owner_.terminal_.inputText(caption, prompt, initial, mode);
    }
    void status(std::string_view text) override;
    bool failed = false;
    std::string outcome;

   private:
    CliGroup& owner_;
  };

  struct Failure {
    int code;
    std::string text;
  };

  CliContext& context_;
  std::string name_;
  CliGroupOptions options_;
  std::unique_ptr<Session> session_;
  QtNetPlatform platform_;
  QtClock clock_;
  TerminalPrompter terminal_;
  Terminal prompter_{*this};
  std::shared_ptr<TProfile> profile_;  // the group's server
  std::unique_ptr<ConnectionPool> pool_;
  GroupListHost listHost_;
  std::unique_ptr<TGroupList> list_;
  XoverDialogPrefs prefs_;
  bool yesToAll_ = false;
  std::unique_ptr<ScoringState> scoring_;
  std::unique_ptr<GroupSession> reading_;
  std::unique_ptr<FileMimeTypes> mimeTypes_;
  // The wait in progress: its loop, and what ends it.
  QEventLoop* waitLoop_ = nullptr;
  std::function<bool()> waitDone_;
  bool added_ = false;  // the command added its group to the list
  std::int32_t rangeFirst_ = 0;
  std::int32_t rangeLast_ = -1;
  std::string lastProgress_;
  // The last connection failure, until a retry of it began.
  std::optional<Failure> failure_;
  int downloads_ = 0;
};

}  // namespace orvel::cli
