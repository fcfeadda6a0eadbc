#pragma once
// The attribution line written above the quoted text of an answer: a format
// of the group properties with "%" tokens for the answered article's author,
// groups, Message-ID and date.

#include <string>
#include <string_view>

#include "core/date_format.h"

namespace orvel {

struct AttributionSource {
  std::string fromName, fromAddress, from;  // "%a", "%e", "%f"
  std::string newsgroups;                   // "%g"
  std::string messageId;                    // "%m"
  double date = 0;  // the article's date, days since 1899-12-30, local time (0: unknown)
  int tz = 0;       // the local zone as hours x 100 + minutes, to convert "%z" to GMT
};

// The format with its tokens replaced: "%a" "%e" "%f" "%g", "%m" (a bracketed
// Message-ID as a "news:" link), "%d" (dd mmm yyyy) and "%D" (ddd dd mmm yyyy
// hh:nn:ss) with the names of names, "%z" (the date in GMT, English names),
// "%r" (CR LF) and "%%". Another "%x" and a final "%" are copied. The date
// tokens give nothing for an unknown date. A non-empty expansion ends with
// two CR LF.
std::string ExpandAttribution(std::string_view format, const AttributionSource& source,
                              const DateFormatSettings& names);

}  // namespace orvel
