#include "config/profile.h"

#include <algorithm>
#include <cctype>

#include "core/text.h"

namespace orvel {

namespace {

bool equalNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

int ProfileIndex(const ProfileList& profiles, std::string_view alias) {
  for (std::size_t i = 0; i < profiles.size(); ++i) {
    if (equalsNoCase(profiles[i]->alias, alias)) return static_cast<int>(i);
  }
  return -1;
}

TProfile CopyProfile(const TProfile& source) {
  TProfile copy = source;
  copy.newsrcPath.clear();
  copy.promptedPassword.clear();
  return copy;
}

std::string CompanionReadStatePath(const std::string& newsrcPath) {
  static constexpr std::string_view kNewsrc = ".newsrc";
  const std::size_t slash = newsrcPath.rfind('/');
  const std::size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  if (newsrcPath.size() - nameStart >= kNewsrc.size() &&
      endsWithNoCase(newsrcPath, kNewsrc)) {
    return newsrcPath.substr(0, newsrcPath.size() - kNewsrc.size()) + ".Orvelrc";
  }
  return newsrcPath + ".Orvelrc";
}

bool SameServer(const TProfile& a, const TProfile& b) {
  return equalNoCase(a.host, b.host) && a.userName == b.userName && a.password == b.password &&
         a.port == b.port;
}

}  // namespace orvel
