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
    {ActionWindow::Main, "acmTray"},
    {ActionWindow::Main, "acmManual"},
    {ActionWindow::GroupList, "acgFind"},
    {ActionWindow::GroupList, "acgFindAgain"},
    {ActionWindow::GroupList, "acgXPAT"},
    {ActionWindow::GroupList, "acgReloadOrvelRC"},
    {ActionWindow::GroupList, "acgShowFolders"},
    {ActionWindow::GroupView, "acaEdit"},
    {ActionWindow::GroupView, "acaArchive"},
    {ActionWindow::GroupView, "acaQArchive"},
    {ActionWindow::GroupView, "acaPrint"},
    {ActionWindow::GroupView, "acaCopyHeaders"},
    {ActionWindow::GroupView, "acvAutoSize"},
    {ActionWindow::GroupView, "acvToggleWidth"},
    {ActionWindow::GroupView, "acvThreaded"},
    {ActionWindow::GroupView, "acaThread"},
};

}  // namespace

bool ActionBuilt(ActionWindow window, std::string_view name) {
  return std::none_of(std::begin(kWaiting), std::end(kWaiting), [&](const Waiting& w) {
    return w.window == window && equalsNoCase(w.name, name);
  });
}

}  // namespace orvel
