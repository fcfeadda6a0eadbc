#include "scoring/required_literal.h"

#include <algorithm>
#include <cctype>

namespace orvel {

namespace {

bool isQuantifier(char c) { return c == '*' || c == '+' || c == '?' || c == '{'; }

// Drops the last character of run (a whole UTF-8 sequence).
void dropLastCharacter(std::string& run) {
  while (!run.empty() && (static_cast<unsigned char>(run.back()) & 0xC0) == 0x80) run.pop_back();
  if (!run.empty()) run.pop_back();
}

// Past the class that starts at i ("[...]"); npos when it does not end.
std::size_t skipClass(std::string_view p, std::size_t i) {
  std::size_t j = i + 1;
  if (j < p.size() && p[j] == '^') ++j;
  if (j < p.size() && p[j] == ']') ++j;  // a "]" first is a member
  for (; j < p.size(); ++j) {
    if (p[j] == '\\') {
      ++j;
    } else if (p[j] == ']') {
      return j + 1;
    }
  }
  return std::string_view::npos;
}

// Past a quantifier at i, with its lazy or possessive mark.
std::size_t skipQuantifier(std::string_view p, std::size_t i) {
  std::size_t j = i + 1;
  if (p[i] == '{') {
    const std::size_t close = p.find('}', i);
    j = close == std::string_view::npos ? p.size() : close + 1;
  }
  if (j < p.size() && (p[j] == '?' || p[j] == '+')) ++j;
  return j;
}

}  // namespace

std::string RequiredLiteral(std::string_view p, bool caseless) {
  std::string best, run;
  auto endRun = [&] {
    if (run.size() > best.size()) best = run;
    run.clear();
  };
  bool lastLiteral = false;  // the token before a quantifier was a plain character
  for (std::size_t i = 0; i < p.size();) {
    const char c = p[i];
    if (c == '(' || c == ')' || c == '|') return {};
    if (isQuantifier(c)) {
      // "{" not starting a repeat count is a plain character to the engine:
      // too subtle to follow, so no literal.
      if (c == '{' && (i + 1 >= p.size() || !std::isdigit(static_cast<unsigned char>(p[i + 1])))) {
        return {};
      }
      if (lastLiteral) {
        // The repeated character may be absent (*, ?, {0...}) or come more
        // than once (+): either way the run ends before or at it.
        if (c != '+') dropLastCharacter(run);
        endRun();
      }
      lastLiteral = false;
      i = skipQuantifier(p, i);
      continue;
    }
    if (c == '\\') {
      if (i + 1 >= p.size()) return {};
      const char d = p[i + 1];
      if (std::isalnum(static_cast<unsigned char>(d))) {
        // A class (\w, \d...), an assertion (\b...), a back reference, a
        // code (\x..., \p{...}) or quoting (\Q): none is a plain character.
        if (d == 'Q' || d == 'x' || d == 'p' || d == 'P' || d == 'c' || d == 'o' || d == 'N' ||
            d == 'g' || d == 'k') {
          return {};
        }
        endRun();
        lastLiteral = false;
      } else {
        run += d;
        lastLiteral = true;
      }
      i += 2;
      continue;
    }
    if (c == '[') {
      const std::size_t next = skipClass(p, i);
      if (next == std::string_view::npos) return {};
      endRun();
      lastLiteral = false;
      i = next;
      continue;
    }
    if (c == '.' || c == '^' || c == '$') {
      endRun();
      lastLiteral = false;
      ++i;
      continue;
    }
    run += c;
    lastLiteral = true;
    ++i;
  }
  endRun();
  if (best.size() < 2) return {};
  if (caseless) {
    if (std::any_of(best.begin(), best.end(), [](char ch) { return static_cast<unsigned char>(ch) >= 0x80; })) {
      return {};
    }
    std::transform(best.begin(), best.end(), best.begin(),
                   [](char ch) { return static_cast<char>(std::tolower(static_cast<unsigned char>(ch))); });
  }
  return best;
}

}  // namespace orvel
