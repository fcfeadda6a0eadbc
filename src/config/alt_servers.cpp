#include "config/alt_servers.h"

#include <algorithm>

#include "config/group_props.h"
#include "config/main_state.h"
#include "core/text.h"

namespace orvel {

TAltServs::TAltServs(MainState& main, std::shared_ptr<TProfile> viewProfile, std::string group)
    : main_(main), viewProfile_(std::move(viewProfile)), group_(std::move(group)) {}

void TAltServs::Build(const std::shared_ptr<TProfile>& profile, std::string_view group) {
  GroupProps props;
  ResolveGroupProps(main_, group, props);
  const std::string& value = props.altServers;
  if (builtFrom_ && *builtFrom_ == value) return;
  builtFrom_ = value;
  servers_.clear();
  index_ = -1;

  const ProfileList& all = main_.profiles;
  if (value == "*") {
    servers_ = all;
  } else if (!value.empty()) {
    const bool except = value.front() == '~';
    const auto aliases = splitChar(except ? std::string_view(value).substr(1) : value, '|');
    auto listed = [&](const std::string& alias) {
      return std::any_of(aliases.begin(), aliases.end(),
                         [&](const std::string& a) { return equalsNoCase(trimView(a), alias); });
    };
    if (except) {
      for (const auto& p : all) {
        if (!listed(p->alias)) servers_.push_back(p);
      }
    } else {
      for (const auto& alias : aliases) {
        const int i = ProfileIndex(all, trimView(alias));
        if (i >= 0) servers_.push_back(all[static_cast<std::size_t>(i)]);
      }
    }
  }
  if (profile && std::none_of(servers_.begin(), servers_.end(),
                              [&](const auto& p) { return SameServer(*p, *profile); })) {
    servers_.insert(servers_.begin(), profile);
  }
}

std::shared_ptr<TProfile> TAltServs::NextServer(const TProfile& current, bool wrap) {
  if (!inUse_) Build(viewProfile_, group_);
  const int count = static_cast<int>(servers_.size());
  for (++index_; index_ < count; ++index_) {
    const auto& candidate = servers_[static_cast<std::size_t>(index_)];
    if (!SameServer(*candidate, current)) {
      inUse_ = true;
      return candidate;
    }
  }
  if (wrap && count > 0) {
    index_ = 0;
    inUse_ = true;
    return servers_.front();
  }
  index_ = -1;
  inUse_ = false;
  return nullptr;
}

const std::shared_ptr<TProfile>& TAltServs::CurrentServer() const {
  if (index_ < 0 || index_ >= static_cast<int>(servers_.size())) {
    throw EAltServs("Faux Index de serveur ");
  }
  return servers_[static_cast<std::size_t>(index_)];
}

std::string TAltServs::SubjectCaption() const {
  std::string caption = inUse_ ? "Sujet   + " : "Sujet   ";
  for (std::size_t i = 0; i < servers_.size(); ++i) {
    if (i > 0) caption += '|';
    caption += servers_[i]->alias;
  }
  return caption;
}

}  // namespace orvel
