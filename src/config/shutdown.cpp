#include "config/shutdown.h"

namespace orvel {

bool SaveShutdownState(AppState& app, const BagPlacement& mainPlacement, bool maximised,
                       const std::vector<OpenedWindow>& openWindows, std::string* error) {
  app.bags.metrics.SetPlacement("main", mainPlacement, maximised);
  try {
    app.bags.metrics.SaveToIni(true, false);
  } catch (const EBagError& e) {
    if (error) *error = e.what();
    return false;
  }
  IniFile ini(app.iniPath());
  WriteOpenedWindows(ini, openWindows);
  return ini.save(error);
}

}  // namespace orvel
