#include "config/settings.h"

#include <algorithm>
#include <array>
#include <ctime>

#include "core/text.h"

namespace orvel {

BagFont DefaultFont(int size, int style, std::uint32_t color, std::string name) {
  BagFont f;
  f.style = style;
  f.pitch = 0;
  f.size = size;
  f.height = -(size * 96 + 36) / 72;  // pixels at 96 dpi
  f.color = color;
  f.name = std::move(name);
  return f;
}

BagFont DefaultFixedFont(int size) {
  BagFont f = DefaultFont(size, 0, 0, "DejaVu Sans Mono");
  f.pitch = 1;
  return f;
}

std::optional<int> SortColumnIndex(std::string_view text) {
  for (int i = 0; i < static_cast<int>(std::size(kSortColumnNames)); ++i) {
    if (equalsNoCase(text, kSortColumnNames[i])) return i - 1;
  }
  const auto n = parseDecimal(text);
  if (n && *n >= -1 && *n <= 6) return static_cast<int>(*n);
  return std::nullopt;
}

std::string SortColumnName(int index) {
  if (index < -1 || index > 6) index = -1;
  return kSortColumnNames[index + 1];
}

std::uint32_t Settings::quoteColor(int level) const {
  const std::array<std::uint32_t, 6> colors = {quoteColor1, quoteColor2, quoteColor3,
                                               quoteColor4, quoteColor5, quoteColor6};
  return colors[static_cast<std::size_t>(std::clamp(level, 1, 6) - 1)];
}

int Settings::timeZoneOffset() const {
  if (tz != -1) return tz;
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  const long minutes = local.tm_gmtoff / 60;
  const long magnitude = minutes < 0 ? -minutes : minutes;
  const int offset = static_cast<int>(magnitude / 60 * 100 + magnitude % 60);
  return minutes < 0 ? -offset : offset;
}

long long Settings::defragGapBudget() const {
  return defragGapSize >= 1 && defragGapSize <= 99999999 ? 10LL * defragGapSize : 100;
}

bool ExtensionListHas(std::string_view list, std::string_view name) {
  const std::size_t dot = name.rfind('.');
  if (dot == std::string_view::npos) return false;
  const std::string_view ext = name.substr(dot);
  if (ext.size() < 2) return false;
  for (const auto& item : splitChar(list, '|')) {
    if (equalsNoCase(trimView(item), ext)) return true;
  }
  return false;
}

}  // namespace orvel
