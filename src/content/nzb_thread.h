#pragma once
// A binary post of a group view as the NZB file of its post: a multi-part
// thread, or a post in one part ("(1/1)", often a PAR2 file).

#include <string_view>
#include <vector>

#include "content/nzb.h"

namespace orvel {

class TAThread;
class TArticle;

// The file of a multi-part thread: poster, date and subject of its first
// part, the view's group, and one segment per part present (of a part
// posted twice, the article the server numbered first).
NzbFile NzbFileOfThread(const TAThread& thread, std::string_view group);
// The file of a post in one article: one segment, numbered by its part
// number (1 without one).
NzbFile NzbFileOfArticle(const TArticle& article, std::string_view group);
// The binary posts among articles, in their order: the file of each
// multi-part thread one of them is in (once), and of each other article
// with a part number; the rest are not binary posts and are left out.
NzbDocument NzbOfArticles(const std::vector<const TArticle*>& articles, std::string_view group);

}  // namespace orvel
