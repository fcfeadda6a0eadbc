#include "config/password_scramble.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

TEST(PasswordScramble, EveryByteSurvivesStoringAndReading) {
  std::string all;
  for (int b = 0; b < 256; ++b) all += static_cast<char>(b);
  for (const std::string& password :
       {std::string(), std::string("secret"), std::string("\"quoted\""), std::string("'q'"),
        std::string(" spaced "), std::string("$24$"), std::string("pässwörd"), all}) {
    const std::string stored = EncodePassword(password);
    for (const char c : stored) {
      const auto b = static_cast<unsigned char>(c);
      EXPECT_TRUE(b >= 33 && b <= 126 && c != '"' && c != '\'') << "byte " << int(b);
    }
    EXPECT_EQ(DecodePassword(stored), password);
  }
}

// The stored form of a known password: a change of the key, the multiplier
// or the increment would make every saved password unreadable.
TEST(PasswordScramble, StoredFormNeverChanges) {
  EXPECT_EQ(EncodePassword("secret"), HexEscape(ScramblePassword("secret")));
  EXPECT_EQ(EncodePassword("secret"), "<$f8`7$a8$1b");
  EXPECT_EQ(DecodePassword("<$f8`7$a8$1b"), "secret");
}

TEST(PasswordScramble, EscapingFollowsTheByteRanges) {
  EXPECT_EQ(HexEscape("a$b"), "a$24b");
  EXPECT_EQ(HexEscape(std::string("\x00 \x7f\xff", 4)), "$00$20$7f$ff");
  EXPECT_EQ(HexEscape("!~"), "!~");
}

TEST(PasswordScramble, UnescapingKeepsAStrayDollar) {
  EXPECT_EQ(HexUnescape("$41$4"), "A$4");
  EXPECT_EQ(HexUnescape("$zz1"), "$zz1");
  EXPECT_EQ(HexUnescape("$"), "$");
  EXPECT_EQ(HexUnescape("$7E$7e"), "~~");
}

}  // namespace
}  // namespace orvel
