#pragma once
// The stores the folder search reads. Each has a name for the "&Dans:" list,
// its article records and a reader of their stored texts; the search knows
// nothing else about them, so folders join the list as stores of their own.
//
// Today's stores are the group stores: the ".hdr" and ".mbx" files of a group
// that keeps its bodies, in the base directory's "data/" folder, named
// "alias:group". They are read as they are on disk, never written.

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "articles/article.h"

namespace orvel {

class ArticleArena;
class TCacheBox;

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

class GroupStore final : public SearchableStore {
 public:
  GroupStore(std::string alias, std::string group, std::string bodyPath);
  ~GroupStore() override;

  const std::string& Alias() const { return alias_; }
  const std::string& Group() const { return group_; }

  const std::string& Name() const override { return name_; }
  std::optional<std::string> Open() override;
  const std::vector<TArticle*>& Articles() const override { return records_; }
  bool ReadText(const TArticle& article, std::string& out) const override;
  void Close() override;

 private:
  std::string alias_;
  std::string group_;
  std::string name_;
  std::unique_ptr<ArticleArena> arena_;
  std::unique_ptr<TCacheBox> box_;
  std::vector<TArticle*> records_;
};

// The name a store of a group of a profile has in the list.
std::string GroupStoreName(std::string_view alias, std::string_view group);

// The group stores with a body file under baseDir's "data/" folder, for the
// given profile aliases, sorted by name.
std::vector<std::unique_ptr<SearchableStore>> ListGroupStores(
    std::string_view baseDir, const std::vector<std::string>& aliases);

}  // namespace orvel
