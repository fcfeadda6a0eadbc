#include "config/manual_location.h"

#include <filesystem>
#include <system_error>

namespace orvel {

namespace fs = std::filesystem;

std::vector<std::string> ManualCandidates(const std::string& programDir) {
  const fs::path dir(programDir);
  return {(dir / "manual.html").lexically_normal().string(),
          (dir / ".." / "share" / "orvel" / "manual.html").lexically_normal().string()};
}

std::optional<std::string> FindManual(const std::string& programDir) {
  for (const std::string& candidate : ManualCandidates(programDir)) {
    std::error_code error;
    if (fs::is_regular_file(candidate, error)) return candidate;
  }
  return std::nullopt;
}

}  // namespace orvel
