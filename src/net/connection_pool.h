#pragma once
// The program-wide pool of NNTP connections. Group-list windows, group views
// and the sending of queued articles borrow connections from it and give
// them back; a ready connection stays open for the next borrower to the same
// server. The pool owns every connection for the whole run, and asks the
// person for the passwords their logins want.

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/prompter.h"
#include "net/tnntp.h"

namespace orvel {

class ConnectionPool {
 public:
  ConnectionPool(NetPlatform& platform, Clock& clock, Prompter& prompter, NNTPOptions options = {});
  ~ConnectionPool();
  ConnectionPool(const ConnectionPool&) = delete;
  ConnectionPool& operator=(const ConnectionPool&) = delete;

  // Lends a connection for profile, preferring, from the newest backwards: a
  // free connected one already in group, then a free connected one to the
  // same server, then a free unconnected one; else a new one. A connection
  // that comes back connected and ready needs no new login.
  TNNTP& AcquireConnection(std::shared_ptr<TProfile> profile, std::string_view group = {});
  // Takes a connection back: its events are removed; a connection whose
  // login failed is sent QUIT, one cut short in a transfer is closed, a ready
  // one stays open.
  void ReleaseConnection(TNNTP& connection);
  // Ends every free connection to profile's server (QUIT when ready).
  void CloseIdleConnections(const TProfile& profile);

  // Connections in use with the same server as profile, except `except`.
  int countInUse(const TProfile& profile, const TNNTP* except = nullptr) const;
  int activeCount() const { return active_; }
  struct ReceivedBytes {
    std::int64_t wire = 0;   // off the socket
    std::int64_t plain = 0;  // after inflating
  };
  // What the connections to profile's server received since they last
  // connected.
  ReceivedBytes receivedBytes(const TProfile& profile) const;
  // The status bar's count: "2 connexion/s active/s".
  std::string ActiveConnectionsText() const;
  // The tray's tooltip: that count, then one line per server with
  // connections in use, "alias: 2", in the order they were first made.
  std::string ActiveConnectionsToolTip() const;
  // Runs after every change of the active count.
  std::function<void(int active)> onActiveCountChanged;

  void setOptions(const NNTPOptions& options);
  const NNTPOptions& options() const { return options_; }
  std::size_t size() const { return connections_.size(); }

 private:
  void setInUse(TNNTP& connection, bool inUse);
  // Asks for the connections' passwords from the event loop, one prompt at a
  // time; a password typed once serves every login to that profile.
  void askPasswords();

  NetPlatform& platform_;
  Clock& clock_;
  Prompter& prompter_;
  NNTPOptions options_;
  std::vector<std::unique_ptr<TNNTP>> connections_;
  std::deque<TNNTP*> wantingPassword_;
  std::unique_ptr<Timer> promptTimer_;
  bool asking_ = false;
  int active_ = 0;
};

}  // namespace orvel
