#pragma once
// One queued message made ready for the poster: what the writer needs, the
// server it goes to, and which of its targets are still wanted. The Outbox
// and the compose window both send through it.

#include <optional>
#include <string>
#include <string_view>

#include "posting/compose_message.h"
#include "posting/post_job.h"

namespace orvel {

struct PostSend {
  PostJob job;
  std::string server;  // the server profile's alias
  unsigned flags = 0;  // X-Status bits as they stand now

  bool MailPending() const {
    return (flags & kXStatusMailWanted) && !(flags & kXStatusMailSent) && !job.toAddress.empty();
  }
  bool PostPending() const {
    return (flags & kXStatusPostWanted) && !(flags & kXStatusPosted) && !job.groups.empty();
  }
  bool KeepCopy() const { return (flags & kXStatusKeepCopy) != 0; }
};

inline constexpr unsigned kXStatusTargets =
    kXStatusMailWanted | kXStatusMailSent | kXStatusPostWanted | kXStatusPosted;

// Reads a queued text. targets: the queue record's mail and post bits
// (wanted, sent), which say what was sent since the text was stored (none:
// the text's own); the other X-Status bits come from the text. An attachment that is gone, or
// whose size changed since the message was composed, is an error: the
// message would go out other than the person saw it. Empty files are left
// out.
std::optional<PostSend> ReadPostSend(std::string_view text, std::optional<unsigned> targets,
                                     std::string& error);

}  // namespace orvel
