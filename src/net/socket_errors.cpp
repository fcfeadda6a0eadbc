#include "net/socket_errors.h"

#include <algorithm>
#include <iterator>

namespace orvel {

namespace {

struct ErrorText {
  int code;
  const char* text;
};

// Sorted by code.
constexpr ErrorText kTexts[] = {
    {0, "Correct "},
    {10004, "Appel system intérrompu"},
    {10009, "Mauvais nombre!"},
    {10013, "Accès refusé     "},
    {10014, "Bad address"},
    {10022, "Invalid argument"},
    {10024, "Trop fichiers ouver"},
    {10035, "Opération bloquante  "},
    {10036, "Tâche maintenant active  "},
    {10037, "Opération déjà en cours      "},
    {10038, "Erreur sur le socket          "},
    {10039, "Adresse destination requise "},
    {10040, "Msg. trop long  "},
    {10041, "Mauvais protocole pour socket "},
    {10042, "Protocole indisponible"},
    {10043, "Protocole non supporté"},
    {10044, "Socket type not supported"},
    {10045, "Opération sur socket non supporté"},
    {10046, "Erreur Famille de protocole  "},
    {10047, "Adresse non suppotée par famille de protocole  "},
    {10048, "Adresse déjà en cours "},
    {10049, "Mauvaise adresse "},
    {10050, "Network tombé  "},
    {10051, "Network innaccessible "},
    {10052, "Connexion tombée pendant le reset  "},
    {10053, "Connexion échouée "},
    {10054, "Le serveur a déconnecté "},
    {10055, "Pas d'espace buffer dispo"},
    {10056, "La connexion est déjà prise"},
    {10057, "Pas de connexion dispo!"},
    {10058, "Envoi impossible hors connexion!"},
    {10059, "Trop de références: impossible  !"},
    {10060, "Connexion terminée !"},
    {10061, "connexion refusée!"},
    {10062, "Trop de niveaux de liens         "},
    {10063, "Nom trop long     "},
    {10064, "Hôte tombé  "},
    {10065, "No route to host"},
    {10066, "Dossier non vide   "},
    {10067, "Trop de tâches    "},
    {10068, "Too many users"},
    {10069, "Disc Quota dépassé "},
    {10070, "Stale NFS file handle"},
    {10071, "Trop de niveaux dans le chemin   "},
    {10091, "Network SubSystem inutilisable"},
    {10092, "Winsock DLL ne supporte pas l'application  "},
    {10093, "WinSock non initialisé "},
    {11001, "Hôte nonTrouvé"},
    {11002, "Hôte en accès libre introuvable "},
    {11003, "Erreur irrécupérable "},
    {11004, "No Data"},
};

}  // namespace

std::string SocketErrorText(int code) {
  const auto* end = std::end(kTexts);
  const auto* it = std::lower_bound(std::begin(kTexts), end, code,
                                    [](const ErrorText& e, int c) { return e.code < c; });
  if (it != end && it->code == code) return it->text;
  return "Err. inconnue";
}

}  // namespace orvel
