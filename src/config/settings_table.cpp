#include "config/settings_table.h"

#include <algorithm>
#include <limits>

#include "core/text.h"

namespace orvel {

namespace {

using S = Settings;
using Sec = SettingsSection;
using R = SettingRule;
constexpr int kMin = INT32_MIN;
constexpr int kMax = INT32_MAX;

// clang-format off
const SettingKey kTable[] = {
    {Sec::Compose, "NewsAttrib", &S::newsAttrib},
    {Sec::Compose, "MailAttrib", &S::mailAttrib},
    {Sec::Compose, "ForwAttrib", &S::forwAttrib},
    {Sec::Compose, "GenerateDateHeader", &S::generateDateHeader},
    {Sec::Compose, "MDIEditor", &S::mdiEditor},
    {Sec::Compose, "UseyEnc", &S::useyEnc},
    {Sec::Compose, "KeepCopies", &S::keepCopies},
    {Sec::Compose, "PasteIndent", &S::pasteIndent, 0, 200},
    {Sec::Compose, "AlwaysUseExternalEditor", &S::alwaysUseExternalEditor},
    {Sec::Compose, "ExternalEditor", &S::externalEditor},
    {Sec::Compose, "AutoRewrap", &S::autoRewrap},
    {Sec::Compose, "ShowFileCount", &S::showFileCount},
    {Sec::Compose, "SetReplyToInPost", &S::setReplyToInPost},
    {Sec::Compose, "FollowupPrompt", &S::followupPrompt, 1, 10},
    {Sec::Compose, "CutSize", &S::cutSize, 100, 15000},
    {Sec::Compose, "yCutSize", &S::yCutSize, 10000, 1000000},
    {Sec::Compose, "WarnXNoArchive", &S::warnXNoArchive},
    {Sec::Compose, "WarnBadWrap", &S::warnBadWrap},
    {Sec::Compose, "WarnExcessiveQuote", &S::warnExcessiveQuote, 0, 100, R::AboveMaxIsZero},
    {Sec::Compose, "FQDN", &S::fqdn},
    {Sec::Compose, "WrapColumn", &S::wrapColumn, 65, 78},

    {Sec::XOver, "DefragGapSize", &S::defragGapSize},
    {Sec::XOver, "PromptThreshold", &S::promptThreshold},

    {Sec::ToolBars, "A1", &S::toolBarA1},
    {Sec::ToolBars, "A2", &S::toolBarA2},
    {Sec::ToolBars, "E1", &S::toolBarE1},

    {Sec::Popups, "ArticleList", &S::popupArticleList},
    {Sec::Popups, "GroupList", &S::popupGroupList},
    {Sec::Popups, "Viewer", &S::popupViewer},

    {Sec::Misc, "SMTPHost", &S::smtpHost},
    {Sec::Misc, "LaunchTypes", &S::launchTypes, kMin, kMax, R::ExtensionList},
    {Sec::Misc, "SaveTypes", &S::saveTypes, kMin, kMax, R::ExtensionList},
    {Sec::Misc, "GotReplySound", &S::gotReplySound},
    {Sec::Misc, "FileDoneSound", &S::fileDoneSound},
    {Sec::Misc, "AutoGetMsgCounts", &S::autoGetMsgCounts},
    {Sec::Misc, "AutoSaveAttachments", &S::autoSaveAttachments},
    {Sec::Misc, "DejaPage", &S::dejaPage},
    {Sec::Misc, "DejaQuery", &S::dejaQuery, kMin, kMax, R::NeedsPercentM},
    {Sec::Misc, "TZ", &S::tz, -1200, 1400},
    {Sec::Misc, "MaxXPostKill", &S::maxXPostKill},
    {Sec::Misc, "KeptScore", &S::keptScore},
    {Sec::Misc, "AttachDir", &S::attachDir},
    {Sec::Misc, "DecodeDir", &S::decodeDir},
    {Sec::Misc, "SaveDir", &S::saveDir, kMin, kMax, R::DefaultsToDecodeDir},
    {Sec::Misc, "Archive", &S::archive},
    {Sec::Misc, "Queue", &S::queue},
    {Sec::Misc, "AltServers", &S::altServers},
    {Sec::Misc, "IgnoreReWhenSorting", &S::ignoreReWhenSorting},
    {Sec::Misc, "ExpandWhenTag", &S::expandWhenTag},
    {Sec::Misc, "AutoCollapse", &S::autoCollapse},
    {Sec::Misc, "ScoreStoredHeaders", &S::scoreStoredHeaders},
    {Sec::Misc, "HardKill", &S::hardKill},
    {Sec::Misc, "HideEmptyGroups", &S::hideEmptyGroups},
    {Sec::Misc, "ReplyNotify", &S::replyNotify},
    {Sec::Misc, "ExpiredScoreOpt", &S::expiredScoreOpt, 0, 1},
    {Sec::Misc, "ScoreFileLoadOpt", &S::scoreFileLoadOpt, 0, 2},
    {Sec::Misc, "DecodeOpt", &S::decodeOpt, 0, 1},
    {Sec::Misc, "AttachOpt", &S::attachOpt, 0, 1},
    {Sec::Misc, "StorageOpt", &S::storageOpt, 0, 3},
    {Sec::Misc, "StorageExp", &S::storageExp, 0, 90},
    {Sec::Misc, "UpdateCountInterval", &S::updateCountInterval, 0, 1800},
    {Sec::Misc, "CompactPercent", &S::compactPercent, 0, 100},
    {Sec::Misc, "MaxConnPerServer", &S::maxConnPerServer, 1, 4},
    {Sec::Misc, "ThreadScoreOpt", &S::threadScoreOpt, 0, 2},
    {Sec::Misc, "QuoteRegex", &S::quoteRegex},
    {Sec::Misc, "QuoteChars", &S::quoteChars, kMin, kMax, R::NonEmpty},
    {Sec::Misc, "SigDashRegex", &S::sigDashRegex},
    {Sec::Misc, "PromptDecodeDir", &S::promptDecodeDir},
    {Sec::Misc, "OpenNextGroup", &S::openNextGroup},
    {Sec::Misc, "BackUpNewsRC", &S::backUpNewsRC},
    {Sec::Misc, "ScoreFile", &S::scoreFile},
    {Sec::Misc, "ScoreFileEditor", &S::scoreFileEditor},
    {Sec::Misc, "OnLoaded", &S::onLoaded},
    {Sec::Misc, "OnOpen", &S::onOpen},
    {Sec::Misc, "LoadReadArticles", &S::loadReadArticles},
    {Sec::Misc, "UseSmartDecode", &S::useSmartDecode},
    {Sec::Misc, "AutoResume", &S::autoResume},
    {Sec::Misc, "AutoResumeDelay", &S::autoResumeDelay, 1, 1800, R::ZeroIsOne},
    {Sec::Misc, "XferTimeOut", &S::xferTimeOutMs, 0, 1800, R::Seconds},
    {Sec::Misc, "CatchUpButton", &S::catchUpButton, 0, 3, R::AboveMaxIsZero},
    {Sec::Misc, "CopyHeadersTemplate", &S::copyHeadersTemplate},
    {Sec::Misc, "AutoSaveInterval", &S::autoSaveInterval, 5, 2000},

    {Sec::Display, "XFace", &S::xFace},
    {Sec::Display, "Jpeg", &S::jpeg},
    {Sec::Display, "ViewerLeftMargin", &S::viewerLeftMargin, 0, 1000},
    {Sec::Display, "ViewerWordWrap", &S::viewerWordWrap},
    {Sec::Display, "ColumnLayout", &S::columnLayout},
    {Sec::Display, "SortOrder", &S::sortOrder, -1, 1, R::None, true},
    {Sec::Display, "SortOn", &S::sortOn, -1, 6, R::SortColumn},
    {Sec::Display, "MultiPartThreading", &S::multiPartThreading},
    {Sec::Display, "ExpandAllThreads", &S::expandAllThreads},
    {Sec::Display, "FullScreen", &S::fullScreen},
    {Sec::Display, "SwitchViewAtThreadEnd", &S::switchViewAtThreadEnd},
    {Sec::Display, "ShowTabs", &S::showTabs},
    {Sec::Display, "VerticalSplit", &S::verticalSplit},
    {Sec::Display, "ShowAllHeaders", &S::showAllHeaders},
    {Sec::Display, "NoHeadersInSplitScreen", &S::noHeadersInSplitScreen},
    {Sec::Display, "NewSubjectNewThread", &S::newSubjectNewThread},
    {Sec::Display, "DrawGrids", &S::drawGrids},
    {Sec::Display, "DrawTree", &S::drawTree},
    {Sec::Display, "ShowPopUp", &S::showPopUp},
    {Sec::Display, "ShowToolTip", &S::showToolTip},
    {Sec::Display, "FixFlashing", &S::fixFlashing},
    {Sec::Display, "MoveHighlight", &S::moveHighlight},
    {Sec::Display, "VisibleHeaders", &S::visibleHeaders},
    {Sec::Display, "SkipHeaders", &S::skipHeaders},
    {Sec::Display, "HideHorzScrollBar", &S::hideHorzScrollBar},
    {Sec::Display, "Use24hrClock", &S::use24hrClock},
    {Sec::Display, "MaxThreadDepth", &S::maxThreadDepth, 0, 1000},
    {Sec::Display, "TitleBarLayOut", &S::titleBarLayOut, -1, 2},
    {Sec::Display, "FixWrapOpt", &S::fixWrapOpt, -1, 1},
    {Sec::Display, "AutoSizePctA", &S::autoSizePctA, 0, 100},
    {Sec::Display, "AutoSizePctB", &S::autoSizePctB, 0, 100},
    {Sec::Display, "StatusFont", &S::statusFont},
    {Sec::Display, "GroupListFont", &S::groupListFont},
    {Sec::Display, "GroupListColor", &S::groupListColor},
    {Sec::Display, "ArticleListFont", &S::articleListFont},
    {Sec::Display, "ArticleReadFont", &S::articleReadFont},
    {Sec::Display, "ArticlePartiallyReadFont", &S::articlePartiallyReadFont},
    {Sec::Display, "ArticleListColor", &S::articleListColor},
    {Sec::Display, "GridColor", &S::gridColor},
    {Sec::Display, "TreeColor", &S::treeColor},
    {Sec::Display, "ViewerColor", &S::viewerColor},
    {Sec::Display, "ViewerFont", &S::viewerFont},
    {Sec::Display, "HeaderFont", &S::headerFont},
    {Sec::Display, "QuotedFont", &S::quotedFont},
    {Sec::Display, "QuoteColor1", &S::quoteColor1},
    {Sec::Display, "QuoteColor2", &S::quoteColor2},
    {Sec::Display, "QuoteColor3", &S::quoteColor3},
    {Sec::Display, "QuoteColor4", &S::quoteColor4},
    {Sec::Display, "QuoteColor5", &S::quoteColor5},
    {Sec::Display, "QuoteColor6", &S::quoteColor6},
    {Sec::Display, "MiscFont", &S::miscFont},
    {Sec::Display, "FixedFont", &S::fixedFont},
    {Sec::Display, "EditorFont", &S::editorFont},
};
// clang-format on

constexpr const char* kComposeSection = "Compose";

std::optional<std::string> rawValue(const SettingKey& key, const IniFile& ini, const TBag& misc,
                                    const TBag& display) {
  if (!IsBagSection(key.section)) return ini.read(SectionName(key.section), key.key);
  const TBag& bag = key.section == Sec::Misc ? misc : display;
  if (!bag.Has(key.key)) return std::nullopt;
  return bag.GetString(key.key, "");
}

std::optional<int> parseInt(std::string_view text) {
  const auto value = parseNumber(trimView(text));
  if (!value || *value < INT32_MIN || *value > INT32_MAX) return std::nullopt;
  return static_cast<int>(*value);
}

// The accepted integer for a key, after its rule; nothing leaves the default.
std::optional<int> acceptInt(const SettingKey& key, int value) {
  switch (key.rule) {
    case R::AboveMaxIsZero:
      if (value > key.maximum) return 0;
      break;
    case R::ZeroIsOne:
      if (value == 0) value = 1;
      break;
    default:
      break;
  }
  if (value < key.minimum || value > key.maximum) return std::nullopt;
  if (key.onlyEnds && value != key.minimum && value != key.maximum) return std::nullopt;
  if (key.rule == R::Seconds) return value * 1000;
  return value;
}

std::optional<std::string> acceptText(const SettingKey& key, const std::string& text) {
  switch (key.rule) {
    case R::NeedsPercentM:
      if (text.find("%m") == std::string::npos) return std::nullopt;
      break;
    case R::NonEmpty:
      if (text.empty()) return std::nullopt;
      break;
    case R::ExtensionList:
      return upperAscii(text);
    default:
      break;
  }
  return text;
}

}  // namespace

bool ApplySettingText(Settings& s, const SettingKey& key, const std::string& text,
                      bool bagBool, std::vector<std::string>* problems) {
  struct Visitor {
    Settings& s;
    const SettingKey& key;
    const std::string& text;
    bool bagBool;
    std::vector<std::string>* problems;

    bool operator()(bool S::*f) const {
      if (bagBool) {
        s.*f = text == "1";
        return true;
      }
      const auto v = parseInt(text);
      if (v) s.*f = *v != 0;
      return v.has_value();
    }
    bool operator()(int S::*f) const {
      std::optional<int> v =
          key.rule == R::SortColumn ? SortColumnIndex(trimView(text)) : parseInt(text);
      if (v && key.rule != R::SortColumn) v = acceptInt(key, *v);
      if (v) s.*f = *v;
      return v.has_value();
    }
    bool operator()(std::string S::*f) const {
      const auto v = acceptText(key, text);
      if (v) s.*f = *v;
      return v.has_value();
    }
    bool operator()(std::uint32_t S::*f) const {
      const auto v = parseNumber(trimView(text));
      if (!v || *v < 0 || *v > 0xFFFFFF) return false;
      s.*f = static_cast<std::uint32_t>(*v);
      return true;
    }
    bool operator()(BagFont S::*f) const {
      TBag scratch;
      scratch.SetString(key.key, text);
      try {
        s.*f = scratch.GetFont(key.key, s.*f);
        return true;
      } catch (const EBagError& e) {
        if (problems) problems->push_back(std::string(key.key) + ": " + e.what());
        return false;
      }
    }
  };
  return std::visit(Visitor{s, key, text, bagBool, problems}, key.field);
}

const char* SectionName(SettingsSection section) {
  switch (section) {
    case Sec::Compose: return "Compose";
    case Sec::XOver: return "XOVER";
    case Sec::ToolBars: return "ToolBars";
    case Sec::Popups: return "Popups";
    case Sec::Misc: return "Misc";
    case Sec::Display: return "Display";
  }
  return "";
}

std::span<const SettingKey> SettingsTable() { return kTable; }

const SettingKey* FindSettingKey(std::string_view section, std::string_view key) {
  for (const auto& k : kTable) {
    if (equalsNoCase(SectionName(k.section), section) && equalsNoCase(k.key, key)) return &k;
  }
  return nullptr;
}

Settings ReadSettings(const IniFile& ini, const TBag& misc, const TBag& display,
                      TPerlre& headerLinePattern, std::vector<std::string>* problems) {
  Settings s;
  bool saveDirRead = false;
  for (const auto& key : kTable) {
    const auto text = rawValue(key, ini, misc, display);
    const bool taken = text && ApplySettingText(s, key, *text, IsBagSection(key.section), problems);
    if (key.rule == R::DefaultsToDecodeDir) saveDirRead = text.has_value() && taken;
  }
  if (!saveDirRead) s.saveDir = s.decodeDir;
  if (headerLinePattern.IsCompiled()) {
    ReadCustomHeaders(ini, kComposeSection, headerLinePattern, s.customHeaders);
  }
  return s;
}

std::string SettingText(const Settings& s, const SettingKey& key) {
  struct Visitor {
    const Settings& s;
    const SettingKey& key;
    std::string operator()(bool S::*f) const { return s.*f ? "1" : "0"; }
    std::string operator()(int S::*f) const {
      if (key.rule == R::SortColumn) return SortColumnName(s.*f);
      if (key.rule == R::Seconds) return std::to_string(s.*f / 1000);
      return std::to_string(s.*f);
    }
    std::string operator()(std::string S::*f) const { return s.*f; }
    std::string operator()(std::uint32_t S::*f) const { return ColorText(s.*f); }
    std::string operator()(BagFont S::*f) const { return FontLine(s.*f); }
  };
  return std::visit(Visitor{s, key}, key.field);
}

bool SettingIsDefault(const Settings& settings, const SettingKey& key) {
  Settings defaults;
  defaults.saveDir = settings.decodeDir;
  return SettingText(settings, key) == SettingText(defaults, key);
}

void WriteSettings(const Settings& settings, IniFile& ini, TBag& misc, TBag& display) {
  for (const auto& key : kTable) {
    const std::string text = SettingText(settings, key);
    if (key.section == Sec::Misc) {
      misc.SetString(key.key, text);
    } else if (key.section == Sec::Display) {
      display.SetString(key.key, text);
    } else {
      ini.write(SectionName(key.section), key.key, text);
    }
  }
  WriteCustomHeaders(ini, kComposeSection, settings.customHeaders);
}

bool SaveSettings(const Settings& settings, AppState& app, std::string* error) {
  IniFile ini(app.iniPath());
  WriteSettings(settings, ini, app.bags.misc, app.bags.display);
  if (!ini.save(error)) return false;
  try {
    app.bags.misc.SaveToIni(false, false);
    app.bags.display.SaveToIni(false, false);
  } catch (const EBagError& e) {
    if (error) *error = e.what();
    return false;
  }
  return true;
}

}  // namespace orvel
