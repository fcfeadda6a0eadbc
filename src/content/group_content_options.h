#pragma once
// What a group view's article viewer and batch take from the program's
// settings and the group's effective properties: the group's own attachment
// and decode directories win over the program-wide ones.

#include <string>

#include "config/group_props.h"
#include "config/settings.h"
#include "content/batch.h"
#include "content/viewer_settings.h"

namespace orvel {

struct GroupContentOptions {
  ViewerSettings viewer;
  ViewToggles toggles;         // the view toggles a new group view starts with
  std::string attachmentDir;   // AttachDir: the viewer's saved attachments
  BatchSettings batch;         // DecodeDir, SaveDir, DecodeOpt, UseSmartDecode
  bool promptDecodeDir = true;  // PromptDecodeDir

  static GroupContentOptions FromSettings(const Settings& settings, const GroupProps& props);
};

}  // namespace orvel
