#pragma once
// Makes Orvel the desktop's handler of news links: two questions, then a
// desktop entry "orvel.desktop" in the user's applications directory whose
// command passes the link as "/url=LINK", registered as the default handler
// of the news schemes with xdg-mime. The GUI and orvel-cli both run it.

#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/prompter.h"
#include "core/run_program.h"

namespace orvel {

inline constexpr std::string_view kAssociateQuestion =
    "Orvel : Lecteur de news par d\u00e9faut?\r\nLe seul moyen de modifier cette option  \r\n"
    "est de s\u00e9lectionner un autre lecteur .";
inline constexpr std::string_view kSecureLinksQuestion =
    "Orvel doit-il aussi ouvrir les liens de news s\u00e9curis\u00e9s (snews:) ?";
inline constexpr std::string_view kAssociationDone = "Done!";
inline constexpr std::string_view kNewsDesktopFile = "orvel.desktop";

// "news", "nntp", then "snews" when secure links are wanted too.
std::vector<std::string> NewsSchemes(bool secure);

// The desktop entry; nothing when the path cannot stand in its command
// (not absolute, or holding a control character).
std::optional<std::string> NewsDesktopEntry(std::string_view programPath, bool secure);

// $XDG_DATA_HOME/applications when that is an absolute path, else
// HOME/.local/share/applications; empty when neither is known.
std::string UserApplicationsDir(const char* xdgDataHome, const char* home);
std::string UserApplicationsDir();  // from the environment

struct NewsAssociation {
  std::string programPath;      // absolute path of the Orvel program the links start
  std::string applicationsDir;  // where the desktop entry goes
  // Runs a helper (xdg-mime) to its end; RunProgram with a time limit.
  std::function<ProgramResult(const std::vector<std::string>&)> run;
};

enum class AssociationOutcome { Done, Declined, Failed };

// Asks, writes the entry whole (or not at all) and registers it; a
// question answered neither Yes nor No (closed, or nobody to ask) stops
// before anything is written. Each
// failure is said in one message line, success with "Done!".
AssociationOutcome AssociateNewsLinks(const NewsAssociation& setup, Prompter& prompter);

// The runner of a real association: xdg-mime with a 20-second limit.
ProgramResult RunXdgMime(const std::vector<std::string>& argv);

}  // namespace orvel
