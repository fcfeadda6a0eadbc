#pragma once
// A multi-part thread of a group view as the NZB file of its post.

#include <string_view>

#include "content/nzb.h"

namespace orvel {

class TAThread;

// The file of a multi-part thread: poster, date and subject of its first
// part, the view's group, and one segment per part present (of a part
// posted twice, the article the server numbered first).
NzbFile NzbFileOfThread(const TAThread& thread, std::string_view group);

}  // namespace orvel
