#pragma once
// TID: a named set of poster details used when posting and mailing.

#include <string>
#include <string_view>
#include <vector>

namespace orvel {

struct TID {
  std::string name;  // section name in "IDs.ini"; "<Default>" for the default identity
  std::string Name;
  std::string Email;
  std::string Organization;
  std::string PublicEmail;
  std::string SigFile;
  std::string IDToken;  // Message-ID token, kept sanitised (see SanitiseIDToken)

  bool operator==(const TID&) const = default;
};

inline constexpr const char* kDefaultIdentityName = "<Default>";

// The six poster fields by their file key ("Name", "Email", "PublicEmail",
// "Organization", "SigFile", "IDToken"), in the order the files list them.
struct IdentityField {
  const char* key;
  std::string TID::*field;
};
inline constexpr IdentityField kIdentityFields[] = {
    {"Name", &TID::Name},
    {"Email", &TID::Email},
    {"PublicEmail", &TID::PublicEmail},
    {"Organization", &TID::Organization},
    {"SigFile", &TID::SigFile},
    {"IDToken", &TID::IDToken},
};

// Blanks trimmed, cut to 20 characters, each character outside 0-9, A-Z and
// a-z replaced by "." (a multi-byte UTF-8 character counts as one).
std::string SanitiseIDToken(std::string_view token);

// Sets a poster field from its file key; IDToken is sanitised. False when the
// key is not one of the six.
bool SetIdentityField(TID& id, std::string_view key, std::string_view value);

// The identity list begins with the default identity. Names are compared
// without regard to case, as "IDs.ini" section names are.
const TID* FindIdentity(const std::vector<TID>& identities, std::string_view name);
int IdentityIndex(const std::vector<TID>& identities, std::string_view name);

}  // namespace orvel
