#include "config/identities_file.h"

#include "core/text.h"

namespace orvel {

namespace {

constexpr const char* kIdSection = "ID";

}  // namespace

TID ReadDefaultIdentity(const IniFile& ini) {
  TID id;
  id.name = kDefaultIdentityName;
  id.Name = ini.readString(kIdSection, "Name", "Your name");
  id.Email = ini.readString(kIdSection, "Email", "Your email");
  id.PublicEmail = ini.readString(kIdSection, "PublicEmail", id.Email);
  id.Organization = ini.readString(kIdSection, "Organization", "Your Company");
  id.SigFile = ini.readString(kIdSection, "SigFile", "sig.txt");
  id.IDToken = SanitiseIDToken(ini.readString(kIdSection, "IDToken"));
  return id;
}

void WriteDefaultIdentity(IniFile& ini, const TID& id) {
  for (const auto& f : kIdentityFields) ini.write(kIdSection, f.key, id.*f.field);
}

std::vector<TID> ReadIdentities(const IniFile& ini, const TID& defaultIdentity) {
  std::vector<TID> out;
  for (const auto& section : ini.sections()) {
    if (equalsNoCase(section, kDefaultIdentityName)) continue;
    TID id = defaultIdentity;
    id.name = section;
    for (const auto& [key, value] : ini.entries(section)) SetIdentityField(id, key, value);
    out.push_back(std::move(id));
  }
  return out;
}

void WriteIdentities(IniFile& ini, const std::vector<TID>& identities) {
  if (identities.empty()) return;
  const TID& base = identities.front();
  for (std::size_t i = 1; i < identities.size(); ++i) {
    const TID& id = identities[i];
    ini.eraseSection(id.name);
    for (const auto& f : kIdentityFields) {
      if (id.*f.field != base.*f.field) ini.write(id.name, f.key, id.*f.field);
    }
  }
}

bool SaveIdentities(const std::string& orvelIniPath, const std::string& idsIniPath,
                    const std::vector<TID>& identities,
                    const std::vector<std::string>& erasedNames, std::string* error) {
  if (identities.empty()) return true;
  IniFile orvel(orvelIniPath);
  WriteDefaultIdentity(orvel, identities.front());
  if (!orvel.save(error)) return false;
  IniFile ids(idsIniPath);
  for (const auto& name : erasedNames) ids.eraseSection(name);
  WriteIdentities(ids, identities);
  return ids.save(error);
}

}  // namespace orvel
