#include "posting/cancel_lock.h"

// The library's header declares C functions without saying so.
extern "C" {
#include <canlock.h>
}

#include <cstdlib>
#include <memory>
#include <random>

#include "core/ini_file.h"

namespace orvel {

namespace {

constexpr const char* kFileName = "cancel-lock.ini";
constexpr const char* kSection = "Secrets";
constexpr std::size_t kSecretBytes = 32;  // the length of a SHA-256 hash

std::string freshSecret() {
  static constexpr char kHex[] = "0123456789abcdef";
  std::random_device device;
  std::string secret;
  for (std::size_t i = 0; i < kSecretBytes; ++i) {
    const unsigned byte = device() & 0xFF;
    secret += kHex[byte >> 4];
    secret += kHex[byte & 15];
  }
  return secret;
}

using CanlockText = std::unique_ptr<char, decltype(&std::free)>;

std::string element(CanlockText text) { return text ? std::string(text.get()) : std::string(); }

const unsigned char* bytes(std::string_view text) {
  return reinterpret_cast<const unsigned char*>(text.data());
}

}  // namespace

CancelLockSecrets::CancelLockSecrets(std::string baseDir) : path_(std::move(baseDir) + kFileName) {}

std::optional<std::string> CancelLockSecrets::Secret(std::string_view identityName,
                                                     std::string* error) {
  IniFile ini(path_);
  if (auto secret = ini.read(kSection, identityName); secret && !secret->empty()) return secret;
  const std::string secret = freshSecret();
  ini.write(kSection, identityName, secret);
  if (!ini.save(error, {0600, true})) return std::nullopt;
  return secret;
}

std::string CancelLockValue(std::string_view secret, std::string_view messageId) {
  return element(CanlockText(cl_get_lock(CL_SHA256, bytes(secret), secret.size(), bytes(messageId),
                                         messageId.size()),
                             &std::free));
}

std::string CancelKeyValue(std::string_view secret, std::string_view messageId) {
  return element(CanlockText(cl_get_key(CL_SHA256, bytes(secret), secret.size(), bytes(messageId),
                                        messageId.size()),
                             &std::free));
}

}  // namespace orvel
