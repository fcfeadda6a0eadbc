#include "config/servers_file.h"

#include <algorithm>
#include <fstream>
#include <map>

#include "config/password_scramble.h"
#include "core/text.h"

namespace orvel {

namespace {

constexpr const char* kProfilesSection = "Profiles";

// A name without a directory part lives in the base directory.
std::string inBaseDir(const std::string& baseDir, const std::string& name) {
  if (name.empty() || name.find('/') != std::string::npos) return name;
  return baseDir + name;
}

// The inverse of inBaseDir, so a base directory that moves keeps its files.
std::string relativeToBaseDir(const std::string& baseDir, const std::string& path) {
  if (path.size() > baseDir.size() && path.compare(0, baseDir.size(), baseDir) == 0 &&
      path.find('/', baseDir.size()) == std::string::npos) {
    return path.substr(baseDir.size());
  }
  return path;
}

// Writes value under key, or removes the key when keep is false.
void writeOrErase(IniFile& ini, const std::string& section, const char* key, bool keep,
                  const std::string& value) {
  if (keep) {
    ini.write(section, key, value);
  } else {
    ini.eraseKey(section, key);
  }
}

const TID& identityNamed(const ServersFileContext& context, const std::string& name) {
  static const TID kEmpty{kDefaultIdentityName, {}, {}, {}, {}, {}, {}};
  if (const TID* id = FindIdentity(context.identities, name)) return *id;
  return context.identities.empty() ? kEmpty : context.identities.front();
}

// The "Profiles" entries in number order: keys "1" to "count" (every
// positive numeric key when "count" is absent). Reading the entries that
// exist keeps a huge "count" from costing anything.
std::vector<std::string> profileEntries(const IniFile& ini) {
  const auto countText = ini.read(kProfilesSection, "count");
  const std::int64_t count =
      countText ? parseDecimal(trimView(*countText)).value_or(0) : INT64_MAX;
  std::map<std::int64_t, std::string> numbered;
  for (const auto& [key, value] : ini.entries(kProfilesSection)) {
    const auto n = parseDecimal(key);
    if (n && *n >= 1 && *n <= count) numbered.emplace(*n, value);
  }
  std::vector<std::string> out;
  for (auto& [n, value] : numbered) out.push_back(std::move(value));
  return out;
}

// Digits only, within the 32-bit range; anything else is 0.
int portNumber(std::string_view digits) {
  if (digits.empty() || digits.size() > 10) return 0;
  for (const char c : digits) {
    if (c < '0' || c > '9') return 0;
  }
  const auto value = parseDecimal(digits);
  return value && *value <= INT32_MAX ? static_cast<int>(*value) : 0;
}

std::shared_ptr<TProfile> readProfile(const IniFile& ini, const ProfileEntry& entry,
                                      const ServersFileContext& context) {
  auto p = std::make_shared<TProfile>();
  p->alias = entry.alias;
  p->host = entry.host;
  p->port = entry.port;
  const std::string& s = p->alias;
  p->newsrcPath = inBaseDir(context.baseDir,
                            ini.readString(s, "NewsRC", DefaultNewsrcPath(context.baseDir, s)));
  p->userName = ini.readString(s, "UserName");
  p->password = DecodePassword(ini.readString(s, "PassWd"));
  p->SMTPHost = ini.readString(s, "SMTPHost");
  p->SMTPUser = ini.readString(s, "SMTPUser");
  p->SMTPPassword = DecodePassword(ini.readString(s, "SMTPPassWd"));

  const std::string idName = ini.readString(s, "ID", kDefaultIdentityName);
  p->identity = identityNamed(context, idName);
  p->identity.name = idName;
  for (const auto& f : kIdentityFields) {
    if (auto value = ini.read(s, f.key)) SetIdentityField(p->identity, f.key, *value);
  }

  const auto tls = ini.read(s, "TLS");
  p->tls = tls ? toIntDef(*tls, 0) != 0 : p->port == 563;
  p->caFile = inBaseDir(context.baseDir, ini.readString(s, "CAFile"));
  p->extensions = toIntDef(ini.readString(s, "Extensions", "1"), 1) != 0;
  p->startTls = toIntDef(ini.readString(s, "StartTLS", "0"), 0) != 0;
  p->compress = toIntDef(ini.readString(s, "Compress", "1"), 1) != 0;
  p->pipelining = std::clamp(toIntDef(ini.readString(s, "Pipelining", "4"), 4), 1,
                             TProfile::kMaxPipelining);
  const std::string icon = inBaseDir(context.baseDir, ini.readString(s, "Icon"));
  if (IsUsableIcon(icon)) p->iconPath = icon;
  return p;
}

void writeProfileSection(IniFile& ini, const TProfile& p, const ServersFileContext& context) {
  const std::string& s = p.alias;
  const std::string& base = context.baseDir;
  writeOrErase(ini, s, "NewsRC", !equalsNoCase(p.newsrcPath, DefaultNewsrcPath(base, s)),
               relativeToBaseDir(base, p.newsrcPath));
  writeOrErase(ini, s, "UserName", !p.userName.empty(), p.userName);
  writeOrErase(ini, s, "PassWd", !p.password.empty(), EncodePassword(p.password));
  writeOrErase(ini, s, "SMTPHost", !p.SMTPHost.empty() && p.SMTPHost != context.globalSMTPHost,
               p.SMTPHost);
  writeOrErase(ini, s, "SMTPUser", !p.SMTPUser.empty(), p.SMTPUser);
  writeOrErase(ini, s, "SMTPPassWd", !p.SMTPPassword.empty(), EncodePassword(p.SMTPPassword));
  writeOrErase(ini, s, "ID", p.identity.name != kDefaultIdentityName, p.identity.name);
  const TID& named = identityNamed(context, p.identity.name);
  for (const auto& f : kIdentityFields) {
    writeOrErase(ini, s, f.key, p.identity.*f.field != named.*f.field, p.identity.*f.field);
  }
  writeOrErase(ini, s, "TLS", p.tls != (p.port == 563), p.tls ? "1" : "0");
  writeOrErase(ini, s, "CAFile", !p.caFile.empty(), relativeToBaseDir(base, p.caFile));
  // Written only where they leave the defaults, so older files stay as they were.
  writeOrErase(ini, s, "Extensions", !p.extensions, "0");
  writeOrErase(ini, s, "StartTLS", p.startTls, "1");
  writeOrErase(ini, s, "Compress", !p.compress, "0");
  writeOrErase(ini, s, "Pipelining", p.pipelining != TProfile{}.pipelining,
               std::to_string(p.pipelining));
}

}  // namespace

std::optional<ProfileEntry> ParseProfileEntry(std::string_view text) {
  text = trimView(text);
  if (text.empty()) return std::nullopt;
  ProfileEntry entry;
  const std::size_t comma = text.find(',');
  std::string_view host = comma == std::string_view::npos ? text : text.substr(comma + 1);
  const std::size_t colon = host.find(':');
  if (colon != std::string_view::npos) {
    entry.port = portNumber(trimView(host.substr(colon + 1)));
    host = host.substr(0, colon);
  }
  entry.host = trim(host);
  if (entry.host.empty()) return std::nullopt;
  entry.alias = comma == std::string_view::npos ? entry.host : trim(text.substr(0, comma));
  if (entry.alias.empty()) return std::nullopt;
  return entry;
}

std::string ProfileEntryText(const TProfile& profile) {
  std::string text = profile.alias + "," + profile.host;
  if (profile.port != 0) text += ":" + std::to_string(profile.port);
  return text;
}

std::string DefaultNewsrcPath(const std::string& baseDir, const std::string& alias) {
  return baseDir + alias + ".newsrc";
}

LoadedProfiles ReadProfiles(const IniFile& ini, const ServersFileContext& context) {
  LoadedProfiles loaded;
  for (const auto& text : profileEntries(ini)) {
    const auto entry = ParseProfileEntry(text);
    if (!entry) continue;
    // Aliases name sections, which are found without regard to case: a second
    // profile under the same alias could never hold settings of its own.
    const bool duplicate =
        std::any_of(loaded.profiles.begin(), loaded.profiles.end(),
                    [&](const auto& p) { return equalsNoCase(p->alias, entry->alias); });
    if (!duplicate) loaded.profiles.push_back(readProfile(ini, *entry, context));
  }
  const auto defaultText = ini.read(kProfilesSection, "Default");
  const std::int64_t oneBased = defaultText ? parseDecimal(trimView(*defaultText)).value_or(1) : 1;
  loaded.defaultIndex = static_cast<int>(std::clamp<std::int64_t>(oneBased - 1, -1, INT32_MAX - 1));
  return loaded;
}

void WriteProfiles(IniFile& ini, const ProfileList& profiles, int defaultIndex,
                   const ServersFileContext& context) {
  // Emptied rather than erased, so that the section keeps its place.
  for (const auto& key : ini.keys(kProfilesSection)) ini.eraseKey(kProfilesSection, key);
  ini.writeInteger(kProfilesSection, "count", static_cast<long long>(profiles.size()));
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    ini.write(kProfilesSection, std::to_string(i + 1), ProfileEntryText(*profiles[i]));
  }
  ini.writeInteger(kProfilesSection, "Default", defaultIndex + 1);
  for (const auto& p : profiles) writeProfileSection(ini, *p, context);
}

