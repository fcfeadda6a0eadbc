// Arbitrary bytes as an INI file: reading, enumerating, writing back and
// reading again must never crash, and a written key must read back.
#include <cstdint>
#include <string>
#include <string_view>

#include "core/ini_file.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  orvel::IniFile ini = orvel::IniFile::FromText(text);
  for (const auto& section : ini.sections()) {
    for (const auto& [key, value] : ini.entries(section)) (void)ini.read(section, key);
  }
  ini.write("Fuzz", "Key", "Value");
  if (!ini.sections().empty()) ini.eraseSection(ini.sections().front());
  const orvel::IniFile again = orvel::IniFile::FromText(ini.text());
  if (again.readString("Fuzz", "Key") != "Value" && ini.hasSection("Fuzz")) __builtin_trap();
  return 0;
}
