#pragma once
// Creating and deleting profiles and identities, asking the person through
// the prompter. The checks are separate so that orvel-cli can run the same
// ones without questions. Profiles and identities created here live in
// memory until the settings are saved (servers.ini, IDs.ini).

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "config/main_state.h"
#include "core/prompter.h"

namespace orvel {

// The message refusing an alias, or nothing when it may be used: one already
// in the list (without regard to case) or "Profiles", or one holding \ / : * ? " < > | ,
// (and, since it names a section, [ ] or a control character).
std::optional<std::string> CheckNewAlias(const ProfileList& profiles, std::string_view alias);

// Appends a profile without questions: a copy of source, or else the default
// identity, the global SMTPHost setting and host (a ":" and digits after it
// give the port; 563 means TLS); its newsrc is base directory + alias +
// ".newsrc".
std::shared_ptr<TProfile> AddProfile(MainState& main, const std::string& baseDir,
                                     const TProfile* source, std::string_view host,
                                     std::string_view alias);

// Asks for a server name (when neither source nor host is given) and an
// alias until one is accepted; nullptr when cancelled.
std::shared_ptr<TProfile> NewProfile(MainState& main, const std::string& baseDir,
                                     Prompter& prompter, const TProfile* source,
                                     std::string_view host);

// Removes a profile from the list and keeps the default index on the same
// profile (the first when the default one goes). Returns the removed profile.
std::shared_ptr<TProfile> RemoveProfile(MainState& main, int index);

// Refuses while a group list window of the profile is open; asks to confirm,
// and whether to delete its newsrc file. Returns the removed profile, whose
// alias section the caller erases from "servers.ini" when it saves.
std::shared_ptr<TProfile> DeleteProfile(MainState& main, Prompter& prompter, int index,
                                        const std::function<bool(const TProfile&)>& isOpen);

// The message refusing an identity name, or nothing.
std::optional<std::string> CheckNewIdentityName(const std::vector<TID>& identities,
                                                std::string_view name);

// Asks for a name until one is accepted; the new identity copies source (or
// the default identity). False when cancelled.
bool NewIdentity(MainState& main, Prompter& prompter, const TID* source);

// Refuses the default identity and any deletion while a compose window is
// open; on confirmation removes it from the list, and the caller erases its
// section from "IDs.ini" when it saves. False when nothing was deleted.
bool DeleteIdentity(MainState& main, Prompter& prompter, int index, bool composeWindowOpen);

}  // namespace orvel
