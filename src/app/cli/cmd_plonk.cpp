// orvel-cli plonk list | add NAME ADDRESS [--days N] | remove NAME ADDRESS:
// the plonk list ("plonker.ini" in the data folder), as the plonk window
// shows and edits it. Listing leaves the file alone; a change rewrites it
// without the expired entries, as the program's shutdown does.

#include <ostream>

#include "app/cli/commands.h"
#include "app/cli/session.h"
#include "core/text.h"
#include "scoring/plonk_command.h"
#include "scoring/plonker.h"

namespace orvel::cli {

namespace {

constexpr const char* kUsage =
    "usage: orvel-cli plonk list\n"
    "       orvel-cli plonk add NAME ADDRESS [--days N]\n"
    "       orvel-cli plonk remove NAME ADDRESS\n";


bool save(TPlonker& plonker, CliContext& context) {
  std::string error;
  if (plonker.Save(&error)) return true;
  context.err << "orvel-cli plonk: cannot write " << plonker.Path() << ": " << error << '\n';
  return false;
}

int add(CliContext& context, TPlonker& plonker, std::int32_t today) {
  const auto& args = context.args;
  std::int64_t days = kPlonkDefaultDays;
  if (args.size() == 5 && args[3] == "--days") {
    const auto n = parseDecimal(args[4]);
    if (!n || *n < 0 || *n > kPlonkMaxDays) {
      context.err << "orvel-cli plonk add: --days takes 0 (never) to " << kPlonkMaxDays << '\n';
      return 2;
    }
    days = *n;
  } else if (args.size() != 3) {
    context.err << kUsage;
    return 2;
  }
  if (plonker.AddPlonk(args[1], args[2], false, PlonkExpiry(days, today)) < 0) {
    context.err << "orvel-cli plonk add: " << args[1] << " <" << args[2] << "> already plonked\n";
    return 1;
  }
  return save(plonker, context) ? 0 : 1;
}

int remove(CliContext& context, TPlonker& plonker) {
  const auto& args = context.args;
  if (args.size() != 3) {
    context.err << kUsage;
    return 2;
  }
  if (!plonker.RemovePlonk(args[1], args[2])) {
    context.err << "orvel-cli plonk remove: " << args[1] << " <" << args[2]
                << "> is not on the plonk list\n";
    return 1;
  }
  return save(plonker, context) ? 0 : 1;
}

}  // namespace

int cmdPlonk(CliContext& context) {
  const auto& args = context.args;
  if (args.empty() || (args[0] != "list" && args[0] != "add" && args[0] != "remove") ||
      (args[0] == "list" && args.size() != 1)) {
    context.err << kUsage;
    return 2;
  }
  const auto session = OpenSession(context);
  const std::int32_t today = TodayDayNumber();
  TPlonker plonker;
  plonker.Load(session->app.dataDir + "plonker.ini", today);
  if (args[0] == "add") return add(context, plonker, today);
  if (args[0] == "remove") return remove(context, plonker);
  for (const auto& e : plonker.Entries()) {
    context.out << e.name << '\t' << e.address << '\t'
                << PlonkExpiryText(e.expiry, session->app.dateFormats) << '\n';
  }
  return 0;
}

}  // namespace orvel::cli
