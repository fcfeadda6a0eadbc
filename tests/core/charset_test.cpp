#include "core/charset.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

TEST(Charset, Utf8Validity) {
  EXPECT_TRUE(IsValidUtf8("plain"));
  EXPECT_TRUE(IsValidUtf8("caf\xC3\xA9 \xF0\x9F\x98\x80"));
  EXPECT_FALSE(IsValidUtf8("caf\xE9"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));          // overlong
  EXPECT_FALSE(IsValidUtf8("\xED\xA0\x80"));      // surrogate
  EXPECT_FALSE(IsValidUtf8("\xF4\x90\x80\x80"));  // past U+10FFFF
  EXPECT_FALSE(IsValidUtf8("\xE2\x82"));          // cut short
}

TEST(Charset, DisplayRuleAndDeclaredCharsets) {
  EXPECT_EQ(ConvertToUtf8("caf\xE9", ""), "caf\xC3\xA9");  // not UTF-8: Windows-1252
  EXPECT_EQ(ConvertToUtf8("caf\xC3\xA9", ""), "caf\xC3\xA9");
  EXPECT_EQ(ConvertToUtf8("\x80 \x93q\x94", "iso-8859-1"),
            "\xE2\x82\xAC \xE2\x80\x9Cq\xE2\x80\x9D");
  EXPECT_EQ(ConvertToUtf8("\xA4", "ISO-8859-15"), "\xE2\x82\xAC");
  EXPECT_EQ(ConvertToUtf8("\xC7\xD1", "euc-kr"), "\xED\x95\x9C");
  // Bytes that do not fit their declared charset fall back to the display rule.
  EXPECT_EQ(ConvertToUtf8("caf\xE9", "utf-8"), "caf\xC3\xA9");
  EXPECT_EQ(ConvertToUtf8("\xFF\xFF", "shift_jis"), "\xC3\xBF\xC3\xBF");
}

}  // namespace
}  // namespace orvel
