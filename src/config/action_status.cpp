#include "config/action_status.h"

#include <algorithm>

#include "core/text.h"

namespace orvel {

namespace {

struct Waiting {
  ActionWindow window;
  std::string_view name;
};

// The commands still to build.
constexpr Waiting kWaiting[] = {
    {ActionWindow::Main, "acmConfig"},
};

}  // namespace

bool ActionBuilt(ActionWindow window, std::string_view name) {
  return std::none_of(std::begin(kWaiting), std::end(kWaiting), [&](const Waiting& w) {
    return w.window == window && equalsNoCase(w.name, name);
  });
}

}  // namespace orvel
