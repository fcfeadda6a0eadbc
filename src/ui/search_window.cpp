#include "ui/search_window.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QTimer>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "ui/qt_convert.h"

namespace orvel::ui {

namespace {

// Articles searched per turn of the event loop: small enough that the
// window answers at once, large enough that the turns cost little.
constexpr std::size_t kArticlesPerTurn = 25;

constexpr int kRowRole = Qt::UserRole;

}  // namespace

TfmSearch::TfmSearch(SearchWindowHooks hooks, QWidget* parent)
    : QDialog(parent), hooks_(std::move(hooks)) {
  setWindowTitle("Recherche dans les dossiers:");
  setModal(false);
  buildWidgets();
  stepper_ = new QTimer(this);
  stepper_->setInterval(0);
  connect(stepper_, &QTimer::timeout, this, &TfmSearch::runSome);
  refresh();
}

TfmSearch::~TfmSearch() = default;

void TfmSearch::buildWidgets() {
  pattern_ = new QLineEdit(this);
  pattern_->setObjectName("searchPattern");
  caseSensitive_ = new QCheckBox("Majuscule/Minuscule", this);
  skipBig_ = new QCheckBox("Ignorer les articles trop gros", this);
  onePerArticle_ = new QCheckBox("1 occurence par article", this);

  stores_ = new QListWidget(this);
  stores_->setObjectName("searchStores");
  auto* in = new QLabel("&Dans:", this);
  in->setBuddy(stores_);
  auto* all = new QPushButton("Tous les dossiers", this);
  auto* open = new QPushButton("&Les dossiers ouverts", this);
  auto* none = new QPushButton("Aucun", this);
  auto* invert = new QPushButton("&Inverser la s\xC3\xA9lection", this);
  auto* refreshButton = new QPushButton("Rafra\xC3\xAE" "chir", this);
  connect(all, &QPushButton::clicked, this, [this] { setAllChecked(true); });
  connect(open, &QPushButton::clicked, this, &TfmSearch::checkOpenStores);
  connect(none, &QPushButton::clicked, this, [this] { setAllChecked(false); });
  connect(invert, &QPushButton::clicked, this, &TfmSearch::invertChecks);
  connect(refreshButton, &QPushButton::clicked, this, &TfmSearch::refresh);

  start_ = new QPushButton("&D\xC3\xA9part", this);
  start_->setObjectName("searchStart");
  start_->setDefault(true);
  connect(start_, &QPushButton::clicked, this, &TfmSearch::startOrPause);

  folder_ = new QLabel(this);
  progress_ = new QLabel(this);
  gauge_ = new QProgressBar(this);
  gauge_->setTextVisible(false);
  errors_ = new QLabel(this);
  errors_->setWordWrap(true);

  results_ = new QTreeWidget(this);
  results_->setObjectName("searchResults");
  results_->setRootIsDecorated(false);
  results_->setUniformRowHeights(true);
  results_->setHeaderLabels({"Dossier", "Sujet", "Auteur", "N\xC2\xB0:", "Taille"});
  results_->header()->setStretchLastSection(false);
  results_->header()->setSectionResizeMode(1, QHeaderView::Stretch);
  connect(results_, &QTreeWidget::itemDoubleClicked, this,
          [this](QTreeWidgetItem* item) { openResult(item); });

  auto* choices = new QVBoxLayout;
  for (QWidget* w : {static_cast<QWidget*>(all), static_cast<QWidget*>(open),
                     static_cast<QWidget*>(none), static_cast<QWidget*>(invert),
                     static_cast<QWidget*>(refreshButton)}) {
    choices->addWidget(w);
  }
  choices->addStretch();
  auto* grid = new QGridLayout;
  grid->addWidget(new QLabel("Chercher:", this), 0, 0);
  grid->addWidget(pattern_, 0, 1);
  grid->addWidget(start_, 0, 2);
  grid->addWidget(caseSensitive_, 1, 1);
  grid->addWidget(skipBig_, 2, 1);
  grid->addWidget(onePerArticle_, 3, 1);
  grid->addWidget(in, 4, 0, Qt::AlignTop);
  grid->addWidget(stores_, 4, 1);
  grid->addLayout(choices, 4, 2);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(grid);
  layout->addWidget(folder_);
  layout->addWidget(progress_);
  layout->addWidget(gauge_);
  layout->addWidget(errors_);
  layout->addWidget(results_, 1);
}

QString TfmSearch::progressText() const { return progress_->text(); }

QString TfmSearch::errorText() const { return errors_->text(); }

void TfmSearch::refresh() {
  QSet<QString> unchecked;
  for (int i = 0; i < stores_->count(); ++i) {
    if (stores_->item(i)->checkState() != Qt::Checked) unchecked.insert(stores_->item(i)->text());
  }
  stores_->clear();
  listed_.clear();
  for (auto& store : hooks_.listStores ? hooks_.listStores()
                                       : std::vector<std::unique_ptr<SearchableStore>>{}) {
    auto* item = new QListWidgetItem(qs(store->Name()), stores_);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(unchecked.contains(item->text()) ? Qt::Unchecked : Qt::Checked);
    listed_.push_back(std::move(store));
  }
}

void TfmSearch::setAllChecked(bool on) {
  for (int i = 0; i < stores_->count(); ++i) {
    stores_->item(i)->setCheckState(on ? Qt::Checked : Qt::Unchecked);
  }
}

void TfmSearch::checkOpenStores() {
  QSet<QString> open;
  if (hooks_.openStoreNames) {
    for (const std::string& name : hooks_.openStoreNames()) open.insert(qs(name));
  }
  for (int i = 0; i < stores_->count(); ++i) {
    QListWidgetItem* item = stores_->item(i);
    item->setCheckState(open.contains(item->text()) ? Qt::Checked : Qt::Unchecked);
  }
}

void TfmSearch::invertChecks() {
  for (int i = 0; i < stores_->count(); ++i) {
    QListWidgetItem* item = stores_->item(i);
    item->setCheckState(item->checkState() == Qt::Checked ? Qt::Unchecked : Qt::Checked);
  }
}

StoreSearchOptions TfmSearch::options() const {
  return {utf8(pattern_->text()), caseSensitive_->isChecked(), skipBig_->isChecked(),
          onePerArticle_->isChecked()};
}

void TfmSearch::startOrPause() {
  if (stepper_->isActive()) {
    setRunning(false);
    return;
  }
  if (search_.Running()) {
    setRunning(true);
    return;
  }
  std::vector<std::shared_ptr<SearchableStore>> chosen;
  std::vector<SearchableStore*> stores;
  for (int i = 0; i < stores_->count(); ++i) {
    if (stores_->item(i)->checkState() != Qt::Checked) continue;
    chosen.push_back(listed_[static_cast<std::size_t>(i)]);
    stores.push_back(chosen.back().get());
  }
  const StoreSearchOptions chosenOptions = options();
  if (const auto error = search_.Start(chosenOptions, stores)) {
    errors_->setText(qs(*error));
    return;
  }
  searched_ = std::move(chosen);
  searchedOptions_ = chosenOptions;
  results_->clear();
  errors_->clear();
  folder_->clear();
  progress_->clear();
  gauge_->reset();
  gaugeClock_.invalidate();
  setRunning(true);
}

void TfmSearch::setRunning(bool running) {
  if (running) {
    stepper_->start();
    start_->setText("&Stop");
    return;
  }
  stepper_->stop();
  start_->setText(search_.Running() ? "&Start" : "&D\xC3\xA9part");
}

void TfmSearch::runSome() {
  if (!search_.Step(kArticlesPerTurn)) setRunning(false);
}

void TfmSearch::folderText(std::string_view text) { folder_->setText(qs(text)); }

void TfmSearch::progress(std::string_view text, std::size_t index, std::size_t count) {
  progress_->setText(qs(text));
  if (gaugeClock_.isValid() && gaugeClock_.elapsed() < hooks_.gaugeUpdateDelay && index < count) {
    return;
  }
  gauge_->setRange(0, static_cast<int>(count));
  gauge_->setValue(static_cast<int>(index));
  gaugeClock_.start();
}

void TfmSearch::rowAdded(const SearchRow& row) {
  auto* item = new QTreeWidgetItem(results_);
  item->setText(0, qs(row.folder));
  item->setText(1, qs(row.subject));
  item->setText(2, qs(row.author));
  item->setText(3, QString::number(StoreSearch::Position(row)));
  item->setText(4, QString::number(row.length));
  item->setData(0, kRowRole, static_cast<qulonglong>(search_.Rows().size() - 1));
}

void TfmSearch::storeFailed(std::string_view name, std::string_view reason) {
  const QString line = qs(name) + " : " + qs(reason);
  errors_->setText(errors_->text().isEmpty() ? line : errors_->text() + "\n" + line);
}

void TfmSearch::openResult(QTreeWidgetItem* item) {
  if (!item || !hooks_.openRow) return;
  const auto index = item->data(0, kRowRole).toULongLong();
  if (index >= search_.Rows().size()) return;
  const SearchRow& row = search_.Rows()[index];
  hooks_.openRow(*searched_[row.store], row, searchedOptions_);
}

}  // namespace orvel::ui
