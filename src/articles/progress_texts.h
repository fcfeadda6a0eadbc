#pragma once
// The texts a group view shows about its connections: the progress bar of a
// slot, the transfer rate, the resumption countdown and the window caption,
// also during a batch.

#include <cstdint>
#include <string>
#include <string_view>

namespace orvel {

inline constexpr std::string_view kNoFreeConnection = "Pas de connexion valide";
inline constexpr std::string_view kResumingText = "Reprise....";
inline constexpr std::string_view kTryingText = "; trying ";

// "%s. %s %s": slot number (1 or 2), profile alias, action text.
std::string SlotBarText(int slot, std::string_view alias, std::string_view action);
// "Se connecte à " + alias + " (" + host + ")".
std::string ConnectingText(std::string_view alias, std::string_view host);
// " %d/%.0f=%.0f B/s": bytes received, seconds, bytes per second; empty when
// no time has passed.
std::string TransferRateText(std::int64_t bytes, std::int64_t elapsedMs);
// "Tentative dans " + seconds + " secs.  Echap. pour arréter."
std::string CountdownText(std::int64_t seconds);

// A server group's caption: group + " :: " + alias; a folder's: "/" + name + "/".
std::string ServerCaption(std::string_view group, std::string_view alias);
std::string FolderCaption(std::string_view folder);
// The caption while a batch transfers:
// "%s::%s | %.0f%% done %.0fK in %s (%.2fK/s) | %.0fK %s left".
std::string BatchCaption(std::string_view alias, std::string_view group, std::int64_t bytesDone,
                         std::int64_t bytesLeft, std::int64_t elapsedMs);
// Seconds as hh:mm:ss (hours not limited to two digits).
std::string ClockText(std::int64_t seconds);

}  // namespace orvel
