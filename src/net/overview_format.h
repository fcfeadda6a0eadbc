#pragma once
// OverviewFormat: where each field the reader uses stands in an overview
// line, from the data lines of LIST OVERVIEW.FMT (one call to add per line,
// after clear). Columns count from 1, the first field after the article
// number; 0 is a field the server does not send. Until a list is read the
// order is RFC 3977's: Subject, From, Date, Message-ID, References, :bytes,
// :lines, then Xref:full as the first extra field.

#include <array>
#include <cstdint>
#include <string_view>

namespace orvel {

enum class OverviewField : std::uint8_t {
  Subject,
  From,
  Date,
  MessageId,
  References,
  Bytes,
  Lines,
  Xref,
  Count,
};

class OverviewFormat {
 public:
  // Columns past this are not mapped: the server chooses how many it lists.
  static constexpr int kMaxColumns = 64;

  // Starts a list: every field is missing until a line names it.
  void clear();
  // One data line of the reply ("Subject:", ":bytes", "Xref:full", ...).
  void add(std::string_view line);

  int column(OverviewField field) const { return columns_[static_cast<std::size_t>(field)]; }
  // The highest column of a field mapped.
  int lastColumn() const;
  // Whether lines are read as in RFC 3977's order; a list without Xref
  // that ends after :lines is such an order too.
  bool isDefault() const;

 private:
  static constexpr std::size_t kFields = static_cast<std::size_t>(OverviewField::Count);
  std::array<std::uint8_t, kFields> columns_{1, 2, 3, 4, 5, 6, 7, 8};
  int listed_ = 8;
};

}  // namespace orvel