bool SaveProfiles(const std::string& path, const ProfileList& profiles, int defaultIndex,
                  const ServersFileContext& context, const std::vector<std::string>& erasedAliases,
                  std::string* error) {
  IniFile ini(path);
  for (const auto& alias : erasedAliases) ini.eraseSection(alias);
  WriteProfiles(ini, profiles, defaultIndex, context);
  return ini.save(error, kServersFileMode);
}

std::string ReadLastUpdated(const std::string& path, std::string_view alias) {
  return IniFile(path).readString(alias, "LastUpdated");
}

bool WriteLastUpdated(const std::string& path, std::string_view alias, std::string_view value,
                      std::string* error) {
  IniFile ini(path);
  ini.write(alias, "LastUpdated", value);
  return ini.save(error, kServersFileMode);
}

bool IsUsableIcon(const std::string& path) {
  const bool ico = endsWithNoCase(path, ".ico");
  const bool bmp = endsWithNoCase(path, ".bmp");
  if (!ico && !bmp) return false;
  std::ifstream in(path, std::ios::binary);
  char head[4] = {};
  if (!in.read(head, sizeof head)) return false;
  if (ico) return head[0] == 0 && head[1] == 0 && head[2] == 1 && head[3] == 0;
  return head[0] == 'B' && head[1] == 'M';
}

}  // namespace orvel
