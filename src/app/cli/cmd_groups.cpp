// orvel-cli groups ALIAS: a server's group list window without the window.
// Opens the profile's newsrc and ".Orvelrc" as the window does (with its
// automatic list or counts), runs the asked requests and commands in a fixed
// order (list, new groups, subscribe, unsubscribe, counts, catch-up), prints
// the shown rows in the window's column texts and saves as closing the
// window does.

#include <QEventLoop>

#include <algorithm>
#include <iterator>
#include <ostream>
#include <string>
#include <vector>

#include "app/cli/commands.h"
#include "app/cli/session.h"
#include "app/cli/terminal_prompter.h"
#include "core/text.h"
#include "groups/group_columns.h"
#include "groups/group_list.h"
#include "net/connection_pool.h"
#include "net/qt/qt_clock.h"
#include "net/qt/qt_network.h"

namespace orvel::cli {

namespace {

constexpr const char* kUsage =
    "usage: orvel-cli groups ALIAS [--list] [--new] [--subscribe NAMES] [--unsubscribe NAMES]\n"
    "                        [--counts] [--catchup NAMES] [--all] [--yes | --no] [--verbose]\n"
    "  --list          fetch the full group list\n"
    "  --new           fetch the groups created since the last list\n"
    "  --subscribe, --unsubscribe, --catchup NAMES   groups separated by \",\"\n"
    "  --counts        fetch the article counts of the subscribed groups\n"
    "  --all           print all groups rather than the tab the window shows\n"
    "  --yes, --no     the answer to the full-list question a server without groups asks\n"
    "  --verbose       print every status text\n"
    "Rows: name, state, unread, total, read, first, last, to fetch (TAB-separated);\n"
    "a category row is its name and [count], its groups follow indented.\n";

struct GroupsArguments {
  std::string alias;
  bool list = false;
  bool newGroups = false;
  bool counts = false;
  bool all = false;
  std::optional<Button> answer;  // --yes, --no
  bool verbose = false;
  std::string subscribe;
  std::string unsubscribe;
  std::string catchup;
};

std::optional<std::string> parseArguments(const std::vector<std::string>& args,
                                          GroupsArguments& out) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    if (a == "--list") {
      out.list = true;
    } else if (a == "--new") {
      out.newGroups = true;
    } else if (a == "--counts") {
      out.counts = true;
    } else if (a == "--all") {
      out.all = true;
    } else if (a == "--yes" || a == "--no") {
      if (out.answer) return std::string("give --yes or --no once");
      out.answer = a == "--yes" ? Button::Yes : Button::No;
    } else if (a == "--verbose") {
      out.verbose = true;
    } else if (a == "--subscribe" || a == "--unsubscribe" || a == "--catchup") {
      if (i + 1 >= args.size()) return a + " needs group names";
      std::string& names = a == "--subscribe" ? out.subscribe
                           : a == "--unsubscribe" ? out.unsubscribe
                                                  : out.catchup;
      if (!names.empty()) names += ',';
      names += args[++i];
    } else if (!a.empty() && a[0] != '-' && out.alias.empty()) {
      out.alias = a;
    } else {
      return "unknown option " + a;
    }
  }
  if (out.alias.empty()) return "a profile alias is needed";
  return std::nullopt;
}

// The terminal, keeping the last status text (a list's outcome) and whether
// an error was shown.
class GroupsPrompter final : public NullPrompter {
 public:
  explicit GroupsPrompter(TerminalPrompter& terminal) : terminal_(terminal) {}

  void message(std::string_view text, MessageKind kind, std::string_view caption) override {
    failed = failed || kind == MessageKind::Error;
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
    if (!text.empty()) lastStatus = text;
    terminal_.status(text);
  }

  std::string lastStatus;
  bool failed = false;  // an error message was shown (a file not saved, ...)

 private:
  TerminalPrompter& terminal_;
};

// Ends the event loop when a request ends.
struct LoopObserver final : GroupListObserver {
  explicit LoopObserver(QEventLoop& loop) : loop_(loop) {}
  void requestEnded(const RequestOutcome&) override {
    ++ended;
    loop_.quit();
  }
  QEventLoop& loop_;
  int ended = 0;
};

const char* stateWord(SubscriptionState state) {
  switch (state) {
    case SubscriptionState::Subscribed: return "subscribed";
    case SubscriptionState::Unsubscribed: return "unsubscribed";
    case SubscriptionState::New: return "new";
  }
  return "";
}

void printGroup(std::ostream& out, const TGrpInfo& g, const char* indent) {
  out << indent << GroupColumnText(g, GroupColumn::Name) << '\t' << stateWord(g.state);
  for (GroupColumn c : {GroupColumn::Unread, GroupColumn::Total, GroupColumn::Read,
                        GroupColumn::First, GroupColumn::Last, GroupColumn::ToFetch}) {
    out << '\t' << GroupColumnText(g, c);
  }
  out << '\n';
}

void printRows(std::ostream& out, const std::vector<ShownRow>& rows) {
  for (const ShownRow& row : rows) {
    if (row.group) {
      printGroup(out, *row.group, "");
      continue;
    }
    out << CategoryRowText(*row.category) << '\n';
    for (const TGrpInfo* g : row.children) printGroup(out, *g, "  ");
  }
}

