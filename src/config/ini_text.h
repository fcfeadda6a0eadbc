#pragma once
// The INI reader trims blanks around a value and removes one pair of quotes
// wrapped around it. A value that starts or ends with a blank, or is itself
// wrapped in quotes, is therefore written inside an extra pair of double
// quotes, which the reader takes off again.

#include <string>
#include <string_view>

namespace orvel {

inline std::string IniValueText(std::string_view value) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 32; };
  const bool quoted = value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
                      value.back() == value.front();
  if (!value.empty() && (quoted || blank(value.front()) || blank(value.back()))) {
    return "\"" + std::string(value) + "\"";
  }
  return std::string(value);
}

}  // namespace orvel
