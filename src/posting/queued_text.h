#pragma once
// The queued message text: the one text a composed message becomes for the
// Outbox and the poster, and the queue record stored beside it. Headers end
// in CR LF, in a fixed order, with the window's own "X-ID", "X-Status" and
// "X-Attachments" lines carrying what is not a header of the article; the
// body keeps the editor's line ends (LF after a soft-wrapped line, CR LF
// after a hard one) and the text ends with a NUL byte.
//
// ReadQueuedText parses such a text back into the message it came from, so
// a queued message can be reopened and edited.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "articles/article_arena.h"
#include "articles/article_date.h"
#include "posting/compose_message.h"

namespace orvel {

// The fields of the Outbox entry's article record.
struct QueueRecord {
  std::string subject;     // "\n - " and the file name added for a per-attachment message
  std::string groupField;  // "server:groups", then "!" and the follow-up groups
  std::string toName;
  std::string toAddress;
  std::string references;
  int lines = 0;
  DateTime date = 0;
  unsigned flags = 0;  // the X-Status bits
  bool hasAttachments = false;

  bool operator==(const QueueRecord&) const = default;
};

struct QueuedText {
  std::string text;
  QueueRecord record;
};

unsigned XStatusBits(const ComposeMessage& message);

// How many entries saving the message stores: one per attachment when there
// is more than one and they do not go together, else one.
int QueuedMessageCount(const ComposeMessage& message);

// The text and record of the message, dated now (local time, zone tz as
// hours x 100 + minutes). part -1 gives the one message that carries every
// attachment; 0 to QueuedMessageCount - 1 gives the per-attachment message
// of that index, which has no body after the first unless the text goes in
// each file. Values are written on one line: a CR or LF in a header value,
// or a TAB in an X-ID field, becomes a space.
QueuedText BuildQueuedText(const ComposeMessage& message, DateTime now, int tz, int part = -1);

// The size of an attachment on disk, nothing when it cannot be read.
using AttachmentSizer = std::function<std::optional<std::uint64_t>(const std::string& path)>;

// The message a queued text was built from. configuredRows are the personal
// header rows the window would show: a header of the text with a row's name
// fills that row and switches it on; "Supersedes" gets a row of its own when
// none is configured; other unknown headers become manual lines. Attachment
// sizes come from sizeOf (0 when it has none). Nothing, with the reason in
// error, when the text is not a queued message.
std::optional<ComposeMessage> ReadQueuedText(std::string_view text,
                                             const std::vector<PersonalHeader>& configuredRows,
                                             const AttachmentSizer& sizeOf, std::string& error);

// Whether a stored text is a queued message (it carries the window's X-ID
// line) rather than an article copied from a group.
bool IsQueuedText(std::string_view text);

// The Outbox record of a queued message, in the arena.
TArticle* NewQueueRecord(ArticleArena& arena, const QueueRecord& record);

struct HeaderLine {
  std::string name;
  std::string value;
};

// The header lines of a queued text up to the empty line (a line starting
// with a blank continues the one before it) and where the body starts;
// nothing, with the reason in error, when no empty line ends them.
std::optional<std::vector<HeaderLine>> SplitHeaders(std::string_view text, std::size_t& bodyStart,
                                                    std::string& error);

}  // namespace orvel
