#include "server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <ostream>

#include "session.h"

namespace orvel::fixture {

namespace {

using Clock = std::chrono::steady_clock;

constexpr std::size_t kMaxQueuedReplies = 8;
constexpr std::size_t kMaxInput = 4 * 1024 * 1024;
constexpr std::size_t kMaxLine = 1024 * 1024;

void setNonBlocking(int fd) { fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) | O_NONBLOCK); }

std::string errnoText(const std::string& what) { return what + ": " + std::strerror(errno); }

int listenOn(bool v6, int port) {
  int fd = socket(v6 ? AF_INET6 : AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) throw ServerError(errnoText("socket"));
  int one = 1;
  setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  int rc;
  if (v6) {
    setsockopt(fd, IPPROTO_IPV6, IPV6_V6ONLY, &one, sizeof one);
    sockaddr_in6 a{};
    a.sin6_family = AF_INET6;
    a.sin6_addr = in6addr_loopback;
    a.sin6_port = htons(static_cast<std::uint16_t>(port));
    rc = bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  } else {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    rc = bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
  }
  if (rc < 0 || ::listen(fd, 128) < 0) {
    std::string text = errnoText(std::string("cannot listen on ") + (v6 ? "[::1]:" : "127.0.0.1:") +
                                 std::to_string(port));
    close(fd);
    throw ServerError(text);
  }
  setNonBlocking(fd);
  return fd;
}

int boundPort(int fd) {
  sockaddr_storage a{};
  socklen_t len = sizeof a;
  getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len);
  if (a.ss_family == AF_INET6) return ntohs(reinterpret_cast<sockaddr_in6*>(&a)->sin6_port);
  return ntohs(reinterpret_cast<sockaddr_in*>(&a)->sin_port);
}

std::string_view firstLine(const std::string& data) {
  std::string_view v(data);
  return v.substr(0, std::min(v.find("\r\n"), v.size()));
}

}  // namespace

struct Server::Connection {
  Connection(ServerState& state, int socket, std::uint64_t id) : fd(socket), session(state, id) {}
  int fd;
  Session session;
  std::string in;
  std::deque<Reply> out;
  std::size_t pos = 0;       // bytes of out.front().data already sent
  std::int64_t sent = 0;     // bytes of out.front() sent in all
  bool produced = false;     // out.front()'s producer has finished
  bool stallDone = false;
  bool waiting = false;      // stalled or dripping until wakeAt
  Clock::time_point wakeAt;
  bool inputClosed = false;  // the peer sent its FIN: answer what came, then close
  bool closed = false;

  bool wantsInput() const {
    return !inputClosed && out.size() < kMaxQueuedReplies && in.size() < kMaxInput;
  }
};

Server::Server(ServerConfig config) : state_(std::move(config)) {
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) < 0) throw ServerError(errnoText("pipe"));
  wakeRead_ = fds[0];
  wakeWrite_ = fds[1];
}

Server::~Server() {
  for (auto& c : connections_) {
    if (!c->closed) close(c->fd);
  }
  for (int fd : listeners_) close(fd);
  close(wakeRead_);
  close(wakeWrite_);
}

int Server::listen(const std::string& bindAddress, int port) {
  if (port < 0 || port > 65535) throw ServerError("bad port " + std::to_string(port));
  bool v4 = bindAddress == "127.0.0.1" || bindAddress == "localhost";
  bool v6 = bindAddress == "::1" || bindAddress == "[::1]" || bindAddress == "localhost";
  if (!v4 && !v6) {
    throw ServerError("refusing to listen on " + bindAddress +
                      ": only 127.0.0.1, ::1 or localhost are allowed");
  }
  if (v4) {
    listeners_.push_back(listenOn(false, port));
    port = boundPort(listeners_.back());
  }
  if (v6) {
    try {
      listeners_.push_back(listenOn(true, port));
      port = boundPort(listeners_.back());
    } catch (const ServerError&) {
      if (!v4) throw;  // "localhost" on a machine without IPv6 keeps IPv4
    }
  }
  port_ = port;
  return port;
}

void Server::stop() {
  stopping_ = true;
  char byte = 1;
  [[maybe_unused]] auto rc = write(wakeWrite_, &byte, 1);
}

int Server::pollTimeoutMs() const {
  int timeout = -1;
  auto now = Clock::now();
  for (const auto& c : connections_) {
    if (!c->waiting) continue;
    auto ms = std::chrono::ceil<std::chrono::milliseconds>(c->wakeAt - now).count();
    int wait = static_cast<int>(std::clamp<long long>(ms, 0, 60000));
    timeout = timeout < 0 ? wait : std::min(timeout, wait);
  }
  return timeout;
}

void Server::run() {
  std::vector<pollfd> fds;
  while (!stopping_) {
    fds.clear();
    fds.push_back({wakeRead_, POLLIN, 0});
    for (int fd : listeners_) fds.push_back({fd, POLLIN, 0});
    for (const auto& c : connections_) {
      short events = 0;
      if (c->wantsInput()) events |= POLLIN;
      if (!c->out.empty() && !c->waiting) events |= POLLOUT;
      // Nothing to wait for on this socket: leave it out, or a half-closed
      // peer's POLLHUP would spin the loop during a stall.
      fds.push_back({events ? c->fd : -1, events, 0});
    }
    int rc = poll(fds.data(), fds.size(), pollTimeoutMs());
    if (rc < 0 && errno != EINTR) throw ServerError(errnoText("poll"));
    if (stopping_) break;
    if (fds[0].revents) {
      char buf[64];
      while (read(wakeRead_, buf, sizeof buf) > 0) {
      }
    }
    for (std::size_t i = 0; i < listeners_.size(); ++i) {
      if (fds[1 + i].revents & POLLIN) accept(listeners_[i]);
    }
    auto now = Clock::now();
    std::size_t polled = fds.size() - 1 - listeners_.size();
    for (std::size_t i = 0; i < connections_.size(); ++i) {
      Connection& c = *connections_[i];
      short revents = i < polled ? fds[1 + listeners_.size() + i].revents : 0;
      if (c.waiting && now >= c.wakeAt) c.waiting = false;
      if (revents & (POLLIN | POLLHUP | POLLERR)) readInput(c);
      if (!c.closed) writeOutput(c);
    }
    std::erase_if(connections_, [](const auto& c) { return c->closed; });
  }
}

