// orvel-cli settings: every settings key with its effective value, in its
// file form; "*" marks a value that differs from the default.

#include <ostream>

#include "app/cli/commands.h"
#include "app/cli/session.h"
#include "config/settings_table.h"

namespace orvel::cli {

int cmdSettings(CliContext& context) {
  if (!context.args.empty()) {
    context.err << "usage: orvel-cli settings\n";
    return 2;
  }
  const auto session = OpenSession(context);
  const Settings& settings = session->main.settings;
  const char* section = "";
  for (const auto& key : SettingsTable()) {
    if (SectionName(key.section) != std::string_view(section)) {
      if (*section && std::string_view(section) == "Compose") {
        context.out << (settings.customHeaders.empty() ? "  " : "* ") << "CustomHeadersCount="
                    << settings.customHeaders.size() << '\n';
        for (std::size_t i = 0; i < settings.customHeaders.size(); ++i) {
          context.out << "* CustomHeader" << i + 1 << '=' << settings.customHeaders[i].line << '\n';
        }
      }
      section = SectionName(key.section);
      context.out << '[' << section << "]\n";
    }
    context.out << (SettingIsDefault(settings, key) ? "  " : "* ") << key.key << '='
                << SettingText(settings, key) << '\n';
  }
  for (const auto& problem : session->main.settingsProblems) {
    context.err << "orvel-cli settings: " << problem << " (default kept)\n";
  }
  return 0;
}

}  // namespace orvel::cli
