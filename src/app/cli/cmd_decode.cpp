// orvel-cli decode [--out DIR] FILE...: runs a decode batch over article
// files in the given order and prints each file it produced.

#include <sys/stat.h>

#include <ostream>

#include "app/cli/commands.h"
#include "content/article_files.h"
#include "content/batch.h"
#include "content/file_names.h"
#include "content/mime_types.h"
#include "content/resume_record.h"
#include "core/null_prompter.h"

namespace orvel::cli {

namespace {

// Messages go to the error stream; nothing is asked.
class ConsolePrompter : public NullPrompter {
 public:
  explicit ConsolePrompter(std::ostream& err) : err_(err) {}
  void message(std::string_view text, MessageKind, std::string_view) override {
    err_ << "orvel-cli decode: " << text << "\n";
    failed = true;
  }
  void status(std::string_view text) override { lastStatus.assign(text); }

  std::string lastStatus;
  bool failed = false;

 private:
  std::ostream& err_;
};

bool isDirectory(const std::string& path) {
  struct stat st;
  return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

}  // namespace

const char* BatchReportWord(BatchFileReport::Kind kind) {
  switch (kind) {
    case BatchFileReport::Kind::Finished: return "decoded";
    case BatchFileReport::Kind::Incomplete: return "incomplete";
    case BatchFileReport::Kind::BrokenOff: return "to resume";
    case BatchFileReport::Kind::CrcMarker: return "crc error";
    case BatchFileReport::Kind::Saved: return "saved";
  }
  return "";
}

int cmdDecode(CliContext& context) {
  std::string outDir = ".";
  std::vector<std::string> files;
  for (std::size_t i = 0; i < context.args.size(); ++i) {
    const std::string& arg = context.args[i];
    if (arg == "--out" && i + 1 < context.args.size()) {
      outDir = context.args[++i];
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
      context.err << "orvel-cli decode: unknown option " << arg << "\n";
      return 2;
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) {
    context.err << "usage: orvel-cli decode [--out DIR] FILE...\n";
    return 2;
  }
  if (!isDirectory(outDir)) {
    context.err << "orvel-cli decode: no such directory " << outDir << "\n";
    return 1;
  }

  ConsolePrompter prompter(context.err);
  ArticleFileHost host(files);
  const auto mimeTypes = SystemMimeTypes();
  FileResumeStore resume(WithTrailingSlash(outDir) + ".orvel-resume.ini");
  BatchSettings settings;
  settings.decodeDir = outDir;
  TBatch batch(host, prompter, settings, MimeEnvironment{mimeTypes.get(), nullptr}, nullptr,
               &resume);
  bool incomplete = false;
  batch.setReportListener([&](const BatchFileReport& report) {
    context.out << BatchReportWord(report.kind) << ": " << report.path << "\n";
    incomplete |= report.kind != BatchFileReport::Kind::Finished;
  });
  host.queueAll(batch);
  batch.Start(BatchOperation::Decode);
  batch.Close();
  for (const std::string& path : host.unreadable()) {
    context.err << "orvel-cli decode: cannot read " << path << "\n";
  }
  if (!prompter.lastStatus.empty()) context.out << prompter.lastStatus << "\n";
  const bool failed = prompter.failed || !host.unreadable().empty();
  return failed || incomplete ? 1 : 0;
}

}  // namespace orvel::cli
