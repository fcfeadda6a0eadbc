// orvel-cli nzb export ALIAS GROUP SUBJECT-PATTERN: the binary posts of a
// group's stored headers (multi-part threads, and posts in one part such as
// PAR2 files) whose first part's subject matches a caseless regex (as the
// quick filter takes it), written as one NZB document on standard output.

#include <ostream>

#include "app/cli/cli_group.h"
#include "app/cli/commands.h"
#include "content/nzb.h"
#include "content/nzb_thread.h"
#include "core/perlre.h"

namespace orvel::cli {

namespace {

constexpr const char* kUsage =
    "usage: orvel-cli nzb export ALIAS GROUP SUBJECT-PATTERN [--verbose]\n"
    "       orvel-cli nzb get ALIAS FILE [--out DIR] [--no-par2] [--retries N] [--verbose]\n";

// The matching binary posts' files, in the order of the view's rows.
NzbDocument matchingFiles(const TGroupView& view, const std::string& group, TPerlre& pattern) {
  std::vector<const TArticle*> firsts;
  for (const TNode* root : view.Roots()) {
    const TAThread* thread = root->AsThread();
    const TArticle* first = thread ? (thread->Articles.empty() ? nullptr : thread->Articles.front()) : root->AsArticle();
    if (first) firsts.push_back(first);
  }
  NzbDocument document = NzbOfArticles(firsts, group);
  std::erase_if(document.files, [&](const NzbFile& f) { return !pattern.Match(f.subject); });
  return document;
}

int exportGroup(CliContext& context, const std::vector<std::string>& words,
                const CliGroupOptions& options) {
  const std::string& groupName = words[1];
  TPerlre pattern(true, TPerlre::kCaseless);
  try {
    pattern.Compile(words[2]);
  } catch (const EPerlRe& e) {
    context.err << "orvel-cli nzb export: " << e.what() << '\n';
    return 2;
  }
  CliGroup group(context, "nzb export", options);
  if (!group.Open(words[0], groupName)) return 1;
  const TGroupView& view = group.View();
  std::string problem;
  NzbDocument document;
  if (view.MasterList().empty()) {
    problem = "no stored headers of " + groupName + " (orvel-cli headers downloads them)";
  } else if (!view.Props().multiPartThreading) {
    problem = "multi-part threading is off in " + groupName;
  } else {
    document = matchingFiles(view, groupName, pattern);
    if (document.files.empty()) {
      problem = "no multi-part thread of " + groupName + " matches " + words[2];
    }
  }
  if (!problem.empty()) {
    context.err << "orvel-cli nzb export: " << problem << '\n';
    group.Close(false);
    return 1;
  }
  context.out << WriteNzb(document);
  std::size_t segments = 0;
  for (const NzbFile& f : document.files) segments += f.segments.size();
  context.err << document.files.size() << " files, " << segments << " segments\n";
  return group.Close(true) ? 0 : 1;
}

}  // namespace

int cmdNzb(CliContext& context) {
  if (!context.args.empty() && context.args[0] == "get") return cmdNzbGet(context);
  std::vector<std::string> words;
  CliGroupOptions options;
  for (const std::string& a : context.args) {
    if (a == "--verbose") {
      options.verbose = true;
    } else {
      words.push_back(a);
    }
  }
  if (words.size() != 4 || words[0] != "export") {
    context.err << kUsage;
    return 2;
  }
  return exportGroup(context, {words.begin() + 1, words.end()}, options);
}

}  // namespace orvel::cli
