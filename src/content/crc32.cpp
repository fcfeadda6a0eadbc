#include "content/crc32.h"

#include <libdeflate.h>

#include <array>

namespace orvel {

namespace {

constexpr std::uint32_t kPolynomial = 0xEDB88320u;

// a * b modulo the CRC polynomial, both in the reflected bit order; a != 0.
constexpr std::uint32_t multiplyModP(std::uint32_t a, std::uint32_t b) {
  std::uint32_t m = 1u << 31;
  std::uint32_t product = 0;
  for (;;) {
    if (a & m) {
      product ^= b;
      if ((a & (m - 1)) == 0) break;
    }
    m >>= 1;
    b = b & 1 ? (b >> 1) ^ kPolynomial : b >> 1;
  }
  return product;
}

// Entry k is x^(2^k) modulo the polynomial.
constexpr std::array<std::uint32_t, 64> makePowers() {
  std::array<std::uint32_t, 64> powers{};
  std::uint32_t p = 1u << 30;  // x^1
  for (std::uint32_t& entry : powers) {
    entry = p;
    p = multiplyModP(p, p);
  }
  return powers;
}

constexpr std::array<std::uint32_t, 64> kPowers = makePowers();

}  // namespace

std::uint32_t Crc32Update(std::uint32_t crc, const void* data, std::size_t size) {
  return libdeflate_crc32(crc, data, size);
}

std::uint32_t Crc32Combine(std::uint32_t crcA, std::uint32_t crcB, std::int64_t lengthB) {
  // Appending n bytes to A multiplies its CRC by x^(8n).
  std::uint32_t shift = 1u << 31;  // x^0
  auto bits = static_cast<std::uint64_t>(lengthB) << 3;
  for (std::size_t k = 0; bits != 0; bits >>= 1, ++k) {
    if (bits & 1) shift = multiplyModP(kPowers[k], shift);
  }
  return multiplyModP(shift, crcA) ^ crcB;
}

}  // namespace orvel
