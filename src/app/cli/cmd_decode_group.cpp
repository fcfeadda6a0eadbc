// orvel-cli decode-group ALIAS GROUP FIRST-LAST [--out DIR]: decodes the
// posts among a range of a group's articles without a window. The headers of
// the range are downloaded when the store lacks them; the articles are
// queued thread by thread, the parts of a multi-part post in part order, and
// a decode batch fetches each from the body store or the server. Each file
// produced is printed as decode prints it.

#include <sys/stat.h>

#include <algorithm>
#include <map>
#include <ostream>

#include "app/cli/cli_group.h"
#include "app/cli/commands.h"
#include "content/article_view.h"
#include "content/group_batch.h"
#include "content/group_content_options.h"
#include "content/mime_types.h"
#include "core/text.h"

namespace orvel::cli {

namespace {

constexpr const char* kUsage =
    "usage: orvel-cli decode-group ALIAS GROUP FIRST-LAST [--out DIR] [--no-par2] [--retries N] [--verbose]\n";

// The records of first..last, each thread's articles together (threads in
// the order of their first number), parts in part order.
std::vector<TArticle*> QueueOrder(const std::vector<TArticle*>& master, std::int32_t first,
                                  std::int32_t last) {
  std::vector<TArticle*> chosen;
  for (TArticle* a : master) {
    if (a->Number >= first && a->Number <= last) chosen.push_back(a);
  }
  std::map<const void*, std::int32_t> firstOfThread;
  auto threadOf = [](const TArticle* a) -> const void* {
    return a->Thread ? static_cast<const void*>(a->Thread) : static_cast<const void*>(a);
  };
  for (const TArticle* a : chosen) {
    auto [it, added] = firstOfThread.emplace(threadOf(a), a->Number);
    if (!added) it->second = std::min(it->second, a->Number);
  }
  std::sort(chosen.begin(), chosen.end(), [&](const TArticle* a, const TArticle* b) {
    const std::int32_t ta = firstOfThread[threadOf(a)], tb = firstOfThread[threadOf(b)];
    if (ta != tb) return ta < tb;
    if (a->PartNumber != b->PartNumber) return a->PartNumber < b->PartNumber;
    return a->Number < b->Number;
  });
  return chosen;
}

bool parseRange(std::string_view text, std::int32_t& first, std::int32_t& last) {
  const std::size_t dash = text.find('-');
  if (dash == std::string_view::npos) return false;
  const auto a = parseDecimal(text.substr(0, dash));
  const auto b = parseDecimal(text.substr(dash + 1));
  if (!a || !b || *a <= 0 || *b < *a || *b > INT32_MAX) return false;
  first = static_cast<std::int32_t>(*a);
  last = static_cast<std::int32_t>(*b);
  return true;
}

}  // namespace

int cmdDecodeGroup(CliContext& context) {
  std::vector<std::string> words;
  std::string outDir = ".";
  bool par2 = true;
  CliGroupOptions options;
  for (std::size_t i = 0; i < context.args.size(); ++i) {
    const std::string& a = context.args[i];
    std::optional<std::string> problem;
    if (TakeGroupOption(context.args, i, options, problem)) {
      if (!problem) continue;
      context.err << "orvel-cli decode-group: " << *problem << '\n' << kUsage;
      return 2;
    }
    if (a == "--out" && i + 1 < context.args.size()) {
      outDir = context.args[++i];
    } else if (a == "--no-par2") {
      par2 = false;
    } else if (a.size() > 1 && a[0] == '-') {
      context.err << "orvel-cli decode-group: unknown option " << a << '\n' << kUsage;
      return 2;
    } else {
      words.push_back(a);
    }
  }
  std::int32_t first = 0, last = 0;
  if (words.size() != 3 || !parseRange(words[2], first, last)) {
    context.err << kUsage;
    return 2;
  }
  struct stat st;
  if (::stat(outDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    context.err << "orvel-cli decode-group: no such directory " << outDir << '\n';
    return 1;
  }

  CliGroup group(context, "decode-group", options);
  if (!group.Open(words[0], words[1])) return 1;
  TGroupView& view = group.View();
  bool stored = true;
  for (std::int32_t n = first; n <= last && stored; ++n) {
    stored = group.FindNumber(n) || view.View().excludedSet.test(n - view.View().lowMark);
  }
  if (!stored) group.DownloadRange(first, last);
  const std::vector<TArticle*> queue = QueueOrder(view.MasterList(), first, last);
  if (queue.empty()) {
    if (!group.ExplainFailure() && !group.Failed()) {
      context.err << "orvel-cli decode-group: no article in " << words[2] << '\n';
    }
    return 1;
  }

  // Nothing is shown: the viewer only completes what the session needs.
  const GroupContentOptions content = GroupContentOptions::FromSettings(group.settings(), view.Props());
  NoLauncher launcher;
  ArticleView viewer(content.viewer, ViewerServices{group.prompter(), launcher, {}});
  group.AttachContent(viewer, outDir);
  GroupBatch& batch = *group.Reading().Batch();
  DecodedFiles shortfall;
  batch.SetFileListener([&](const BatchFileReport& report) {
    context.out << BatchReportLine(report) << '\n';
    shortfall.add(report);
  });
  if (batch.Start(BatchOperation::Decode, queue)) {
    group.Wait([&] { return !batch.Running(); });
  }
  batch.SetFileListener(nullptr);
  const bool left = !batch.Queue().empty();
  if (left) context.err << "orvel-cli decode-group: " << batch.Queue().size() << " articles left\n";
  const bool setsWhole = !par2 || RepairWithPar2(shortfall, batch.Resume(), context, "decode-group");
  if (shortfall.any()) context.err << "orvel-cli decode-group: " << shortfall.text() << '\n';
  const bool failed = shortfall.any() || left || !setsWhole || group.Failed();
  if (failed) group.ExplainFailure();
  const bool saved = group.Close(!failed);
  return failed || !saved ? 1 : 0;
}

}  // namespace orvel::cli
