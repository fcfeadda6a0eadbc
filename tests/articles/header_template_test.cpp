#include "articles/header_template.h"

#include <gtest/gtest.h>

namespace orvel {
namespace {

TEST(HeaderTemplate, PlaceholdersAreFilled) {
  const HeaderTemplateFields f{"Hello 100%", "Ann", "ann@example.org", "01/02/2024 10:11:12",
                               "<id@host>", "fr.test", 42};
  const std::pair<const char*, const char*> cases[] = {
      {"%s%r", "Hello 100%\n"},
      {"%f%t%d", "Ann <ann@example.org>\t01/02/2024 10:11:12"},
      {"%n|%a|%m|%g|%N", "Ann|ann@example.org|<id@host>|fr.test|42"},
      {"100%% %x %", "100% %x %"},
      {"", ""},
  };
  for (const auto& [pattern, expected] : cases) {
    EXPECT_EQ(FormatHeaderTemplate(pattern, f), expected) << pattern;
  }
  // An author known only by address, or by a name equal to it, is not doubled.
  EXPECT_EQ(FormatHeaderTemplate("%f", {"s", "", "a@b", "", "", "", 0}), "a@b");
  EXPECT_EQ(FormatHeaderTemplate("%f", {"s", "a@b", "a@b", "", "", "", 0}), "a@b");
}

}  // namespace
}  // namespace orvel
