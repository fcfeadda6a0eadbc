#pragma once
// TfmSearch: "Recherche dans les dossiers:", the non-modal window of the
// folder search. It lists the searchable stores ("&Dans:"), drives a
// StoreSearch a few articles per turn of the event loop ("&Départ" starts,
// "&Stop" pauses, "&Start" resumes), shows its progress and its rows, and
// hands a double-clicked row to the main window, which opens the article.

#include <QDialog>
#include <QElapsedTimer>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "content/searchable_store.h"
#include "content/store_search.h"

class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;

namespace orvel::ui {

struct SearchWindowHooks {
  // The stores there are now.
  std::function<std::vector<std::unique_ptr<SearchableStore>>()> listStores;
  // The names of the stores whose view is open ("&Les dossiers ouverts").
  std::function<std::vector<std::string>()> openStoreNames;
  // A double-clicked row: open its article with the match selected.
  std::function<void(const SearchableStore& store, const SearchRow& row,
                     const StoreSearchOptions& options)>
      openRow;
  // GaugeUpdateDelay: milliseconds between two moves of the gauge.
  int gaugeUpdateDelay = 0;
};

class TfmSearch final : public QDialog, private StoreSearchListener {
  Q_OBJECT

 public:
  explicit TfmSearch(SearchWindowHooks hooks, QWidget* parent = nullptr);
  ~TfmSearch() override;

  // For tests and the frame.
  QLineEdit* patternEdit() const { return pattern_; }
  QListWidget* storeList() const { return stores_; }
  QPushButton* startButton() const { return start_; }
  QTreeWidget* results() const { return results_; }
  QString progressText() const;
  QString errorText() const;
  const StoreSearch& search() const { return search_; }

  // "Rafraîchir": the store list read again, the choices kept by name.
  void refresh();
  // "&Départ" / "&Stop" / "&Start".
  void startOrPause();
  void openResult(QTreeWidgetItem* item);

 private:
  // StoreSearchListener
  void folderText(std::string_view text) override;
  void progress(std::string_view text, std::size_t index, std::size_t count) override;
  void rowAdded(const SearchRow& row) override;
  void storeFailed(std::string_view name, std::string_view reason) override;

  void buildWidgets();
  void setAllChecked(bool on);
  void checkOpenStores();
  void invertChecks();
  void runSome();
  void setRunning(bool running);
  StoreSearchOptions options() const;

  SearchWindowHooks hooks_;
  StoreSearch search_{this};
  // The listed stores; a search keeps the ones it searches until the next.
  std::vector<std::shared_ptr<SearchableStore>> listed_;
  std::vector<std::shared_ptr<SearchableStore>> searched_;
  StoreSearchOptions searchedOptions_;
  QElapsedTimer gaugeClock_;

  QLineEdit* pattern_ = nullptr;
  QCheckBox* caseSensitive_ = nullptr;
  QCheckBox* skipBig_ = nullptr;
  QCheckBox* onePerArticle_ = nullptr;
  QListWidget* stores_ = nullptr;
  QPushButton* start_ = nullptr;
  QLabel* folder_ = nullptr;
  QLabel* progress_ = nullptr;
  QProgressBar* gauge_ = nullptr;
  QLabel* errors_ = nullptr;
  QTreeWidget* results_ = nullptr;
  QTimer* stepper_ = nullptr;
};

}  // namespace orvel::ui
