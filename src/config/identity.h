#pragma once
// TID: a named set of poster details used when posting and mailing.

#include <string>

namespace orvel {

struct TID {
  std::string name;  // section name in "IDs.ini"; "<Default>" for the default identity
  std::string Name;
  std::string Email;
  std::string Organization;
  std::string PublicEmail;
  std::string SigFile;
  std::string IDToken;  // Message-ID token, kept sanitised (see SanitiseIDToken)
};

inline constexpr const char* kDefaultIdentityName = "<Default>";

}  // namespace orvel
