#include <algorithm>

#include "articles/string_pool.h"

namespace orvel {

// The links are walked in loops rather than by recursion: a chain is as long
// as its thread is deep.
std::size_t PooledReferences::length() const {
  std::size_t n = 0;
  for (PooledReferences v = *this; !v.empty();) {
    if (!v.IsLink()) return n + v.PlainText().size();
    const Node& node = v.node();
    n += node.parentId.size();
    if (!node.parentRefs) break;
    n += 1;
    v = at(node.parentRefs);
  }
  return n;
}

std::string_view PooledReferences::Text(std::string& scratch) const {
  if (!IsLink()) return PlainText();
  scratch.resize(length());
  char* end = scratch.data() + scratch.size();
  for (PooledReferences v = *this; !v.empty();) {
    if (!v.IsLink()) {
      const std::string_view text = v.PlainText();
      std::copy(text.begin(), text.end(), end - text.size());
      break;
    }
    const Node& node = v.node();
    const std::string_view id = node.parentId.view();
    end = std::copy_backward(id.begin(), id.end(), end);
    if (!node.parentRefs) break;
    *--end = ' ';
    v = at(node.parentRefs);
  }
  return scratch;
}

std::string PooledReferences::str() const {
  std::string text;
  if (IsLink()) {
    Text(text);
  } else {
    text = PlainText();
  }
  return text;
}

bool PooledReferences::Spells(std::string_view text) const {
  for (PooledReferences v = *this;;) {
    if (!v.IsLink()) return v.PlainText() == text;
    const Node& node = v.node();
    const std::string_view id = node.parentId.view();
    if (text.size() < id.size() || text.substr(text.size() - id.size()) != id) return false;
    text.remove_suffix(id.size());
    if (!node.parentRefs) return text.empty();
    if (text.empty() || text.back() != ' ') return false;
    text.remove_suffix(1);
    v = at(node.parentRefs);
  }
}

PooledReferences StringPool::StoreReferences(std::string_view references, std::string_view parentId,
                                            PooledString ownId) {
  const bool own = !ownId.empty() && ownId.p_ == lastStored_.p_;
  PooledReferences value;
  RecentParent* parent = nullptr;
  if (!parentId.empty()) {
    parent = recentParent(parentId, static_cast<std::uint32_t>(TextHash(parentId)));
  }
  if (parent) {
    const PooledReferences::Node candidate{0, parent->references.p_, parent->id};
    if (PooledReferences(&candidate).Spells(references)) {
      if (parent->replies.empty()) {
        auto* node = new (texts_.allocate(sizeof(candidate), alignof(PooledReferences::Node)))
            PooledReferences::Node(candidate);
        parent->replies = PooledReferences(node);
      }
      value = parent->replies;
    }
  }
  if (value.empty()) value = PooledReferences(Share(references));
  if (own) rememberParent(ownId, value);
  return value;
}

StringPool::RecentParent* StringPool::recentParent(std::string_view id, std::uint32_t hash) {
  if (recentParents_.empty()) return nullptr;
  RecentParent& slot = recentParents_[hash & (recentParents_.size() - 1)];
  return slot.hash == hash && slot.id.view() == id ? &slot : nullptr;
}

// The table starts small (most pools are a folder's few messages) and
// doubles while it holds fewer slots than the articles remembered.
void StringPool::rememberParent(PooledString id, PooledReferences references) {
  ++parentsRemembered_;
  const std::size_t size = recentParents_.size();
  if (size < kRecentParents && parentsRemembered_ > size) {
    std::vector<RecentParent> grown(size == 0 ? 1024 : size * 2);
    for (const RecentParent& p : recentParents_) {
      if (!p.id.empty()) grown[p.hash & (grown.size() - 1)] = p;
    }
    recentParents_ = std::move(grown);
  }
  const auto hash = static_cast<std::uint32_t>(TextHash(id.view()));
  recentParents_[hash & (recentParents_.size() - 1)] = RecentParent{id, references, {}, hash};
}

}  // namespace orvel
