#pragma once
// Small text helpers of the fixture server that core/text.h does not have.

#include <charconv>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace orvel::fixture {

// The words of a line, split at blanks and tabs.
inline std::vector<std::string_view> splitWords(std::string_view text) {
  std::vector<std::string_view> out;
  std::size_t pos = 0;
  while (pos < text.size()) {
    while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
    std::size_t end = pos;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t') ++end;
    if (end > pos) out.push_back(text.substr(pos, end - pos));
    pos = end;
  }
  return out;
}

// Appends a decimal number without building a temporary string.
inline void appendNumber(std::int64_t value, std::string& out) {
  char buf[24];
  auto res = std::to_chars(buf, buf + sizeof buf, value);
  out.append(buf, res.ptr);
}

}  // namespace orvel::fixture
