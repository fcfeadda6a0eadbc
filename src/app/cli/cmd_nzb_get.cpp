// orvel-cli nzb get ALIAS FILE [--out DIR]: the files an NZB lists, each
// fetched segment by segment by Message-ID from the profile's server (the
// group's alternative servers when it lacks one) through a decode batch of
// the NZB's first newsgroup, then the post's PAR2 sets checked and repaired.
// A file none of whose segments any server had is reported; one that lacks
// some is left incomplete as decode leaves it.

#include <sys/stat.h>

#include <ostream>

#include "app/cli/cli_group.h"
#include "app/cli/commands.h"
#include "articles/article_arena.h"
#include "content/article_view.h"
#include "content/group_batch.h"
#include "content/group_content_options.h"
#include "content/nzb.h"
#include "content/nzb_import.h"

namespace orvel::cli {

namespace {

constexpr const char* kGetUsage =
    "usage: orvel-cli nzb get ALIAS FILE [--out DIR] [--no-par2] [--retries N] [--verbose]\n";

// The first newsgroup the document names: the batch runs in its view.
std::string firstGroup(const NzbDocument& document) {
  for (const NzbFile& f : document.files) {
    if (!f.groups.empty()) return f.groups.front();
  }
  return {};
}

struct GetArgs {
  std::string alias;
  std::string file;
  std::string outDir = ".";
  bool par2 = true;
  CliGroupOptions options;
};

// 0: read; 2 (said): a usage error.
int readArgs(CliContext& context, GetArgs& args) {
  std::vector<std::string> words;
  for (std::size_t i = 1; i < context.args.size(); ++i) {
    const std::string& a = context.args[i];
    std::optional<std::string> problem;
    if (TakeGroupOption(context.args, i, args.options, problem)) {
      if (!problem) continue;
      context.err << "orvel-cli nzb get: " << *problem << '\n' << kGetUsage;
      return 2;
    }
    if (a == "--out" && i + 1 < context.args.size()) {
      args.outDir = context.args[++i];
    } else if (a == "--no-par2") {
      args.par2 = false;
    } else if (a.size() > 1 && a[0] == '-') {
      context.err << "orvel-cli nzb get: unknown option " << a << '\n' << kGetUsage;
      return 2;
    } else {
      words.push_back(a);
    }
  }
  if (words.size() != 2) {
    context.err << kGetUsage;
    return 2;
  }
  args.alias = words[0];
  args.file = words[1];
  return 0;
}

// The document, or an error said with the file's name.
std::optional<NzbDocument> readDocument(CliContext& context, const std::string& path) {
  std::string text;
  if (!ReadInput(path, text)) {
    context.err << "orvel-cli nzb get: cannot read " << path << '\n';
    return std::nullopt;
  }
  NzbParse parse = ParseNzb(text);
  if (!parse.ok()) {
    context.err << "orvel-cli nzb get: " << path << ": " << parse.error << '\n';
    return std::nullopt;
  }
  if (parse.document.files.empty()) {
    context.err << "orvel-cli nzb get: " << path << " lists no file\n";
    return std::nullopt;
  }
  if (firstGroup(parse.document).empty()) {
    context.err << "orvel-cli nzb get: " << path << " names no newsgroup\n";
    return std::nullopt;
  }
  return std::move(parse.document);
}

}  // namespace

int cmdNzbGet(CliContext& context) {
  GetArgs args;
  if (const int usage = readArgs(context, args)) return usage;
  struct stat st;
  if (::stat(args.outDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) {
    context.err << "orvel-cli nzb get: no such directory " << args.outDir << '\n';
    return 1;
  }
  const std::optional<NzbDocument> document = readDocument(context, args.file);
  if (!document) return 1;
  if (const int duplicates = document->DuplicateSegments(); duplicates > 0) {
    context.err << "orvel-cli nzb get: " << duplicates << " segments listed twice, fetched once\n";
  }

  CliGroup group(context, "nzb get", args.options);
  if (!group.Open(args.alias, firstGroup(*document))) return 1;
  const GroupContentOptions content = GroupContentOptions::FromSettings(group.settings(), group.View().Props());
  NoLauncher launcher;
  ArticleView viewer(content.viewer, ViewerServices{group.prompter(), launcher, {}});
  group.AttachContent(viewer, args.outDir);
  GroupBatch& batch = *group.Reading().Batch();
  DecodedFiles files;
  batch.SetFileListener([&](const BatchFileReport& report) {
    context.out << BatchReportLine(report) << '\n';
    files.add(report);
  });

  // A file no server has does not stop the others; a batch that stops does.
  ArticleArena arena;
  bool failed = false;
  bool stopped = false;
  const std::size_t count = document->files.size();
  for (std::size_t k = 0; k < count && !stopped; ++k) {
    const NzbFile& file = document->files[k];
    context.err << "orvel-cli nzb get: file " << k + 1 << " of " << count << ": " << file.subject
                << " (" << file.segments.size() << " segments)\n";
    const std::vector<TArticle*> records = NzbSegmentRecords(file, arena);
    if (records.empty()) {
      context.out << "failed: " << file.subject << " (no segment listed)\n";
      failed = true;
      continue;
    }
    if (!batch.Start(BatchOperation::Decode, records)) {
      context.err << "orvel-cli nzb get: the decode batch did not start\n";
      stopped = true;
      break;
    }
    group.Wait([&] { return !batch.Running(); });
    if (const std::size_t left = batch.Queue().size(); left > 0) {
      context.err << "orvel-cli nzb get: " << left << " segments left\n";
      stopped = true;
    }
    const auto missing = std::count_if(records.begin(), records.end(),
                                       [](const TArticle* a) { return a->Has(NodeFlag::Missing); });
    if (missing == static_cast<std::ptrdiff_t>(records.size())) {
      context.out << "failed: " << file.subject << " (no server has any of its segments)\n";
      failed = true;
    }
  }
  failed = failed || stopped;
  batch.SetFileListener(nullptr);
  const bool setsWhole = !args.par2 || RepairWithPar2(files, batch.Resume(), context, "nzb get");
  if (files.any()) context.err << "orvel-cli nzb get: " << files.text() << '\n';
  failed = failed || files.any() || !setsWhole || group.Failed();
  if (failed) group.ExplainFailure();
  const bool saved = group.Close(!failed);
  return failed || !saved ? 1 : 0;
}

}  // namespace orvel::cli
