#pragma once
// What a decode batch made of its files, for the PAR2 step after it: the
// files decoded whole, and those left incomplete or with a CRC error (a
// file set aside and finished later by the same batch is not).

#include <string>
#include <vector>

#include "content/batch.h"
#include "content/resume_record.h"

namespace orvel {

struct DecodedFiles {
  std::vector<std::string> decoded;
  std::vector<BatchFileReport> shortfall;

  void add(const BatchFileReport& report);
  bool any() const { return !shortfall.empty(); }
  // "1 file incomplete, 2 files with a CRC error".
  std::string text() const;
  // The partial files set aside under other names than the file's own.
  std::vector<std::string> partialPaths() const;
  // A PAR2 set in directory made these targets whole: their shortfall goes,
  // and is returned.
  std::vector<BatchFileReport> repaired(const std::string& directory, const std::vector<std::string>& targets);
};

// The name a file set aside incomplete was meant to have ("x__error_part_3"
// was meant to be "x"); other paths unchanged.
std::string IntendedPath(const std::string& path);

// A repaired file stands where its partial files were meant to: they are
// removed, and so are the records that would resume them.
void DropRepairedPartials(const std::vector<BatchFileReport>& repaired, ResumeStore& resume);

}  // namespace orvel
