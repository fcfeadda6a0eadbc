#include "content/uu_lines.h"

namespace orvel {

namespace {

constexpr std::array<std::int8_t, 256> makeUUValues() {
  std::array<std::int8_t, 256> values{};
  for (auto& v : values) v = -1;
  for (int c = ' '; c <= '_'; ++c) values[c] = static_cast<std::int8_t>(c - ' ');
  values['`'] = 0;
  values['~'] = 62;
  for (int c = 'a'; c <= 'z'; ++c) values[c] = values[c - 'a' + 'A'];
  return values;
}

}  // namespace

const std::array<std::int8_t, 256> kUUValues = makeUUValues();

int UUExpectedLength(int n) { return n <= 0 ? 1 : 1 + 4 * ((n + 2) / 3); }

int DecodeUUBytes(std::string_view line, int previousBytes, char* out) {
  if (line.empty()) return -1;
  const int n = kUUValues[static_cast<unsigned char>(line[0])];
  if (n < 0 || n > kMaxUULineBytes) return -1;
  int length = static_cast<int>(line.size() > 1000 ? 1000 : line.size());
  const int p = previousBytes;
  if (p > 0 && (n > p || length > p * 4 / 3 + 1)) return -1;
  int expected = UUExpectedLength(n);
  if (length == expected + 1) length = expected;
  if (length != expected) {
    // The fill characters of the last group may be left out.
    if (n % 3 == 1 && length == expected - 2) {
      expected -= 2;
    } else if (n % 3 == 2 && length == expected - 1) {
      expected -= 1;
    }
  }
  if (length != expected && (line[0] == 'M' || expected > length || length > 61)) return -1;

  const auto* in = reinterpret_cast<const unsigned char*>(line.data()) + 1;
  const int chars = expected - 1;
  char* o = out;
  int i = 0;
  for (; i + 4 <= chars; i += 4) {
    const int a = kUUValues[in[i]], b = kUUValues[in[i + 1]];
    const int c = kUUValues[in[i + 2]], d = kUUValues[in[i + 3]];
    if ((a | b | c | d) < 0) return -1;
    o[0] = static_cast<char>(a << 2 | b >> 4);
    o[1] = static_cast<char>(b << 4 | c >> 2);
    o[2] = static_cast<char>(c << 6 | d);
    o += 3;
  }
  if (i < chars) {
    int v[4] = {0, 0, 0, 0};
    for (int k = 0; i + k < chars; ++k) {
      v[k] = kUUValues[in[i + k]];
      if (v[k] < 0) return -1;
    }
    o[0] = static_cast<char>(v[0] << 2 | v[1] >> 4);
    o[1] = static_cast<char>(v[1] << 4 | v[2] >> 2);
    o[2] = static_cast<char>(v[2] << 6 | v[3]);
  }
  return n;
}

}  // namespace orvel
