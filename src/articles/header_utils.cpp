#include "articles/header_utils.h"

#include <algorithm>
#include <cstdio>
#include <vector>

#include "core/perlre.h"
#include "core/text.h"

namespace orvel {

namespace {

std::string_view trimBelow33(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) < 33) text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) < 33) text.remove_suffix(1);
  return text;
}

// A backslash takes the next character literally.
std::string unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\\') {
      if (i + 1 < text.size()) out += text[++i];
      continue;
    }
    out += text[i];
  }
  return out;
}

bool escapedAt(std::string_view text, std::size_t i) { return i > 0 && text[i - 1] == '\\'; }

// Position of the "(" opening the comment that ends the text, or npos.
std::size_t openingParenthesis(std::string_view text) {
  int depth = 0;
  for (std::size_t i = text.size(); i-- > 0;) {
    if (escapedAt(text, i)) continue;
    if (text[i] == ')') {
      ++depth;
    } else if (text[i] == '(' && --depth == 0) {
      return i;
    }
  }
  return std::string_view::npos;
}

bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

void ParseFromInto(std::string_view from, std::string_view& name, std::string_view& address,
                   std::string& scratch) {
  const std::string_view text = trimBelow33(from);
  auto unescaped = [&](std::string_view raw) -> std::string_view {
    if (raw.find('\\') == std::string_view::npos) return raw;
    scratch = unescape(raw);
    return scratch;
  };
  if (!text.empty() && text.back() == ')') {
    const std::size_t open = openingParenthesis(text);
    if (open != std::string_view::npos) {
      name = unescaped(text.substr(open + 1, text.size() - open - 2));
      address = trimRightView(text.substr(0, open));
      return;
    }
  } else if (!text.empty() && text.back() == '>') {
    const std::size_t open = text.rfind('<');
    if (open != std::string_view::npos) {
      address = text.substr(open + 1, text.size() - open - 2);
      std::string_view raw = trimView(text.substr(0, open));
      if (raw.size() >= 2 && raw.front() == '"' && raw.back() == '"') {
        raw = raw.substr(1, raw.size() - 2);
      }
      name = unescaped(raw);
      return;
    }
  }
  name = {};
  address = text;
}

FromParts ParseFrom(std::string_view from) {
  std::string_view name, address;
  std::string scratch;
  ParseFromInto(from, name, address, scratch);
  return FromParts{std::string(name), std::string(address)};
}

std::string FormatAddress(std::string_view name, std::string_view address) {
  if (name.empty()) return std::string(address);
  std::string escaped;
  bool plain = true;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    const bool letterOrDigit = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                               (c >= '0' && c <= '9') || u >= 0x80;
    if (!letterOrDigit && c != ' ') plain = false;
    if (c == '"' || c == '\\') escaped += '\\';
    escaped += c;
  }
  std::string out = plain ? escaped : '"' + escaped + '"';
  out += " <";
  out += address;
  out += '>';
  return out;
}

std::string_view LastReference(std::string_view& references) {
  const std::size_t close = references.rfind('>');
  references = close == std::string_view::npos ? std::string_view{} : references.substr(0, close + 1);
  const std::size_t open = references.rfind('<');
  return open == std::string_view::npos ? references : references.substr(open);
}

std::string_view StripRe(std::string_view subject, bool* wasRe) {
  const bool re = subject.size() > 3 && (subject[0] == 'R' || subject[0] == 'r') &&
                  (subject[1] == 'E' || subject[1] == 'e') && subject[2] == ':';
  if (wasRe) *wasRe = re;
  if (!re) return subject;
  subject.remove_prefix(3);
  while (!subject.empty() && isBlank(subject.front())) subject.remove_prefix(1);
  return subject;
}

bool IsValidAddress(std::string_view text, bool relaxed) {
  TPerlre re;
  if (relaxed) return re.CompileAndMatch("^[^ ]+$", text);
  if (!re.CompileAndMatch("^[^@ ]+\\@[^@ ]+\\.[^@ ]+$", text)) return false;
  return !re.CompileAndMatch("\\.invalid$", text);
}

std::string BuildReferencesLine(std::string_view references) {
  std::vector<std::string_view> tokens;
  TPerlre valid;
  valid.Compile("^<[^<>]+@[^<>]+>$");
  std::size_t pos = 0;
  while (pos < references.size()) {
    while (pos < references.size() && references[pos] == ' ') ++pos;
    const std::size_t end = std::min(references.find(' ', pos), references.size());
    if (end > pos) {
      const std::string_view token = references.substr(pos, end - pos);
      if (valid.Match(token)) tokens.push_back(token);
    }
    pos = end;
  }
  if (tokens.empty()) return "References: " + std::string(references);
  constexpr std::size_t kReserved = 13;
  constexpr std::size_t kLineLimit = 998;
  std::size_t length = kReserved + tokens[0].size();
  std::size_t firstKept = tokens.size();
  while (firstKept > 1 && length + 1 + tokens[firstKept - 1].size() < kLineLimit) {
    --firstKept;
    length += 1 + tokens[firstKept].size();
  }
  std::string line = "References: ";
  line += tokens[0];
  for (std::size_t i = firstKept; i < tokens.size(); ++i) {
    line += ' ';
    line += tokens[i];
  }
  return line;
}

std::string EscapeFileName(std::string_view text) {
  static constexpr std::string_view kEscaped = "\"%*/:<>?\\|";
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    if (kEscaped.find(c) != std::string_view::npos) {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%.2x", static_cast<unsigned char>(c));
      out += buf;
    } else {
      out += c;
    }
  }
  return out;
}

std::string ReverseText(std::string_view text) { return std::string(text.rbegin(), text.rend()); }

std::pair<std::string_view, std::string_view> FolderOrigin(std::string_view xref) {
  const std::size_t colon = xref.find(':');
  if (colon == std::string_view::npos) return {xref, {}};
  return {xref.substr(0, colon), xref.substr(colon + 1)};
}

}  // namespace orvel
