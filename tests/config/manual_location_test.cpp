// Finding the user manual from the program's directory, in a build tree
// and in an installation.

#include "config/manual_location.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "temp_base_dir.h"

namespace orvel::test {
namespace {

struct ManualCase {
  const char* name;
  std::vector<std::string> files;  // written under the temporary root
  const char* programDir;
  const char* found;  // relative to the root, "" for none
};

class ManualLocation : public ::testing::TestWithParam<ManualCase> {};

TEST_P(ManualLocation, FindsTheFirstManualThatExists) {
  const ManualCase& c = GetParam();
  TempBaseDir root;
  for (const std::string& f : c.files) {
    std::filesystem::create_directories(std::filesystem::path(root.file(f)).parent_path());
    root.write(f, "<html></html>");
  }
  const auto found = FindManual(root.file(c.programDir));
  if (*c.found) {
    ASSERT_TRUE(found) << c.name;
    EXPECT_TRUE(std::filesystem::equivalent(*found, root.file(c.found))) << *found;
  } else {
    EXPECT_FALSE(found) << *found;
  }
}

const ManualCase kCases[] = {
    {"BuildTree", {"build/src/app/gui/manual.html"}, "build/src/app/gui", "build/src/app/gui/manual.html"},
    {"Installed", {"usr/share/orvel/manual.html"}, "usr/bin", "usr/share/orvel/manual.html"},
    {"BesideTheProgramWins",
     {"usr/bin/manual.html", "usr/share/orvel/manual.html"},
     "usr/bin",
     "usr/bin/manual.html"},
    {"ProgramDirWithTrailingSlash", {"usr/share/orvel/manual.html"}, "usr/bin/", "usr/share/orvel/manual.html"},
    {"Missing", {"usr/share/doc/manual.html"}, "usr/bin", ""},
    {"DirectoryOfThatNameIsNotAManual", {"usr/bin/manual.html/x"}, "usr/bin", ""},
};

INSTANTIATE_TEST_SUITE_P(Cases, ManualLocation, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace orvel::test
