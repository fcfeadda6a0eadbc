#include "config/custom_headers.h"

#include <algorithm>
#include <optional>

#include "core/text.h"

namespace orvel {

namespace {

constexpr const char* kCountKey = "CustomHeadersCount";
constexpr std::string_view kLineKey = "CustomHeader";

// The count bounds the keys looked at; a hand-edited count far beyond the
// keys that exist must not cost a look-up per number.
constexpr int kMaxCustomHeaders = 1000;

template <typename Lookup>
void readLines(Lookup lookup, TPerlre& pattern, std::vector<CustomHeader>& headers) {
  const auto countText = lookup(kCountKey);
  if (!countText) return;
  const int count = std::min(toIntDef(*countText, 0), kMaxCustomHeaders);
  for (int i = 1; i <= count; ++i) {
    const auto line = lookup(std::string(kLineKey) + std::to_string(i));
    if (!line) continue;
    if (auto header = ParseCustomHeader(pattern, *line)) headers.push_back(std::move(*header));
  }
}

}  // namespace

std::optional<CustomHeader> ParseCustomHeader(TPerlre& pattern, std::string_view line) {
  if (!pattern.Match(line)) return std::nullopt;
  CustomHeader h;
  h.on = !pattern.SubExpView(1).empty();
  h.name = pattern.SubExp(3);
  h.value = pattern.SubExpCount() >= 5 ? pattern.SubExp(5) : std::string();
  h.line = std::string(line);
  return h;
}

void ReadCustomHeaders(const IniFile& ini, std::string_view section, TPerlre& pattern,
                       std::vector<CustomHeader>& headers) {
  readLines([&](std::string_view key) { return ini.read(section, key); }, pattern, headers);
}

void ReadCustomHeaders(const std::vector<std::pair<std::string, std::string>>& entries,
                       TPerlre& pattern, std::vector<CustomHeader>& headers) {
  auto lookup = [&](std::string_view key) -> std::optional<std::string> {
    for (const auto& [k, v] : entries) {
      if (equalsNoCase(k, key)) return v;
    }
    return std::nullopt;
  };
  readLines(lookup, pattern, headers);
}

void WriteCustomHeaders(IniFile& ini, std::string_view section,
                        const std::vector<CustomHeader>& headers) {
  const int old = std::min(ini.readInteger(section, kCountKey, 0), kMaxCustomHeaders);
  ini.writeInteger(section, kCountKey, static_cast<long long>(headers.size()));
  for (std::size_t i = 0; i < headers.size(); ++i) {
    ini.write(section, std::string(kLineKey) + std::to_string(i + 1), headers[i].line);
  }
  for (int i = static_cast<int>(headers.size()) + 1; i <= old; ++i) {
    ini.eraseKey(section, std::string(kLineKey) + std::to_string(i));
  }
}

}  // namespace orvel
