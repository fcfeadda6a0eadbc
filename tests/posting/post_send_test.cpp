// Reading a queued text for the poster: targets, addressee, headers, and the
// attachments as they stand on disk now.

#include "posting/post_send.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "posting/queued_text.h"

namespace orvel {
namespace {

namespace fs = std::filesystem;

const DateTime kNow = *EncodeDateTime(2026, 12, 8, 10, 30, 5);

class PostSendTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("post_send_" + std::to_string(::getpid()));
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string file(const std::string& name, std::size_t size) {
    const fs::path path = dir_ / name;
    std::ofstream(path, std::ios::binary) << std::string(size, 'x');
    return path.string();
  }

  ComposeMessage message() {
    ComposeMessage m;
    m.server = "news.example";
    m.groups = "fr.test";
    m.followUp = "fr.misc";
    m.post = true;
    m.mail = true;
    m.mailTo = "\"Bob B\" <bob@example.net>";
    m.keepCopy = true;
    m.subject = "Hello";
    m.identity.name = "Perso";
    m.identity.Name = "Ann";
    m.identity.Email = "ann@example.net";
    m.personalHeaders = {{true, "X-Face", "abc"}, {false, "X-Off", "no"}};
    m.manualHeaders = {"X-Manual:  one"};
    m.body = {{"first", true}, {"second", false}};
    return m;
  }

  fs::path dir_;
};

TEST_F(PostSendTest, TargetsHeadersAndBody) {
  const QueuedText q = BuildQueuedText(message(), kNow, 100);
  std::string error;
  const auto own = ReadPostSend(q.text, std::nullopt, error);
  ASSERT_TRUE(own) << error;
  EXPECT_EQ(own->server, "news.example");
  EXPECT_TRUE(own->MailPending());
  EXPECT_TRUE(own->PostPending());
  EXPECT_TRUE(own->KeepCopy());
  const PostJob& job = own->job;
  EXPECT_EQ(job.toName, "Bob B");
  EXPECT_EQ(job.toAddress, "bob@example.net");
  EXPECT_EQ(job.followUp, "fr.misc");
  EXPECT_EQ(job.body, (std::vector<std::string>{"first", "second"}));
  EXPECT_EQ(job.extraHeaders,
            (std::vector<std::pair<std::string, std::string>>{{"X-Face", "abc"}, {"X-Manual", "one"}}));
  EXPECT_EQ(job.identity.Email, "ann@example.net");

  // The record says the mail went since the text was stored.
  const auto later = ReadPostSend(q.text, kXStatusMailWanted | kXStatusMailSent | kXStatusPostWanted, error);
  ASSERT_TRUE(later);
  EXPECT_FALSE(later->MailPending());
  EXPECT_TRUE(later->PostPending());
  EXPECT_TRUE(later->KeepCopy()) << "the text's own bits stay";
}

TEST_F(PostSendTest, AttachmentsAsTheyAreOnDisk) {
  ComposeMessage m = message();
  m.mail = false;
  const std::string kept = file("a.bin", 300);
  const std::string empty = file("empty.bin", 0);
  m.attachments = {{kept, 300}, {empty, 0}, {file("c.bin", 20), 20}};
  m.attachmentOptions = {AttachmentMode::SeparatelyTextEach, false, true, true, 250};
  const std::vector<std::string> texts = [&] {
    std::vector<std::string> out;
    out.push_back(BuildQueuedText(m, kNow, 0).text);
    out.push_back(BuildQueuedText(m, kNow, 0, 0).text);
    return out;
  }();
  std::string error;
  auto whole = ReadPostSend(texts[0], std::nullopt, error);
  ASSERT_TRUE(whole) << error;
  ASSERT_EQ(whole->job.files.size(), 2u) << "the empty file is left out";
  EXPECT_EQ(whole->job.files[0].name, "a.bin");
  EXPECT_EQ(whole->job.files[0].size, 300u);
  EXPECT_EQ(whole->job.option, 3);
  EXPECT_TRUE(whole->job.yEnc);
  EXPECT_TRUE(whole->job.showFileCount);
  EXPECT_EQ(whole->job.cutSize, 250);
  EXPECT_EQ(whole->job.seriesIndex, -1);
  auto first = ReadPostSend(texts[1], std::nullopt, error);
  ASSERT_TRUE(first) << error;
  EXPECT_EQ(first->job.seriesIndex, 1);
  EXPECT_EQ(first->job.seriesCount, 3);

  file("a.bin", 301);
  EXPECT_FALSE(ReadPostSend(texts[0], std::nullopt, error)) << "a file grew";
  EXPECT_NE(error.find("modifié"), std::string::npos) << error;
  fs::remove(kept);
  EXPECT_FALSE(ReadPostSend(texts[0], std::nullopt, error)) << "a file is gone";
  EXPECT_NE(error.find("a.bin"), std::string::npos) << error;
}

TEST_F(PostSendTest, NotAQueuedText) {
  std::string error;
  EXPECT_FALSE(ReadPostSend("no header here", std::nullopt, error));
  EXPECT_FALSE(error.empty());
}

}  // namespace
}  // namespace orvel
