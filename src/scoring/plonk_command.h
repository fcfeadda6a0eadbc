#pragma once
// Plonking the author of an article (acaKill): asks for how many days, adds
// the author to the list and says so in the status line. The article keeps
// its score until the overview is parsed again.

#include <cstdint>
#include <string_view>

#include "core/prompter.h"
#include "scoring/plonker.h"

namespace orvel {

inline constexpr std::string_view kPlonkDaysPrompt = "Expire dans: (Nbr de jours, 0=Jamais)";
inline constexpr std::string_view kAlreadyPlonkedText = "Oiseau d\u00e9j\u00e0 plonk\u00e9 !   ";
inline constexpr std::string_view kPlonkedText = "Auteur Plonk\u00e9 s\u00e9v\u00e8re !     ";
inline constexpr std::int64_t kPlonkDefaultDays = 100;
inline constexpr std::int64_t kPlonkMaxDays = 365;

enum class PlonkOutcome { Cancelled, Added, AlreadyPlonked };

// The expiry day number of an entry kept days from today (0 days: never).
std::int32_t PlonkExpiry(std::int64_t days, std::int32_t today);

PlonkOutcome PlonkAuthor(TPlonker& plonker, std::string_view name, std::string_view address,
                         std::int32_t today, Prompter& prompter);

}  // namespace orvel
