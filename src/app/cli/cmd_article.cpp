// orvel-cli article ALIAS GROUP NUMBER|<message-id>: shows an article of a
// group as the group view's viewer does. The group opens on its stored
// headers; a number they do not hold has its header downloaded first. The
// article comes from the body store when it is there, else from the server
// (by number, or by Message-ID for a reference), is marked read, and goes
// into the store when the group keeps bodies; closing saves the store and
// the newsrc. The lines are printed as show prints them.

#include <ostream>

#include "app/cli/cli_group.h"
#include "app/cli/commands.h"
#include "content/group_content_options.h"
#include "content/group_reader.h"
#include "content/mime_types.h"
#include "core/text.h"

namespace orvel::cli {

namespace {

constexpr const char* kUsage =
    "usage: orvel-cli article ALIAS GROUP NUMBER|<message-id> [--all-headers] [--raw] [--rot13]\n"
    "                         [--hide-quoted] [--retries N] [--verbose]\n";

struct ArticleArguments {
  std::vector<std::string> words;
  ViewToggles toggles;
  bool allHeaders = false;
  CliGroupOptions options;
};

std::optional<std::string> parseArguments(const std::vector<std::string>& args,
                                          ArticleArguments& out) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& a = args[i];
    std::optional<std::string> problem;
    if (TakeGroupOption(args, i, out.options, problem)) {
      if (problem) return problem;
    } else if (a == "--all-headers") {
      out.allHeaders = true;
    } else if (a == "--raw") {
      out.toggles.raw = true;
    } else if (a == "--rot13") {
      out.toggles.rot13 = true;
    } else if (a == "--hide-quoted") {
      out.toggles.quoted = false;
    } else if (a.size() > 1 && a[0] == '-') {
      return "unknown option " + a;
    } else {
      out.words.push_back(a);
    }
  }
  if (out.words.size() != 3) return "a profile alias, a group and an article are needed";
  return std::nullopt;
}

}  // namespace

int cmdArticle(CliContext& context) {
  ArticleArguments args;
  if (const auto problem = parseArguments(context.args, args)) {
    context.err << "orvel-cli article: " << *problem << '\n' << kUsage << kGroupOptionsUsage;
    return 2;
  }
  const std::string& wanted = args.words[2];
  const bool byId = wanted.find('@') != std::string::npos;
  std::optional<std::int64_t> number;
  if (!byId) number = parseDecimal(wanted);
  if (!byId && (!number || *number <= 0 || *number > INT32_MAX)) {
    context.err << "orvel-cli article: not an article number or a Message-ID: " << wanted << '\n';
    return 2;
  }
  std::string id = wanted;
  if (byId && id.front() != '<') id = "<" + id + ">";

  CliGroup group(context, "article", args.options);
  if (!group.Open(args.words[0], args.words[1])) return 1;
  TGroupView& view = group.View();
  TArticle* record = byId ? group.FindMessageId(id) : group.FindNumber(static_cast<std::int32_t>(*number));
  if (!record && !byId) {
    const auto n = static_cast<std::int32_t>(*number);
    group.DownloadRange(n, n);
    record = group.FindNumber(n);
    if (!record) {
      if (!group.ExplainFailure() && !group.Failed()) {
        context.err << "orvel-cli article: no article " << n << " in " << args.words[1] << '\n';
      }
      return 1;
    }
  }

  const GroupContentOptions options = GroupContentOptions::FromSettings(group.settings(), view.Props());
  NoLauncher launcher;
  const auto mimeTypes = SystemMimeTypes();
  ArticleView viewer(options.viewer,
                     ViewerServices{group.prompter(), launcher, {mimeTypes.get(), nullptr}});
  viewer.toggles() = options.toggles;
  viewer.toggles().raw = args.toggles.raw;
  viewer.toggles().rot13 = args.toggles.rot13;
  viewer.toggles().quoted = args.toggles.quoted;
  viewer.toggles().showAllHeaders = options.toggles.showAllHeaders || args.allHeaders;
  viewer.setAttachmentDirectory(options.attachmentDir);
  group.AttachContent(viewer);
  GroupReader& reader = *group.Reading().Reader();
  const bool started = record ? reader.ShowArticle(record) : reader.ShowByMessageId(id);
  if (started) group.Wait([&] { return !reader.Busy(); });
  const bool shown = started && viewer.articleEnded() && !viewer.lines().empty();
  if (shown) PrintViewerLines(viewer, context.out);
  context.out.flush();
  if (!shown && !group.ExplainFailure()) {
    context.err << "orvel-cli article: " << wanted << " could not be fetched\n";
  }
  const bool saved = group.Close(shown);
  return shown && saved ? 0 : 1;
}

}  // namespace orvel::cli
