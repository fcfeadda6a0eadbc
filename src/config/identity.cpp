#include "config/identity.h"

#include "core/text.h"

namespace orvel {

namespace {

bool isAsciiAlnum(unsigned char c) {
  return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool isUtf8Continuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

std::string SanitiseIDToken(std::string_view token) {
  const std::string_view text = trimView(token);
  std::string out;
  int characters = 0;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const auto c = static_cast<unsigned char>(text[i]);
    if (isUtf8Continuation(c) && i > 0 && static_cast<unsigned char>(text[i - 1]) >= 0x80) {
      continue;  // the rest of a character already replaced
    }
    if (characters == 20) break;
    out += isAsciiAlnum(c) ? static_cast<char>(c) : '.';
    ++characters;
  }
  return out;
}

bool SetIdentityField(TID& id, std::string_view key, std::string_view value) {
  for (const auto& f : kIdentityFields) {
    if (!equalsNoCase(key, f.key)) continue;
    id.*f.field = f.field == &TID::IDToken ? SanitiseIDToken(value) : std::string(value);
    return true;
  }
  return false;
}

int IdentityIndex(const std::vector<TID>& identities, std::string_view name) {
  for (std::size_t i = 0; i < identities.size(); ++i) {
    if (equalsNoCase(identities[i].name, name)) return static_cast<int>(i);
  }
  return -1;
}

const TID* FindIdentity(const std::vector<TID>& identities, std::string_view name) {
  const int i = IdentityIndex(identities, name);
  return i >= 0 ? &identities[static_cast<std::size_t>(i)] : nullptr;
}

}  // namespace orvel
