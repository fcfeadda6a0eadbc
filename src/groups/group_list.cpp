#include "groups/group_list.h"

#include <algorithm>
#include <unordered_set>

#include "core/text.h"
#include "groups/group_sort.h"
#include "groups/newsrc_format.h"

namespace orvel {

namespace {

// The names the person typed, or nothing when cancelled or blank.
std::optional<std::string> askName(Prompter& prompter, std::string_view caption,
                                   std::string_view prompt, std::string_view initial = {}) {
  const auto answer = prompter.inputText(caption, prompt, initial);
  if (!answer) return std::nullopt;
  // A line end would break the ".Orvelrc" line it is written on.
  std::string name = trim(std::string_view(*answer).substr(0, answer->find_first_of("\r\n")));
  if (name.empty()) return std::nullopt;
  return name;
}

}  // namespace

GroupListOptions GroupListOptions::FromSettings(const Settings& settings,
                                                const std::string& baseDir) {
  GroupListOptions o;
  o.autoGetMsgCounts = settings.autoGetMsgCounts;
  o.updateCountInterval = settings.updateCountInterval;
  o.backUpNewsRC = settings.backUpNewsRC;
  o.hideEmptyGroups = settings.hideEmptyGroups;
  o.tz = settings.tz;
  o.serversIniPath = baseDir + "servers.ini";
  return o;
}

TGroupList::TGroupList(std::shared_ptr<TProfile> profile, ConnectionPool& pool, Clock& clock,
                       Prompter& prompter, GroupListHost& host, GroupListOptions options)
    : profile_(std::move(profile)),
      pool_(pool),
      clock_(clock),
      prompter_(prompter),
      host_(host),
      options_(std::move(options)) {
  display_.setHideEmpty(options_.hideEmptyGroups);
  countTimer_ = clock_.createTimer([this] { GetAllCounts(false); });
  host_.groupLists.push_back(this);
}

TGroupList::~TGroupList() {
  // A view still open hands its read state back while the list is here to
  // take it, and lets go of the list.
  const std::vector<OpenGroupView*> views = views_;
  for (OpenGroupView* view : views) view->AskClose();
  releaseConnection();
  std::erase(host_.groupLists, this);
}

// ---------------------------------------------------------------- opening

bool TGroupList::OpenServer() {
  paths_ = ReadStatePathsFor(profile_->newsrcPath);
  std::string error;
  if (profile_->newsrcPath.empty()) {
    error = "no newsrc file for " + profile_->alias;
  } else if (LoadReadState(paths_, lists_, &error)) {
    opened_ = true;
  }
  if (!opened_) {
    prompter_.message(error, MessageKind::Error);
    return false;
  }
  rebuildShown();
  prompter_.status(IdleStatusText());
  if (lists_.all().empty()) {
    if (options_.listWhenEmpty) ListGroups(true);
  } else if (options_.autoGetMsgCounts) {
    GetAllCounts(true);
  }
  if (options_.updateCountInterval > 0) {
    countTimer_->start(std::chrono::minutes(options_.updateCountInterval), TimerMode::Repeating);
  }
  return true;
}

bool TGroupList::Close() {
  const std::vector<OpenGroupView*> views = views_;
  for (OpenGroupView* view : views) {
    if (std::find(views_.begin(), views_.end(), view) != views_.end() && !view->AskClose()) {
      return false;
    }
  }
  closing_ = true;
  countTimer_->stop();
  if (connection_) {
    releaseConnection();
    endRequest(false);
  }
  // A failed save has shown its message; the window closes all the same.
  if (opened_ && !host_.ignoreChanges) SaveNewsRC();
  pool_.CloseIdleConnections(*profile_);
  std::erase(host_.groupLists, this);
  return true;
}

// ---------------------------------------------------------------- group commands

void TGroupList::Subscribe(const std::vector<TGrpInfo*>& groups, int direction,
                           TreePosition position) {
  bool changed = false;
  for (TGrpInfo* g : groups) {
    if (!lists_.Owns(g)) continue;
    const bool done = direction > 0 ? lists_.Subscribe(*g, position) : lists_.Unsubscribe(*g);
    if (!done) continue;
    changed = true;
    if (direction > 0 && position.index != TreePosition::kEnd) ++position.index;
  }
  if (!changed) return;
  lists_.newsrcChanged = lists_.orvelrcChanged = true;
  rebuildShown();
}

void TGroupList::CatchUp(const std::vector<TGrpInfo*>& groups) {
  for (TGrpInfo* g : groups) {
    if (g->last < 0) continue;
    // "1-0" would be a range ending below its start: nothing to mark.
    g->read.text = g->last >= 1 ? "1-" + std::to_string(g->last) : std::string();
    g->read.needsNormalising = false;
    g->unread = 0;
    lists_.newsrcChanged = true;
    changedGroup(*g);
  }
}

void TGroupList::Reset(const std::vector<TGrpInfo*>& groups) {
  for (TGrpInfo* g : groups) {
    g->read = {};
    g->toFetch.clear();
    g->unread = g->total;
    lists_.newsrcChanged = true;
    changedGroup(*g);
  }
}

void TGroupList::ClearToFetch(const std::vector<TGrpInfo*>& groups) {
  for (TGrpInfo* g : groups) {
    g->toFetch.clear();
    lists_.newsrcChanged = true;
    changedGroup(*g);
  }
}

void TGroupList::EditRead(TGrpInfo& group) {
  const auto text = prompter_.inputText("Edit read", "Marquer lu.   ", group.read.text);
  if (!text) return;
  group.read.text = *text;
  group.read.needsNormalising = true;
  lists_.newsrcChanged = true;
  changedGroup(group);
  GetCounts({&group}, false);
}

void TGroupList::SetStorageMode(TGrpInfo& group, StorageMode mode) {
  if (group.storage == mode) return;
  group.storage = mode;
  if (group.subscribed()) lists_.orvelrcChanged = true;
  changedGroup(group);
}

int TGroupList::AddGroupsByHand(TreePosition position) {
  const auto text = prompter_.inputText("Entrer noms \xC3\xA0 la main",
                                        "Nom des groupes s\xC3\xA9par\xC3\xA9s par des \",\"    ");
  return text ? AddGroupsByName(*text, position) : 0;
}

int TGroupList::AddGroupsByName(std::string_view names, TreePosition position) {
  int subscribed = 0;
  for (const std::string& piece : splitChar(names, ',')) {
    const std::string name = trim(piece);
    if (!IsStorableGroupName(name)) continue;
    TGrpInfo* group = lists_.FindNoCase(name);
    if (!group) group = &lists_.AddGroup(name, SubscriptionState::Unsubscribed);
    if (!lists_.Subscribe(*group, position)) continue;
    ++subscribed;
    if (position.index != TreePosition::kEnd) ++position.index;
  }
  if (subscribed > 0) {
    lists_.newsrcChanged = lists_.orvelrcChanged = true;
    rebuildShown();
  }
  return subscribed;
}

void TGroupList::Delete(const std::vector<TGrpInfo*>& groups,
                        const std::vector<TGrpCat*>& categories) {
  if (groups.empty() && categories.empty()) return;
  if (prompter_.ask("Supprimer ?    ", kYesNoCancel) != Button::Yes) return;
  for (TGrpCat* c : categories) {
    if (!lists_.OwnsCategory(c)) continue;
    lists_.RemoveCategory(*c);
    lists_.orvelrcChanged = true;
  }
  std::unordered_set<const TGrpInfo*> doomed;
  for (const TGrpInfo* g : groups) {
    if (lists_.Owns(g) && !IsOpenInView(*g)) doomed.insert(g);
  }
  for (const TGrpInfo* g : doomed) forgetQueued(*g);
  if (lists_.RemoveGroups([&](const TGrpInfo& g) { return doomed.count(&g) != 0; }) > 0) {
    lists_.newsrcChanged = lists_.orvelrcChanged = true;
  }
  rebuildShown();
}

// ---------------------------------------------------------------- categories

TGrpCat* TGroupList::NewCategory() {
  const auto name = askName(prompter_, "Cr\xC3\xA9" "er un dossier de groupes.  ", "    Ce nom:");
  if (!name) return nullptr;
  if (lists_.FindCategoryNoCase(*name)) {
    prompter_.message(*name + " existe d\xC3\xA9j\xC3\xA0   ");
    return nullptr;
  }
  TGrpCat& category = lists_.AddCategory(*name, false);
  lists_.orvelrcChanged = true;
  rebuildShown();
  return &category;
}

void TGroupList::RenameCategory(TGrpCat& category) {
  const auto name = askName(prompter_, "Rename folder", "Nouveau nom   ", category.name);
  if (!name || *name == category.name) return;
  const TGrpCat* other = lists_.FindCategoryNoCase(*name);
  if (other && other != &category) {
    prompter_.message(*name + " existe d\xC3\xA9j\xC3\xA0   ");
    return;
  }
  category.name = *name;
  lists_.orvelrcChanged = true;
  rebuildShown();
}

void TGroupList::MoveGroups(const std::vector<TGrpInfo*>& groups, TreePosition position) {
  if (position.category && !lists_.OwnsCategory(position.category)) return;
  bool moved = false;
  for (TGrpInfo* g : groups) {
    if (!lists_.Owns(g) || !g->subscribed()) continue;
    lists_.PlaceInTree(*g, position);
    moved = true;
    // The next group goes right after this one.
    if (position.index != TreePosition::kEnd) position.index = lists_.PlaceIndex(*g) + 1;
  }
  if (!moved) return;
  lists_.orvelrcChanged = true;
  rebuildShown();
}

void TGroupList::MoveCategory(TGrpCat& category, std::size_t index) {
  if (!lists_.OwnsCategory(&category)) return;
  lists_.MoveCategory(category, index);
  lists_.orvelrcChanged = true;
  rebuildShown();
}

void TGroupList::SetExpanded(TGrpCat& category, bool expanded) {
  if (category.expanded == expanded) return;
  category.expanded = expanded;
  lists_.orvelrcChanged = true;
}

void TGroupList::ExpandAll(bool expanded) {
  for (const TreeItem& item : lists_.tree()) {
    if (item.category) SetExpanded(*item.category, expanded);
  }
  rebuildShown();
}

// ---------------------------------------------------------------- showing

void TGroupList::ShowTab(GroupTab tab) {
  const bool wasFiltered = display_.filterActive();
  if (tab == GroupTab::Subscribed) display_.clearFilter();
  if (display_.tab() == tab && wasFiltered == display_.filterActive()) return;
  display_.setTab(tab);
  rebuildShown();
  setFilterState(wasFiltered);
}

void TGroupList::SetFilter(std::string_view text) {
  const bool wasActive = display_.filterActive();
  std::string error;
  const bool compiled = display_.setFilter(text, &error);
  rebuildShown();
  if (!compiled) {
    prompter_.status(error);
  } else if (display_.filterActive()) {
    prompter_.status(std::to_string(display_.shownGroupCount()) + " filtered.");
  } else {
    prompter_.status(IdleStatusText());
  }
  setFilterState(wasActive);
}

void TGroupList::setFilterState(bool wasActive) {
  if (observer_ && wasActive != display_.filterActive()) {
    observer_->filterChanged(display_.filterActive());
  }
}

void TGroupList::SortBy(GroupColumn column, bool ctrlHeld) {
  GroupSortKey key;
  switch (column) {
    case GroupColumn::Name: key = GroupSortKey::Name; break;
    case GroupColumn::Unread: key = GroupSortKey::Unread; break;
    case GroupColumn::Total: key = GroupSortKey::Total; break;
    default: return;
  }
  const bool allGroups = display_.tab() == GroupTab::All || display_.filterActive();
  if (allGroups && !display_.filterActive() &&
      prompter_.ask("Classer Groupes?", kYesNo) != Button::Yes) {
    return;
  }
  prompter_.status("Sorting...");
  const bool ascending = display_.nextSortAscending(key);
  if (allGroups) {
    SortAllGroups(lists_, key, ascending);
  } else {
    SortTree(lists_, key, ascending, ctrlHeld);
    lists_.orvelrcChanged = true;
  }
  rebuildShown();
  prompter_.status(IdleStatusText());
}

std::optional<GroupColumn> TGroupList::sortColumn() const {
  const auto key = display_.sortKey();
  if (!key) return std::nullopt;
  switch (*key) {
    case GroupSortKey::Name: return GroupColumn::Name;
    case GroupSortKey::Unread: return GroupColumn::Unread;
    case GroupSortKey::Total: return GroupColumn::Total;
  }
  return std::nullopt;
}

void TGroupList::SetHideEmptyGroups(bool hide) {
  if (display_.hideEmpty() == hide) return;
  display_.setHideEmpty(hide);
  rebuildShown();
}

void TGroupList::SetShowCategories(bool show) {
  if (display_.showCategories() == show) return;
  display_.setShowCategories(show);
  rebuildShown();
}

std::string TGroupList::IdleStatusText() const {
  return format(" %d total. %d Abonn\xC3\xA9s.  .", static_cast<int>(lists_.all().size()),
                static_cast<int>(lists_.subscribed().size()));
}

void TGroupList::changedGroup(const TGrpInfo& group) {
  if (observer_) observer_->groupChanged(group);
}

void TGroupList::rebuildShown() {
  display_.Rebuild();
  if (observer_) observer_->shownListRebuilt();
}

// ---------------------------------------------------------------- group views

bool TGroupList::MarkRead(std::string_view group, std::int32_t number) {
  TGrpInfo* g = lists_.FindSubscribed(group);
  if (!g) return false;
  orvel::MarkRead(g->read, number);
  lists_.newsrcChanged = true;
  changedGroup(*g);
  return true;
}

bool TGroupList::MarkUnread(std::string_view group, std::int32_t number) {
  TGrpInfo* g = lists_.FindSubscribed(group);
  if (!g) return false;
  orvel::MarkUnread(g->read, number, g->first, g->last);
  lists_.newsrcChanged = true;
  changedGroup(*g);
  return true;
}

bool TGroupList::MarkNumbers(std::string_view group, const std::vector<std::int32_t>& numbers,
                             bool read) {
  TGrpInfo* g = lists_.FindSubscribed(group);
  if (!g) return false;
  if (numbers.empty()) return true;
  const auto [low, high] = std::minmax_element(numbers.begin(), numbers.end());
  BitSet marks(*high - *low + 1);
  for (const std::int32_t n : numbers) marks.set(n - *low);
  const BitSet none;
  g->read.text = MergeChangedMarks(g->read.text, *low, read ? none : marks, read ? marks : none);
  g->read.needsNormalising = false;
  lists_.newsrcChanged = true;
  changedGroup(*g);
  return true;
}

void TGroupList::UpdateReadState(TGrpInfo& group, const GroupReadState& state) {
  if (!lists_.Owns(&group)) return;
  group.read = state.read;
  group.toFetch = state.toFetch;
  if (state.first) group.first = *state.first;
  if (state.last) group.last = *state.last;
  if (state.unread) group.unread = *state.unread;
  if (state.total) group.total = *state.total;
  lists_.newsrcChanged = true;
  if (group.storage != state.storage) {
    group.storage = state.storage;
    if (group.subscribed()) lists_.orvelrcChanged = true;
  }
  changedGroup(group);
}

void TGroupList::RegisterView(OpenGroupView& view) {
  if (std::find(views_.begin(), views_.end(), &view) == views_.end()) views_.push_back(&view);
}

void TGroupList::UnregisterView(OpenGroupView& view) { std::erase(views_, &view); }

bool TGroupList::IsOpenInView(const TGrpInfo& group) const {
  return std::any_of(views_.begin(), views_.end(),
                     [&](const OpenGroupView* v) { return v->viewedGroup() == &group; });
}

// ---------------------------------------------------------------- saving

bool TGroupList::SaveNewsRC() {
  if (!opened_) return false;
  bool ok = true;
  if (lists_.newsrcChanged) {
    for (TGrpInfo* g : lists_.subscribed()) NormaliseRanges(g->read, g->first, g->last, true);
    ok = saveFile(lists_.newsrcChanged, "Saving newsrc", [this](std::string* error) {
      return SaveNewsrcFile(paths_.newsrc, NewsrcText(lists_), options_.backUpNewsRC, error);
    });
  }
  if (lists_.orvelrcChanged) {
    ok = saveFile(lists_.orvelrcChanged, "Sauve Orvelrc.", [this](std::string* error) {
      return SaveOrvelrcFile(paths_.orvelrc, OrvelrcText(lists_), options_.backUpNewsRC, error);
    }) && ok;
  }
  return ok;
}

bool TGroupList::saveFile(bool& changed, std::string_view status,
                          const std::function<bool(std::string*)>& write) {
  prompter_.status(status);
  std::string error;
  const bool saved = write(&error);
  if (saved) {
    changed = false;
  } else {
    prompter_.message(error, MessageKind::Error);
  }
  prompter_.status("");
  return saved;
}

bool TGroupList::SaveReadState() {
  const std::vector<OpenGroupView*> views = views_;
  for (OpenGroupView* view : views) view->HandBackReadState();
  return SaveNewsRC();
}

// ---------------------------------------------------------------- host

TGroupList* GroupListHost::groupListOf(const TProfile& profile) const {
  for (TGroupList* list : groupLists) {
    if (equalsNoCase(list->profile()->alias, profile.alias)) return list;
  }
  return nullptr;
}

bool SaveAllGroupLists(GroupListHost& host) {
  bool ok = true;
  for (TGroupList* list : host.groupLists) {
    if (list->opened()) ok = list->SaveReadState() && ok;
  }
  return ok;
}

}  // namespace orvel
