#include "corpus_dir.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "core/text.h"
#include "dates.h"

namespace orvel::fixture {

namespace fs = std::filesystem;

namespace {

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) throw CorpusError("cannot read " + path.string());
  std::ostringstream buf;
  buf << in.rdbuf();
  return buf.str();
}

std::optional<std::int64_t> articleNumber(const std::string& fileName) {
  if (fileName.empty() || fileName.size() > 10) return std::nullopt;
  auto n = parseDecimal(fileName);
  if (!n || *n < 1 || fileName[0] == '+' || fileName[0] == '-') return std::nullopt;
  return n;
}

}  // namespace

void parseGroupInfo(std::string_view text, GroupInfo& info) {
  for (const std::string& raw : splitChar(text, '\n')) {
    std::string_view line = trimView(raw);
    std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    std::string_view key = trimView(line.substr(0, colon));
    std::string_view value = trimView(line.substr(colon + 1));
    if (equalsNoCase(key, "description")) {
      info.description = std::string(value);
    } else if (equalsNoCase(key, "created")) {
      if (auto epoch = epochFromText(value)) info.created = *epoch;
    } else if (equalsNoCase(key, "status") && value.size() == 1 &&
               std::string_view("ynm").find(value[0]) != std::string_view::npos) {
      info.status = value[0];
    }
  }
}

std::vector<LoadedGroup> loadCorpusDirectory(const std::string& dir, const std::string& host) {
  std::error_code ec;
  if (!fs::is_directory(dir, ec)) throw CorpusError("not a directory: " + dir);
  std::vector<LoadedGroup> groups;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (!entry.is_directory()) continue;
    LoadedGroup group;
    group.name = entry.path().filename().string();
    if (group.name.empty() || group.name[0] == '.') continue;
    group.source = std::make_unique<MemorySource>(host, group.name);
    for (const auto& file : fs::directory_iterator(entry.path())) {
      std::string fileName = file.path().filename().string();
      if (fileName == ".info") {
        parseGroupInfo(readFile(file.path()), group.info);
      } else if (auto n = articleNumber(fileName); n && file.is_regular_file()) {
        group.source->add(*n, readFile(file.path()));
      }
    }
    groups.push_back(std::move(group));
  }
  std::sort(groups.begin(), groups.end(),
            [](const LoadedGroup& a, const LoadedGroup& b) { return a.name < b.name; });
  return groups;
}

}  // namespace orvel::fixture
