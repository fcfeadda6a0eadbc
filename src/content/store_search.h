#pragma once
// StoreSearch: the folder search ("Recherche dans les dossiers:"). A regex is
// searched in the stored text of every article of the chosen stores, store
// by store, in steps of a few articles each, so the window that drives it
// stays responsive and can pause (stop calling Step) and resume. Each match,
// or only the first of an article, becomes a row; a store that cannot be read
// is reported to the listener and the search goes on with the next one.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/perlre.h"

namespace orvel {

class SearchableStore;
class TArticle;

struct StoreSearchOptions {
  std::string pattern;         // "Chercher:"
  bool caseSensitive = false;  // "Majuscule/Minuscule"
  bool skipBig = false;        // "Ignorer les articles trop gros"
  bool onePerArticle = false;  // "1 occurence par article"
};

struct SearchRow {
  std::size_t store = 0;  // index in the list searched
  std::string folder;     // "Dossier"
  std::string subject;    // "Sujet"
  std::string author;     // "Auteur": the name, else the address
  std::int32_t number = 0;
  std::string messageId;
  std::size_t offset = 0;  // of the match in the article's stored text
  std::size_t length = 0;  // "Taille"
  std::string matched;     // the matched bytes
};

class StoreSearchListener {
 public:
  virtual ~StoreSearchListener() = default;
  // "Dossier " + name.
  virtual void folderText(std::string_view /*text*/) {}
  // "Recherche " + index + " de " + count + " articles", index from 1.
  virtual void progress(std::string_view /*text*/, std::size_t /*index*/, std::size_t /*count*/) {}
  virtual void rowAdded(const SearchRow& /*row*/) {}
  virtual void storeFailed(std::string_view /*name*/, std::string_view /*reason*/) {}
};

class StoreSearch {
 public:
  explicit StoreSearch(StoreSearchListener* listener = nullptr);
  ~StoreSearch();
  StoreSearch(const StoreSearch&) = delete;
  StoreSearch& operator=(const StoreSearch&) = delete;

  // Begins a search of the stores (which the caller keeps until the search
  // ends or begins again), dropping the last one's rows. The regex library's
  // error when the pattern does not compile: then nothing changes.
  std::optional<std::string> Start(const StoreSearchOptions& options,
                                   std::vector<SearchableStore*> stores);
  // Searches at most `articles` more articles; false once every store is done.
  bool Step(std::size_t articles);
  bool Running() const { return running_; }
  const std::vector<SearchRow>& Rows() const { return rows_; }

  // The position "N°:" shows for a row: counted from 1.
  static std::size_t Position(const SearchRow& row) { return row.offset + 1; }

 private:
  bool openNext();
  void closeCurrent();
  void searchArticle(const TArticle& article);
  void fail(std::string_view reason);

  StoreSearchListener nullListener_;
  StoreSearchListener* listener_;
  StoreSearchOptions options_;
  TPerlre re_;
  std::vector<SearchableStore*> stores_;
  std::vector<SearchRow> rows_;
  std::size_t storeIndex_ = 0;    // the store being searched
  std::size_t articleIndex_ = 0;  // its next article
  bool storeOpen_ = false;
  bool readFailed_ = false;       // the current store's failure was reported
  bool running_ = false;
  std::string text_;
};

}  // namespace orvel
