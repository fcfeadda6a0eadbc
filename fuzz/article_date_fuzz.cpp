// Arbitrary bytes as a Date header: parsing ends, and a parsed date formats.
#include <cstdint>
#include <string_view>

#include "articles/article_date.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const orvel::DateTime date = orvel::ParseArticleDate(text);
  if (date != 0) {
    const orvel::DateParts parts = orvel::DecodeDateTime(date);
    if (parts.month < 0 || parts.month > 12) __builtin_trap();
    (void)orvel::FormatDateHeader(date, 0, 0);
    (void)orvel::FormatListDate(date, date);
  }
  return 0;
}
