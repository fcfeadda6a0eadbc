// Every yEnc line decoder this processor runs against the scalar one: random
// lines thick with "=", NUL and bytes at the 42 and 64 wrap points, at every
// length a vector block can end on, and the lines of the public vectors.

#include <gtest/gtest.h>

#include <filesystem>
#include <random>
#include <string>

#include "content/yenc_decoders.h"
#include "content_test_support.h"

namespace orvel {
namespace {

using detail::NamedYEncDecoder;

struct Decoded {
  std::string bytes;
  bool ok;
};

Decoded run(const NamedYEncDecoder& decoder, const std::string& line) {
  std::string out(line.size(), '\0');
  const YEncLineResult result = decoder.decode(line, out.data());
  EXPECT_LE(result.size, line.size()) << decoder.name;
  out.resize(std::min(result.size, line.size()));
  return {out, result.ok};
}

void expectAllAgree(const std::string& line) {
  const auto decoders = detail::YEncDecoders();
  const Decoded expected = run(decoders.front(), line);
  for (const NamedYEncDecoder& decoder : decoders) {
    const Decoded got = run(decoder, line);
    ASSERT_EQ(got.ok, expected.ok) << decoder.name << " on " << testing::PrintToString(line);
    ASSERT_EQ(got.bytes, expected.bytes) << decoder.name << " on " << testing::PrintToString(line);
  }
}

// A line of the given length where each byte is special with probability
// `density`, else an ordinary byte.
std::string randomLine(std::mt19937& random, std::size_t length, double density) {
  static constexpr unsigned char kSpecial[] = {'=', '=', '=', 0,  41,   42,
                                               43,  63,  64,  65, 0xFF, 0x80};
  std::bernoulli_distribution special(density);
  std::uniform_int_distribution<int> pick(0, sizeof kSpecial - 1);
  std::uniform_int_distribution<int> any(1, 255);
  std::string line(length, '\0');
  for (char& c : line) {
    c = static_cast<char>(special(random) ? kSpecial[pick(random)] : any(random));
  }
  return line;
}

TEST(YEncDecoders, RandomLinesOfEveryLengthAgree) {
  ASSERT_GE(detail::YEncDecoders().size(), 1u);
  std::mt19937 random(20);
  for (std::size_t length = 0; length <= 200; ++length) {
    for (const double density : {0.0, 0.01, 0.05, 0.3, 0.9}) {
      for (int k = 0; k < 8; ++k) expectAllAgree(randomLine(random, length, density));
    }
  }
}

// A special byte at each position of a long plain line, alone and as the
// last byte: each block boundary and each end of a line.
TEST(YEncDecoders, SpecialAtEveryPositionAgrees) {
  for (const std::string special : {std::string("="), std::string(1, '\0'), std::string("=\0", 2),
                                    std::string("==")}) {
    for (std::size_t at = 0; at <= 100; ++at) {
      std::string line(100, 'k');
      line.replace(at, special.size(), special);
      expectAllAgree(line.substr(0, at + special.size()));
      expectAllAgree(line.substr(0, 100));
    }
  }
}

// Every line of the public yEnc vectors (status, headers, keyword and data
// lines alike).
TEST(YEncDecoders, PublicVectorLinesAgree) {
  const std::string root = ORVEL_SOURCE_DIR "/../shared/vectors/yenc/sabctools";
  if (!std::filesystem::is_directory(root)) GTEST_SKIP() << "no public vectors here";
  for (const auto& entry : std::filesystem::directory_iterator(root)) {
    const std::string text = test::ReadFileBytes(entry.path().string());
    for (std::size_t start = 0; start < text.size();) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      expectAllAgree(text.substr(start, end - start));
      start = end + 1;
    }
  }
}

}  // namespace
}  // namespace orvel
