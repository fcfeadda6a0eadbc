#pragma once
// The one state an article row's icon shows, the most pressing first: a
// body the server no longer has, a body on its way, a reply to the user, an
// article kept, one with attachments, a message sent, a body stored here.

#include "articles/article.h"

namespace orvel {

enum class RowState { None, Missing, Fetching, ReplyToMe, Kept, Attachments, Sent, Stored };

RowState RowStateOf(const TNode& node);

}  // namespace orvel
