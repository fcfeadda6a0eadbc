#pragma once
// PostJob: what the article writer needs of one queued message, as plain
// data. The poster fills it from the queued text and its record.

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "config/identity.h"

namespace orvel {

struct PostFile {
  std::string path;
  std::string name;         // the bare file name
  std::uint64_t size = 0;   // when the message was composed
};

struct PostJob {
  TID identity;  // Name, Email (real), PublicEmail, Organization, IDToken
  std::string groups, followUp, subject;  // subject: up to the first LF
  std::vector<std::string> body;          // text lines; empty: no body text
  std::string references;
  bool referencesAllowed = true;
  bool noArchive = false;
  std::vector<std::pair<std::string, std::string>> extraHeaders;  // personal + manual, in order
  std::string toName, toAddress;  // the addressee of the mail
  bool postWanted = false;        // "Posted-and-Mailed: yes|no" in the mail
  std::vector<PostFile> files;    // existing, non-empty attachments, in order
  // 0 together, 1 separately, 2 text in the first file, 3 text in every
  // file, as queued; the writer turns it into 0 for mail and 1 into 2
  // without body text.
  int option = 0;
  bool mime = false, yEnc = false, showFileCount = false;
  int cutSize = 0;  // lines per article (uuencode, base64), bytes (yEnc); 0: no limit
  int seriesIndex = -1, seriesCount = -1;  // of a per-attachment series, 1-based
};

}  // namespace orvel
