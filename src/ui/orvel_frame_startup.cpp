// The main window's first show and its news URLs: what PlanFirstShow and
// DecideNewsUrl decided, carried out with the windows.

#include <QtGlobal>

#include <filesystem>

#include "config/first_show.h"
#include "config/opened_windows.h"
#include "core/atomic_file.h"
#include "ui/groups_window.h"
#include "ui/orvel_frame.h"
#include "ui/qt_convert.h"

namespace orvel::ui {

void TOrvelFrame::runFirstShow() {
  FirstShowInput input;
  for (const auto& p : state_.profiles) input.profileAliases.push_back(p->alias);
  input.defaultProfileIndex = state_.defaultProfileIndex;
  input.profileArgument = app_.profileArgument;
  input.opened = ReadOpenedWindows(IniFile(app_.iniPath()));
  input.startupUrl = app_.startupUrl;
  const FirstShowPlan plan = PlanFirstShow(input);

  if (plan.askForFirstServer) {
    const int index = newServerCommand();
    if (index >= 0) openGroupList(index);
  }
  if (plan.commandLineProfile >= 0) openGroupList(plan.commandLineProfile);
  for (const OpenedWindow& w : plan.reopen) {
    switch (w.kind) {
      case OpenedWindow::Kind::ServerGroups:
        openGroupList(ProfileIndex(state_.profiles, w.name));
        break;
      case OpenedWindow::Kind::FolderWindow:
        openFoldersWindow();
        break;
      case OpenedWindow::Kind::FolderView:
        // Through the folder view opener; nothing opens before one is set.
        reopenFolderView(w.name);
        break;
    }
  }
  if (plan.defaultProfileToOpen >= 0) openGroupList(plan.defaultProfileToOpen);
  if (!plan.newsUrl.empty()) openNewsUrl(qs(plan.newsUrl));
}

void TOrvelFrame::openNewsUrl(const QString& url) {
  qInfo("news URL received: %s", qUtf8Printable(url));
  bringToFront();
  carryOut(DecideNewsUrl(utf8(url), state_.profiles, state_.defaultProfileIndex));
}

TGroupsWindow* TOrvelFrame::openAndGoTo(int profileIndex, const std::string& group) {
  TGroupsWindow* window = openGroupList(profileIndex);
  if (window && !group.empty()) {
    if (TGrpInfo* g = window->goToGroup(group)) openGroup(*window, *g);
  }
  return window;
}

void TOrvelFrame::carryOut(const NewsUrlAction& action) {
  using Kind = NewsUrlAction::Kind;
  switch (action.kind) {
    case Kind::Nothing:
      return;
    case Kind::FetchMessageId:
      // With no group view open, the default profile's list fetches it.
      if (messageIdFetcher_ && messageIdFetcher_(nullptr, action.messageId)) return;
      fetchMessageId(openGroupList(action.profileIndex), action.messageId);
      return;
    case Kind::OpenDefaultGoToGroup:
    case Kind::OpenProfileGoToGroup:
      openAndGoTo(action.profileIndex, action.group);
      return;
    case Kind::OpenProfile:
      openGroupList(action.profileIndex);
      return;
    case Kind::OpenProfileFetchMessageId:
      fetchMessageId(openGroupList(action.profileIndex), action.messageId);
      return;
    case Kind::OfferNewProfile:
      break;
  }
  std::string host = action.host;
  if (action.port != 0) host += ":" + std::to_string(action.port);
  const int index = newServer(host);
  if (index < 0) return;
  TProfile& profile = *state_.profiles[static_cast<std::size_t>(index)];
  if (action.tls && !profile.tls) {
    profile.tls = true;
    saveServers();
  }
  if (!action.group.empty()) {
    // The new server's read state starts with that one group subscribed; a
    // file left by an earlier profile of the same name is kept as it is.
    std::error_code ec;
    if (!std::filesystem::exists(profile.newsrcPath, ec)) {
      std::string error;
      if (!SaveFileAtomically(profile.newsrcPath, action.group + ":\r\n", &error)) {
        prompter_.message(error, MessageKind::Error);
      }
    }
  }
  openAndGoTo(index, action.group);
}

}  // namespace orvel::ui
