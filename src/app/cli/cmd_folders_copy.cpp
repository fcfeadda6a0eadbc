// orvel-cli folders copy ALIAS GROUP NUMBERS FOLDER [--move]: copies
// (or with --move transfers) articles of a group into a local folder, as the
// transfer menu of a group view does. The group opens on its stored headers;
// numbers it lacks are downloaded first, and every number must then be an
// article of the group. Each article's text comes from the body store or the
// server, and goes into the folder with its origin "server:group"; a queue
// folder also marks the articles read. FOLDER is a name of the folder list.

#include <algorithm>
#include <ostream>

#include "app/cli/cli_group.h"
#include "app/cli/commands.h"
#include "content/article_view.h"
#include "content/group_batch.h"
#include "content/group_content_options.h"
#include "content/mime_types.h"
#include "folders/folder_list.h"
#include "folders/folder_transfer.h"

namespace orvel::cli {

namespace {

constexpr const char* kUsage =
    "usage: orvel-cli folders copy ALIAS GROUP NUMBERS FOLDER [--move] [--retries N] [--verbose]\n"
    "  NUMBERS       article numbers and ranges separated by commas: 1-5,9\n"
    "  FOLDER        a folder of the list (orvel-cli folders list)\n"
    "  --move        transfer rather than copy\n";

struct CopyArguments {
  std::vector<std::string> words;
  bool move = false;
  CliGroupOptions options;
};

std::optional<std::string> parseArguments(const std::vector<std::string>& args, CopyArguments& out) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::optional<std::string> problem;
    if (TakeGroupOption(args, i, out.options, problem)) {
      if (problem) return problem;
    } else if (a == "--move") {
      out.move = true;
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option " + a;
    } else {
      out.words.push_back(a);
    }
  }
  if (out.words.size() != 4) return std::string("a profile alias, a group, the article numbers and a folder are needed");
  return std::nullopt;
}

}  // namespace

int cmdFoldersCopy(CliContext& context, const std::vector<std::string>& words,
                   const TFolderList& folders) {
  CopyArguments args;
  std::vector<std::int32_t> numbers;
  auto problem = parseArguments(words, args);
  if (!problem) problem = ParseNumberList(args.words[2], numbers);
  if (problem) {
    context.err << "orvel-cli folders copy: " << *problem << '\n' << kUsage << kGroupOptionsUsage;
    return 2;
  }
  const TFolderInfo* found = folders.Find(args.words[3]);
  if (!found) {
    context.err << "orvel-cli folders copy: no folder " << args.words[3] << '\n';
    return 1;
  }
  const TFolderInfo folder = *found;

  CliGroup group(context, "folders copy", args.options);
  if (!group.Open(args.words[0], args.words[1])) return 1;
  const auto [low, high] = std::minmax_element(numbers.begin(), numbers.end());
  if (!std::all_of(numbers.begin(), numbers.end(),
                   [&](std::int32_t n) { return group.FindNumber(n) != nullptr; })) {
    group.DownloadRange(*low, *high);
  }
  std::vector<TArticle*> articles;
  for (const std::int32_t n : numbers) {
    TArticle* a = group.FindNumber(n);
    if (!a) {
      if (!group.ExplainFailure()) {
        context.err << "orvel-cli folders copy: no article " << n << " in " << args.words[1]
                    << "; nothing copied\n";
      }
      group.Close(false);
      return 1;
    }
    articles.push_back(a);
  }

  // Nothing is shown: the viewer only completes what the session needs.
  const GroupContentOptions content =
      GroupContentOptions::FromSettings(group.settings(), group.View().Props());
  NoLauncher launcher;
  ArticleView viewer(content.viewer, ViewerServices{group.prompter(), launcher, {}});
  group.AttachContent(viewer);
  GroupSession& session = group.Reading();
  GroupBatch& batch = *session.Batch();
  if (session.TransferArticles(OpenTransferTarget(folder), !args.move, articles)) {
    group.Wait([&] { return !batch.Running(); });
  }
  const std::size_t missed = articles.size() - static_cast<std::size_t>(batch.DoneCount());
  bool failed = group.Failed();
  if (failed) {
    group.ExplainFailure();
  } else if (missed > 0) {
    context.err << "orvel-cli folders copy: " << missed << " of " << articles.size()
                << " articles not copied into " << folder.file << '\n';
    failed = true;
  }
  const bool saved = group.Close(!failed);
  return failed || !saved ? 1 : 0;
}

}  // namespace orvel::cli
