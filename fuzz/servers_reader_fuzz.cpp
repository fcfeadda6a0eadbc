// Arbitrary bytes as "servers.ini": reading must never crash, and saving what
// was read (key by key, into the same file) then reading again must give the
// same profiles (an alias holding "]" cannot name its section, so a file
// with one is only read).
#include <cstdint>
#include <string>
#include <string_view>

#include "config/servers_file.h"

namespace {

// A section name ends at its first "]".
bool storable(const orvel::TProfile& p) { return p.alias.find(']') == std::string::npos; }

bool same(const orvel::TProfile& a, const orvel::TProfile& b) {
  return a.alias == b.alias && a.host == b.host && a.port == b.port && a.userName == b.userName &&
         a.password == b.password && a.SMTPHost == b.SMTPHost && a.newsrcPath == b.newsrcPath &&
         a.identity == b.identity && a.tls == b.tls && a.caFile == b.caFile;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  orvel::TID base{orvel::kDefaultIdentityName, "Ann", "a@example.net", "", "a@example.net",
                  "sig.txt", ""};
  orvel::TID work = base;
  work.name = "Work";
  work.Organization = "Example";
  const orvel::ServersFileContext context{"/base/", "smtp.example.net", {base, work}};

  orvel::IniFile ini = orvel::IniFile::FromText(text);
  const auto first = orvel::ReadProfiles(ini, context);
  orvel::WriteProfiles(ini, first.profiles, first.defaultIndex, context);
  const auto second = orvel::ReadProfiles(orvel::IniFile::FromText(ini.text()), context);

  bool allStorable = true;
  for (const auto& p : first.profiles) allStorable = allStorable && storable(*p);
  if (!allStorable) return 0;
  if (second.profiles.size() != first.profiles.size()) __builtin_trap();
  if (second.defaultIndex != first.defaultIndex) __builtin_trap();
  for (std::size_t i = 0; i < first.profiles.size(); ++i) {
    if (!same(*first.profiles[i], *second.profiles[i])) __builtin_trap();
  }
  return 0;
}
