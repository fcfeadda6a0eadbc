#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "posting/cancel_lock.h"
#include "posting/cancel_message.h"

namespace orvel {
namespace {

TEST(CancelMessage, ControlMessageLines) {
  const CancelTarget target{"fr.test,fr.misc", "<a1@example.org>", "Ann <ann@example.org>",
                            "Hello"};
  EXPECT_EQ(CancelMessage(target, {}),
            "Newsgroups: fr.test,fr.misc\r\nSubject: cmsg cancel <a1@example.org>\r\n"
            "From: Ann <ann@example.org>\r\nControl: cancel <a1@example.org>\r\n"
            "Message-ID: <cancel.a1@example.org>\r\n\r\nCancel Hello\r\n");
  CancelTarget bare = target;
  bare.messageId = "a1@example.org";
  const std::string text = CancelMessage(bare, "sha256:key=");
  EXPECT_EQ(text.find("Message-ID:"), std::string::npos);
  EXPECT_NE(text.find("\r\nCancel-Key: sha256:key=\r\n\r\n"), std::string::npos);
}

// The expected values come from Python's hmac and hashlib:
// key = base64(HMAC-SHA256(secret, mid)), lock = base64(SHA256(key)).
TEST(CancelLock, LockAndKeyOfAMessageId) {
  EXPECT_EQ(CancelKeyValue("mysecret", "<a@b.example>"),
            "sha256:guAx1Pg3IfKh2VOeyoIAJ2iZW2y6apf5p/aLwxYL4Uk=");
  EXPECT_EQ(CancelLockValue("mysecret", "<a@b.example>"),
            "sha256:6m5a/q3oPPmARhDpuIqnBkHSP7TFSFQKUCVxuRDT/64=");
}

TEST(CancelLock, SecretsAreMadeOncePerIdentityAndPrivate) {
  const auto dir = std::filesystem::temp_directory_path() / ("cancel_lock_" + std::to_string(getpid()));
  std::filesystem::create_directories(dir);
  CancelLockSecrets secrets(dir.string() + "/");
  const auto ann = secrets.Secret("Ann");
  ASSERT_TRUE(ann);
  EXPECT_EQ(ann->size(), 64u);
  EXPECT_EQ(CancelLockSecrets(dir.string() + "/").Secret("Ann"), ann) << "kept for the next run";
  EXPECT_NE(secrets.Secret("Work"), ann);
  struct stat info {};
  ASSERT_EQ(::stat((dir / "cancel-lock.ini").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace orvel
