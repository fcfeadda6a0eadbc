#pragma once
// Cancel-Lock and Cancel-Key (RFC 8315), so that servers which honour a
// cancel or a supersede only from the article's author (INN 2.7 by default)
// honour the user's own. Each identity has a secret of its own, made on
// first use and kept in "cancel-lock.ini" in the base directory, readable
// by the user alone. The lock of an article and the key that opens it are
// derived from the secret and the article's Message-ID with HMAC-SHA256
// (libcanlock), so nothing per article is stored.

#include <optional>
#include <string>
#include <string_view>

namespace orvel {

class CancelLockSecrets {
 public:
  explicit CancelLockSecrets(std::string baseDir);

  // The identity's secret, made and saved when it has none yet; nothing
  // when it could not be saved (a lock nobody could open must not be sent).
  std::optional<std::string> Secret(std::string_view identityName, std::string* error = nullptr);

 private:
  std::string path_;
};

// "sha256:" and the lock, for the article's "Cancel-Lock:" header.
std::string CancelLockValue(std::string_view secret, std::string_view messageId);
// "sha256:" and the key, for the "Cancel-Key:" of a cancel or supersede of
// that Message-ID.
std::string CancelKeyValue(std::string_view secret, std::string_view messageId);

}  // namespace orvel
