#pragma once
// Words, names and text pieces the corpus is made of, chosen by random
// numbers: nothing here keeps state.

#include <cstdint>
#include <string>

namespace orvel::corpus {

// splitmix64: a small, fast generator whose whole state is one number.
class Random {
 public:
  explicit Random(std::uint64_t seed) : state_(seed) {}
  std::uint64_t next() {
    std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  // 0 <= value < n.
  std::uint32_t below(std::uint32_t n) { return n ? static_cast<std::uint32_t>(next() % n) : 0; }
  double unit() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }
  bool chance(double p) { return unit() < p; }

 private:
  std::uint64_t state_;
};

std::uint64_t Mix(std::uint64_t a, std::uint64_t b);
std::uint64_t HashText(const std::string& text);

inline constexpr std::uint32_t kAuthorCount = 4000;

// The From value of an author (several forms, some with encoded words).
std::string AuthorFrom(std::uint32_t author);
std::string AuthorDomain(std::uint32_t author);
// An author's zone as hours x 100 plus minutes.
int AuthorZone(std::uint32_t author);

// A subject of 3 to 7 words; encoded adds a word with encoded-word syntax.
std::string Subject(Random& random, bool encoded);
std::string FileName(Random& random);
// A text line of about the given length.
std::string TextLine(Random& random, std::size_t length);
std::string OtherGroup(std::uint32_t index);

}  // namespace orvel::corpus
