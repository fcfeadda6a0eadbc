// The Outbox batch over the fake network: what each entry's record says
// after success, failure and partial sends, and the copies in Sent.

#include "posting/outbox_sender.h"

#include <gtest/gtest.h>

#include "poster_harness.h"
#include "posting/queued_text.h"

namespace orvel::test {
namespace {

const DateTime kComposed = *EncodeDateTime(2026, 12, 8, 10, 30, 5);

ComposeMessage Message(std::string subject, bool keepCopy = false) {
  ComposeMessage m;
  m.server = "test";
  m.groups = "test.a";
  m.post = true;
  m.keepCopy = keepCopy;
  m.subject = std::move(subject);
  m.identity.name = "<Default>";
  m.identity.Name = "Ann";
  m.identity.Email = m.identity.PublicEmail = "ann@example.net";
  m.body = {{"Hello.", false}};
  return m;
}

struct OutboxHarness : PosterHarness {
  std::string outbox = (dir / "Outbox.mbx").string();
  std::string sent = (dir / "Sent.mbx").string();
  OutboxSender sender{env, {outbox, sent}};
  std::vector<std::string> finished;

  OutboxHarness() {
    sender.onFinished = [this](bool complete, const std::string& error) {
      finished.push_back(complete ? "complete" : "failed " + error);
    };
  }

  void add(const ComposeMessage& m, DateTime date, std::uint16_t extraFlags = 0) {
    TFolder folder(outbox, kStoreOutbox);
    ArticleArena arena;
    QueuedText q = BuildQueuedText(m, date, 0);
    TArticle* record = NewQueueRecord(arena, q.record);
    record->Flags |= extraFlags;
    const std::string_view text = q.text;
    ASSERT_TRUE(folder.AddArticle(*record, &text, q.record.groupField));
  }

  // Every record of a store as it is on disk now.
  std::vector<TArticle> records(const std::string& path, std::uint8_t kind) {
    TFolder folder(path, kind);
    std::vector<TArticle*> list;
    folder.LoadHeaders(arena_, list);
    std::vector<TArticle> out;
    for (TArticle* a : list) out.push_back(*a);
    return out;
  }

  bool start() {
    TFolder* folder = stores_.emplace_back(std::make_unique<TFolder>(outbox, kStoreOutbox)).get();
    std::string error;
    auto entries = OutboxEntries(*folder, arena_, nullptr, error);
    return entries && sender.Start(std::move(*entries));
  }

  void acceptPost(FakeTransport& t) {
    t.receive("340 go\r\n");
    t.receive("240 ok\r\n");
  }

 private:
  ArticleArena arena_;
  std::vector<std::unique_ptr<TFolder>> stores_;
};

TEST(OutboxSender, SendsEveryEntryAndKeepsACopyWhenAsked) {
  OutboxHarness h;
  h.add(Message("first", true), kComposed);
  h.add(Message("second"), kComposed + 1);
  ASSERT_TRUE(h.start());
  {
    const auto during = h.records(h.outbox, kStoreOutbox);
    EXPECT_TRUE(during[0].Has(NodeFlag::Fetching)) << "shown as being sent";
  }
  FakeTransport& t = h.greetNews();
  h.acceptPost(t);
  h.acceptPost(t);
  EXPECT_EQ(h.finished, std::vector<std::string>{"complete"});
  EXPECT_EQ(h.sender.SentCount(), 2);
  for (const TArticle& a : h.records(h.outbox, kStoreOutbox)) {
    EXPECT_TRUE(a.Has(NodeFlag::Deleted));
    EXPECT_TRUE(a.Has(NodeFlag::Posted));
    EXPECT_FALSE(a.Has(NodeFlag::Fetching));
  }
  const auto copies = h.records(h.sent, kStoreSent);
  ASSERT_EQ(copies.size(), 1u) << "only the entry that keeps a copy";
  EXPECT_EQ(copies[0].Subject.view(), "first");
  EXPECT_TRUE(copies[0].Has(NodeFlag::Posted));
  TFolder sent(h.sent, kStoreSent);
  sent.clock = &h.clock;
  EXPECT_NEAR(copies[0].Date, sent.Now(), 1.0 / 86400) << "dated when it was sent";
  EXPECT_EQ(SendJournal(SendJournalPath(h.outbox)).Resume({kComposed, "first"}).accepted, 0);
}

TEST(OutboxSender, ARefusalStopsTheBatchAndLeavesTheEntryQueued) {
  OutboxHarness h;
  h.add(Message("first"), kComposed);
  h.add(Message("second"), kComposed + 1);
  ASSERT_TRUE(h.start());
  FakeTransport& t = h.greetNews();
  t.receive("340 go\r\n");
  t.receive("441 Newsgroups not allowed\r\n");
  EXPECT_EQ(h.finished, std::vector<std::string>{"failed 441 Newsgroups not allowed"});
  for (const TArticle& a : h.records(h.outbox, kStoreOutbox)) {
    EXPECT_FALSE(a.Has(NodeFlag::Deleted)) << a.Subject.view();
    EXPECT_FALSE(a.Has(NodeFlag::Fetching)) << a.Subject.view();
    EXPECT_TRUE(a.Has(NodeFlag::PostWanted));
    EXPECT_FALSE(a.Has(NodeFlag::Posted));
  }
  // The refused article's id is kept: the next send asks for it first.
  const PostResume resume = SendJournal(SendJournalPath(h.outbox)).Resume({kComposed, "first"});
  EXPECT_EQ(resume.pendingMessageId.rfind("<OvF", 0), 0u);
}

TEST(OutboxSender, WhatWasSentEarlierIsNotSentAgain) {
  OutboxHarness h;
  ComposeMessage both = Message("both");
  both.mail = true;
  both.mailTo = "bob@example.net";
  h.add(both, kComposed, FlagBit(NodeFlag::MailSent));
  ComposeMessage nowhere = Message("nowhere");
  nowhere.groups.clear();
  h.add(nowhere, kComposed + 1);
  ASSERT_TRUE(h.start());
  FakeTransport& t = h.greetNews();
  h.acceptPost(t);
  EXPECT_EQ(h.finished, std::vector<std::string>{"complete"});
  EXPECT_EQ(h.net.transports().size(), 1u) << "no mail connection";
  EXPECT_EQ(h.log.notices.size(), 0u) << "the sender is the poster's owner, not the log";
  for (const TArticle& a : h.records(h.outbox, kStoreOutbox)) EXPECT_TRUE(a.Has(NodeFlag::Deleted));
}

TEST(OutboxSender, AnUnreadableTextFailsTheBatch) {
  OutboxHarness h;
  h.add(Message("lost"), kComposed);
  TArticle record;
  std::vector<OutboxEntry> entries;
  ArticleArena arena;
  TArticle* a = NewQueueRecord(arena, BuildQueuedText(Message("lost"), kComposed, 0).record);
  entries.push_back({*a, [](std::string&) { return false; }});
  ASSERT_TRUE(h.sender.Start(std::move(entries)));
  EXPECT_EQ(h.finished, std::vector<std::string>{std::string("failed ") + kEntryFailedText + "lost"});
}

}  // namespace
}  // namespace orvel::test
