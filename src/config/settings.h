#pragma once
// Settings: every program-wide setting of "Orvel.ini" sections "Compose",
// "XOVER", "ToolBars", "Popups", "Misc" and "Display", read once at start-up
// and typed. Each member is named after its key in lowerCamel ("WrapColumn"
// is wrapColumn); the initialisers are the defaults. Where a member's unit or
// form differs from the file's, its name says so (xferTimeOutMs, sortOn as a
// column index). settings_table.h describes every key (section, type,
// accepted values) and reads and writes them; no other code parses these
// sections.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/custom_headers.h"
#include "core/bag.h"

namespace orvel {

// 0x00BBGGRR, the settings' colour order.
constexpr std::uint32_t Rgb(unsigned r, unsigned g, unsigned b) { return r | g << 8 | b << 16; }

BagFont DefaultFont(int size = 10, int style = 0, std::uint32_t color = 0,
                    std::string name = "DejaVu Sans");
BagFont DefaultFixedFont(int size = 10);

// The article list columns that "SortOn" names, by index (-1: unsorted).
inline constexpr const char* kSortColumnNames[] = {"None",   "Subject", "Queue", "Lines",
                                                   "Author", "Date",    "Score", "Number"};
// The index of a column name (any case) or of a decimal index -1..6.
std::optional<int> SortColumnIndex(std::string_view text);
std::string SortColumnName(int index);

struct Settings {
  // [Compose]
  std::string newsAttrib = "Le %d, j'ai lu dans %g:";
  std::string mailAttrib = "Le %d, j'ai lu dans %g:";
  std::string forwAttrib = "Le %d, j'ai lu dans %g:";
  bool generateDateHeader = false;
  bool mdiEditor = false;
  bool useyEnc = false;
  bool keepCopies = true;
  int pasteIndent = 8;
  bool alwaysUseExternalEditor = false;
  std::string externalEditor;
  bool autoRewrap = true;
  bool showFileCount = true;
  bool setReplyToInPost = false;
  int followupPrompt = 3;
  int cutSize = 8000;
  int yCutSize = 400000;
  bool warnXNoArchive = true;
  bool warnBadWrap = true;
  int warnExcessiveQuote = 60;  // 0: never ask
  std::string fqdn;
  int wrapColumn = 76;
  std::vector<CustomHeader> customHeaders;

  // [XOVER]
  int defragGapSize = 20;
  int promptThreshold = 50000;  // 0 or less: never ask

  // [ToolBars]: "*" is the built-in layout
  std::string toolBarA1 = "*";
  std::string toolBarA2 = "*";
  std::string toolBarE1 = "*";

  // [Popups]: action names separated by ",", "-" a separator
  std::string popupArticleList = "acaMarkAllRead,acaMarkAllUnread,acaSelectAll,-";
  std::string popupGroupList =
      "acgSubs,acgUnSubs,acgPost,-,acgCatchUp,acgMsgCount,acgAllMsgCount,acmSaveNewsRC,-";
  std::string popupViewer = "acaFollowup,acaMail,acaFollowupMail,acaSaveAs,-";

  // [Misc]
  std::string smtpHost;
  std::string launchTypes = ".TXT|.GIF";  // upper-case extensions separated by "|"
  std::string saveTypes = ".GIF";
  std::string gotReplySound;
  std::string fileDoneSound;
  bool autoGetMsgCounts = false;
  bool autoSaveAttachments = false;
  std::string dejaPage = "https://www.google.com/";
  std::string dejaQuery = "https://www.google.com/search?q=%m";  // "%m": the Message-ID
  int tz = -1;  // hours * 100 + minutes; -1: the system's (see timeZoneOffset)
  int maxXPostKill = 10;
  int keptScore = 8888;
  std::string attachDir;
  std::string decodeDir;
  std::string saveDir;  // absent: the decodeDir value
  std::string archive = "Archive";
  std::string queue = "_Queue";
  std::string altServers;
  bool ignoreReWhenSorting = true;
  bool expandWhenTag = false;
  bool autoCollapse = false;
  bool scoreStoredHeaders = false;
  bool hardKill = true;
  bool hideEmptyGroups = false;
  int replyNotify = 4;
  int expiredScoreOpt = 0;
  int scoreFileLoadOpt = 0;
  int decodeOpt = 2;
  int attachOpt = 2;
  int storageOpt = 0;
  int storageExp = 7;
  int updateCountInterval = 30;  // minutes
  int compactPercent = 30;
  int maxConnPerServer = 4;
  int threadScoreOpt = 0;
  std::string quoteRegex = "^\\s?\\s?\\s?[>:|\\]\xC2\xBB]";
  std::string quoteChars = ">:|]\xC2\xBB";
  std::string sigDashRegex = "^\\-\\-\\s$";
  bool promptDecodeDir = true;
  bool openNextGroup = false;
  bool backUpNewsRC = true;
  std::string scoreFile = "score.ini";  // relative to the data folder
  std::string scoreFileEditor;
  std::string onLoaded;
  std::string onOpen;
  bool loadReadArticles = false;
  bool useSmartDecode = true;
  bool autoResume = true;
  int autoResumeDelay = 20;   // seconds
  int xferTimeOutMs = 30000;  // file: "XferTimeOut" in seconds; 0: no time-out
  int catchUpButton = 0;
  std::string copyHeadersTemplate = "%s%r";
  int autoSaveInterval = 0;  // minutes; 0: off

