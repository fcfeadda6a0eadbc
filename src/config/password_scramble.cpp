#include "config/password_scramble.h"

#include <cstdint>

#include "core/text.h"

namespace orvel {

namespace {

constexpr std::uint16_t kKey = 0x4F52;
constexpr std::uint16_t kMultiplier = 0x6C35;
constexpr std::uint16_t kIncrement = 0x3D29;

std::uint16_t advance(std::uint16_t running, unsigned char scrambled) {
  return static_cast<std::uint16_t>((running + scrambled) * kMultiplier + kIncrement);
}

}  // namespace

std::string ScramblePassword(std::string_view plain) {
  std::string out;
  out.reserve(plain.size());
  std::uint16_t running = kKey;
  for (const char c : plain) {
    const auto scrambled = static_cast<unsigned char>(static_cast<unsigned char>(c) ^ (running >> 8));
    out += static_cast<char>(scrambled);
    running = advance(running, scrambled);
  }
  return out;
}

std::string UnscramblePassword(std::string_view scrambled) {
  std::string out;
  out.reserve(scrambled.size());
  std::uint16_t running = kKey;
  for (const char c : scrambled) {
    const auto byte = static_cast<unsigned char>(c);
    out += static_cast<char>(byte ^ (running >> 8));
    running = advance(running, byte);
  }
  return out;
}

std::string HexEscape(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string out;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 33 && b <= 126 && b != '$' && b != '"' && b != '\'') {
      out += c;
    } else {
      out += '$';
      out += kDigits[b >> 4];
      out += kDigits[b & 0xF];
    }
  }
  return out;
}

std::string HexUnescape(std::string_view text) { return unescapeHex(text, '$'); }

}  // namespace orvel
