#pragma once
// The text "Copier les en-têtes" puts on the clipboard: one copy of the
// CopyHeadersTemplate pattern per selected article, its placeholders filled
// from the article's record:
//   %s subject      %f author ("Name <address>", or the address alone)
//   %n author name  %a author address  %d date  %m Message-ID
//   %g group        %N article number  %r line break  %t tab  %% a "%"
// Any other "%" sequence is copied as it is, so a typo shows in the result.

#include <cstdint>
#include <string>
#include <string_view>

#include "core/date_format.h"

namespace orvel {

class TArticle;

struct HeaderTemplateFields {
  std::string subject;
  std::string fromName;
  std::string fromAddress;
  std::string date;
  std::string messageId;
  std::string group;
  std::int32_t number = 0;
};

std::string FormatHeaderTemplate(std::string_view pattern, const HeaderTemplateFields& fields);

// The fields of an article of group; the date in the short date and long
// time formats, empty when the article has none.
HeaderTemplateFields HeaderTemplateFieldsOf(const TArticle& article, std::string_view group,
                                            const DateFormatSettings& dates);

}  // namespace orvel
