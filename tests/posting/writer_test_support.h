#pragma once
// Shared by the article writer's tests: attachment files in a temporary
// directory, a fixed environment, and a writer run to its end.

#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "posting/article_writer.h"

namespace orvel::writer_test {

class TempFiles {
 public:
  explicit TempFiles(const std::string& tag)
      : dir_(std::filesystem::temp_directory_path() /
             ("orvel_writer_" + tag + "_" + std::to_string(::getpid()))) {
    std::filesystem::remove_all(dir_);
    std::filesystem::create_directories(dir_);
  }
  ~TempFiles() { std::filesystem::remove_all(dir_); }

  // A file of size bytes from a fixed pattern that holds every byte value.
  PostFile Make(const std::string& name, std::uint64_t size, unsigned seed = 1) const {
    std::string bytes(size, '\0');
    std::uint32_t x = seed * 2654435761u + 12345u;
    for (std::uint64_t i = 0; i < size; ++i) {
      x = x * 1664525u + 1013904223u;
      bytes[i] = static_cast<char>(x >> 24);
    }
    return Write(name, bytes);
  }
  PostFile Write(const std::string& name, const std::string& bytes) const {
    const auto path = dir_ / name;
    std::ofstream(path, std::ios::binary) << bytes;
    return {path.string(), name, bytes.size()};
  }
  const std::filesystem::path& dir() const { return dir_; }

 private:
  std::filesystem::path dir_;
};

inline std::string ReadAll(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

inline WriterEnvironment FixedEnvironment() {
  WriterEnvironment env;
  env.now = 45000.5;
  env.tz = 100;
  env.random = [n = 0u]() mutable { return 0x1234u + n++; };
  env.contentType = [](const std::string& name) {
    return name.size() > 4 && name.substr(name.size() - 4) == ".jpg" ? std::string("image/jpeg")
                                                                    : std::string();
  };
  env.serverAddress = "127.0.0.1";
  env.messageId = [](int k) { return "<id" + std::to_string(k) + "@test>"; };
  return env;
}

inline PostJob BasicJob() {
  PostJob job;
  job.identity.Name = "Jean Test";
  job.identity.Email = "real@example.com";
  job.identity.PublicEmail = "public@example.com";
  job.groups = "alt.test";
  job.subject = "Holiday";
  return job;
}

// Every article of the send in its wire form (dot-stuffed, CR LF, ending ".").
inline std::vector<std::string> WriteAllArticles(ArticleWriter& writer) {
  std::vector<std::string> articles;
  std::string error;
  for (;;) {
    std::string text;
    DotStuffingWriter sink(text);
    const WriteResult r = writer.WriteNext(sink, error);
    if (r != WriteResult::Written) {
      if (r == WriteResult::Failed) articles.push_back("FAILED: " + error);
      return articles;
    }
    sink.End();
    articles.push_back(std::move(text));
  }
}

// The lines of an article's header, before its first empty line.
inline std::vector<std::string> HeaderLines(const std::string& article) {
  std::vector<std::string> lines;
  std::size_t at = 0;
  for (;;) {
    const std::size_t end = article.find("\r\n", at);
    if (end == std::string::npos || end == at) return lines;
    lines.push_back(article.substr(at, end - at));
    at = end + 2;
  }
}

// The first header line beginning with name ("Subject: "), empty without one.
inline std::string HeaderLine(const std::string& article, const std::string& name) {
  for (const std::string& line : HeaderLines(article)) {
    if (line.compare(0, name.size(), name) == 0) return line;
  }
  return {};
}

}  // namespace orvel::writer_test
