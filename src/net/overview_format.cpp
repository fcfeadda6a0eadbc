#include "net/overview_format.h"

#include <algorithm>

#include "core/text.h"

namespace orvel {

namespace {

struct FieldName {
  std::string_view name;
  OverviewField field;
};

// Both spellings of the two metadata fields are in use: RFC 3977's ":bytes"
// and the older "Bytes:".
constexpr std::array<FieldName, 11> kNames{{
    {"Subject:", OverviewField::Subject},
    {"From:", OverviewField::From},
    {"Date:", OverviewField::Date},
    {"Message-ID:", OverviewField::MessageId},
    {"References:", OverviewField::References},
    {":bytes", OverviewField::Bytes},
    {"Bytes:", OverviewField::Bytes},
    {":lines", OverviewField::Lines},
    {"Lines:", OverviewField::Lines},
    {"Xref:full", OverviewField::Xref},
    {"Xref:", OverviewField::Xref},
}};

}  // namespace

void OverviewFormat::clear() {
  columns_.fill(0);
  listed_ = 0;
}

void OverviewFormat::add(std::string_view line) {
  line = trimView(line);
  if (line.empty()) return;
  ++listed_;
  if (listed_ > kMaxColumns) return;
  for (const FieldName& entry : kNames) {
    if (!equalsNoCase(line, entry.name)) continue;
    std::uint8_t& column = columns_[static_cast<std::size_t>(entry.field)];
    // A field listed twice is read where it first stands.
    if (column == 0) column = static_cast<std::uint8_t>(listed_);
    return;
  }
}

int OverviewFormat::lastColumn() const { return *std::max_element(columns_.begin(), columns_.end()); }

bool OverviewFormat::isDefault() const {
  for (std::size_t i = 0; i + 1 < kFields; ++i) {
    if (columns_[i] != i + 1) return false;
  }
  const int xref = columns_[kFields - 1];
  return xref == static_cast<int>(kFields) || (xref == 0 && listed_ == static_cast<int>(kFields) - 1);
}

}  // namespace orvel
