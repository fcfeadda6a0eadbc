#pragma once
// The compose window's personal header rows, made from the custom header
// lines that apply to the message's first group. "X-No-Archive" is never a
// row: it only decides the window's no-archive switch.

#include <cstddef>
#include <vector>

#include "config/custom_headers.h"
#include "posting/compose_message.h"

namespace orvel {

struct PersonalRows {
  std::vector<PersonalHeader> rows;
  bool noArchive = false;  // an enabled "x-no-archive" header with value "yes" (any case)
};

// The rows in the order of the lines, each switched on when its line began
// with "*". Of several switched-on rows with one name (any case) the last
// stays on, so a group's own header wins over the general one. An
// "x-no-archive" line that is switched off, or whose value is not "yes", has
// no effect at all.
PersonalRows PersonalHeaderRows(const std::vector<CustomHeader>& headers);

// Switches row index on or off; switching on switches off every other row
// with the same name (any case). An index past the rows changes nothing.
void SetPersonalRow(std::vector<PersonalHeader>& rows, std::size_t index, bool on);

}  // namespace orvel
