#pragma once
// A temporary directory, a fixed clock and helpers for the store tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "articles/article_date.h"
#include "articles/mailbox.h"
#include "articles/store_io.h"
#include "articles/xover.h"
#include "support/manual_clock.h"
#include "support/scripted_prompter.h"
#include "thread_builder.h"

namespace orvel::test {

class StoreTestBase : public testing::Test {
 protected:
  void SetUp() override {
    // A parameterised test's name ends in "/N": one directory, not two.
    std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    std::replace(name.begin(), name.end(), '/', '-');
    dir_ = std::filesystem::temp_directory_path() /
           ("orvel-store-" + std::to_string(::getpid()) + "-" + name);
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  std::string path(const std::string& name) const { return (dir_ / name).string(); }

  static std::string readAll(const std::string& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  static void writeAll(const std::string& p, const std::string& bytes) {
    std::ofstream(p, std::ios::binary) << bytes;
  }

  // Today in the manual clock, as the stores count it (TZ 0).
  DateTime today() const {
    return DateTimeFromUnix(std::chrono::duration_cast<std::chrono::seconds>(
                                clock_.now().time_since_epoch())
                                .count());
  }

  void configure(TMailbox& box) {
    box.clock = &clock_;
    box.prompter = &prompter_;
  }

  std::filesystem::path dir_;
  ManualClock clock_;
  ScriptedPrompter prompter_;
};

}  // namespace orvel::test
