#include "posting/personal_headers.h"

#include "core/text.h"

namespace orvel {

PersonalRows PersonalHeaderRows(const std::vector<CustomHeader>& headers) {
  PersonalRows result;
  for (const CustomHeader& h : headers) {
    if (equalsNoCase(h.name, "x-no-archive")) {
      if (h.on && equalsNoCase(trimView(h.value), "yes")) result.noArchive = true;
      continue;
    }
    result.rows.push_back({false, h.name, h.value});
    SetPersonalRow(result.rows, result.rows.size() - 1, h.on);
  }
  return result;
}

void SetPersonalRow(std::vector<PersonalHeader>& rows, std::size_t index, bool on) {
  if (index >= rows.size()) return;
  rows[index].on = on;
  if (!on) return;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (i != index && equalsNoCase(rows[i].name, rows[index].name)) rows[i].on = false;
  }
}

}  // namespace orvel
