#pragma once
// A fresh base directory per test, removed afterwards.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "core/atomic_file.h"

namespace orvel::test {

class TempBaseDir {
 public:
  TempBaseDir() {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = std::string(info->test_suite_name()) + "-" + info->name();
    for (char& c : name) {
      if (c == '/') c = '_';
    }
    path_ = (std::filesystem::temp_directory_path() /
             ("orvel-config-" + std::to_string(::getpid()) + "-" + name))
                .string() +
            "/";
    std::filesystem::remove_all(path_);
    std::filesystem::create_directories(path_);
  }
  ~TempBaseDir() { std::filesystem::remove_all(path_); }
  TempBaseDir(const TempBaseDir&) = delete;
  TempBaseDir& operator=(const TempBaseDir&) = delete;

  const std::string& path() const { return path_; }  // ends with "/"
  std::string file(const std::string& name) const { return path_ + name; }
  void write(const std::string& name, const std::string& text) const {
    ASSERT_TRUE(SaveFileAtomically(file(name), text));
  }
  std::string read(const std::string& name) const {
    std::string data;
    ReadWholeFile(file(name), data);
    return data;
  }

 private:
  std::string path_;
};

}  // namespace orvel::test
