#pragma once
// The identity files: the default identity in section "ID" of "Orvel.ini"
// (all six keys), and the named identities of "IDs.ini", one section each,
// holding only the keys whose value differs from the default identity's.

#include <string>
#include <vector>

#include "config/identity.h"
#include "core/ini_file.h"

namespace orvel {

// Section "ID": absent keys read "Your name", "Your email", the Email value,
// "Your Company", "sig.txt" and an empty token.
TID ReadDefaultIdentity(const IniFile& orvelIni);
void WriteDefaultIdentity(IniFile& orvelIni, const TID& id);

// Every section of "IDs.ini" in file order; absent keys take the default
// identity's value. A section named like the default identity is skipped.
std::vector<TID> ReadIdentities(const IniFile& idsIni, const TID& defaultIdentity);

// Each named identity's section is erased and rewritten with the keys that
// differ from the default identity; an identity equal to it leaves no section.
void WriteIdentities(IniFile& idsIni, const std::vector<TID>& identities);

// Saves both files: identities[0] is the default identity; the sections of
// erasedNames (deleted identities) go first. False with error set when a file
// cannot be written.
bool SaveIdentities(const std::string& orvelIniPath, const std::string& idsIniPath,
                    const std::vector<TID>& identities,
                    const std::vector<std::string>& erasedNames = {},
                    std::string* error = nullptr);

}  // namespace orvel
