#include "content/viewer_settings.h"

#include "config/settings.h"

namespace orvel {

ViewerSettings ViewerSettingsFrom(const Settings& settings) {
  ViewerSettings viewer;
  viewer.visibleHeaders = settings.visibleHeaders;
  viewer.quoteRegex = settings.quoteRegex;
  viewer.quoteChars = settings.quoteChars;
  viewer.sigDashRegex = settings.sigDashRegex;
  viewer.xFace = settings.xFace;
  viewer.jpeg = settings.jpeg;
  viewer.noHeadersInSplitScreen = settings.noHeadersInSplitScreen;
  viewer.skipHeaders = settings.skipHeaders;
  viewer.dejaQuery = settings.dejaQuery;
  viewer.launchTypes = settings.launchTypes;
  viewer.saveTypes = settings.saveTypes;
  viewer.autoSaveAttachments = settings.autoSaveAttachments;
  viewer.attachOpt = settings.attachOpt;
  viewer.fixWrapOnce = settings.fixWrapOpt < 0;
  return viewer;
}

}  // namespace orvel