void Server::accept(int listener) {
  while (true) {
    int fd = accept4(listener, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
    if (fd < 0) return;
    int one = 1;
    setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    auto c = std::make_unique<Connection>(state_, fd, state_.nextConnection++);
    c->out.push_back(c->session.greeting());
    if (log_) *log_ << c->session.id() << " > " << firstLine(c->out.back().data) << std::endl;
    connections_.push_back(std::move(c));
  }
}

void Server::readInput(Connection& c) {
  char buf[64 * 1024];
  while (c.wantsInput()) {
    ssize_t n = recv(c.fd, buf, sizeof buf, 0);
    if (n > 0) {
      c.in.append(buf, static_cast<std::size_t>(n));
      handleLines(c);
      continue;
    }
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) return;
    if (n < 0) {
      closeConnection(c, false);
      return;
    }
    c.inputClosed = true;
  }
}

void Server::handleLines(Connection& c) {
  std::size_t start = 0;
  while (c.out.size() < kMaxQueuedReplies) {
    std::size_t lf = c.in.find('\n', start);
    if (lf == std::string::npos) {
      if (c.in.size() - start > kMaxLine) {
        c.out.push_back(lineReply("500 Line too long"));
        start = c.in.size();
      }
      break;
    }
    std::string_view line(c.in.data() + start, lf - start);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    if (log_ && line.size() < 1000) *log_ << c.session.id() << " < " << line << std::endl;
    std::size_t before = c.out.size();
    c.session.handleLine(line, c.out);
    if (log_ && c.out.size() > before) {
      *log_ << c.session.id() << " > " << firstLine(c.out.back().data) << std::endl;
    }
    start = lf + 1;
  }
  c.in.erase(0, start);
}

void Server::writeOutput(Connection& c) {
  while (!c.out.empty() && !c.waiting && !c.closed) {
    Reply& r = c.out.front();
    if (c.pos >= r.data.size()) {
      r.data.clear();
      c.pos = 0;
      if (r.produce && !c.produced) {
        c.produced = !r.produce(r.data);
        continue;
      }
      finishReply(c);
      continue;
    }
    std::size_t avail = r.data.size() - c.pos;
    const ReplyFaults& f = r.faults;
    if (f.resetAfter) {
      if (c.sent >= *f.resetAfter) {
        closeConnection(c, true);
        return;
      }
      avail = std::min<std::size_t>(avail, static_cast<std::size_t>(*f.resetAfter - c.sent));
    }
    if (f.stallAfter && !c.stallDone) {
      if (c.sent >= *f.stallAfter) {
        c.stallDone = true;
        c.waiting = true;
        c.wakeAt = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                      std::chrono::duration<double>(f.stallSeconds));
        return;
      }
      avail = std::min<std::size_t>(avail, static_cast<std::size_t>(*f.stallAfter - c.sent));
    }
    if (f.dripMs) avail = 1;
    ssize_t n = send(c.fd, r.data.data() + c.pos, avail, MSG_NOSIGNAL);
    if (n < 0) {
      if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) closeConnection(c, false);
      return;
    }
    c.pos += static_cast<std::size_t>(n);
    c.sent += n;
    if (f.dripMs) {
      c.waiting = true;
      c.wakeAt = Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                    std::chrono::duration<double, std::milli>(*f.dripMs));
      return;
    }
  }
  if (c.closed) return;
  if (c.out.size() < kMaxQueuedReplies && c.in.find('\n') != std::string::npos) {
    handleLines(c);
    if (!c.out.empty() && !c.waiting) writeOutput(c);
  } else if (c.inputClosed && c.out.empty()) {
    closeConnection(c, false);
  }
}

void Server::finishReply(Connection& c) {
  ReplyFaults f = c.out.front().faults;
  c.out.pop_front();
  c.pos = 0;
  c.sent = 0;
  c.produced = false;
  c.stallDone = false;
  // A reply shorter than the reset point still ends in a reset.
  if (f.resetAfter) {
    closeConnection(c, true);
  } else if (f.closeAfter) {
    shutdown(c.fd, SHUT_WR);
    closeConnection(c, false);
  }
}

void Server::closeConnection(Connection& c, bool reset) {
  if (c.closed) return;
  if (reset) {
    linger hard{1, 0};
    setsockopt(c.fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  }
  if (log_) *log_ << c.session.id() << (reset ? " reset" : " closed") << std::endl;
  close(c.fd);
  c.closed = true;
  c.out.clear();
}

ServerThread::ServerThread(std::unique_ptr<Server> server)
    : server_(std::move(server)), thread_([this] { server_->run(); }) {}

ServerThread::~ServerThread() {
  server_->stop();
  thread_.join();
}

}  // namespace orvel::fixture