  // [Display]
  bool xFace = true;
  bool jpeg = true;
  int viewerLeftMargin = 5;
  bool viewerWordWrap = false;
  std::string columnLayout = "1";
  int sortOrder = 1;  // 1 ascending, -1 descending
  int sortOn = 4;     // column index (kSortColumnNames), written as its name
  bool multiPartThreading = true;
  bool expandAllThreads = true;
  bool fullScreen = false;
  bool switchViewAtThreadEnd = false;
  bool showTabs = true;
  bool verticalSplit = false;
  bool showAllHeaders = false;
  bool noHeadersInSplitScreen = false;
  bool newSubjectNewThread = false;
  bool drawGrids = false;
  bool drawTree = false;
  bool showPopUp = true;
  bool showToolTip = true;
  bool fixFlashing = true;
  bool moveHighlight = true;
  std::string visibleHeaders = "Subject,From,Newsgroups,FollowUp-To,To,Reply-To";
  bool skipHeaders = false;
  bool hideHorzScrollBar = false;
  bool use24hrClock = false;
  int maxThreadDepth = 20;
  int titleBarLayOut = 0;
  int fixWrapOpt = -1;
  int autoSizePctA = 85;
  int autoSizePctB = 25;

  // [Display] fonts and colours
  BagFont statusFont = DefaultFont(9);
  BagFont groupListFont = DefaultFont();
  std::uint32_t groupListColor = Rgb(255, 255, 255);
  BagFont articleListFont = DefaultFont(10, BagFont::Bold);  // unread articles
  BagFont articleReadFont = DefaultFont(10, 0, Rgb(96, 96, 96));
  BagFont articlePartiallyReadFont = DefaultFont(10, BagFont::Italic);
  std::uint32_t articleListColor = Rgb(255, 255, 255);
  std::uint32_t gridColor = Rgb(224, 224, 224);
  std::uint32_t treeColor = Rgb(128, 128, 128);
  std::uint32_t viewerColor = Rgb(255, 255, 255);
  BagFont viewerFont = DefaultFont();
  BagFont headerFont = DefaultFont(10, BagFont::Bold, Rgb(0, 0, 128));
  BagFont quotedFont = DefaultFont();
  std::uint32_t quoteColor1 = Rgb(0, 0, 160);
  std::uint32_t quoteColor2 = Rgb(0, 110, 0);
  std::uint32_t quoteColor3 = Rgb(150, 0, 0);
  std::uint32_t quoteColor4 = Rgb(128, 0, 128);
  std::uint32_t quoteColor5 = Rgb(0, 120, 120);
  std::uint32_t quoteColor6 = Rgb(120, 110, 0);
  BagFont miscFont = DefaultFont(9);
  BagFont fixedFont = DefaultFixedFont();
  BagFont editorFont = DefaultFixedFont();

  // Quote level 1..6 (levels beyond 6 reuse 6).
  std::uint32_t quoteColor(int level) const;
  // The offset from GMT as hours * 100 + minutes: tz, or the system's when -1.
  int timeZoneOffset() const;
  // The largest gap bridged when header ranges merge: ten times
  // defragGapSize when it lies in 1..99999999, else 100.
  long long defragGapBudget() const;
};

// Whether an extension list ("|"-separated upper-case extensions, such as
// launchTypes) holds the extension of a file name or an extension (".gif").
// Items are compared whole, without regard to case.
bool ExtensionListHas(std::string_view list, std::string_view fileNameOrExtension);

}  // namespace orvel
