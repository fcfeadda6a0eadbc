#include <ostream>

#include "app/cli/commands.h"
#include "app/cli/session.h"

namespace orvel::cli {

int cmdInfo(CliContext& context) {
  if (!context.args.empty()) {
    context.err << "usage: orvel-cli info\n";
    return 2;
  }
  const auto session = OpenSession(context);
  const AppState& app = session->app;
  context.out << "base     " << app.baseDir << '\n'
              << "data     " << app.dataDir << '\n'
              << "folders  " << app.foldersDir << '\n'
              << "temp     " << app.tempDir << '\n';
  const SettingsBags& b = app.bags;
  const std::pair<const char*, const TBag*> bags[] = {
      {"Display", &b.display},   {"Misc", &b.misc},         {"Metrics", &b.metrics},
      {"Group keys", &b.groupKeys}, {"Edit keys", &b.editKeys}, {"Main keys", &b.mainKeys},
      {"Article keys", &b.articleKeys}};
  for (const auto& [name, bag] : bags) {
    context.out << "bag " << name << ": " << bag->count() << " entr"
                << (bag->count() == 1 ? "y" : "ies") << " (" << bag->fileName() << " ["
                << bag->section() << "])\n";
  }
  return 0;
}

}  // namespace orvel::cli
