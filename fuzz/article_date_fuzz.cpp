// Arbitrary bytes as a Date header: parsing ends, a parsed date formats, and
// the positional reading of the common form agrees with the general one (a
// tab for the blank after the day sends the same text through the latter).
#include <cstdint>
#include <string>
#include <string_view>

#include "articles/article_date.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const orvel::DateTime date = orvel::ParseArticleDate(text);
  const std::size_t digit = text.find_first_of("0123456789");
  const std::size_t blank = digit == std::string_view::npos ? digit : text.find(' ', digit);
  if (blank != std::string_view::npos && text.find_first_not_of("0123456789", digit) == blank) {
    std::string general(text);
    general[blank] = '\t';
    const orvel::DateTime other = orvel::ParseArticleDate(general);
    if (other != date && !(other != other && date != date)) __builtin_trap();
  }
  if (date != 0) {
    const orvel::DateParts parts = orvel::DecodeDateTime(date);
    if (parts.month < 0 || parts.month > 12) __builtin_trap();
    (void)orvel::FormatDateHeader(date, 0, 0);
    (void)orvel::FormatListDate(date, date, orvel::DateFormatSettings{});
  }
  return 0;
}
