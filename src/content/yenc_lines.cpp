#include "content/yenc_lines.h"

#include <cstring>

#include "content/yenc_decoders.h"
#include "core/text.h"

namespace orvel {

namespace {

constexpr std::uint64_t kOnes = 0x0101010101010101ull;
constexpr std::uint64_t kHighs = 0x8080808080808080ull;

// True when one of the eight bytes is "=" or NUL.
inline bool hasEscapeOrNul(std::uint64_t x) {
  const std::uint64_t e = x ^ (kOnes * '=');
  return (((x - kOnes) & ~x) | ((e - kOnes) & ~e)) & kHighs;
}

}  // namespace

namespace detail {

YEncLineResult DecodeYEncScalar(std::string_view line, char* out) {
  const auto* in = reinterpret_cast<const unsigned char*>(line.data());
  const std::size_t n = line.size();
  auto* o = reinterpret_cast<unsigned char*>(out);
  constexpr std::uint64_t k42 = kOnes * 42;
  std::size_t i = 0;
  std::size_t j = 0;
  while (i < n) {
    // Eight plain bytes at once: each lowered by 42 without borrowing from
    // its neighbour.
    if (i + 8 <= n) {
      std::uint64_t x;
      std::memcpy(&x, in + i, 8);
      if (!hasEscapeOrNul(x)) {
        const std::uint64_t r = ((x | kHighs) - k42) ^ ((x ^ ~k42) & kHighs);
        std::memcpy(o + j, &r, 8);
        i += 8;
        j += 8;
        continue;
      }
    }
    unsigned char c = in[i];
    if (c == 0) break;
    if (c == '=') {
      if (i + 1 == n || in[i + 1] == 0) return {j, false};  // "=" ends the line
      c = static_cast<unsigned char>(in[i + 1] - 64);
      i += 2;
    } else {
      ++i;
    }
    o[j++] = static_cast<unsigned char>(c - 42);
  }
  return {j, true};
}

}  // namespace detail

YEncLineResult DecodeYEncBytes(std::string_view line, char* out) {
  // Chosen once, on first use.
  static const detail::YEncLineDecoder fastest = detail::YEncDecoders().back().decode;
  return fastest(line, out);
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
