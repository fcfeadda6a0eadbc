// orvel-cli mark ALIAS GROUP (--read|--unread|--keep|--unkeep|--delete|--undelete)
// (NUMBERS|--all): the group view's marking commands without a window. The
// group opens on its stored headers; numbers it lacks are downloaded first
// (for --all without stored headers, the whole group, read articles too).
// Every number must then be an article of the group, or nothing is marked.
// The marks go through the group session as the list's marking does
// (cross-posted articles are marked in their other groups too); closing
// saves the store and the newsrc.

#include <algorithm>
#include <ostream>
#include <string>
#include <vector>

#include "app/cli/cli_group.h"
#include "app/cli/commands.h"
#include "articles/marking.h"
#include "core/text.h"

namespace orvel::cli {

namespace {

constexpr const char* kUsage =
    "usage: orvel-cli mark ALIAS GROUP (--read|--unread|--keep|--unkeep|--delete|--undelete)\n"
    "                      (NUMBERS|--all) [--retries N] [--verbose]\n"
    "  NUMBERS       article numbers and ranges separated by commas: 3,7-9\n"
    "  --all         every article of the group\n";

struct MarkArguments {
  std::vector<std::string> words;
  std::optional<MarkOp> op;
  bool all = false;
  CliGroupOptions options;
};

std::optional<MarkOp> markFlag(std::string_view flag) {
  if (flag == "--read") return MarkOp::Read;
  if (flag == "--unread") return MarkOp::Unread;
  if (flag == "--keep") return MarkOp::Keep;
  if (flag == "--unkeep") return MarkOp::Unkeep;
  if (flag == "--delete") return MarkOp::Delete;
  if (flag == "--undelete") return MarkOp::Undelete;
  return std::nullopt;
}

std::optional<std::string> parseArguments(const std::vector<std::string>& args, MarkArguments& out) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::optional<std::string> problem;
    if (TakeGroupOption(args, i, out.options, problem)) {
      if (problem) return problem;
    } else if (const auto op = markFlag(a)) {
      if (out.op && *out.op != *op) return "give one of --read, --unread, --keep, --unkeep, --delete, --undelete";
      out.op = op;
    } else if (a == "--all") {
      out.all = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option " + a;
    } else {
      out.words.push_back(a);
    }
  }
  if (!out.op) return "one of --read, --unread, --keep, --unkeep, --delete, --undelete is needed";
  const std::size_t wanted = out.all ? 2 : 3;
  if (out.words.size() != wanted) {
    return out.all ? "a profile alias and a group are needed with --all"
                   : "a profile alias, a group and the article numbers are needed";
  }
  return std::nullopt;
}

std::optional<MarkOp> markAllOp(MarkOp op) {
  switch (op) {
    case MarkOp::Read:
    case MarkOp::Unread:
    case MarkOp::Delete:
    case MarkOp::Undelete: return op;
    default: return std::nullopt;
  }
}

}  // namespace

std::optional<std::string> ParseNumberList(std::string_view text, std::vector<std::int32_t>& out) {
  out.clear();
  for (const std::string& piece : splitChar(text, ',')) {
    const std::string p(trim(piece));
    const std::size_t dash = p.find('-', 1);
    const auto a = parseDecimal(p.substr(0, dash));
    const auto b = dash == std::string_view::npos ? a : parseDecimal(p.substr(dash + 1));
    if (!a || !b || *a <= 0 || *b <= 0 || *a > INT32_MAX || *b > INT32_MAX) {
      return "not an article number or range: \"" + p + "\"";
    }
    if (*b < *a) return "reversed range: " + p;
    if (*b - *a >= 10'000'000) return "range too large: " + p;
    for (std::int64_t n = *a; n <= *b; ++n) out.push_back(static_cast<std::int32_t>(n));
  }
  if (out.empty()) return std::string("no article numbers given");
  std::vector<std::int32_t> sorted = out;
  std::sort(sorted.begin(), sorted.end());
  const auto twice = std::adjacent_find(sorted.begin(), sorted.end());
  if (twice != sorted.end()) return "article " + std::to_string(*twice) + " is given twice";
  return std::nullopt;
}

int cmdMark(CliContext& context) {
  MarkArguments args;
  std::vector<std::int32_t> numbers;
  auto problem = parseArguments(context.args, args);
  if (!problem && !args.all) problem = ParseNumberList(args.words[2], numbers);
  if (problem) {
    context.err << "orvel-cli mark: " << *problem << '\n' << kUsage << kGroupOptionsUsage;
    return 2;
  }
  CliGroup group(context, "mark", args.options);
  if (!group.Open(args.words[0], args.words[1])) return 1;
  GroupSession& session = group.Reading();
  TGroupView& view = session.View();

  std::vector<TNode*> records;
  if (args.all && view.MasterList().empty()) group.DownloadRange(1, INT32_MAX);
  if (!args.all) {
    const auto [low, high] = std::minmax_element(numbers.begin(), numbers.end());
    const bool stored = std::all_of(numbers.begin(), numbers.end(),
                                    [&](std::int32_t n) { return group.FindNumber(n) != nullptr; });
    if (!stored) group.DownloadRange(*low, *high);
    for (const std::int32_t n : numbers) {
      TArticle* a = group.FindNumber(n);
      if (!a) {
        if (!group.ExplainFailure()) {
          context.err << "orvel-cli mark: no article " << n << " in " << args.words[1]
                      << "; nothing marked\n";
        }
        group.Close(false);
        return 1;
      }
      records.push_back(a);
    }
  }
  if (args.all && markAllOp(*args.op)) {
    MarkAll(view, *args.op);
  } else if (args.all) {
    records.assign(view.MasterList().begin(), view.MasterList().end());
    MarkRows(view, *args.op, records);
  } else {
    MarkRows(view, *args.op, records);
  }
  const bool failed = group.Failed();
  if (failed) group.ExplainFailure();
  const bool saved = group.Close(!failed);
  return failed || !saved ? 1 : 0;
}

}  // namespace orvel::cli
