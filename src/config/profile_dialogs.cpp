#include "config/profile_dialogs.h"

#include <filesystem>

#include "config/servers_file.h"
#include "core/text.h"

namespace orvel {

namespace {

constexpr std::string_view kForbidden = "\\/:*?\"<>|,";

// Characters that would break an INI section name or line.
bool breaksIniName(std::string_view name) {
  for (const char c : name) {
    if (static_cast<unsigned char>(c) < 32 || c == 127 || c == '[' || c == ']') return true;
  }
  return false;
}

bool hasForbidden(std::string_view name) {
  return name.find_first_of(kForbidden) != std::string_view::npos || breaksIniName(name);
}

}  // namespace

std::optional<std::string> CheckNewAlias(const ProfileList& profiles, std::string_view alias) {
  // "Profiles" names the list's own section in "servers.ini".
  if (ProfileIndex(profiles, alias) >= 0 || equalsNoCase(alias, "Profiles")) {
    return "Ce nom (surnom) " + std::string(alias) + " existe déjà !  ";
  }
  if (hasForbidden(alias)) return "Un alias ne doit pas contenir un de ces symboles \\/:*?\"<>|,";
  return std::nullopt;
}

std::shared_ptr<TProfile> AddProfile(MainState& main, const std::string& baseDir,
                                     const TProfile* source, std::string_view host,
                                     std::string_view alias) {
  auto p = std::make_shared<TProfile>();
  if (source) {
    *p = CopyProfile(*source);
  } else {
    if (!main.identities.empty()) p->identity = main.identities.front();
    p->SMTPHost = main.settings.smtpHost;
    const auto entry = ParseProfileEntry(host);
    p->host = entry ? entry->host : std::string(host);
    p->port = entry ? entry->port : 0;
    p->tls = p->port == 563;
  }
  p->alias = std::string(alias);
  p->newsrcPath = DefaultNewsrcPath(baseDir, p->alias);
  main.profiles.push_back(p);
  return p;
}

std::shared_ptr<TProfile> NewProfile(MainState& main, const std::string& baseDir,
                                     Prompter& prompter, const TProfile* source,
                                     std::string_view givenHost) {
  static constexpr const char* kCaption = "Configurer votre serveur!";
  std::string host(givenHost);
  for (;;) {
    while (!source && host.empty()) {
      auto entered = prompter.inputText(kCaption, "Serveur de news (par exemple news.example.net) :");
      if (!entered) return nullptr;
      host = trim(*entered);
    }
    const std::string prompt =
        source ? std::string("Nouveau nom du profil  ") : "Surnom de ce serveur " + host;
    const auto entry = ParseProfileEntry(host);
    auto alias = prompter.inputText(kCaption, prompt, entry ? entry->host : host);
    if (!alias) return nullptr;
    const std::string name = trim(*alias);
    if (name.empty()) continue;
    if (auto refusal = CheckNewAlias(main.profiles, name)) {
      prompter.message(*refusal, MessageKind::Warning);
      continue;
    }
    return AddProfile(main, baseDir, source, host, name);
  }
}

std::shared_ptr<TProfile> RemoveProfile(MainState& main, int index) {
  if (index < 0 || index >= static_cast<int>(main.profiles.size())) return nullptr;
  auto removed = main.profiles[static_cast<std::size_t>(index)];
  main.profiles.erase(main.profiles.begin() + index);
  if (main.defaultProfileIndex > index) {
    --main.defaultProfileIndex;
  } else if (main.defaultProfileIndex == index) {
    main.defaultProfileIndex = 0;
  }
  return removed;
}

std::shared_ptr<TProfile> DeleteProfile(MainState& main, Prompter& prompter, int index,
                                        const std::function<bool(const TProfile&)>& isOpen) {
  if (index < 0 || index >= static_cast<int>(main.profiles.size())) return nullptr;
  const TProfile& profile = *main.profiles[static_cast<std::size_t>(index)];
  if (isOpen && isOpen(profile)) {
    prompter.message("Ce Serveur est ouvert: Supression impossible.       ", MessageKind::Warning);
    return nullptr;
  }
  if (prompter.ask("   Voulez-vous supprimer ce serveur " + profile.alias + "?", kYesNoCancel) !=
      Button::Yes) {
    return nullptr;
  }
  std::error_code ec;
  if (std::filesystem::exists(profile.newsrcPath, ec) &&
      prompter.ask("Voulez-vous supprimer " + profile.newsrcPath + "     ", kYesNo) ==
          Button::Yes) {
    if (!std::filesystem::remove(profile.newsrcPath, ec) && ec) {
      prompter.message(profile.newsrcPath + ": " + ec.message(), MessageKind::Error);
    }
  }
  return RemoveProfile(main, index);
}

std::optional<std::string> CheckNewIdentityName(const std::vector<TID>& identities,
                                                std::string_view name) {
  if (IdentityIndex(identities, name) >= 0) {
    return "      Ce nom " + std::string(name) + " existe déjà !  ";
  }
  if (hasForbidden(name)) return "Les caractères \" \\/:*?\"<>|,\"  sont interdits      ";
  return std::nullopt;
}

bool NewIdentity(MainState& main, Prompter& prompter, const TID* source) {
  for (;;) {
    auto entered = prompter.inputText("Créer nouveau profil ", "Donnez un nom à cette identité   ");
    if (!entered) return false;
    const std::string name = trim(*entered);
    if (name.empty()) continue;
    if (auto refusal = CheckNewIdentityName(main.identities, name)) {
      prompter.message(*refusal, MessageKind::Warning);
      continue;
    }
    TID id = source ? *source : main.identities.empty() ? TID{} : main.identities.front();
    id.name = name;
    main.identities.push_back(std::move(id));
    return true;
  }
}

bool DeleteIdentity(MainState& main, Prompter& prompter, int index, bool composeWindowOpen) {
  if (index < 0 || index >= static_cast<int>(main.identities.size())) return false;
  if (index == 0) {
    prompter.message("Id par défaut insupprimable ", MessageKind::Warning);
    return false;
  }
  if (composeWindowOpen) {
    prompter.message("Suppression impossible si l'éditeur est ouvert     ", MessageKind::Warning);
    return false;
  }
  const std::string name = main.identities[static_cast<std::size_t>(index)].name;
  if (prompter.ask("Do you really want to delete ID " + name + "?", kYesNo) != Button::Yes) {
    return false;
  }
  main.identities.erase(main.identities.begin() + index);
  return true;
}

}  // namespace orvel
