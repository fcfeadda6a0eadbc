#include "content/group_content_options.h"

namespace orvel {

GroupContentOptions GroupContentOptions::FromSettings(const Settings& settings,
                                                      const GroupProps& props) {
  GroupContentOptions o;
  o.viewer = ViewerSettingsFrom(settings);
  o.toggles.showAllHeaders = settings.showAllHeaders;
  o.toggles.fixWrap = settings.fixWrapOpt > 0;
  o.toggles.splitScreen = !props.fullScreen;
  o.attachmentDir = props.attachDir.empty() ? settings.attachDir : props.attachDir;

  BatchSettings& b = o.batch;
  b.decodeDir = props.decodeDir.empty() ? settings.decodeDir : props.decodeDir;
  // SaveDir follows DecodeDir when it was never set; the group's decode
  // directory does not move it.
  b.saveDir = settings.saveDir.empty() ? b.decodeDir : settings.saveDir;
  b.decodeOpt = settings.decodeOpt;
  b.useSmartDecode = settings.useSmartDecode;
  b.mime.visibleHeaders = settings.visibleHeaders;
  b.mime.sigDashRegex = settings.sigDashRegex;
  b.mime.saveTypes = settings.saveTypes;
  b.mime.autoSaveAttachments = settings.autoSaveAttachments;
  o.promptDecodeDir = settings.promptDecodeDir;
  return o;
}

}  // namespace orvel
