// File names of decoded files: cleaning, collisions, extension lists, the
// guard that keeps names inside the output directory, and the MIME lookup.

#include <gtest/gtest.h>

#include "content/file_names.h"
#include "content/mime_types.h"
#include "content_test_support.h"

namespace orvel {
namespace {

TEST(CleanFileName, ReplacesReservedCharacters) {
  EXPECT_EQ(CleanFileName("a\"b*c/d:e<f>g?h\\i|j.txt"), "a-b-c-d-e-f-g-h-i-j.txt");
  EXPECT_EQ(CleanFileName("image/gif"), "image-gif");
}

TEST(UniqueFileName, CountsFromZeroBeforeTheExtension) {
  test::ScratchDir dir;
  EXPECT_EQ(UniqueFileName(dir.file("a.jpg")), dir.file("a.jpg"));
  test::WriteFileBytes(dir.file("a.jpg"), "1");
  EXPECT_EQ(UniqueFileName(dir.file("a.jpg")), dir.file("a_0.jpg"));
  test::WriteFileBytes(dir.file("a_0.jpg"), "2");
  EXPECT_EQ(UniqueFileName(dir.file("a.jpg")), dir.file("a_1.jpg"));
  test::WriteFileBytes(dir.file("noext"), "3");
  EXPECT_EQ(UniqueFileName(dir.file("noext")), dir.file("noext_0"));
}

TEST(ExtensionInList, UpperCasedSubstringOfTheList) {
  EXPECT_TRUE(ExtensionInList("photo.gif", ".TXT|.GIF"));
  EXPECT_TRUE(ExtensionInList("page.htm", kDangerousExtensions));  // found in ".HTML" too
  EXPECT_TRUE(ExtensionInList("setup.EXE", kDangerousExtensions));
  EXPECT_TRUE(ExtensionInList("install.sh", kDangerousExtensions));
  EXPECT_TRUE(ExtensionInList("app.AppImage", kDangerousExtensions));
  EXPECT_FALSE(ExtensionInList("photo.jpg", kDangerousExtensions));
  EXPECT_FALSE(ExtensionInList("README", kTextExtensions));
  EXPECT_TRUE(ExtensionInList("notes.nfo", kTextExtensions));
}

struct SafeNameCase {
  const char* name;
  std::string in;
  std::string out;
  friend void PrintTo(const SafeNameCase& c, std::ostream* os) { *os << c.name; }
};

class SafeOutputNames : public ::testing::TestWithParam<SafeNameCase> {};

TEST_P(SafeOutputNames, StayInsideTheDirectory) {
  const std::string out = SafeOutputName(GetParam().in);
  EXPECT_EQ(out, GetParam().out);
  EXPECT_EQ(out.find('/'), std::string::npos);
  EXPECT_LE(out.size(), kMaxDecodedNameBytes);
}

INSTANTIATE_TEST_SUITE_P(
    Table, SafeOutputNames,
    ::testing::Values(
        SafeNameCase{"Plain", "photo.jpg", "photo.jpg"},
        SafeNameCase{"UnixPathKeepsLastComponent", "../../etc/passwd", "passwd"},
        SafeNameCase{"WindowsPathKeepsLastComponent", "C:\\temp\\x.bin", "x.bin"},
        SafeNameCase{"DotDotAloneIsNoName", "..", ""},
        SafeNameCase{"DotAloneIsNoName", ".", ""},
        SafeNameCase{"EmptyIsNoName", "", ""},
        SafeNameCase{"ControlCharactersBecomeDashes", std::string("a\x01" "b\x7F" "c.txt"),
                     "a-b-c.txt"},
        SafeNameCase{"BlanksTrimmed", "  a.txt ", "a.txt"},
        SafeNameCase{"LongNameCutBeforeExtension", std::string(10000, 'x') + ".jpg",
                     std::string(kMaxDecodedNameBytes - 4, 'x') + ".jpg"},
        SafeNameCase{"LongUtf8NameCutOnCharacterBoundary",
                     [] {
                       std::string s;
                       for (int i = 0; i < 300; ++i) s += "\xC3\xA9";
                       return s;
                     }(),
                     [] {
                       std::string s;
                       for (std::size_t i = 0; i < kMaxDecodedNameBytes / 2; ++i) s += "\xC3\xA9";
                       return s;
                     }()}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(FileMimeTypes, FirstExtensionOfFirstFileWins) {
  FileMimeTypes lookup;
  lookup.loadMimeTypes(ORVEL_TEST_DATA_DIR "/content/mime.types");
  lookup.loadGlobs2(ORVEL_TEST_DATA_DIR "/content/globs2");
  EXPECT_EQ(lookup.extensionForType("image/gif"), ".gif");
  EXPECT_EQ(lookup.extensionForType("IMAGE/JPEG"), ".jpeg");
  EXPECT_EQ(lookup.extensionForType("application/x-orvel-test"), ".orv");
  EXPECT_EQ(lookup.extensionForType("text/x-readme"), "");  // not a plain "*.ext" glob
  EXPECT_EQ(lookup.extensionForType("application/unknown"), "");
  EXPECT_EQ(lookup.typeForFileName("photo.JPG"), "image/jpeg");
  EXPECT_EQ(lookup.typeForFileName("noextension"), "");
  EXPECT_EQ(ContentTypeExtension(nullptr, "image/gif"), "");
  EXPECT_EQ(ContentTypeExtension(&lookup, "image/gif"), ".gif");
}

TEST(FileMimeTypes, MissingFilesAddNothing) {
  FileMimeTypes lookup;
  lookup.loadMimeTypes("/nonexistent/mime.types");
  lookup.loadGlobs2("/nonexistent/globs2");
  EXPECT_EQ(lookup.extensionForType("image/gif"), "");
}

}  // namespace
}  // namespace orvel
