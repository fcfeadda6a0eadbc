#pragma once
// What a news URL asks for: the decision only, carried out by the main window.
//
//   news:group                open the default profile's group list at group
//   news:id@host              fetch <id@host> in the first group view, else
//                             through the default profile's group list
//   news://host[:port]/P      open the profile of that server; P a group: go
//   nntp://host[:port]/P      to it; P an id: fetch it in that profile's group
//   snews://host[:port]/P     view; no such profile: offer a new one for host
//                             (snews: over TLS, port 563 by default)

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "config/profile.h"

namespace orvel {

struct NewsUrlAction {
  enum class Kind {
    Nothing,
    FetchMessageId,        // in the first open group view, else via the default profile
    OpenDefaultGoToGroup,  // default profile's group list, go to group
    OpenProfile,           // the profile only (no path, or "*")
    OpenProfileFetchMessageId,
    OpenProfileGoToGroup,
    OfferNewProfile,  // new-server dialog for host; then group (when any) is subscribed
  };
  Kind kind = Kind::Nothing;
  int profileIndex = -1;  // the profile to open (the default one for the news: forms)
  std::string group;
  std::string messageId;  // with its angle brackets
  std::string host;       // OfferNewProfile: the host, port and TLS wish of the URL
  int port = 0;
  bool tls = false;
};

// The news URL a start-up argument carries: "/url=LINK", or the link itself
// when it starts with news:, nntp: or snews: (the form desktop launchers pass;
// a profile alias cannot hold a colon, so nothing else is taken for a link).
std::optional<std::string> UrlArgument(std::string_view argument);

NewsUrlAction DecideNewsUrl(std::string_view url, const ProfileList& profiles,
                            int defaultProfileIndex);

}  // namespace orvel
