#include "config/news_url.h"

#include "core/perlre.h"
#include "core/text.h"

namespace orvel {

namespace {

struct HostPort {
  std::string host;
  int port = 0;
};

// "host", "host:port", "[v6]" or "[v6]:port"; a port that is not a number is 0.
HostPort splitHostPort(const std::string& authority) {
  HostPort hp;
  std::string portText;
  if (!authority.empty() && authority.front() == '[') {
    const std::size_t close = authority.find(']');
    if (close != std::string::npos) {
      hp.host = authority.substr(1, close - 1);
      if (close + 1 < authority.size() && authority[close + 1] == ':') {
        portText = authority.substr(close + 2);
      }
    } else {
      hp.host = authority;
    }
  } else {
    const std::size_t colon = authority.rfind(':');
    if (colon != std::string::npos && colon > 0 && colon + 1 < authority.size()) {
      hp.host = authority.substr(0, colon);
      portText = authority.substr(colon + 1);
    } else {
      hp.host = authority;
    }
  }
  const auto port = parseDecimal(portText);
  hp.port = port && *port > 0 && *port < 65536 ? static_cast<int>(*port) : 0;
  return hp;
}

int canonicalPort(int port, bool tls) {
  if (port == 0) return tls ? 563 : 119;
  return port;
}

bool validIndex(int index, const ProfileList& profiles) {
  return index >= 0 && index < static_cast<int>(profiles.size());
}

}  // namespace

std::optional<std::string> UrlArgument(std::string_view argument) {
  if (startsWithNoCase(argument, "/url=")) return std::string(argument.substr(5));
  for (std::string_view scheme : {"news:", "nntp:", "snews:"}) {
    if (startsWithNoCase(argument, scheme)) return std::string(argument);
  }
  return std::nullopt;
}

NewsUrlAction DecideNewsUrl(std::string_view url, const ProfileList& profiles,
                            int defaultProfileIndex) {
  using Kind = NewsUrlAction::Kind;
  NewsUrlAction action;
  TPerlre re(true, TPerlre::kCaseless);
  re.Compile("^(news|nntp|snews):(//)?([^ /]+)(/(.+)?)?$");
  if (!re.Match(url)) return action;
  const bool tls = equalsNoCase(re.SubExpView(1), "snews");
  const bool slashes = re.SubExpCount() >= 2 && !re.SubExpView(2).empty();
  const std::string a = re.SubExp(3);
  const bool hasPath = re.SubExpCount() >= 4 && !re.SubExpView(4).empty();
  const std::string p = re.SubExpCount() >= 5 ? re.SubExp(5) : std::string();

  if (!slashes && !hasPath) {
    if (!validIndex(defaultProfileIndex, profiles)) return action;
    action.profileIndex = defaultProfileIndex;
    if (a.find('@') != std::string::npos) {
      action.kind = Kind::FetchMessageId;
      action.messageId = "<" + a + ">";
    } else {
      action.kind = Kind::OpenDefaultGoToGroup;
      action.group = a;
    }
    return action;
  }

  const HostPort hp = splitHostPort(a);
  const int wanted = canonicalPort(hp.port, tls);
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    const TProfile& profile = *profiles[i];
    if (equalsNoCase(profile.host, hp.host) &&
        canonicalPort(profile.port, tls || profile.tls) == wanted) {
      action.profileIndex = static_cast<int>(i);
      break;
    }
  }
  const bool pathGiven = !p.empty() && p != "*";
  const bool pathIsId = pathGiven && p.find('@') != std::string::npos;
  if (action.profileIndex < 0) {
    action.kind = Kind::OfferNewProfile;
    action.host = hp.host;
    action.port = hp.port;
    action.tls = tls;
    if (pathGiven && !pathIsId) action.group = p;
    return action;
  }
  if (!pathGiven) {
    action.kind = Kind::OpenProfile;
  } else if (pathIsId) {
    action.kind = Kind::OpenProfileFetchMessageId;
    action.messageId = "<" + p + ">";
  } else {
    action.kind = Kind::OpenProfileGoToGroup;
    action.group = p;
  }
  return action;
}

}  // namespace orvel
