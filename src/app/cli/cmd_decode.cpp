// orvel-cli decode [--out DIR] FILE...: runs a decode batch over article
// files (or bare encoded bodies) in the given order and prints what came of
// each file; a file left incomplete or with a CRC error makes it fail.

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
    case BatchFileReport::Kind::CrcError: return "crc error";
    case BatchFileReport::Kind::Saved: return "saved";
  }
  return "";
}

std::string BatchReportLine(const BatchFileReport& report) {
  std::string line = std::string(BatchReportWord(report.kind)) + ": " + report.path;
  if (report.missingParts.empty()) return line;
  line += " (missing parts ";
  for (std::size_t i = 0; i < report.missingParts.size(); ++i) {
    if (i > 0) line += ", ";
    line += std::to_string(report.missingParts[i]);
  }
  return line + ")";
}

int cmdDecode(CliContext& context) {
  std::string outDir = ".";
  bool par2 = true;
  std::vector<std::string> files;
  for (std::size_t i = 0; i < context.args.size(); ++i) {
    const std::string& arg = context.args[i];
    if (arg == "--out" && i + 1 < context.args.size()) {
      outDir = context.args[++i];
    } else if (arg == "--no-par2") {
      par2 = false;
    } else if (arg.size() > 1 && arg[0] == '-' && arg != "-") {
      context.err << "orvel-cli decode: unknown option " << arg << "\n";
      return 2;
    } else {
      files.push_back(arg);
    }
  }
  if (files.empty()) {
    context.err << "usage: orvel-cli decode [--out DIR] [--no-par2] FILE...\n";
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
  DecodedFiles shortfall;
  batch.setReportListener([&](const BatchFileReport& report) {
    context.out << BatchReportLine(report) << "\n";
    shortfall.add(report);
  });
  host.queueAll(batch);
  batch.Start(BatchOperation::Decode);
  batch.Close();
  for (const std::string& path : host.unreadable()) {
    context.err << "orvel-cli decode: cannot read " << path << "\n";
  }
  if (!prompter.lastStatus.empty()) context.out << prompter.lastStatus << "\n";
  const bool setsWhole = !par2 || RepairWithPar2(shortfall, resume, context, "decode");
  if (shortfall.any()) context.err << "orvel-cli decode: " << shortfall.text() << "\n";
  const bool failed = prompter.failed || !host.unreadable().empty();
  return failed || shortfall.any() || !setsWhole ? 1 : 0;
}

}  // namespace orvel::cli
