#include "wildmat.h"

#include <string>
#include <vector>

namespace orvel::fixture {

namespace {

// Matches the set starting after "[" at p; on return p is after "]".
// An unclosed set is read as a literal "[".
bool matchSet(std::string_view pattern, std::size_t& p, char c, bool& valid) {
  std::size_t i = p;
  bool negate = i < pattern.size() && pattern[i] == '^';
  if (negate) ++i;
  bool matched = false;
  bool first = true;
  while (i < pattern.size() && (pattern[i] != ']' || first)) {
    first = false;
    char lo = pattern[i];
    if (lo == '\\' && i + 1 < pattern.size()) lo = pattern[++i];
    char hi = lo;
    if (i + 2 < pattern.size() && pattern[i + 1] == '-' && pattern[i + 2] != ']') {
      hi = pattern[i + 2];
      i += 2;
    }
    if (static_cast<unsigned char>(c) >= static_cast<unsigned char>(lo) &&
        static_cast<unsigned char>(c) <= static_cast<unsigned char>(hi)) {
      matched = true;
    }
    ++i;
  }
  valid = i < pattern.size();
  if (valid) p = i + 1;
  return matched != negate;
}

bool matchFrom(std::string_view pattern, std::size_t p, std::string_view text, std::size_t t) {
  // Iterative matching with one backtrack point for the last "*".
  std::size_t starP = std::string_view::npos;
  std::size_t starT = 0;
  while (t < text.size()) {
    if (p < pattern.size()) {
      char pc = pattern[p];
      if (pc == '*') {
        starP = ++p;
        starT = t;
        continue;
      }
      if (pc == '?') {
        ++p;
        ++t;
        continue;
      }
      if (pc == '[') {
        std::size_t q = p + 1;
        bool valid = false;
        bool ok = matchSet(pattern, q, text[t], valid);
        if (valid) {
          if (ok) {
            p = q;
            ++t;
            continue;
          }
        } else if (text[t] == '[') {
          ++p;
          ++t;
          continue;
        }
      } else {
        if (pc == '\\' && p + 1 < pattern.size()) pc = pattern[p + 1];
        if (pc == text[t]) {
          p += pattern[p] == '\\' && p + 1 < pattern.size() ? 2 : 1;
          ++t;
          continue;
        }
      }
    }
    if (starP == std::string_view::npos) return false;
    p = starP;
    t = ++starT;
  }
  while (p < pattern.size() && pattern[p] == '*') ++p;
  return p == pattern.size();
}

// Splits at commas that are outside a "[...]" set and not quoted.
std::vector<std::string_view> splitList(std::string_view list) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  bool inSet = false;
  for (std::size_t i = 0; i < list.size(); ++i) {
    char c = list[i];
    if (c == '\\') {
      ++i;
    } else if (c == '[' && !inSet) {
      inSet = true;
    } else if (c == ']' && inSet) {
      inSet = false;
    } else if (c == ',' && !inSet) {
      parts.push_back(list.substr(start, i - start));
      start = i + 1;
    }
  }
  parts.push_back(list.substr(start));
  return parts;
}

}  // namespace

bool wildmatMatch(std::string_view pattern, std::string_view text) {
  return matchFrom(pattern, 0, text, 0);
}

bool wildmatListMatch(std::string_view list, std::string_view text) {
  bool result = false;
  for (std::string_view part : splitList(list)) {
    bool negate = !part.empty() && part[0] == '!';
    if (negate) part.remove_prefix(1);
    if (wildmatMatch(part, text)) result = !negate;
  }
  return result;
}

}  // namespace orvel::fixture
