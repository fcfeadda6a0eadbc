// The PAR2 step of decode, decode-group and nzb get: each set among the
// decoded files is checked, and repaired from its recovery volumes when
// needed, by par2; the command waits for the step in an event loop of its
// own.

#include <QEventLoop>

#include <ostream>

#include "app/cli/commands.h"
#include "content/par2_step.h"
#include "net/qt/qt_clock.h"

namespace orvel::cli {

bool RepairWithPar2(DecodedFiles& files, ResumeStore& resume, CliContext& context,
                    std::string_view command) {
  QtClock clock;
  QEventLoop loop;
  bool whole = true;
  bool done = false;
  Par2Step::Events events;
  events.phase = [&](const std::string& set, std::string_view phase) {
    context.err << "orvel-cli " << command << ": par2 " << set << ": " << phase << "\n";
  };
  events.setDone = [&](const std::string& set, const Par2Result& result) {
    if (!result.started) {
      context.err << "orvel-cli " << command << ": PAR2 sets not checked: " << result.detail << "\n";
      return;
    }
    context.out << "par2 " << Par2VerdictWord(result.verdict) << ": " << set;
    if (!result.detail.empty()) context.out << " (" << result.detail << ")";
    context.out << "\n";
  };
  events.finished = [&](bool setsWhole, bool) {
    whole = setsWhole;
    done = true;
    loop.quit();
  };
  Par2Step step(clock, files, resume, std::move(events));
  step.Start();
  if (!done) loop.exec();
  return whole;
}

}  // namespace orvel::cli
