#include "config/group_props.h"

#include "config/main_state.h"
#include "config/settings_table.h"
#include "core/text.h"

namespace orvel {

namespace {

// Keys of a set that override a global setting: the set's key and the
// settings section that gives its type and accepted values.
struct OverrideKey {
  const char* key;
  const char* section;
};
constexpr OverrideKey kSettingOverrides[] = {
    {"ColumnLayout", "Display"},      {"SortOrder", "Display"},
    {"SortOn", "Display"},            {"MultiPartThreading", "Display"},
    {"ExpandAllThreads", "Display"},  {"FullScreen", "Display"},
    {"VerticalSplit", "Display"},     {"AttachDir", "Misc"},
    {"DecodeDir", "Misc"},            {"Archive", "Misc"},
    {"Queue", "Misc"},                {"OnOpen", "Misc"},
    {"OnLoaded", "Misc"},             {"AltServers", "Misc"},
    {"StorageOpt", "Misc"},           {"StorageExp", "Misc"},
    {"NewsAttrib", "Compose"},        {"MailAttrib", "Compose"},
    {"ForwAttrib", "Compose"},
};

std::string withSlash(std::string dir) {
  if (!dir.empty() && dir.back() != '/') dir += '/';
  return dir;
}

// Walks the applying sets in order until one does not say "continue".
template <typename Visit>
void walkApplyingSets(GroupPropList& sets, std::string_view group, Visit visit) {
  for (auto& set : sets) {
    if (!set.Applies(group)) continue;
    visit(set);
    if (!set.Flag("continue", false)) break;
  }
}

}  // namespace

bool TGrpProp::Applies(std::string_view group) {
  return pattern.IsCompiled() && pattern.Match(group) != negated;
}

const std::string* TGrpProp::Value(std::string_view key) const {
  for (const auto& [k, v] : entries) {
    if (equalsNoCase(k, key)) return &v;
  }
  return nullptr;
}

bool TGrpProp::Flag(std::string_view key, bool fallback) const {
  const std::string* v = Value(key);
  return v ? toIntDef(trimView(*v), 0) != 0 : fallback;
}

GroupPropList ReadGroupProps(const IniFile& ini) {
  GroupPropList out;
  for (const auto& section : ini.sections()) {
    std::string regex = ini.readString(section, "regex");
    if (regex.empty() || regex == "~") continue;
    TGrpProp set;
    set.name = section;
    set.negated = regex.front() == '~';
    if (set.negated) regex.erase(0, 1);
    try {
      set.pattern.Compile(regex);
    } catch (const EPerlRe&) {
      continue;
    }
    set.entries = ini.entries(section);
    out.push_back(std::move(set));
  }
  return out;
}

void ResolveGroupProps(MainState& main, std::string_view group, GroupProps& result) {
  Settings working = main.settings;
  std::string id = kDefaultIdentityName;
  std::string postTo;
  std::string overrideTo;
  std::vector<CustomHeader> headers = main.settings.customHeaders;

  walkApplyingSets(main.groupProps, group, [&](TGrpProp& set) {
    for (const auto& o : kSettingOverrides) {
      const std::string* value = set.Value(o.key);
      const SettingKey* key = FindSettingKey(o.section, o.key);
      if (value && key) ApplySettingText(working, *key, *value, false);
    }
    const std::string* v = set.Value("ID");
    id = v ? *v : kDefaultIdentityName;
    if ((v = set.Value("PostTo"))) postTo = *v;
    if ((v = set.Value("OverrideTo"))) overrideTo = *v;
    if (set.Flag("NewCustomHeaders", false)) headers.clear();
    if (main.headerLinePattern.IsCompiled()) {
      ReadCustomHeaders(set.entries, main.headerLinePattern, headers);
    }
  });

  GroupProps& r = result;
  r.columnLayout = working.columnLayout;
  r.sortOrder = working.sortOrder;
  r.sortOn = working.sortOn;
  r.multiPartThreading = working.multiPartThreading;
  r.expandAllThreads = working.expandAllThreads;
  r.fullScreen = working.fullScreen;
  r.verticalSplit = working.verticalSplit;
  r.attachDir = withSlash(working.attachDir);
  r.decodeDir = withSlash(working.decodeDir);
  r.archive = working.archive == "*" ? std::string(group) : working.archive;
  r.queue = working.queue == "*" ? "_" + std::string(group) : working.queue;
  r.onOpen = working.onOpen;
  r.onLoaded = working.onLoaded;
  r.altServers = working.altServers;
  r.postTo = std::move(postTo);
  r.overrideTo = std::move(overrideTo);
  r.storageOpt = working.storageOpt;
  r.storageExp = working.storageExp;
  r.newsAttrib = working.newsAttrib;
  r.mailAttrib = working.mailAttrib;
  r.forwAttrib = working.forwAttrib;
  r.id = std::move(id);
  r.customHeaders = std::move(headers);
}

void ResolveIdentity(MainState& main, const TProfile& profile, std::string_view group,
                     TID& result) {
  result = profile.identity;
  walkApplyingSets(main.groupProps, group, [&](TGrpProp& set) {
    if (const std::string* name = set.Value("ID")) {
      if (const TID* named = FindIdentity(main.identities, *name)) result = *named;
    }
    for (const auto& f : kIdentityFields) {
      if (const std::string* value = set.Value(f.key)) SetIdentityField(result, f.key, *value);
    }
  });
}

}  // namespace orvel
