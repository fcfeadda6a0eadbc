#pragma once
// The parsed score file written out as text ("scores-dump.txt"), to check
// how the program read it.

#include <string>

#include "scoring/score_file.h"

namespace orvel {

inline constexpr const char* kScoreDumpName = "scores-dump.txt";

std::string DumpScores(const ScoreSectionList& sections);

// Writes DumpScores into dir + "scores-dump.txt"; false with error on failure.
bool WriteScoreDump(const ScoreSectionList& sections, const std::string& dir,
                    std::string* error = nullptr);

}  // namespace orvel
