// Built into every test program of a sanitizer build. A child process a test
// starts (orvel-cli, the fixture server) that hits a sanitizer report exits
// with a failure status, and many tests expect a failing command anyway. So
// the children write their reports to files named after this test process,
// and a report found when a test ends fails that test.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <system_error>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;

class ChildSanitizerReports : public testing::EmptyTestEventListener {
 public:
  // Only when tests run: listing them must change nothing. A report is a file
  // <log path>.<program>.<pid>; no directory of our own, so a test program
  // that its own report ends leaves nothing behind.
  void OnTestProgramStart(const testing::UnitTest&) override {
    dir_ = fs::temp_directory_path();
    const std::string logPath = "orvel-child-report-" + std::to_string(::getpid());
    prefix_ = logPath + ".";
    // The runtimes read these when a program starts: this program's own
    // reports still go to its standard error.
    for (const char* name : {"ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS"}) {
      const char* old = std::getenv(name);
      std::string value = old && *old ? std::string(old) + ":" : std::string();
      value += "log_exe_name=1:log_path=" + (dir_ / logPath).string();
      ::setenv(name, value.c_str(), 1);
    }
  }

  void OnTestEnd(const testing::TestInfo&) override {
    for (const auto& [file, text] : takeReports()) {
      ADD_FAILURE() << "a child process reported (" << file << "):\n" << text;
    }
  }

  // A child that outlived its test still fails the run.
  void OnTestProgramEnd(const testing::UnitTest&) override {
    const auto late = takeReports();
    for (const auto& [file, text] : late) {
      std::cerr << "a child process reported after its test (" << file << "):\n" << text;
    }
    if (!late.empty()) std::exit(1);
  }

 private:
  std::vector<std::pair<std::string, std::string>> takeReports() const {
    std::vector<std::pair<std::string, std::string>> reports;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(dir_, error)) {
      const std::string name = entry.path().filename().string();
      if (name.compare(0, prefix_.size(), prefix_) != 0) continue;
      std::ifstream in(entry.path(), std::ios::binary);
      reports.emplace_back(entry.path().string(), std::string(std::istreambuf_iterator<char>(in), {}));
      in.close();
      fs::remove(entry.path(), error);
    }
    return reports;
  }

  fs::path dir_;
  std::string prefix_;
};

// Appended after the result printer: a test's end reaches the listeners in
// reverse order, so the printer already sees the failure added here.
[[maybe_unused]] const bool registered = [] {
  testing::UnitTest::GetInstance()->listeners().Append(new ChildSanitizerReports);
  return true;
}();

}  // namespace
