// orvel-cli headers: a group view's header download without a window. The
// profile's group list is opened from its newsrc (the group is added when it
// is not there); the group view opens the group (its store first),
// downloads what is new in ranges and threads the list; the rows are printed
// as orvel-cli thread prints them; closing the view saves the store and
// hands the read state to the group list, which saves the newsrc. --from,
// --to, --limit and --action answer the download dialog; --refresh opens on
// the stored headers and runs the refresh command instead. --xpat then runs
// a server search on the group and prints the rows of its hits, fetched in
// the search mode and given the search score.

#include <ostream>
#include <string>

#include "app/cli/cli_group.h"
#include "app/cli/commands.h"
#include "articles/server_search.h"
#include "core/text.h"
#include "scoring/xpat_query.h"

namespace orvel::cli {

namespace {

constexpr const char* kUsage =
    "usage: orvel-cli headers ALIAS GROUP [--limit N] [--from N] [--to N] [--action 0..3]\n"
    "                         [--refresh] [--xpat \"HEADER RANGE PATTERN\"] [--retries N]\n"
    "                         [--xpat-score N] [--verbose]\n"
    "  ALIAS is a profile of servers.ini in the base directory.\n"
    "  --limit N     at most N new headers in this download\n"
    "  --from N      first article number; --to N last one\n"
    "  --action A    0 clean read marks from --from and load, 1 load all but read (default),\n"
    "                2 load read ones too, 3 only clean the read marks\n"
    "  --refresh     open on the stored headers, then run the refresh command\n"
    "  --xpat TEXT   then search the server (XPAT, patterns as typed) and print the hits,\n"
    "                fetched and scored 10000\n"
    "  --xpat-score N  the hits' score instead of 10000 (-20000 to 20000)\n";

struct HeadersArguments {
  std::string alias;
  std::string group;
  std::optional<std::int32_t> limit, from, to;
  std::optional<XoverAction> action;
  bool refresh = false;
  std::optional<XpatForm> xpat;
  std::optional<std::int32_t> xpatScore;
  CliGroupOptions options;

  bool choice() const { return limit || from || to || action; }
};

// "HEADER RANGE PATTERN": the patterns are sent as typed.
std::optional<XpatForm> parseXpat(std::string_view text) {
  const auto word = [&text]() {
    const std::size_t start = text.find_first_not_of(' ');
    text.remove_prefix(start == std::string_view::npos ? text.size() : start);
    const std::size_t end = std::min(text.find(' '), text.size());
    const std::string_view w = text.substr(0, end);
    text.remove_prefix(end);
    return std::string(w);
  };
  XpatForm form;
  form.header = XpatHeader::Other;
  form.caseSensitive = true;
  form.otherName = word();
  form.range = word();
  const std::size_t start = text.find_first_not_of(' ');
  if (start != std::string_view::npos) form.pattern = text.substr(start);
  if (CheckXpatForm(form) != XpatCheck::Ok) return std::nullopt;
  return form;
}

std::optional<std::string> parseArguments(const std::vector<std::string>& args,
                                          HeadersArguments& out) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::optional<std::string> problem;
    if (TakeGroupOption(args, i, out.options, problem)) {
      if (problem) return problem;
    } else if (a == "--refresh") {
      out.refresh = true;
    } else if (a == "--xpat") {
      if (i + 1 >= args.size()) return a + " needs a value";
      auto form = parseXpat(args[++i]);
      if (!form) return "--xpat needs \"HEADER RANGE PATTERN\" (range 7, 1- or 1-20): " + args[i];
      out.xpat = std::move(form);
    } else if (a == "--xpat-score") {
      if (i + 1 >= args.size()) return a + " needs a value";
      const auto n = parseDecimal(args[++i]);
      if (!n || *n < kXpatScoreMin || *n > kXpatScoreMax) {
        return "--xpat-score is a number from -20000 to 20000: " + args[i];
      }
      out.xpatScore = static_cast<std::int32_t>(*n);
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
  if (out.xpatScore) {
    if (!out.xpat) return "--xpat-score goes with --xpat";
    out.xpat->score = *out.xpatScore;
  }
  return std::nullopt;
}

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

// The server search after the download; false (said) when it failed.
bool runXpat(CliContext& context, CliGroup& group, const XpatForm& form) {
  TGroupView& view = group.View();
  ServerSearch search(view, group.prompter());
  XpatSearch xpat(view, search);
  XpatMemory memory;
  if (!xpat.Run(form, memory)) {
    context.err << "orvel-cli headers: the server search could not start\n";
    return false;
  }
  group.Wait([&] { return !search.Running(); });
  if (search.Failed()) {
    context.err << "orvel-cli headers: the server search failed\n";
    return false;
  }
  std::string text;
  for (const std::int32_t number : search.Found()) {
    if (const TArticle* a = group.FindNumber(number)) AppendRowText(text, *a);
  }
  context.out << text;
  context.err << search.Found().size() << " articles found by XPAT " << XpatCommandText(form)
              << '\n';
  return true;
}

}  // namespace

int cmdHeaders(CliContext& context) {
  HeadersArguments args;
  if (const auto problem = parseArguments(context.args, args)) {
    context.err << "orvel-cli headers: " << *problem << '\n' << kUsage << kGroupOptionsUsage;
    return 2;
  }
  ArgumentsDialog dialog(args);
  CliGroup group(context, "headers", args.options);
  if (!group.Prepare(args.alias, args.group, &dialog)) return 1;
  TGroupView& view = group.View();
  if (args.refresh) {
    view.Open(OpenMode::StoredOnly);
    if (args.limit) view.Download().SetLimits(*args.limit, -1);
    view.Refresh(args.choice() ? RefreshKind::Extended : RefreshKind::Normal);
  } else {
    if (args.choice()) view.Download().SetMode(DownloadMode::DialogAsked);
    view.Open(OpenMode::Download);
  }
  group.Wait();

  if (args.xpat) {
    const bool searched = group.Downloads() > 0 && runXpat(context, group, *args.xpat);
    if (!searched && group.Downloads() == 0) {
      context.err << "orvel-cli headers: no download took place\n";
    }
    const bool saved = group.Close(searched);
    return searched && saved ? 0 : 1;
  }
  WriteRows(context.out, view.Rows());
  context.out.flush();
  const ThreadStats& stats = view.Stats();
  context.err << view.MasterList().size() << " articles (" << view.View().added << " new), "
              << stats.multiPart << " multi-part series (" << stats.completeMultiPart
              << " complete)\n";
  const bool done = group.Downloads() > 0;
  if (!done && !group.ExplainFailure() && !group.Failed()) {
    context.err << "orvel-cli headers: no download took place\n";
  }
  const bool saved = group.Close(done);
  if (!args.options.verbose && !group.Outcome().empty()) context.err << group.Outcome() << '\n';
  if (args.options.verbose) context.err << group.ReceivedText() << '\n';
  return done && saved ? 0 : 1;
}

}  // namespace orvel::cli
