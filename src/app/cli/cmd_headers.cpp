// orvel-cli headers: a group view's header download without a window. The
// profile's group list is opened from its newsrc (the group is added when it
// is not there); the group view opens the group (its store first),
// downloads what is new in ranges and threads the list; the rows are printed
// as orvel-cli thread prints them; closing the view saves the store and
// hands the read state to the group list, which saves the newsrc. --from, --to, --limit and --action answer the download
// dialog; --refresh opens on the stored headers and runs the refresh
// command instead (with its questions at the terminal).

#include <QEventLoop>
#include <QTimer>

#include <memory>
#include <ostream>
#include <string>

#include "app/cli/commands.h"
#include "app/cli/session.h"
#include "app/cli/terminal_prompter.h"
#include "articles/group_view.h"
#include "articles/progress_texts.h"
#include "core/text.h"
#include "groups/group_list.h"
#include "net/connection_pool.h"
#include "net/qt/qt_clock.h"
#include "net/qt/qt_network.h"

namespace orvel::cli {

namespace {

constexpr const char* kUsage =
    "usage: orvel-cli headers ALIAS GROUP [--limit N] [--from N] [--to N] [--action 0..3]\n"
    "                         [--refresh] [--verbose]\n"
    "  ALIAS is a profile of servers.ini in the base directory.\n"
    "  --limit N     at most N new headers in this download\n"
    "  --from N      first article number; --to N last one\n"
    "  --action A    0 clean read marks from --from and load, 1 load all but read (default),\n"
    "                2 load read ones too, 3 only clean the read marks\n"
    "  --refresh     open on the stored headers, then run the refresh command\n"
    "  --verbose     show every status text on the error stream\n";

struct HeadersArguments {
  std::string alias;
  std::string group;
  std::optional<std::int32_t> limit, from, to;
  std::optional<XoverAction> action;
  bool refresh = false;
  bool verbose = false;

  bool choice() const { return limit || from || to || action; }
};

std::optional<std::string> parseArguments(const std::vector<std::string>& args,
                                          HeadersArguments& out) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--refresh") {
      out.refresh = true;
    } else if (a == "--verbose") {
      out.verbose = true;
    } else if (a == "--limit" || a == "--from" || a == "--to" || a == "--action") {
      if (i + 1 >= args.size()) return a + " needs a value";
      const auto n = parseDecimal(args[++i]);
      if (!n || *n < 0 || *n > INT32_MAX) return "bad number for " + a + ": " + args[i];
      const auto v = static_cast<std::int32_t>(*n);
      if (a == "--limit") out.limit = v;
      if (a == "--from") out.from = v;
      if (a == "--to") out.to = v;
      if (a == "--action") {
        if (v > 3) return "--action is 0, 1, 2 or 3";
        out.action = static_cast<XoverAction>(v);
      }
    } else if (!a.empty() && a[0] != '-' && out.alias.empty()) {
      out.alias = a;
    } else if (!a.empty() && a[0] != '-' && out.group.empty()) {
      out.group = a;
    } else {
      return "unknown argument " + a;
    }
  }
  if (out.group.empty()) return "a profile alias and a group are needed";
  return std::nullopt;
}

// The terminal, keeping the status texts: the last ones are the outcome.
class HeadersPrompter final : public NullPrompter {
 public:
  explicit HeadersPrompter(TerminalPrompter& terminal) : terminal_(terminal) {}
  void message(std::string_view text, MessageKind kind, std::string_view caption) override {
    terminal_.message(text, kind, caption);
  }
  Button ask(std::string_view text, Buttons buttons, MessageKind kind,
             std::string_view caption) override {
    return terminal_.ask(text, buttons, kind, caption);
  }
  std::optional<std::string> inputText(std::string_view caption, std::string_view prompt,
                                       std::string_view initial, InputMode mode) override {
    return terminal_.inputText(caption, prompt, initial, mode);
  }
  void status(std::string_view text) override {
    terminal_.status(text);
    if (text == kReadyText || text == kGroupUnchangedText) outcome_ = text;
  }
  const std::string& outcome() const { return outcome_; }

 private:
  TerminalPrompter& terminal_;
  std::string outcome_;
};

// The download dialog, answered from the command line.
class ArgumentsDialog final : public XoverDialogHost {
 public:
  explicit ArgumentsDialog(const HeadersArguments& args) : args_(args) {}
  bool ShowXoverForm(TfmXOVER& form) override {
    if (args_.action) form.SetAction(*args_.action);
    if (args_.to) form.SetEnd(*args_.to);
    if (args_.from) form.SetStart(*args_.from);
    if (args_.limit) {
      form.SetLimitChecked(*args_.limit > 0);
      if (*args_.limit > 0) form.SetLimitValue(*args_.limit);
    }
    return true;
  }

 private:
  const HeadersArguments& args_;
};

// Progress and failures of the view on the terminal.
class TerminalObserver final : public GroupViewObserver {
 public:
  TerminalObserver(std::ostream& err, bool verbose) : err_(err), verbose_(verbose) {}
  void progressText(std::string_view text) override {
    if (!text.empty() && text != last_ && (verbose_ || isCountdown(text))) err_ << text << '\n';
    last_.assign(text);
  }
  void downloadEnded() override { ++downloads_; }
  int downloads() const { return downloads_; }

