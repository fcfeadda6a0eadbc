#pragma once
// The million-line overview corpus the article benchmarks share
// (deterministic: group alt.test.corpus, seed 1). It is generated once and
// kept in the temporary directory under a name that carries a digest of its
// first lines, so a changed generator makes a new file.

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>

#include "articles/article_arena.h"
#include "articles/xover.h"
#include "corpus.h"

namespace orvel::bench {

inline constexpr std::int32_t kCorpusLines = 1000000;
inline constexpr const char* kCorpusGroup = "alt.test.corpus";

inline std::string GenerateCorpus(std::int32_t lines) {
  corpus::Corpus c(kCorpusGroup, 1);
  std::string out;
  out.reserve(static_cast<std::size_t>(lines) * 300);
  for (std::int32_t n = 1; n <= lines; ++n) out += c.OverviewLine(n);
  return out;
}

inline const std::string& CorpusText() {
  static const std::string text = [] {
    const std::string head = GenerateCorpus(5000);
    const auto digest = std::hash<std::string>{}(head);
    const auto path = std::filesystem::temp_directory_path() /
                      ("orvel-bench-corpus-" + std::to_string(digest) + ".txt");
    std::string out;
    std::error_code error;
    const auto size = std::filesystem::file_size(path, error);
    if (!error) {
      out.resize(size);
      std::ifstream(path, std::ios::binary).read(out.data(), static_cast<std::streamsize>(size));
    }
    if (out.compare(0, head.size(), head) != 0) {
      out = GenerateCorpus(kCorpusLines) + ".\r\n";
      std::ofstream(path, std::ios::binary) << out;
    }
    return out;
  }();
  return text;
}

// Resident memory of the process in bytes.
inline std::int64_t ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  std::int64_t pages = 0, resident = 0;
  statm >> pages >> resident;
  return resident * 4096;
}

// A group view over the corpus's numbers.
struct CorpusView {
  ArticleArena arena;
  ViewLists lists;
  XoverView view{arena, lists};
  CorpusView() {
    view.groupName = kCorpusGroup;
    view.SizeSets(1, kCorpusLines);
    // As the header download does before its first range.
    view.linesExpected = kCorpusLines;
    lists.masterList.reserve(kCorpusLines);
    lists.rootList.reserve(kCorpusLines);
    lists.rowList.reserve(kCorpusLines);
  }
  // Feeds the text in blocks of blockSize bytes, as a connection would.
  void Parse(std::string_view text, std::size_t blockSize = 65536) {
    std::string pending;
    bool done = false;
    std::size_t pos = 0;
    while (pos < text.size() && !done) {
      const std::size_t n = std::min(blockSize, text.size() - pos);
      std::string_view block = text.substr(pos, n);
      pos += n;
      if (!pending.empty()) {
        pending.append(block);
        block = pending;
      }
      const std::size_t rest = ParseXOVER(view, nullptr, block, done);
      if (rest == std::string_view::npos) {
        pending.clear();
      } else {
        pending = std::string(block.substr(rest));
      }
    }
  }
};

}  // namespace orvel::bench
