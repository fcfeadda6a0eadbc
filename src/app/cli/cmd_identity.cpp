// orvel-cli identity ALIAS [GROUP]: the identity a profile posts with, and
// with a group, the group's effective identity and properties.

#include <ostream>

#include "app/cli/commands.h"
#include "app/cli/session.h"
#include "config/group_props.h"
#include "core/text.h"

namespace orvel::cli {

namespace {

void printField(std::ostream& out, const char* name, const std::string& value) {
  out << format("  %-20s", name) << value << '\n';
}

void printProps(std::ostream& out, const GroupProps& p) {
  const std::pair<const char*, std::string> rows[] = {
      {"ColumnLayout", p.columnLayout},
      {"SortOrder", std::to_string(p.sortOrder)},
      {"SortOn", SortColumnName(p.sortOn)},
      {"MultiPartThreading", p.multiPartThreading ? "1" : "0"},
      {"ExpandAllThreads", p.expandAllThreads ? "1" : "0"},
      {"FullScreen", p.fullScreen ? "1" : "0"},
      {"VerticalSplit", p.verticalSplit ? "1" : "0"},
      {"AttachDir", p.attachDir},
      {"DecodeDir", p.decodeDir},
      {"Archive", p.archive},
      {"Queue", p.queue},
      {"OnOpen", p.onOpen},
      {"OnLoaded", p.onLoaded},
      {"AltServers", p.altServers},
      {"PostTo", p.postTo},
      {"OverrideTo", p.overrideTo},
      {"StorageOpt", std::to_string(p.storageOpt)},
      {"StorageExp", std::to_string(p.storageExp)},
      {"NewsAttrib", p.newsAttrib},
      {"MailAttrib", p.mailAttrib},
      {"ForwAttrib", p.forwAttrib},
      {"ID", p.id},
  };
  for (const auto& [name, value] : rows) printField(out, name, value);
  for (const auto& h : p.customHeaders) printField(out, "CustomHeader", h.line);
}

}  // namespace

int cmdIdentity(CliContext& context) {
  if (context.args.empty() || context.args.size() > 2) {
    context.err << "usage: orvel-cli identity ALIAS [GROUP]\n";
    return 2;
  }
  auto session = OpenSession(context);
  MainState& main = session->main;
  const int index = ProfileIndex(main.profiles, context.args[0]);
  if (index < 0) {
    context.err << "orvel-cli identity: no server profile \"" << context.args[0] << "\"\n";
    return 1;
  }
  const TProfile& profile = *main.profiles[static_cast<std::size_t>(index)];
  TID id = profile.identity;
  if (context.args.size() == 2) ResolveIdentity(main, profile, context.args[1], id);

  context.out << "identity " << id.name << '\n';
  for (const auto& f : kIdentityFields) printField(context.out, f.key, id.*f.field);
  if (context.args.size() == 2) {
    GroupProps props;
    ResolveGroupProps(main, context.args[1], props);
    context.out << "group " << context.args[1] << '\n';
    printProps(context.out, props);
  }
  return 0;
}

}  // namespace orvel::cli
