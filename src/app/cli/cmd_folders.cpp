// orvel-cli folders list | new NAME [--queue] | rename OLD NEW |
// delete NAME [--files | --keep-files] | copy ALIAS GROUP NUMBERS FOLDER |
// show FOLDER [N]:
// the folder list of "folders.ini", as
// the folders window shows and changes it. Every change rewrites the file at
// once. Deleting a folder whose file exists needs the answer to the window's
// second question as a flag.

#include <filesystem>
#include <ostream>

#include "app/cli/commands.h"
#include "app/cli/session.h"
#include "core/text.h"
#include "folders/folder_edits.h"
#include "folders/folder_list.h"

namespace orvel::cli {

namespace {

constexpr const char* kUsage =
    "usage: orvel-cli folders list\n"
    "       orvel-cli folders new NAME [--queue]\n"
    "       orvel-cli folders rename OLD NEW\n"
    "       orvel-cli folders delete NAME [--files | --keep-files]\n"
    "       orvel-cli folders copy ALIAS GROUP NUMBERS FOLDER [--move]\n"
    "       orvel-cli folders show FOLDER [N]\n";

const char* kindWord(std::uint8_t kind) {
  switch (kind) {
    case kStoreOutbox: return "outbox";
    case kStoreSent: return "sent";
    case kStoreQueue: return "queue";
    default: return "archive";
  }
}

struct FoldersCall {
  CliContext& context;
  TFolderList& list;
  const std::vector<std::string>& args;  // the words after the subcommand

  int fail(const std::string& why) const {
    context.err << "orvel-cli folders " << context.args[0] << ": " << trim(why) << '\n';
    return 1;
  }
  // Exit status of a change: a write failure fails; a file left in place
  // by a rename is said, the rename itself stands.
  int done(const FolderChange& change) const {
    if (!change.saved) return fail(change.error);
    if (!change.error.empty()) {
      context.err << "orvel-cli folders " << context.args[0] << ": " << change.error << '\n';
    }
    return 0;
  }
  // The folder named, if it may be changed.
  std::optional<std::size_t> changeable(const std::string& name) const {
    const auto index = list.IndexOf(name);
    if (!index) {
      fail("no folder named " + name);
      return std::nullopt;
    }
    if (const auto problem = FolderChangeProblem(list, *index, {})) {
      fail(*problem);
      return std::nullopt;
    }
    return index;
  }
};

int listFolders(const FoldersCall& call) {
  if (!call.args.empty()) return -1;
  for (const TFolderInfo& f : call.list) {
    call.context.out << f.name << '\t' << kindWord(f.kind) << '\t' << f.file << '\n';
  }
  return 0;
}

int newFolder(const FoldersCall& call) {
  const auto& a = call.args;
  const bool queue = a.size() == 2 && a[1] == "--queue";
  if (a.empty() || a.size() > 2 || (a.size() == 2 && !queue)) return -1;
  if (const auto problem = FolderNameProblem(call.list, a[0], NameUse::NewFolder)) {
    return call.fail(*problem);
  }
  return call.done(CreateFolder(call.list, a[0], queue));
}

int renameFolder(const FoldersCall& call) {
  if (call.args.size() != 2) return -1;
  const auto index = call.changeable(call.args[0]);
  if (!index) return 1;
  if (const auto problem = FolderNameProblem(call.list, call.args[1], NameUse::Rename, index)) {
    return call.fail(*problem);
  }
  return call.done(RenameFolder(call.list, *index, call.args[1]));
}

int deleteFolder(const FoldersCall& call) {
  const auto& a = call.args;
  if (a.empty() || a.size() > 2 || (a.size() == 2 && a[1] != "--files" && a[1] != "--keep-files")) {
    return -1;
  }
  const auto index = call.changeable(a[0]);
  if (!index) return 1;
  const bool files = a.size() == 2 && a[1] == "--files";
  std::error_code ec;
  if (a.size() == 1 && std::filesystem::exists(call.list[*index].file, ec)) {
    return call.fail("the folder's file " + call.list[*index].file +
                     " exists: give --files to delete it too, or --keep-files to keep it");
  }
  const FolderChange change = DeleteFolder(call.list, *index, files);
  // Files that could not be deleted are a failure even though the entry went.
  if (!change.error.empty()) return call.fail(change.error);
  return 0;
}

struct Subcommand {
  const char* name;
  int (*run)(const FoldersCall&);  // -1: bad usage
};

constexpr Subcommand kSubcommands[] = {
    {"list", listFolders},
    {"new", newFolder},
    {"rename", renameFolder},
    {"delete", deleteFolder},
    {"copy", [](const FoldersCall& call) { return cmdFoldersCopy(call.context, call.args, call.list); }},
    {"show", [](const FoldersCall& call) { return cmdFoldersShow(call.context, call.args, call.list); }},
};

}  // namespace

int cmdFolders(CliContext& context) {
  const auto& args = context.args;
  const Subcommand* sub = nullptr;
  for (const Subcommand& s : kSubcommands) {
    if (!args.empty() && args[0] == s.name) sub = &s;
  }
  if (!sub) {
    context.err << kUsage;
    return 2;
  }
  const auto session = OpenSession(context);
  TFolderList folders(session->app.baseDir + "folders.ini", session->app.foldersDir);
  for (const std::string& problem : folders.Load()) {
    context.err << "orvel-cli folders: " << problem << '\n';
  }
  const std::vector<std::string> rest(args.begin() + 1, args.end());
  const int status = sub->run({context, folders, rest});
  if (status < 0) {
    context.err << kUsage;
    return 2;
  }
  return status;
}

}  // namespace orvel::cli
