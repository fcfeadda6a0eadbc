#pragma once
// Whole-file rewrites that a crash or a full disk cannot truncate: the data
// goes to a temporary file in the same directory, is flushed to disk, and is
// renamed over the old file.

#include <string>
#include <string_view>

namespace orvel {

struct AtomicWriteOptions {
  // Permission bits of a new file; an existing file keeps its own.
  unsigned mode = 0644;
  // Forces the mode even over an existing file's (files holding passwords).
  bool forceMode = false;
};

// Returns false and sets error (when given) to a readable reason on failure;
// the old file is then untouched.
bool SaveFileAtomically(const std::string& path, std::string_view data,
                        std::string* error = nullptr, AtomicWriteOptions options = {});

// Reads a whole file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string& data);

}  // namespace orvel
