#include "content/yenc_lines.h"

#include <cstring>

#include "core/text.h"

namespace orvel {

YEncLineResult DecodeYEncBytes(std::string_view line, char* out) {
  const auto* in = reinterpret_cast<const unsigned char*>(line.data());
  std::size_t n = line.size();
  if (const void* nul = std::memchr(in, 0, n)) {
    n = static_cast<std::size_t>(static_cast<const unsigned char*>(nul) - in);
  }
  auto* o = reinterpret_cast<unsigned char*>(out);
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < n) {
    // The run up to the next escape: a plain loop the compiler vectorises.
    const void* eq = std::memchr(in + i, '=', n - i);
    const std::size_t runEnd = eq ? static_cast<std::size_t>(static_cast<const unsigned char*>(eq) - in) : n;
    for (std::size_t k = i; k < runEnd; ++k) o[j + k - i] = static_cast<unsigned char>(in[k] - 42);
    j += runEnd - i;
    if (runEnd == n) break;
    if (runEnd + 1 == n) return {j, false};
    o[j++] = static_cast<unsigned char>(in[runEnd + 1] - 64 - 42);
    i = runEnd + 2;
  }
  return {j, true};
}

namespace {

// Splits "key=value" words; the value of "name" is the rest of the line.
template <typename OnWord>
void forEachWord(std::string_view rest, OnWord onWord) {
  std::size_t i = 0;
  while (i < rest.size()) {
    while (i < rest.size() && (rest[i] == ' ' || rest[i] == '\t')) ++i;
    const std::size_t start = i;
    const std::size_t eq = rest.find('=', start);
    if (eq == std::string_view::npos) return;
    const std::string_view key = rest.substr(start, eq - start);
    if (key.find_first_of(" \t") != std::string_view::npos) {
      // A word without "=": skip it.
      i = rest.find_first_of(" \t", start);
      if (i == std::string_view::npos) return;
      continue;
    }
    if (key == "name") {
      onWord(key, rest.substr(eq + 1));
      return;
    }
    std::size_t end = rest.find_first_of(" \t", eq + 1);
    if (end == std::string_view::npos) end = rest.size();
    onWord(key, rest.substr(eq + 1, end - eq - 1));
    i = end;
  }
}

std::optional<std::int64_t> number(std::string_view text) { return parseDecimal(trimView(text)); }

}  // namespace

YBeginLine ReadYBegin(std::string_view line) {
  YBeginLine out;
  forEachWord(line.substr(8), [&](std::string_view key, std::string_view value) {
    if (key == "part") {
      out.part = number(value);
    } else if (key == "total") {
      out.total = number(value);
    } else if (key == "size") {
      out.size = number(value);
    } else if (key == "name") {
      out.name = std::string(value);
    }
  });
  return out;
}

YPartLine ReadYPart(std::string_view line) {
  YPartLine out;
  forEachWord(line.substr(7), [&](std::string_view key, std::string_view value) {
    if (key == "begin") {
      out.begin = number(value);
    } else if (key == "end") {
      out.end = number(value);
    }
  });
  return out;
}

std::optional<std::uint32_t> ReadYEndCrc(std::string_view line, std::string_view key) {
  const std::size_t at = line.find(key);
  if (at == std::string_view::npos) return std::nullopt;
  std::uint64_t value = 0;
  std::size_t digits = 0;
  for (std::size_t i = at + key.size(); i < line.size(); ++i, ++digits) {
    const char c = line[i];
    int v;
    if (c >= '0' && c <= '9') {
      v = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      v = c - 'a' + 10;
    } else if (c >= 'A' && c <= 'F') {
      v = c - 'A' + 10;
    } else {
      break;
    }
    value = (value << 4 | static_cast<unsigned>(v)) & 0xFFFFFFFFFFull;
  }
  if (digits == 0) return std::nullopt;
  return static_cast<std::uint32_t>(value);
}

}  // namespace orvel
