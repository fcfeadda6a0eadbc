#include "config/profile.h"

#include <algorithm>
#include <cctype>

namespace orvel {

namespace {

bool equalNoCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) ==
                  std::tolower(static_cast<unsigned char>(y));
         });
}

}  // namespace

bool SameServer(const TProfile& a, const TProfile& b) {
  return equalNoCase(a.host, b.host) && a.userName == b.userName && a.password == b.password &&
         a.port == b.port;
}

}  // namespace orvel
