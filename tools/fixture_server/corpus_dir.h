#pragma once
// Loads a corpus directory: one sub-directory per group, named as the group,
// holding article files named by their number ("1", "2", ...). An optional
// ".info" file in a group's directory holds "description: ...",
// "created: yyyymmddhhmmss" (UTC, or seconds since 1970) and
// "status: y|n|m" lines. Other files are ignored.

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "group_source.h"
#include "memory_source.h"

namespace orvel::fixture {

struct LoadedGroup {
  std::string name;
  GroupInfo info;
  std::unique_ptr<MemorySource> source;
};

class CorpusError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Reads every group of the directory, sorted by name. Throws CorpusError when
// the directory or a file cannot be read.
std::vector<LoadedGroup> loadCorpusDirectory(const std::string& dir, const std::string& host);

// Reads a ".info" text into info; unknown lines are ignored.
void parseGroupInfo(std::string_view text, GroupInfo& info);

}  // namespace orvel::fixture
