#include "net/connection_pool.h"

#include <algorithm>

#include "core/text.h"

namespace orvel {

ConnectionPool::ConnectionPool(NetPlatform& platform, Clock& clock, Prompter& prompter,
                               NNTPOptions options)
    : platform_(platform),
      clock_(clock),
      prompter_(prompter),
      options_(options),
      promptTimer_(clock.createTimer([this] { askPasswords(); })) {}

ConnectionPool::~ConnectionPool() {
  // Connections closing now must not count against a pool being destroyed.
  for (auto& c : connections_) c->RemoveEvents();
  connections_.clear();
}

TNNTP& ConnectionPool::AcquireConnection(std::shared_ptr<TProfile> profile, std::string_view group) {
  auto search = [&](auto&& matches) -> TNNTP* {
    for (auto it = connections_.rbegin(); it != connections_.rend(); ++it) {
      TNNTP& c = **it;
      if (!c.inUse && matches(c)) return &c;
    }
    return nullptr;
  };
  // A live connection serves another profile of the same server only when it
  // is as protected as that profile asks.
  auto sameServer = [&](const TNNTP& c) {
    return c.IsConnected() && c.profile() && SameServer(*c.profile(), *profile) &&
           c.profile()->tls == profile->tls && (!profile->startTls || c.engine().usedStartTls());
  };

  TNNTP* chosen = nullptr;
  if (!group.empty()) {
    chosen = search([&](const TNNTP& c) {
      return sameServer(c) && equalsNoCase(c.currentGroup(), group);
    });
  }
  if (!chosen) chosen = search(sameServer);
  if (!chosen) chosen = search([](const TNNTP& c) { return !c.IsConnected(); });
  if (!chosen) {
    connections_.push_back(std::make_unique<TNNTP>(platform_, clock_, this, options_));
    chosen = connections_.back().get();
    chosen->OnPasswordWanted = [this](TNNTP& c) {
      wantingPassword_.push_back(&c);
      promptTimer_->start(std::chrono::milliseconds(0), TimerMode::SingleShot);
    };
  }
  chosen->setProfile(std::move(profile));
  setInUse(*chosen, true);
  return *chosen;
}

void ConnectionPool::ReleaseConnection(TNNTP& connection) {
  setInUse(connection, false);
  connection.RemoveEvents();
  connection.purpose = 0;
  if (!connection.IsConnected()) {
    // Still looking up or connecting for an owner that gave up.
    if (connection.state() != NNTPState::Idle) connection.Close();
    return;
  }
  if (connection.state() == NNTPState::LoginFailed) {
    connection.Quit();
  } else if (connection.state() != NNTPState::Ready) {
    // A transfer was cut short: the rest of its reply would confuse the
    // next borrower.
    connection.Close();
  }
}

void ConnectionPool::askPasswords() {
  // The dialog runs events; a request arriving meanwhile waits for this loop.
  if (asking_) return;
  asking_ = true;
  while (!wantingPassword_.empty()) {
    TNNTP& c = *wantingPassword_.front();
    wantingPassword_.pop_front();
    if (c.state() != NNTPState::AwaitingPassword) continue;  // closed meanwhile
    const std::shared_ptr<TProfile> profile = c.profile();
    if (profile->promptedPassword.empty()) {
      std::optional<std::string> answer;
      do {
        answer = prompter_.inputText("Le Mot de passe ?", "Mot de passe pour: " + profile->host, {},
                                     InputMode::Masked);
      } while (answer && trimView(*answer).empty());
      // Cancelled, the login goes on with an empty password, which fails.
      if (answer) profile->promptedPassword = *answer;
    }
    // The dialog ran events: the connection may now serve another profile,
    // whose own request is in the queue.
    if (c.profile() == profile) c.AnswerPassword(profile->promptedPassword);
  }
  asking_ = false;
}

void ConnectionPool::CloseIdleConnections(const TProfile& profile) {
  for (auto& c : connections_) {
    if (c->inUse || !c->profile() || !SameServer(*c->profile(), profile)) continue;
    if (c->IsConnected() && c->state() == NNTPState::Ready) {
      c->Quit();
    } else {
      c->Close();
    }
  }
}

int ConnectionPool::countInUse(const TProfile& profile, const TNNTP* except) const {
  int n = 0;
  for (const auto& c : connections_) {
    if (c.get() != except && c->inUse && c->profile() && SameServer(*c->profile(), profile)) ++n;
  }
  return n;
}

ConnectionPool::ReceivedBytes ConnectionPool::receivedBytes(const TProfile& profile) const {
  ReceivedBytes bytes;
  for (const auto& c : connections_) {
    if (!c->profile() || !SameServer(*c->profile(), profile)) continue;
    bytes.wire += c->engine().wireBytesReceived();
    bytes.plain += c->engine().bytesReceived();
  }
  return bytes;
}

std::string ConnectionPool::ActiveConnectionsText() const {
  return std::to_string(active_) + " connexion/s active/s";
}

std::string ConnectionPool::ActiveConnectionsToolTip() const {
  std::vector<std::pair<const TProfile*, int>> servers;
  for (const auto& c : connections_) {
    if (!c->inUse || !c->profile()) continue;
    auto it = std::find_if(servers.begin(), servers.end(),
                           [&](const auto& s) { return SameServer(*s.first, *c->profile()); });
    if (it == servers.end()) {
      servers.emplace_back(c->profile().get(), 1);
    } else {
      ++it->second;
    }
  }
  std::string text = ActiveConnectionsText();
  for (const auto& [profile, count] : servers) {
    text += "\n" + (profile->alias.empty() ? profile->host : profile->alias) + ": " +
            std::to_string(count);
  }
  return text;
}

void ConnectionPool::setOptions(const NNTPOptions& options) {
  options_ = options;
  for (auto& c : connections_) c->setOptions(options);
}

void ConnectionPool::setInUse(TNNTP& connection, bool inUse) {
  if (connection.inUse == inUse) return;
  connection.inUse = inUse;
  active_ += inUse ? 1 : -1;
  if (onActiveCountChanged) onActiveCountChanged(active_);
}

}  // namespace orvel
