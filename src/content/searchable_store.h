#pragma once
// The stores the folder search reads. Each has a name for the "&Dans:" list,
// its article records and a reader of their stored texts; the search knows
// nothing else about them, so folders join the list as stores of their own.
//
// The group stores are the ".hdr" and ".mbx" files of a group that keeps its
// bodies, in the base directory's "data/" folder, named "alias:group"; the
// folder stores are the local folders, named as in the folder list. They are
// read as they are on disk, never written.

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "articles/article.h"

namespace orvel {

class ArticleArena;
class TMailbox;

class SearchableStore {
 public:
  virtual ~SearchableStore() = default;

  virtual const std::string& Name() const = 0;
  // Reads the records whose text is stored; the reason when the store's
  // files cannot be read, wholly or in part (the records read are kept).
  virtual std::optional<std::string> Open() = 0;
  // The records with a stored text, between Open and Close.
  virtual const std::vector<TArticle*>& Articles() const = 0;
  // The stored text of a record; false when it cannot be read.
  virtual bool ReadText(const TArticle& article, std::string& out) const = 0;
  // Frees the records.
  virtual void Close() = 0;
};

// A store read from its header file and body file as they are on disk:
// nothing is rebuilt, purged or written, whatever state the files are in.
class MailboxStore : public SearchableStore {
 public:
  ~MailboxStore() override;

  const std::string& BodyPath() const;

  const std::string& Name() const override { return name_; }
  std::optional<std::string> Open() override;
  const std::vector<TArticle*>& Articles() const override { return records_; }
  bool ReadText(const TArticle& article, std::string& out) const override;
  void Close() override;

 protected:
  MailboxStore(std::string name, std::string bodyPath, std::uint8_t kind);

 private:
  std::string name_;
  std::unique_ptr<TMailbox> files_;
  std::unique_ptr<ArticleArena> arena_;
  std::vector<TArticle*> records_;
};

class GroupStore final : public MailboxStore {
 public:
  GroupStore(std::string alias, std::string group, std::string bodyPath);

  const std::string& Alias() const { return alias_; }
  const std::string& Group() const { return group_; }

 private:
  std::string alias_;
  std::string group_;
};

// A local folder's store, named as the folder; a header file the folder
// view has not rebuilt yet makes it unreadable here.
class FolderStore final : public MailboxStore {
 public:
  FolderStore(std::string name, std::string bodyPath, std::uint8_t kind);
};

// The name a store of a group of a profile has in the list.
std::string GroupStoreName(std::string_view alias, std::string_view group);

// The group stores with a body file under baseDir's "data/" folder, for the
// given profile aliases, sorted by name.
std::vector<std::unique_ptr<SearchableStore>> ListGroupStores(
    std::string_view baseDir, const std::vector<std::string>& aliases);

}  // namespace orvel
