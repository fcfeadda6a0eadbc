#pragma once
// The control message that cancels an article, as the group view posts it
// for the article shown or for each article of a cancel batch.

#include <string>
#include <string_view>

namespace orvel {

inline constexpr std::string_view kCancelSentText = "Cancel envoyé !     ";
inline constexpr std::string_view kCancellingText = "Annule.....";

struct CancelTarget {
  std::string groups;     // the article's groups (the current group for a batch)
  std::string messageId;
  std::string from;       // as the article's From reads
  std::string subject;
};

// The message's lines with CR LF, without the final "." (the NNTP client
// adds it). cancelKey: the "Cancel-Key:" value opening the article's lock,
// empty when there is none.
std::string CancelMessage(const CancelTarget& target, std::string_view cancelKey);

}  // namespace orvel
