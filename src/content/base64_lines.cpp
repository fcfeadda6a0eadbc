#include "content/base64_lines.h"

#include <array>
#include <cstdint>

namespace orvel {

namespace {

constexpr std::array<std::int8_t, 256> makeValues() {
  std::array<std::int8_t, 256> values{};
  for (auto& v : values) v = -1;
  for (int c = 'A'; c <= 'Z'; ++c) values[c] = static_cast<std::int8_t>(c - 'A');
  for (int c = 'a'; c <= 'z'; ++c) values[c] = static_cast<std::int8_t>(c - 'a' + 26);
  for (int c = '0'; c <= '9'; ++c) values[c] = static_cast<std::int8_t>(c - '0' + 52);
  values['+'] = 62;
  values['/'] = 63;
  return values;
}

constexpr std::array<std::int8_t, 256> kValues = makeValues();

}  // namespace

std::size_t DecodeBase64Bytes(std::string_view line, char* out) {
  const auto* in = reinterpret_cast<const unsigned char*>(line.data());
  std::size_t n = 0;
  while (n < line.size() && in[n] > '\r') ++n;
  auto* o = reinterpret_cast<unsigned char*>(out);
  std::size_t i = 0;
  // Whole groups of valid characters, the bulk of every line.
  for (; i + 4 <= n; i += 4) {
    const int a = kValues[in[i]], b = kValues[in[i + 1]];
    const int c = kValues[in[i + 2]], d = kValues[in[i + 3]];
    if ((a | b | c | d) < 0) break;
    const unsigned bits = static_cast<unsigned>(a << 18 | b << 12 | c << 6 | d);
    o[0] = static_cast<unsigned char>(bits >> 16);
    o[1] = static_cast<unsigned char>(bits >> 8);
    o[2] = static_cast<unsigned char>(bits);
    o += 3;
  }
  // Groups holding padding or stray characters.
  for (; i < n; i += 4) {
    unsigned bits = 0;
    int valid = 0;
    for (std::size_t k = 0; k < 4; ++k) {
      const int v = i + k < n ? kValues[in[i + k]] : -1;
      bits = bits << 6 | static_cast<unsigned>(v < 0 ? 0 : v);
      valid += v < 0 ? 0 : 1;
    }
    if (valid == 0) continue;
    *o++ = static_cast<unsigned char>(bits >> 16);
    if (valid >= 3) *o++ = static_cast<unsigned char>(bits >> 8);
    if (valid == 4) *o++ = static_cast<unsigned char>(bits);
  }
  return static_cast<std::size_t>(o - reinterpret_cast<unsigned char*>(out));
}

}  // namespace orvel
