#include "config/identities_file.h"

#include <gtest/gtest.h>

#include "config/temp_base_dir.h"

namespace orvel {
namespace {

TEST(Identities, DefaultIdentityDefaults) {
  const TID id = ReadDefaultIdentity(IniFile::FromText("[ID]\nEmail=me@example.net\n"));
  EXPECT_EQ(id.name, "<Default>");
  EXPECT_EQ(id.Name, "Your name");
  EXPECT_EQ(id.Email, "me@example.net");
  EXPECT_EQ(id.PublicEmail, "me@example.net");
  EXPECT_EQ(id.Organization, "Your Company");
  EXPECT_EQ(id.SigFile, "sig.txt");
  EXPECT_EQ(id.IDToken, "");
}

TEST(Identities, NamedIdentitiesTakeMissingKeysFromTheDefault) {
  const TID base = ReadDefaultIdentity(IniFile::FromText("[ID]\nName=Ann\nIDToken=tok en\n"));
  const auto ids = ReadIdentities(
      IniFile::FromText("[Work]\nOrganization=Example\n[<Default>]\nName=x\n[Home]\n"), base);
  ASSERT_EQ(ids.size(), 2u);
  EXPECT_EQ(ids[0].name, "Work");
  EXPECT_EQ(ids[0].Name, "Ann");
  EXPECT_EQ(ids[0].Organization, "Example");
  EXPECT_EQ(ids[0].IDToken, "tok.en");
  EXPECT_EQ(ids[1].name, "Home");
}

TEST(Identities, SavingKeepsOnlyDifferingKeys) {
  test::TempBaseDir dir;
  dir.write("IDs.ini", "[Twin]\nName=Old\n[Gone]\nName=G\n[Keep]\nx=1\n");
  TID base = ReadDefaultIdentity(IniFile::FromText(""));
  base.Name = "Ann";
  TID work = base;
  work.name = "Work";
  work.SigFile = "work.sig";
  TID twin = base;  // equal to the default: leaves no section
  twin.name = "Twin";
  std::string error;
  ASSERT_TRUE(SaveIdentities(dir.file("Orvel.ini"), dir.file("IDs.ini"), {base, work, twin},
                             {"Gone"}, &error))
      << error;
  const IniFile ids(dir.file("IDs.ini"));
  EXPECT_EQ(ids.entries("Work"),
            (std::vector<std::pair<std::string, std::string>>{{"SigFile", "work.sig"}}));
  EXPECT_FALSE(ids.hasSection("Twin"));
  EXPECT_FALSE(ids.hasSection("Gone"));  // a deleted identity
  EXPECT_TRUE(ids.hasSection("Keep"));
  const IniFile orvel(dir.file("Orvel.ini"));
  EXPECT_EQ(orvel.keys("ID").size(), 6u);
  EXPECT_EQ(orvel.readString("ID", "Name"), "Ann");

  // After the next start the twin is gone and the others read back equal.
  const TID again = ReadDefaultIdentity(orvel);
  EXPECT_EQ(again, base);
  const auto named = ReadIdentities(ids, again);
  ASSERT_EQ(named.size(), 2u);  // the unrelated Keep, then Work
  EXPECT_TRUE(named[1] == work);
}

struct TokenCase {
  const char* label;
  const char* in;
  const char* out;
};
void PrintTo(const TokenCase& c, std::ostream* os) { *os << c.label; }
class IDTokenTest : public ::testing::TestWithParam<TokenCase> {};

TEST_P(IDTokenTest, Sanitises) { EXPECT_EQ(SanitiseIDToken(GetParam().in), GetParam().out); }

INSTANTIATE_TEST_SUITE_P(
    Tokens, IDTokenTest,
    ::testing::Values(TokenCase{"Plain", "abcXYZ019", "abcXYZ019"},
                      TokenCase{"Punctuation", "a-b_c@d", "a.b.c.d"},
                      TokenCase{"TrimmedBeforeTheCut", "   12345678901234567890xyz  ",
                                "12345678901234567890"},
                      TokenCase{"InnerBlanks", "a b", "a.b"},
                      TokenCase{"MultiByteCharacterIsOneDot", "\xC3\xA9t\xC3\xA9", ".t."},
                      TokenCase{"Empty", "  ", ""}),
    [](const auto& info) { return std::string(info.param.label); });

}  // namespace
}  // namespace orvel
