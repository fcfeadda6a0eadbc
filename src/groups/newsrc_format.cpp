#include "groups/newsrc_format.h"

#include <algorithm>
#include <cstring>
#include <unordered_map>
#include <unordered_set>

namespace orvel {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

// Calls onLine for each line of text without its line end (LF, CR LF or CR).
template <class F>
void forEachLine(std::string_view text, F&& onLine) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const void* found = std::memchr(text.data() + pos, '\n', text.size() - pos);
    const std::size_t end =
        found ? static_cast<std::size_t>(static_cast<const char*>(found) - text.data())
              : text.size();
    std::string_view line = text.substr(pos, end - pos);
    while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    onLine(line);
    pos = end + 1;
  }
}

std::string_view trimRightBlanks(std::string_view s) {
  while (!s.empty() && (isBlank(s.back()) || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

bool hasBlank(std::string_view s) {
  for (char c : s) {
    if (static_cast<unsigned char>(c) < 33) return true;
  }
  return false;
}

bool isModeChar(char c) { return c == ':' || c == '~' || c == '#' || c == '@'; }

// A newsrc line as a record, or nothing for a line that names no group.
std::unique_ptr<TGrpInfo> groupOfLine(std::string_view line) {
  std::size_t start = 0;
  while (start < line.size() && (line[start] == ' ' || line[start] == '\r')) ++start;
  line.remove_prefix(start);
  const std::size_t marker = line.find_first_of(":!");
  if (marker == std::string_view::npos) return nullptr;
  const std::string_view name = trimRightBlanks(line.substr(0, marker));
  if (name.empty() || hasBlank(name)) return nullptr;

  auto group = std::make_unique<TGrpInfo>();
  group->name.assign(name);
  group->state =
      line[marker] == ':' ? SubscriptionState::Subscribed : SubscriptionState::Unsubscribed;
  std::size_t pos = marker + 1;
  while (pos < line.size() && line[pos] == ' ') ++pos;
  const std::string_view rest = line.substr(pos);
  const std::size_t slash = rest.find('/');
  group->read.text.assign(trimRightBlanks(rest.substr(0, slash)));
  if (slash != std::string_view::npos) {
    group->toFetch.assign(trimRightBlanks(rest.substr(slash + 1)));
  }
  return group;
}

void appendNewsrcLine(std::string& out, const TGrpInfo& g) {
  if (g.name.empty()) return;
  out += g.name;
  out += g.subscribed() ? ':' : '!';
  if (!g.read.text.empty()) {
    out += ' ';
    out += g.read.text;
  }
  if (!g.toFetch.empty()) {
    out += '/';
    out += g.toFetch;
  }
  out += "\r\n";
}

// Finds the records that ".Orvelrc" lines name, exactly as written.
class OrvelrcLookup {
 public:
  explicit OrvelrcLookup(GroupLists& lists) : lists_(lists) {
    for (TGrpInfo* g : lists.subscribed()) unplaced_.emplace(g->name, g);
  }

  // The record for a name and whether it was placed already.
  TGrpInfo* find(std::string_view name, bool& placed) {
    placed = false;
    if (const auto it = unplaced_.find(name); it != unplaced_.end()) {
      TGrpInfo* g = it->second;
      unplaced_.erase(it);
      return g;
    }
    if (!allBuilt_) {
      for (const auto& g : lists_.all()) all_.emplace(g->name, g.get());
      allBuilt_ = true;
    }
    const auto it = all_.find(name);
    if (it == all_.end()) return nullptr;
    placed = it->second->subscribed();
    return it->second;
  }

  void added(TGrpInfo& g) {
    if (allBuilt_) all_.emplace(g.name, &g);
  }

 private:
  GroupLists& lists_;
  // Keys view the records' own names, which live as long as the records.
  std::unordered_map<std::string_view, TGrpInfo*> unplaced_;
  std::unordered_map<std::string_view, TGrpInfo*> all_;
  bool allBuilt_ = false;
};

}  // namespace

bool IsStorableGroupName(std::string_view name) {
  return !name.empty() && !hasBlank(name) && name.find_first_of(":!") == std::string_view::npos;
}

void ReadNewsrc(std::string_view text, GroupLists& lists) {
  std::vector<std::unique_ptr<TGrpInfo>> subscribed;
  std::vector<std::unique_ptr<TGrpInfo>> others;
  std::unordered_set<std::string_view> seen;
  seen.reserve(static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  forEachLine(text, [&](std::string_view line) {
    auto group = groupOfLine(line);
    if (!group || !seen.insert(group->name).second) return;
    (group->subscribed() ? subscribed : others).push_back(std::move(group));
  });
  subscribed.reserve(subscribed.size() + others.size());
  for (auto& g : others) subscribed.push_back(std::move(g));
  lists.Assign(std::move(subscribed));
}

std::string NewsrcText(const GroupLists& lists) {
  std::size_t size = 0;
  for (const auto& g : lists.all()) size += g->name.size() + g->read.text.size() + g->toFetch.size() + 5;
  std::string out;
  out.reserve(size);
  for (const TGrpInfo* g : lists.subscribed()) appendNewsrcLine(out, *g);
  for (const auto& g : lists.all()) {
    if (!g->subscribed()) appendNewsrcLine(out, *g);
  }
  return out;
}

void ReadOrvelrc(std::string_view text, GroupLists& lists) {
  lists.ClearTree();
  OrvelrcLookup lookup(lists);
  TGrpCat* current = nullptr;
  forEachLine(text, [&](std::string_view line) {
    if (line.empty()) return;
    const char first = line[0];
    if (first == '+' || first == '=') {
      current = &lists.AddCategory(std::string(line.substr(1)), first == '+');
      return;
    }
    TGrpCat* category = nullptr;
    if (first == '\t' || first == ',') {
      if (!current) return;
      category = current;
      const std::size_t start = line.find_first_not_of("\t,");
      line.remove_prefix(start == std::string_view::npos ? line.size() : start);
    } else if (isModeChar(first)) {
      current = nullptr;
    } else {
      return;
    }
    StorageMode mode = StorageMode::Default;
    if (!line.empty() && isModeChar(line[0])) {
      mode = StorageModeFromChar(line[0]);
      line.remove_prefix(1);
    }
    const std::string_view name = line.substr(0, line.find_first_of(" \t"));
    if (!IsStorableGroupName(name)) return;

    bool placed = false;
    TGrpInfo* group = lookup.find(name, placed);
    if (placed) return;
    const TreePosition position{category, TreePosition::kEnd};
    if (!group) {
      group = &lists.AddGroup(std::string(name), SubscriptionState::Unsubscribed);
      lookup.added(*group);
    }
    if (group->subscribed()) {
      lists.PlaceInTree(*group, position);
    } else {
      lists.Subscribe(*group, position);
      lists.newsrcChanged = true;
    }
    group->storage = mode;
  });
  lists.PlaceUnplacedSubscribed();
}

std::string OrvelrcText(const GroupLists& lists) {
  std::string out;
  auto groupLine = [&out](const TGrpInfo& g, bool inCategory) {
    if (!g.subscribed() || g.name.empty()) return;
    if (inCategory) out += ',';
    out += StorageModeChar(g.storage);
    out += g.name;
    out += "\r\n";
  };
  for (const TreeItem& item : lists.tree()) {
    if (item.category) {
      out += item.category->expanded ? '+' : '=';
      out += item.category->name;
      out += "\r\n";
      for (const TGrpInfo* g : item.category->groups) groupLine(*g, true);
    } else if (item.group) {
      groupLine(*item.group, false);
    }
  }
  return out;
}

}  // namespace orvel
