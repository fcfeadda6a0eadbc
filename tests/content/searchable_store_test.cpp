// The stores the folder search reads: a folder's records and texts as its
// files hold them, and files the search cannot read left exactly as found.

#include "content/searchable_store.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <memory>

#include "articles/article_arena.h"
#include "articles/mailbox.h"
#include "articles/store_io.h"
#include "articles/thread_builder.h"
#include "config/temp_base_dir.h"

namespace orvel::test {
namespace {

std::string textOf(const std::string& subject) {
  return "Subject: " + subject + "\r\n\r\nbody of " + subject + "\r\n";
}

// A folder holding one record per subject, the `deleted` one marked so.
void writeFolder(const std::string& bodyPath, std::uint8_t kind,
                 const std::vector<std::string>& subjects, const std::string& deleted) {
  {
    TFolder folder(bodyPath, kind);
    ThreadBuilder b;
    for (const std::string& subject : subjects) {
      const std::string text = textOf(subject);
      const std::string_view view = text;
      ASSERT_TRUE(folder.AddArticle(*b.Add(subject, "<" + subject + "@x>"), &view, ""));
    }
  }
  TFolder folder(bodyPath, kind);
  ArticleArena arena;
  std::vector<TArticle*> records;
  ASSERT_TRUE(folder.LoadHeaders(arena, records));
  for (TArticle* a : records) a->Set(NodeFlag::Deleted, a->Subject.view() == deleted);
  folder.Modified = true;
  ASSERT_TRUE(folder.SaveHeaders(records, false));
}

void writeGroupStore(const std::string& bodyPath) {
  TCacheBox box(bodyPath, nullptr);
  box.ApplyStorageChoice(kStoreHeadersAndBodies);
  ThreadBuilder b;
  ASSERT_TRUE(box.StoreBody(*b.Add("g", "<g@x>"), textOf("g")));
  box.Modified = true;
  ASSERT_TRUE(box.SaveHeaders(b.lists.masterList, false));
}

std::string contents(const std::string& path) {
  std::string data;
  return ReadWholeFile(path, data) ? data : "(missing)";
}

TEST(FolderStoreTest, ReadsTheLiveRecordsAndTheirTexts) {
  const struct {
    const char* name;
    std::uint8_t kind;
  } cases[] = {{"archive", kStoreArchive}, {"queue", kStoreQueue}, {"sent", kStoreSent}};
  for (const auto& c : cases) {
    TempBaseDir dir;
    const std::string body = dir.file("f.mbx");
    writeFolder(body, c.kind, {"a", "b", "c"}, "b");
    FolderStore store(c.name, body, c.kind);
    EXPECT_EQ(store.Name(), c.name);
    ASSERT_EQ(store.Open(), std::nullopt) << c.name;
    std::vector<std::string> read;
    for (const TArticle* a : store.Articles()) {
      std::string text;
      EXPECT_TRUE(store.ReadText(*a, text)) << c.name;
      EXPECT_EQ(text, textOf(std::string(a->Subject.view()))) << c.name;
      read.emplace_back(a->Subject.view());
    }
    EXPECT_EQ(read, (std::vector<std::string>{"a", "c"})) << c.name;
  }
  TempBaseDir dir;
  FolderStore unused("Outbox", dir.file("outbox.mbx"), kStoreOutbox);
  EXPECT_EQ(unused.Open(), std::nullopt);
  EXPECT_TRUE(unused.Articles().empty());
  EXPECT_FALSE(std::filesystem::exists(dir.file("outbox.mbx")));
}

TEST(FolderStoreTest, UnreadableFilesAreLeftAsFound) {
  TempBaseDir dir;
  std::filesystem::create_directories(dir.file("data"));
  const std::string groupBody = StoreBodyPath(dir.path(), "fx", "alt.a");
  const std::string groupHeader = groupBody.substr(0, groupBody.size() - 4) + ".hdr";
  const std::string folderBody = dir.file("f.mbx");
  const std::string folderHeader = dir.file("f.hdr");
  const struct {
    const char* name;
    bool group;
    std::uint8_t kind;  // the kind the folder is listed with
    std::function<void()> damage;
    std::string header;
  } cases[] = {
      {"group without its header file", true, kStoreNewsgroup,
       [&] { std::filesystem::remove(groupHeader); }, groupHeader},
      {"group with a damaged header file", true, kStoreNewsgroup,
       [&] { SaveFileAtomically(groupHeader, "not a header file"); }, groupHeader},
      {"folder without its header file", false, kStoreArchive,
       [&] { std::filesystem::remove(folderHeader); }, folderHeader},
      {"folder listed with another kind", false, kStoreSent, [] {}, folderHeader},
  };
  for (const auto& c : cases) {
    writeGroupStore(groupBody);
    writeFolder(folderBody, kStoreArchive, {"a"}, "");
    c.damage();
    const std::string body = c.group ? groupBody : folderBody;
    const std::string before = contents(body) + contents(c.header);
    {
      std::vector<std::unique_ptr<SearchableStore>> stores;
      if (c.group) {
        stores = ListGroupStores(dir.path(), {"fx"});
      } else {
        stores.push_back(std::make_unique<FolderStore>("f", folderBody, c.kind));
      }
      ASSERT_EQ(stores.size(), 1u) << c.name;
      EXPECT_EQ(stores[0]->Open(), "Impossible de lire " + c.header) << c.name;
      EXPECT_TRUE(stores[0]->Articles().empty()) << c.name;
    }
    EXPECT_EQ(contents(body) + contents(c.header), before) << c.name;
  }
}

}  // namespace
}  // namespace orvel::test
