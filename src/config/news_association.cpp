#include "config/news_association.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "core/atomic_file.h"

namespace orvel {

namespace {

constexpr std::string_view kFailure = "Association impossible : ";

// Characters that make a command argument need quotes in a desktop entry.
constexpr std::string_view kReserved = " \t\"'\\><~|&;$*?#()`";

// One argument of the entry's command, quoted when it must be: inside the
// quotes '"', '`', '$' and '\' take a backslash, and then every backslash
// is doubled again by the file's string escaping. '%' is written "%%" so it
// is never read as a field code.
std::string execArgument(std::string_view arg) {
  const bool quote = arg.find_first_of(kReserved) != std::string_view::npos;
  std::string out = quote ? "\"" : "";
  for (const char c : arg) {
    if (c == '%') {
      out += "%%";
    } else if (quote && (c == '"' || c == '`' || c == '$' || c == '\\')) {
      out += c == '\\' ? "\\\\\\\\" : std::string("\\\\") + c;
    } else {
      out += c;
    }
  }
  if (quote) out += '"';
  return out;
}

bool writable(std::string_view path) {
  if (path.empty() || path.front() != '/') return false;
  for (const char c : path) {
    if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) return false;
  }
  return true;
}

}  // namespace

std::vector<std::string> NewsSchemes(bool secure) {
  std::vector<std::string> schemes = {"news", "nntp"};
  if (secure) schemes.emplace_back("snews");
  return schemes;
}

std::optional<std::string> NewsDesktopEntry(std::string_view programPath, bool secure) {
  if (!writable(programPath)) return std::nullopt;
  std::string mimeTypes;
  for (const std::string& scheme : NewsSchemes(secure)) {
    mimeTypes += "x-scheme-handler/" + scheme + ";";
  }
  // Hidden from menus: started without a link it would only open the
  // program, which its own launcher does.
  return "[Desktop Entry]\n"
         "Type=Application\n"
         "Name=Orvel\n"
         "GenericName=Lecteur de news\n"
         "Comment=Ouvre les liens news: et nntp: dans Orvel\n"
         "Exec=" + execArgument(programPath) + " %u\n"
         "Terminal=false\n"
         "NoDisplay=true\n"
         "Categories=Network;News;\n"
         "MimeType=" + mimeTypes + "\n";
}

std::string UserApplicationsDir(const char* xdgDataHome, const char* home) {
  if (xdgDataHome && xdgDataHome[0] == '/') return std::string(xdgDataHome) + "/applications";
  if (home && home[0] != '\0') return std::string(home) + "/.local/share/applications";
  return {};
}

std::string UserApplicationsDir() {
  return UserApplicationsDir(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
}

AssociationOutcome AssociateNewsLinks(const NewsAssociation& setup, Prompter& prompter) {
  auto fail = [&](const std::string& why) {
    prompter.message(std::string(kFailure) + why, MessageKind::Error);
    return AssociationOutcome::Failed;
  };
  if (prompter.ask(kAssociateQuestion, kYesNoCancel) != Button::Yes) {
    return AssociationOutcome::Declined;
  }
  // A box closed without an answer is no answer: nothing is written.
  const Button secureAnswer = prompter.ask(kSecureLinksQuestion, kYesNo);
  if (secureAnswer != Button::Yes && secureAnswer != Button::No) {
    return AssociationOutcome::Declined;
  }
  const bool secure = secureAnswer == Button::Yes;
  const std::optional<std::string> entry = NewsDesktopEntry(setup.programPath, secure);
  if (!entry) return fail("le chemin du programme \"" + setup.programPath + "\" ne convient pas");
  if (setup.applicationsDir.empty()) {
    return fail("ni XDG_DATA_HOME ni HOME ne disent o\u00f9 placer " +
                std::string(kNewsDesktopFile));
  }
  std::error_code ec;
  std::filesystem::create_directories(setup.applicationsDir, ec);
  if (ec) {
    return fail("le dossier " + setup.applicationsDir + " ne peut pas \u00eatre cr\u00e9\u00e9 (" +
                ec.message() + ")");
  }
  const std::string path = setup.applicationsDir + "/" + std::string(kNewsDesktopFile);
  std::string error;
  if (!SaveFileAtomically(path, *entry, &error)) {
    return fail(path + " ne peut pas \u00eatre \u00e9crit (" + error + ")");
  }
  std::vector<std::string> command = {"xdg-mime", "default", std::string(kNewsDesktopFile)};
  for (const std::string& scheme : NewsSchemes(secure)) {
    command.push_back("x-scheme-handler/" + scheme);
  }
  const ProgramResult result = setup.run(command);
  if (result.kind == ProgramResult::Kind::NotStarted) {
    return fail("xdg-mime ne d\u00e9marre pas (" + result.error +
                ") : le paquet xdg-utils manque-t-il ?");
  }
  if (!result.ok()) {
    return fail("xdg-mime default a \u00e9chou\u00e9 (" + DescribeProgramResult(result) + ")");
  }
  prompter.message(kAssociationDone);
  return AssociationOutcome::Done;
}

ProgramResult RunXdgMime(const std::vector<std::string>& argv) {
  return RunProgram(argv, std::chrono::seconds(20));
}

}  // namespace orvel
