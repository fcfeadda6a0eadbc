#pragma once
// What the article viewer reads from the settings, and the view toggles of a
// group view (the "Affichage" menu's check items), with their defaults.

#include <string>

#include "core/quote_marks.h"

namespace orvel {

struct Settings;

struct ViewerSettings {
  std::string visibleHeaders = "Subject,From,Newsgroups,FollowUp-To,To,Reply-To";
  std::string quoteRegex = "^\\s?\\s?\\s?[>:|\\]\xC2\xBB]";
  std::string quoteChars = std::string(kDefaultQuoteChars);
  std::string sigDashRegex = "^\\-\\-\\s$";
  bool xFace = true;
  bool jpeg = true;
  bool noHeadersInSplitScreen = false;
  bool skipHeaders = false;
  std::string dejaQuery = "https://www.google.com/search?q=%m";  // "%m": the looked-up target
  std::string launchTypes = ".TXT|.GIF";
  std::string saveTypes = ".GIF";
  bool autoSaveAttachments = false;
  int attachOpt = 2;  // the collision option of saved attachments
  // FixWrapOpt below 0: the quote repair switches itself off once an article
  // has been shown with it, so it acts on one article at a time.
  bool fixWrapOnce = true;
};

ViewerSettings ViewerSettingsFrom(const Settings& settings);

struct ViewToggles {
  bool raw = false;             // "Texte brut" (acvRaw)
  bool showAllHeaders = false;  // "Afficher toutes les en-têtes"; a new view takes ShowAllHeaders
  bool quoted = true;           // show quoted text (acvQuoted)
  bool fixWrap = false;         // repair badly wrapped quotes (acvFixWrap)
  bool uniformQuote = false;    // one ">" per quote mark (acvUniformQuote)
  bool rot13 = false;           // "ROT-13"
  bool fixedFont = false;       // "Utiliser une police fixe"
  bool splitScreen = true;      // the viewer shares the window with the list (acvFS)
};

}  // namespace orvel
