// orvel-cli score check [FILE] | score explain ALIAS GROUP NUMBER.
//
// check loads a score file (by default the ScoreFile setting) as the program
// does at start-up: an error is printed exactly as the status bar shows it;
// expired rules are reported or removed from the file as ExpiredScoreOpt
// says, and a section that removal empties is deleted only with --yes (kept
// with --no). Then the parsed rules are printed as the dump file holds them.
//
// explain opens a group on its stored headers (downloading the article's
// header when the store lacks it) and says why the article has its score:
// the plonk list or the cross-post kill when it decides, else every rule
// that matched with its file lines and what it added or assigned, then the
// total.

#include <filesystem>
#include <ostream>

#include "app/cli/cli_group.h"
#include "app/cli/commands.h"
#include "app/cli/session.h"
#include "articles/article_date.h"
#include "core/atomic_file.h"
#include "core/null_prompter.h"
#include "core/text.h"
#include "content/group_session.h"
#include "scoring/score_dump.h"
#include "scoring/score_file.h"
#include "scoring/score_file_watch.h"

namespace orvel::cli {

namespace {

constexpr const char* kUsage =
    "usage: orvel-cli score check [FILE] [--yes | --no]\n"
    "       orvel-cli score explain ALIAS GROUP NUMBER [--retries N] [--verbose]\n"
    "  --yes, --no   delete (or keep) a section whose last rules expired\n";

// Answers the emptied-section question as the command line said.
class FlagPrompter final : public NullPrompter {
 public:
  explicit FlagPrompter(Button answer) : answer_(answer) {}
  Button ask(std::string_view, Buttons, MessageKind, std::string_view) override { return answer_; }

 private:
  Button answer_;
};

ScoreLoadOptions loadOptions(const Session& session) {
  ScoreLoadOptions options;
  options.expiredScoreOpt = session.main.settings.expiredScoreOpt;
  options.dates = session.app.dateFormats;
  options.today = TmOf(LocalNow());
  return options;
}

// Loads the score file; false (said on the error stream) after an error.
bool loadScores(CliContext& context, const Session& session, const std::string& path,
                Button emptiedAnswer, ScoreSectionList& sections) {
  const ScoreLoadOptions options = loadOptions(session);
  if (options.expiredScoreOpt == 0 && emptiedAnswer == Button::Cancel) {
    std::string text;
    if (ReadWholeFile(path, text)) {
      const ScoreParse parse = ParseScoreText(text, options);
      if (!parse.emptied.empty()) {
        context.err << "orvel-cli score: expired rules empty the section ["
                    << parse.sections[parse.emptied.front().section]->pattern
                    << "]: give --yes to delete it or --no to keep it\n";
        return false;
      }
    }
  }
  FlagPrompter prompter(emptiedAnswer);
  const ScoreLoadResult result = LoadScoreFile(sections, path, options, prompter);
  if (!result.ok) {
    context.err << result.error << '\n';
    return false;
  }
  if (!result.expiredReport.empty()) context.err << result.expiredReport << '\n';
  if (!result.writeError.empty()) {
    context.err << "orvel-cli score: " << result.writeError << '\n';
    return false;
  }
  if (result.rewritten) {
    context.err << "expired rules removed (previous file kept as "
                << std::filesystem::path(ScoreBackupPath(path)).filename().string() << ")\n";
  }
  return true;
}

int check(CliContext& context, const std::vector<std::string>& args) {
  std::string file;
  Button answer = Button::Cancel;
  for (const std::string& a : args) {
    if (a == "--yes" || a == "--no") {
      answer = a == "--yes" ? Button::Yes : Button::No;
    } else if (a.size() > 1 && a[0] == '-') {
      context.err << "orvel-cli score: unknown option " << a << '\n' << kUsage;
      return 2;
    } else if (file.empty()) {
      file = a;
    } else {
      context.err << "orvel-cli score: one score file at most\n" << kUsage;
      return 2;
    }
  }
  const auto session = OpenSession(context);
  const std::string path =
      file.empty() ? ScoreFilePath(session->main.settings.scoreFile, session->app.dataDir) : file;
  ScoreSectionList sections;
  if (!loadScores(context, *session, path, answer, sections)) return 1;
  context.out << DumpScores(sections);
  return 0;
}

int explain(CliContext& context, const std::vector<std::string>& args) {
  std::vector<std::string> words;
  CliGroupOptions options;
  for (std::size_t i = 0; i < args.size(); ++i) {
    std::optional<std::string> problem;
    if (TakeGroupOption(args, i, options, problem)) {
      if (!problem) continue;
      context.err << "orvel-cli score: " << *problem << '\n' << kUsage;
      return 2;
    }
    if (args[i].size() > 1 && args[i][0] == '-') {
      context.err << "orvel-cli score: unknown option " << args[i] << '\n' << kUsage;
      return 2;
    }
    words.push_back(args[i]);
  }
  const auto number = words.size() == 3 ? parseDecimal(words[2]) : std::nullopt;
  if (!number || *number <= 0 || *number > INT32_MAX) {
    context.err << "orvel-cli score: explain needs a profile alias, a group and an article number\n"
                << kUsage;
    return 2;
  }
  const auto n = static_cast<std::int32_t>(*number);

  {
    // A score file with an error says so here, with its line, and explains nothing.
    ScoreSectionList all;
    const auto session = OpenSession(context);
    const std::string path =
        ScoreFilePath(session->main.settings.scoreFile, session->app.dataDir);
    if (!loadScores(context, *session, path, Button::Cancel, all)) return 1;
  }
  CliGroup group(context, "score", options);
  if (!group.Open(words[0], words[1])) return 1;
  TArticle* article = group.FindNumber(n);
  if (!article) {
    group.DownloadRange(n, n);
    article = group.FindNumber(n);
  }
  if (!article) {
    if (!group.ExplainFailure() && !group.Failed()) {
      context.err << "orvel-cli score: no article " << n << " in " << words[1] << '\n';
    }
    group.Close(false);
    return 1;
  }
  // The group's session scores with the score file and the plonk list.
  context.out << FormatExplanation(*group.Reading().ExplainScore(*article));
  context.out.flush();
  return group.Close(true) ? 0 : 1;
}

}  // namespace

int cmdScore(CliContext& context) {
  const std::vector<std::string>& args = context.args;
  const std::vector<std::string> rest(args.begin() + (args.empty() ? 0 : 1), args.end());
  if (!args.empty() && args[0] == "check") return check(context, rest);
  if (!args.empty() && args[0] == "explain") return explain(context, rest);
  context.err << kUsage;
  return 2;
}

}  // namespace orvel::cli
