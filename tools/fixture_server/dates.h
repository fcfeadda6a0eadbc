#pragma once
// Date conversions the server needs, all in UTC: the NNTP "yyyymmdd hhmmss"
// form of NEWGROUPS and DATE, and the article Date header form.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace orvel::fixture {

// Seconds since 1970 of a NEWGROUPS date ("yymmdd" or "yyyymmdd") and time
// ("hhmmss"); two-digit years below 70 are 20yy, others 19yy.
std::optional<std::int64_t> epochFromNntp(std::string_view date, std::string_view time);
// "yyyymmddhhmmss" (14 digits) or a plain count of seconds.
std::optional<std::int64_t> epochFromText(std::string_view text);

// "yyyymmddhhmmss", as the DATE command answers.
std::string nntpDateTime(std::int64_t epoch);
// Appends "Mon, 01 Jan 2024 00:00:00 +0000".
void appendArticleDate(std::int64_t epoch, std::string& out);

}  // namespace orvel::fixture
