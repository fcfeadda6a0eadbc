#pragma once
// "servers.ini": the profile list and one section per alias.
//
//   [Profiles]
//   count=2
//   1=home,news.example.net          alias "," host [":" port when non-zero]
//   2=secure,news.example.org:563
//   Default=1                        one-based; absent means 1
//
//   [secure]
//   UserName=me                      login (removed when empty)
//   PassWd=...                       scrambled and escaped password
//   NewsRC=secure.newsrc             relative names are in the base directory
//   SMTPUser=, SMTPPassWd=           mail relay login, the password scrambled
//   SMTPHost=, ID=, Name=, Email=, PublicEmail=, Organization=, SigFile=,
//   IDToken=                         written only where they differ
//   TLS=1                            NNTP over TLS; absent: on when the port is 563
//   CAFile=private-ca.pem            extra trusted CA certificates (PEM)
//   Icon=server.ico                  ".ico" or ".bmp" shown in menus; never written
//   LastUpdated=...                  kept for the group list
//
// Saving erases and rewrites [Profiles] and updates each alias section key by
// key (a key is written when it differs from what reading would assume, and
// removed otherwise), so hand-added keys survive. The file holds passwords:
// it is always written readable by its owner only.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/identity.h"
#include "config/profile.h"
#include "core/ini_file.h"

namespace orvel {

// What reading and writing the file need besides the file itself.
struct ServersFileContext {
  std::string baseDir;               // ends with "/"
  std::string globalSMTPHost;        // the "SMTPHost" setting
  std::vector<TID> identities;       // [0] is the default identity
};

// One "Profiles" entry: text before the first "," is the alias, the rest the
// host (without ",": alias = host); digits after a ":" in the host are the
// port (0 when not a number). Nothing for an entry without a host.
struct ProfileEntry {
  std::string alias;
  std::string host;
  int port = 0;
};
std::optional<ProfileEntry> ParseProfileEntry(std::string_view text);
std::string ProfileEntryText(const TProfile& profile);

// base directory + alias + ".newsrc"
std::string DefaultNewsrcPath(const std::string& baseDir, const std::string& alias);

struct LoadedProfiles {
  ProfileList profiles;
  int defaultIndex = 0;  // the "Default" value minus one; may be out of range
};

LoadedProfiles ReadProfiles(const IniFile& ini, const ServersFileContext& context);
void WriteProfiles(IniFile& ini, const ProfileList& profiles, int defaultIndex,
                   const ServersFileContext& context);

inline constexpr AtomicWriteOptions kServersFileMode{0600, true};

// Rewrites the file at path: the sections of erasedAliases go first (deleted
// profiles), then [Profiles] and every alias section. False with error set
// when it cannot be written.
bool SaveProfiles(const std::string& path, const ProfileList& profiles, int defaultIndex,
                  const ServersFileContext& context,
                  const std::vector<std::string>& erasedAliases = {},
                  std::string* error = nullptr);

// The "LastUpdated" time of an alias ("yymmdd hhnnss" GMT), written by the
// group list after a complete list download.
std::string ReadLastUpdated(const std::string& path, std::string_view alias);
bool WriteLastUpdated(const std::string& path, std::string_view alias, std::string_view value,
                      std::string* error = nullptr);

// An icon file usable beside the server: an existing ".ico" or ".bmp" file
// whose first bytes are of that type.
bool IsUsableIcon(const std::string& path);

}  // namespace orvel
