// orvel-cli next ALIAS GROUP --action ACTION --from NUMBER: where a reading
// command of the group view goes from an article, on the group's stored
// headers threaded as the window threads them (the whole group is
// downloaded first, read articles too, when the store lacks the article).
// Prints the number of the article reached (for acaScanScore, of the row's
// first article), or nothing when the command reaches none; nothing is
// opened or marked.

#include <ostream>
#include <string>
#include <vector>

#include "app/cli/cli_group.h"
#include "app/cli/commands.h"
#include "articles/navigation.h"
#include "core/text.h"

namespace orvel::cli {

namespace {

constexpr const char* kUsage =
    "usage: orvel-cli next ALIAS GROUP --action ACTION --from NUMBER [--verbose]\n"
    "  ACTION        acaNextUnread, acaPrevUnread, acaNext, acaPrev, acaNextThread,\n"
    "                acaPrevThread, acaSkipDown, acaSkipDownOut, acaNextNew, acaNextScore,\n"
    "                acaNextHiScore, acaScanScore or acaNextQueue\n";

struct NextArguments {
  std::vector<std::string> words;
  std::optional<NavAction> action;
  std::int32_t from = 0;
  CliGroupOptions options;
};

std::optional<std::string> parseArguments(const std::vector<std::string>& args, NextArguments& out) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::optional<std::string> problem;
    if (TakeGroupOption(args, i, out.options, problem)) {
      if (problem) return problem;
    } else if (a == "--action" || a == "--from") {
      if (i + 1 >= args.size()) return a + " needs a value";
      const std::string& value = args[++i];
      if (a == "--action") {
        out.action = NavActionByName(value);
        if (!out.action) return "not a reading command: " + value;
      } else {
        const auto n = parseDecimal(value);
        if (!n || *n <= 0 || *n > INT32_MAX) return "not an article number: " + value;
        out.from = static_cast<std::int32_t>(*n);
      }
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option " + a;
    } else {
      out.words.push_back(a);
    }
  }
  if (out.words.size() != 2) return "a profile alias and a group are needed";
  if (!out.action) return "--action is needed";
  if (out.from == 0) return "--from is needed";
  return std::nullopt;
}

std::int32_t numberOf(const TNode& node) {
  if (const TArticle* a = node.AsArticle()) return a->Number;
  const TAThread* t = node.AsThread();
  return t->Articles.empty() ? 0 : t->Articles.front()->Number;
}

}  // namespace

int cmdNext(CliContext& context) {
  NextArguments args;
  if (const auto problem = parseArguments(context.args, args)) {
    context.err << "orvel-cli next: " << *problem << '\n' << kUsage;
    return 2;
  }
  CliGroup group(context, "next", args.options);
  if (!group.Open(args.words[0], args.words[1])) return 1;
  TArticle* from = group.FindNumber(args.from);
  if (!from) {
    group.DownloadRange(1, INT32_MAX);
    from = group.FindNumber(args.from);
  }
  if (!from) {
    if (!group.ExplainFailure()) {
      context.err << "orvel-cli next: no article " << args.from << " in " << args.words[1] << '\n';
    }
    group.Close(false);
    return 1;
  }
  GroupSession& session = group.Reading();
  const NavResult reached = session.Reach(*args.action, from);
  if (reached.found()) {
    context.out << numberOf(reached.article ? *reached.article : *reached.row) << '\n';
  }
  context.out.flush();
  const bool saved = group.Close(true);
  return saved ? 0 : 1;
}

}  // namespace orvel::cli
