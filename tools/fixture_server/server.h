#pragma once
// The fixture news server's network side: listening sockets on loopback only,
// and one poll() loop on one thread that accepts connections, feeds their
// command lines to a Session and writes the replies as the sockets drain.
// Delivery faults (reset after N bytes, stall, drip, close) are applied here,
// byte-exactly, per reply.

#include <atomic>
#include <cstdint>
#include <iosfwd>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "server_state.h"

namespace orvel::fixture {

class ServerError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

class Server {
 public:
  explicit Server(ServerConfig config);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  // Groups and faults; change them only before run() or from its thread.
  ServerState& state() { return state_; }

  // Listens on "127.0.0.1", "::1" or "localhost" (both); port 0 picks a free
  // one. Returns the port. Throws ServerError for any other address or when
  // the port cannot be had.
  int listen(const std::string& bindAddress, int port);
  int port() const { return port_; }

  // Logs every command and status line to this stream (nullptr: quiet).
  void setLog(std::ostream* log) { log_ = log; }

  // Serves until stop().
  void run();
  // Ends run() soon; safe from any thread and from a signal handler.
  void stop();

 private:
  struct Connection;
  void accept(int listener);
  void readInput(Connection& c);
  void handleLines(Connection& c);
  void writeOutput(Connection& c);
  void finishReply(Connection& c);
  void closeConnection(Connection& c, bool reset);
  int pollTimeoutMs() const;

  ServerState state_;
  std::vector<int> listeners_;
  std::vector<std::unique_ptr<Connection>> connections_;
  int wakeRead_ = -1;
  int wakeWrite_ = -1;
  int port_ = 0;
  std::atomic<bool> stopping_{false};
  std::ostream* log_ = nullptr;
};

// Runs a server on a thread of its own for in-process tests; stops and joins
// on destruction.
class ServerThread {
 public:
  explicit ServerThread(std::unique_ptr<Server> server);
  ~ServerThread();
  Server& server() { return *server_; }
  int port() const { return server_->port(); }

 private:
  std::unique_ptr<Server> server_;
  std::thread thread_;
};

}  // namespace orvel::fixture