// The records of comma-separated names; unknown names are reported.
std::vector<TGrpInfo*> groupsNamed(TGroupList& list, const std::string& names, std::ostream& err,
                                   bool& ok) {
  std::vector<TGrpInfo*> groups;
  for (const std::string& piece : splitChar(names, ',')) {
    const std::string name = trim(piece);
    if (name.empty()) continue;
    if (TGrpInfo* g = list.FindGroup(name)) {
      groups.push_back(g);
    } else {
      err << "orvel-cli groups: no group \"" << name << "\"\n";
      ok = false;
    }
  }
  return groups;
}

}  // namespace

int cmdGroups(CliContext& context) {
  GroupsArguments arguments;
  if (const auto problem = parseArguments(context.args, arguments)) {
    context.err << "orvel-cli groups: " << *problem << '\n' << kUsage;
    return 2;
  }
  const auto session = OpenSession(context);
  const int index = ProfileIndex(session->main.profiles, arguments.alias);
  if (index < 0) {
    context.err << "orvel-cli groups: no profile \"" << arguments.alias << "\" in "
                << session->app.baseDir << "servers.ini\n";
    return 1;
  }
  const auto& settings = session->main.settings;
  NNTPOptions nntp;
  nntp.maxConnPerServer = settings.maxConnPerServer;
  nntp.xferTimeOutSec = settings.xferTimeOutMs / 1000;
  GroupListOptions options = GroupListOptions::FromSettings(settings, session->app.baseDir);
  options.updateCountInterval = 0;  // a one-shot command needs no timer
  // --list fetches the list below: opening an empty server must not ask
  // for it first.
  options.listWhenEmpty = !arguments.list;

  QtNetPlatform platform;
  QtClock clock;
  TerminalPrompter terminal(context.err, TerminalInput(), arguments.answer);
  terminal.setVerbose(arguments.verbose);
  GroupsPrompter prompter(terminal);
  ConnectionPool pool(platform, clock, prompter, nntp);
  GroupListHost host;
  TGroupList list(session->main.profiles[static_cast<std::size_t>(index)], pool, clock, prompter,
                  host, options);
  QEventLoop loop;
  LoopObserver observer(loop);
  list.setObserver(&observer);

  bool ok = true;
  // Waits for the request a step started, if any, then reports how it went.
  auto finish = [&](int endedBefore) {
    if (list.busy()) loop.exec();
    if (observer.ended == endedBefore) return;
    const RequestOutcome& outcome = list.lastOutcome();
    const bool isList = outcome.request != GroupRequest::Counts;
    if (!outcome.completed) {
      context.err << "orvel-cli groups: " << outcome.errorText;
      if (outcome.errorCode != 0) context.err << " (" << outcome.errorCode << ')';
      context.err << '\n';
      ok = false;
    } else if (isList) {
      context.err << prompter.lastStatus << '\n';
      if (list.lastListSkipped() > 0) {
        context.err << list.lastListSkipped() << " unreadable list lines skipped\n";
      }
    }
  };

  // A question nobody could answer is the line saying why the command failed.
  auto unanswered = [&] {
    if (terminal.unanswered().empty()) return false;
    context.err << "orvel-cli groups: "
                << terminal.UnansweredReason("--yes, --no or --list",
                                             "orvel-cli servers add ... --password")
                << '\n';
    return true;
  };

  int ended = observer.ended;
  if (!list.OpenServer()) return 1;
  finish(ended);
  if (unanswered()) {
    // Nothing else is done then.
    list.Close();
    return 1;
  }
  if (arguments.list) {
    ended = observer.ended;
    list.ListGroups(true, true);
    finish(ended);
  }
  if (arguments.newGroups) {
    ended = observer.ended;
    list.ListGroups(false);
    finish(ended);
  }
  if (!arguments.subscribe.empty()) list.AddGroupsByName(arguments.subscribe);
  if (!arguments.unsubscribe.empty()) {
    list.Subscribe(groupsNamed(list, arguments.unsubscribe, context.err, ok), -1);
  }
  if (arguments.counts) {
    ended = observer.ended;
    list.GetAllCounts();
    finish(ended);
  }
  if (!arguments.catchup.empty()) {
    const std::vector<TGrpInfo*> groups = groupsNamed(list, arguments.catchup, context.err, ok);
    // Catching up needs the group's last number: one GROUP each when this
    // run has none yet.
    std::vector<TGrpInfo*> uncounted;
    std::copy_if(groups.begin(), groups.end(), std::back_inserter(uncounted),
                 [](const TGrpInfo* g) { return g->last < 0; });
    if (!uncounted.empty()) {
      ended = observer.ended;
      list.GetCounts(uncounted);
      finish(ended);
    }
    for (TGrpInfo* g : groups) {
      if (g->last < 0) {
        context.err << "orvel-cli groups: " << g->name
                    << " not caught up: the server gave no article numbers for it\n";
        ok = false;
      }
    }
    list.CatchUp(groups);
  }
  if (arguments.all) list.ShowTab(GroupTab::All);
  printRows(context.out, list.shown());
  list.Close();
  if (ok && !prompter.failed) return 0;
  unanswered();
  return 1;
}

}  // namespace orvel::cli
