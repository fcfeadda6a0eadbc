#include "articles/list_edits.h"

#include <algorithm>
#include <unordered_map>
#include <vector>

#include "articles/group_view.h"
#include "articles/header_utils.h"
#include "articles/marking.h"
#include "core/prompter.h"
#include "core/text.h"

namespace orvel {

namespace {

bool namesServer(std::string_view name, const TProfile& profile) {
  return equalsNoCase(name, profile.alias) || equalsNoCase(name, profile.host);
}

// "server:group" as a header from another server keeps it.
std::string_view originServer(std::string_view xref) {
  const std::size_t colon = xref.find(':');
  if (colon == std::string_view::npos || colon == 0 ||
      xref.find_first_of(" \t") != std::string_view::npos) {
    return {};
  }
  const std::string_view after = xref.substr(colon + 1);
  const bool number =
      std::all_of(after.begin(), after.end(), [](char c) { return c >= '0' && c <= '9'; });
  if (after.empty() || number) return {};
  return xref.substr(0, colon);
}

bool isProtected(const TGroupView& view, const TArticle& a) {
  return &a == view.CurrentArticle() || a.IsQueued();
}

// The servers in the order the view tries them, and the one in use.
class ServerOrder {
 public:
  explicit ServerOrder(TGroupView& view) : view_(view) {
    TAltServs* alt = view.Slots().AltServers();
    if (alt) {
      alt->Build(view.Profile(), view.Record().name);
      servers_ = alt->servers();
    }
    if (servers_.empty()) servers_.push_back(view.Profile());
    current_ = alt && alt->inUse() ? alt->CurrentServer() : view.Profile();
  }

  const std::string& serverOf(const TArticle& a) {
    auto [it, added] = names_.try_emplace(a.Xref.view());
    if (added) it->second = ArticleServer(view_, a);
    return it->second;
  }

  bool inUse(std::string_view server) const { return namesServer(server, *current_); }

  std::size_t index(std::string_view server) const {
    for (std::size_t i = 0; i < servers_.size(); ++i) {
      if (namesServer(server, *servers_[i])) return i;
    }
    return servers_.size();
  }

 private:
  TGroupView& view_;
  std::vector<std::shared_ptr<TProfile>> servers_;
  std::shared_ptr<TProfile> current_;
  std::unordered_map<std::string_view, std::string> names_;  // by Xref text
};

}  // namespace

std::string ArticleServer(const TGroupView& view, const TArticle& article) {
  const std::string_view origin = originServer(article.Xref.view());
  return std::string(origin.empty() ? std::string_view(view.Profile()->alias) : origin);
}

bool TransferRunning(TGroupView& view) { return view.Slots().AnyTaken(); }

std::size_t DeleteDuplicates(TGroupView& view) {
  if (TransferRunning(view)) return 0;
  view.UserPrompter().status("Efface les doublons...");
  const std::vector<TArticle*>& master = view.MasterList();
  ServerOrder order(view);
  std::unordered_map<std::string_view, TArticle*> byId;
  byId.reserve(master.size() / 2);
  std::vector<TArticle*> going;
  // A, not protected, goes rather than D (see the header).
  auto aGoes = [&](const TArticle& a, const TArticle& d) {
    if (a.BodyOffset >= 0 || a.Has(NodeFlag::Read) || a.Date > d.Date) return false;
    const std::string& server = order.serverOf(a);
    return !order.inUse(server) && order.index(server) >= order.index(order.serverOf(d));
  };
  for (auto it = master.rbegin(); it != master.rend(); ++it) {
    TArticle* a = *it;
    if (a->MessageID.empty()) continue;
    auto [entry, added] = byId.try_emplace(a->MessageID.view(), a);
    if (added) continue;
    TArticle* d = entry->second;
    const bool aKept = isProtected(view, *a);
    const bool dKept = isProtected(view, *d);
    if (aKept && dKept) continue;
    if (!aKept && (dKept || aGoes(*a, *d))) {
      going.push_back(a);
      continue;
    }
    going.push_back(d);
    entry->second = a;
  }
  const std::size_t count = going.size();
  if (count > 0) {
    FreeRecords(view, std::move(going));
    if (TMailbox* store = view.Mailbox()) store->SaveHeaders(view.MasterList(), true);
  }
  view.UserPrompter().status({});
  return count;
}

bool EditSubject(TGroupView& view, TNode& row, std::string_view text) {
  if (trimView(text).empty()) return false;
  StringPool& pool = view.View().arena.Strings();
  if (TAThread* thread = row.AsThread()) {
    thread->SetOwnSubject(text);
    const PooledString reply = pool.Store("Re: " + std::string(StripRe(text)));
    for (TArticle* a : thread->Articles) {
      a->Subject = reply;
      view.Observer().rowChanged(*a);
    }
  } else {
    row.Subject = pool.Store(text);
    // A thread row shows its first article's subject unless it has its own.
    TAThread* owner = row.AsArticle()->Thread;
    if (owner && !owner->IsMultiPart() && owner->Articles.front() == &row) {
      owner->Subject = row.Subject;
      view.Observer().rowChanged(*owner);
    }
  }
  view.Observer().rowChanged(row);
  if (TMailbox* store = view.Mailbox()) store->Modified = true;
  return true;
}

}  // namespace orvel
