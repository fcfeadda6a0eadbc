#pragma once
// The header of an outgoing article or mail: the fixed order of its lines
// to the news server and to the mail server, and what the writer is given
// from outside (time, randomness, content types, Message-IDs).

#include <functional>
#include <string>
#include <vector>

#include "articles/article_date.h"
#include "posting/post_header_lines.h"  // MakeMessageId
#include "posting/post_job.h"

namespace orvel {

enum class PostTarget { News, Mail };

struct WriterEnvironment {
  DateTime now = 0;  // local time and zone as the queued text uses them
  int tz = 0;
  bool generateDateHeader = false, setReplyToInPost = false;
  std::function<unsigned()> random;  // below 65535; needed when MIME is on
  // The content type of a file name; "application/octet-stream" without one.
  std::function<std::string(const std::string& fileName)> contentType;
  std::string serverAddress;  // numeric address of the news server (partial id)
  // The Message-ID of article index k (0-based over the whole send), "<...>"
  // or empty for none; the poster supplies it so that a resend reuses it.
  std::function<std::string(int article)> messageId;
  // The Cancel-Lock value for a Message-ID, empty for none.
  std::function<std::string(const std::string& messageId)> cancelLock;
};

// What changes from one article of a send to the next.
struct ArticleHeaderParts {
  std::string subjectLine;          // "Subject: ..."
  std::string messageId;            // news only; empty: none
  std::string cancelLock;           // written after the Message-ID
  bool dropMimeHeaders = false;     // extra MIME headers left out (MIME or files)
  std::vector<std::string> mime;    // the MIME lines closing the header
  bool endsHeader = true;           // an empty line follows; else the body completes it
};

std::vector<std::string> ArticleHeaderLines(const PostJob& job, PostTarget target,
                                            const WriterEnvironment& env,
                                            const ArticleHeaderParts& parts);

}  // namespace orvel
