#pragma once
// TProfile: one configured news server under the user's alias.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "config/identity.h"

namespace orvel {

struct TProfile {
  std::string alias;
  std::string host;
  std::string SMTPHost;          // empty: the global setting; "host:port" allowed
  std::string SMTPUser;          // mail relay login (over STARTTLS only); empty: none
  std::string SMTPPassword;
  std::string newsrcPath;        // full path of the read-state file
  std::string userName;          // empty: no login
  std::string password;          // empty: ask at login
  std::string promptedPassword;  // typed at the login prompt; memory only
  int port = 0;                  // 0: the default port 119
  int iconIndex = -1;
  std::string iconPath;          // "Icon" key: an image shown beside the server
  bool tls = false;              // NNTP over TLS
  std::string caFile;            // extra trusted CA certificates (PEM), empty: system store only
  bool extensions = true;        // ask CAPABILITIES and use the extensions offered
  bool startTls = false;         // STARTTLS on the plain port before the login
  bool compress = true;          // COMPRESS DEFLATE when offered
  int pipelining = 4;            // commands sent ahead of their replies; 1: none
  static constexpr int kMaxPipelining = 16;
  TID identity;

  // The port to connect to: 0 means 119, or 563 over TLS.
  int effectivePort() const { return port != 0 ? port : tls ? 563 : 119; }
};

// The profile list: shared so that a connection keeps its profile (and the
// password typed at its prompt) alive while it is lent.
using ProfileList = std::vector<std::shared_ptr<TProfile>>;

// The index of the profile with that alias (without regard to case), or -1.
int ProfileIndex(const ProfileList& profiles, std::string_view alias);

// A copy for a new profile: everything but the newsrc path and the prompted
// password.
TProfile CopyProfile(const TProfile& source);

// The companion read-state file of a newsrc: a ".newsrc" extension (any case)
// is replaced by ".Orvelrc", any other name gets ".Orvelrc" appended.
std::string CompanionReadStatePath(const std::string& newsrcPath);

// Two profiles name the same server when hosts match without regard to case
// and user names, passwords and ports are equal.
bool SameServer(const TProfile& a, const TProfile& b);

}  // namespace orvel
