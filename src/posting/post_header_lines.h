#pragma once
// The texts of an outgoing article's header that follow fixed forms: the
// subject with its part counter and file label, folding of long group
// lines, and the Message-ID, MIME boundary and partial id.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "articles/article_date.h"

namespace orvel {

inline constexpr std::string_view kUserAgentLine = "User-Agent: Orvel/Fr.08.12";

// " (03/12)": the part zero-padded to the width of the total; empty when
// the total is 0 or less.
std::string PartCounter(int part, int total);

// " - File 2 of 3", the number zero-padded to the width of the count.
std::string FileLabel(int number, int count);

// The subject line of a message carrying every file together: with the
// file count when asked ("Subject: s - 3 attachments (1/2)").
std::string TogetherSubjectLine(std::string_view subject, int fileCount, bool showFileCount,
                                int part, int total);

// The subject line of an article of one file's series (label may be empty).
std::string FileSubjectLine(std::string_view subject, std::string_view label,
                            std::string_view fileName, std::uint64_t size, bool yEnc, int part,
                            int total);

// A header line of 998 characters or more broken after commas into lines
// each below 998 characters, the continuations beginning with a TAB. A
// group name too long to fit stays on a line of its own.
std::vector<std::string> FoldGroupsLine(std::string_view line);

// "<OvF" + whole days, day fraction x 1,000,000 and random in upper-case
// hexadecimal, then the ID token, "@" and host, ">".
std::string MakeMessageId(DateTime now, unsigned random, const std::string& idToken,
                          const std::string& host);

// "==_=_====____" + the date-time with ten decimals + two randoms in hex + "==".
std::string MakeMimeBoundary(DateTime now, unsigned random1, unsigned random2);

// The date-time with ten decimals, a random in hex, "@" and the server address.
std::string MakePartialId(DateTime now, unsigned random, std::string_view serverAddress);

}  // namespace orvel
