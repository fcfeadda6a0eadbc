#include "net/socket_errors.h"

#include <gtest/gtest.h>

#include "net/tline_sock.h"

namespace orvel {
namespace {

TEST(SocketErrorText, TableTextsKeepTheirBlanks) {
  const std::pair<int, const char*> rows[] = {
      {0, "Correct "},
      {10013, "Accès refusé     "},
      {10051, "Network innaccessible "},
      {10054, "Le serveur a déconnecté "},
      {10060, "Connexion terminée !"},
      {10061, "connexion refusée!"},
      {11001, "Hôte nonTrouvé"},
      {11004, "No Data"},
  };
  for (const auto& [code, text] : rows) EXPECT_EQ(SocketErrorText(code), text) << code;
}

TEST(SocketErrorText, UnknownCodes) {
  for (int code : {-1, 1, 10001, 10072, 11005, 99999, neterr::kTlsFailure}) {
    EXPECT_EQ(SocketErrorText(code), "Err. inconnue") << code;
  }
}

TEST(FailureTexts, NameTheHost) {
  EXPECT_EQ(LookupFailureText(11001, "news.example.com"),
            "Hôte nonTrouvé while looking up news.example.com");
  EXPECT_EQ(SocketFailureText(neterr::kTlsFailure, "The certificate has expired", "h.example"),
            "Connexion TLS refusée par h.example : The certificate has expired");
  EXPECT_EQ(SocketFailureText(10061, "", "h.example"), "connexion refusée!");
}

}  // namespace
}  // namespace orvel
