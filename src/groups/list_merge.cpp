#include "groups/list_merge.h"

#include <limits>
#include <string>

#include "groups/newsrc_format.h"

namespace orvel {

namespace {

bool isSeparator(char c) { return c == ' ' || c == '\t'; }

std::string_view nextField(std::string_view line, std::size_t& pos) {
  while (pos < line.size() && isSeparator(line[pos])) ++pos;
  const std::size_t start = pos;
  while (pos < line.size() && !isSeparator(line[pos])) ++pos;
  return line.substr(start, pos - start);
}

std::optional<std::int32_t> articleNumber(std::string_view field) {
  if (field.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : field) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > std::numeric_limits<std::int32_t>::max()) return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace

std::optional<ListLine> ParseListLine(std::string_view line) {
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  std::size_t pos = 0;
  const std::string_view name = nextField(line, pos);
  if (name.size() > kMaxGroupNameLength || !IsStorableGroupName(name)) return std::nullopt;
  const auto last = articleNumber(nextField(line, pos));
  const auto first = articleNumber(nextField(line, pos));
  if (!last || !first) return std::nullopt;
  return ListLine{name, *last, *first};
}

ListMerge::ListMerge(GroupLists& lists, bool full) : lists_(lists), full_(full) {
  if (full_) mark_ = ++lists_.listGeneration;
}

void ListMerge::AddLine(std::string_view line) {
  const auto parsed = ParseListLine(line);
  if (!parsed) {
    ++skipped_;
    return;
  }
  ++found_;
  TGrpInfo* group = lists_.FindNoCase(parsed->name);
  if (!group) {
    group = &lists_.AddGroup(std::string(parsed->name));
    ++added_;
    lists_.newsrcChanged = true;
  }
  group->first = parsed->first;
  group->last = parsed->last;
  if (group->total < 1) {
    const std::int64_t total = static_cast<std::int64_t>(parsed->last) - parsed->first + 1;
    group->total = static_cast<std::int32_t>(total < 0 ? 0 : total);
  }
  if (full_) group->listMark = mark_;
}

std::size_t ListMerge::Finish(const std::function<bool(const TGrpInfo&)>& keep) {
  if (!full_) return 0;
  const std::size_t removed = lists_.RemoveGroups([&](const TGrpInfo& g) {
    return g.listMark != mark_ && !g.subscribed() && !(keep && keep(g));
  });
  if (removed) lists_.newsrcChanged = true;
  return removed;
}

}  // namespace orvel
