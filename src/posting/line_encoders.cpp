#include "posting/line_encoders.h"

#include <array>

namespace orvel {

namespace {

char uuChar(unsigned v) { return v == 0 ? '`' : static_cast<char>(' ' + v); }

constexpr char kBase64[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

// For each input byte: its yEnc output byte, and whether it needs "=" first.
struct YEncEntry {
  unsigned char out;
  bool escaped;
};

constexpr std::array<YEncEntry, 256> makeYEncTable() {
  std::array<YEncEntry, 256> table{};
  for (unsigned b = 0; b < 256; ++b) {
    const unsigned char c = static_cast<unsigned char>(b + 42);
    const bool critical = c == 0 || c == '\t' || c == '\n' || c == '\r' || c == '.' || c == '=';
    table[b] = {critical ? static_cast<unsigned char>(c + 64) : c, critical};
  }
  return table;
}

constexpr std::array<YEncEntry, 256> kYEnc = makeYEncTable();

}  // namespace

std::size_t EncodeUuLine(const unsigned char* data, std::size_t size, char* out) {
  std::size_t n = 0;
  out[n++] = uuChar(static_cast<unsigned>(size));
  for (std::size_t i = 0; i < size; i += 3) {
    const unsigned b0 = data[i];
    const unsigned b1 = i + 1 < size ? data[i + 1] : 0;
    const unsigned b2 = i + 2 < size ? data[i + 2] : 0;
    out[n++] = uuChar(b0 >> 2);
    out[n++] = uuChar(((b0 & 3) << 4) | (b1 >> 4));
    out[n++] = uuChar(((b1 & 15) << 2) | (b2 >> 6));
    out[n++] = uuChar(b2 & 63);
  }
  return n;
}

std::size_t EncodeBase64Line(const unsigned char* data, std::size_t size, char* out) {
  std::size_t n = 0;
  for (std::size_t i = 0; i < size; i += 3) {
    const unsigned b0 = data[i];
    const unsigned b1 = i + 1 < size ? data[i + 1] : 0;
    const unsigned b2 = i + 2 < size ? data[i + 2] : 0;
    out[n++] = kBase64[b0 >> 2];
    out[n++] = kBase64[((b0 & 3) << 4) | (b1 >> 4)];
    out[n++] = i + 1 < size ? kBase64[((b1 & 15) << 2) | (b2 >> 6)] : '=';
    out[n++] = i + 2 < size ? kBase64[b2 & 63] : '=';
  }
  return n;
}

std::size_t EncodeYEncLine(const unsigned char* data, std::size_t size, char* out,
                           std::size_t& taken) {
  std::size_t n = 0;
  std::size_t i = 0;
  while (i < size && n < kYEncLineLength) {
    const YEncEntry e = kYEnc[data[i++]];
    if (e.escaped) out[n++] = '=';
    out[n++] = static_cast<char>(e.out);
  }
  taken = i;
  return n;
}

}  // namespace orvel