 private:
  static bool isCountdown(std::string_view text) {
    return text.starts_with("Tentative dans ") || text == kResumingText ||
           text.find(kTryingText) != std::string_view::npos;
  }
  std::ostream& err_;
  bool verbose_;
  std::string last_;
  int downloads_ = 0;
};

// The group list's side of the terminal: it would offer to fetch the whole
// group list for an empty newsrc; headers never wants that.
class ListPrompter final : public NullPrompter {
 public:
  explicit ListPrompter(TerminalPrompter& terminal) : terminal_(terminal) {}
  void message(std::string_view text, MessageKind kind, std::string_view caption) override {
    terminal_.message(text, kind, caption);
  }
  Button ask(std::string_view, Buttons buttons, MessageKind, std::string_view) override {
    return hasButton(buttons, Button::No) ? Button::No : Button::Cancel;
  }
  void status(std::string_view text) override { terminal_.status(text); }

 private:
  TerminalPrompter& terminal_;
};

// Runs the event loop until the view holds no slot and waits for no
// resumption.
void waitForTheView(TGroupView& view) {
  QEventLoop loop;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (!view.Slots().AnyTaken() && !view.Slots().ResumptionRunning()) loop.quit();
  });
  poll.start(20);
  loop.exec();
}

void printRows(const TGroupView& view, std::ostream& out) {
  std::string text;
  for (const TNode* row : view.Rows()) {
    AppendRowText(text, *row);
    if (text.size() >= (1 << 20)) {
      out.write(text.data(), static_cast<std::streamsize>(text.size()));
      text.clear();
    }
  }
  out.write(text.data(), static_cast<std::streamsize>(text.size()));
}

}  // namespace

int cmdHeaders(CliContext& context) {
  HeadersArguments args;
  if (const auto problem = parseArguments(context.args, args)) {
    context.err << "orvel-cli headers: " << *problem << '\n' << kUsage;
    return 2;
  }
  const auto session = OpenSession(context);
  const int index = ProfileIndex(session->main.profiles, args.alias);
  if (index < 0) {
    context.err << "orvel-cli headers: no profile \"" << args.alias << "\" in "
                << session->app.baseDir << "servers.ini\n";
    return 1;
  }
  const auto profile = session->main.profiles[static_cast<std::size_t>(index)];
  const Settings& settings = session->main.settings;
  NNTPOptions nntp;
  nntp.maxConnPerServer = settings.maxConnPerServer;
  nntp.xferTimeOutSec = settings.xferTimeOutMs / 1000;

  QtNetPlatform platform;
  QtClock clock;
  TerminalPrompter terminal(context.err, Button::No);
  terminal.setVerbose(args.verbose);
  HeadersPrompter prompter(terminal);
  ConnectionPool pool(platform, clock, prompter, nntp);
  ListPrompter listPrompter(terminal);
  GroupListHost listHost;
  GroupListOptions listOptions = GroupListOptions::FromSettings(settings, session->app.baseDir);
  listOptions.autoGetMsgCounts = false;
  listOptions.updateCountInterval = 0;
  TGroupList list(profile, pool, clock, listPrompter, listHost, listOptions);
  if (!list.OpenServer()) return 1;
  if (!list.FindGroup(args.group)) list.AddGroupsByName(args.group);
  TGrpInfo* record = list.FindGroup(args.group);
  if (!record) {
    context.err << "orvel-cli headers: \"" << args.group << "\" cannot be a group name\n";
    return 2;
  }
  ArgumentsDialog dialog(args);
  XoverDialogPrefs prefs;
  bool yesToAll = false;
  TerminalObserver observer(context.err, args.verbose);

  GroupViewServices services{pool,  clock,   prompter, session->main, session->app.baseDir,
                             &list, &dialog, &prefs,   &yesToAll};
  TGroupView view(services, profile, *record, GroupViewOptions::FromSettings(settings));
  view.SetObserver(&observer);
  if (args.refresh) {
    view.Open(OpenMode::StoredOnly);
    if (args.limit) view.Download().SetLimits(*args.limit, -1);
    view.Refresh(args.from || args.to || args.action ? RefreshKind::Extended : RefreshKind::Normal);
  } else {
    if (args.choice()) view.Download().SetMode(DownloadMode::DialogAsked);
    view.Open(OpenMode::Download);
  }
  waitForTheView(view);

  printRows(view, context.out);
  context.out.flush();
  const ThreadStats& stats = view.Stats();
  context.err << view.MasterList().size() << " articles (" << view.View().added << " new), "
              << stats.multiPart << " multi-part series (" << stats.completeMultiPart
              << " complete)\n";
  view.Close();
  list.Close();
  if (!args.verbose && !prompter.outcome().empty()) context.err << prompter.outcome() << '\n';
  return observer.downloads() > 0 ? 0 : 1;
}

}  // namespace orvel::cli
