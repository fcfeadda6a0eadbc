#include "nntp_test_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace orvel::test {

NntpTestClient::NntpTestClient(int port, std::chrono::milliseconds timeout) {
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<std::uint16_t>(port));
  if (fd_ < 0 || connect(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a) < 0) {
    throw std::runtime_error("cannot connect to 127.0.0.1:" + std::to_string(port));
  }
  setTimeout(timeout);
}

NntpTestClient::~NntpTestClient() {
  if (fd_ >= 0) close(fd_);
}

void NntpTestClient::setTimeout(std::chrono::milliseconds timeout) {
  timeval tv{};
  tv.tv_sec = static_cast<time_t>(timeout.count() / 1000);
  tv.tv_usec = static_cast<suseconds_t>(timeout.count() % 1000 * 1000);
  setsockopt(fd_, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
}

void NntpTestClient::send(const std::string& line) { sendRaw(line + "\r\n"); }

void NntpTestClient::sendRaw(const std::string& bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n <= 0) return;
    done += static_cast<std::size_t>(n);
  }
}

bool NntpTestClient::fill() {
  if (end_ != End::Open) return false;
  char buf[256 * 1024];
  ssize_t n = recv(fd_, buf, sizeof buf, 0);
  if (n > 0) {
    buffer_.append(buf, static_cast<std::size_t>(n));
    return true;
  }
  if (n == 0) {
    end_ = End::Closed;
  } else if (errno == ECONNRESET) {
    end_ = End::Reset;
  } else if (errno == EAGAIN || errno == EWOULDBLOCK) {
    end_ = End::TimedOut;
  } else {
    end_ = End::Closed;
  }
  return false;
}

std::optional<std::string> NntpTestClient::readLine() {
  while (true) {
    std::size_t crlf = buffer_.find("\r\n");
    if (crlf != std::string::npos) {
      std::string line = buffer_.substr(0, crlf);
      buffer_.erase(0, crlf + 2);
      return line;
    }
    if (!fill()) return std::nullopt;
  }
}

std::string NntpTestClient::command(const std::string& line) {
  send(line);
  return readLine().value_or("");
}

std::vector<std::string> NntpTestClient::readBlock() {
  std::vector<std::string> lines;
  while (auto line = readLine()) {
    if (*line == ".") return lines;
    if (line->starts_with("..")) line->erase(0, 1);
    lines.push_back(*line);
  }
  return lines;
}

std::string NntpTestClient::readRawBlock() {
  std::size_t from = 0;
  while (true) {
    if (buffer_.starts_with(".\r\n")) {
      buffer_.erase(0, 3);
      return ".\r\n";
    }
    std::size_t end = buffer_.find("\r\n.\r\n", from);
    if (end != std::string::npos) {
      std::string block = buffer_.substr(0, end + 5);
      buffer_.erase(0, end + 5);
      return block;
    }
    from = buffer_.size() > 4 ? buffer_.size() - 4 : 0;
    if (!fill()) {
      std::string rest = std::move(buffer_);
      buffer_.clear();
      return rest;
    }
  }
}

std::string NntpTestClient::readAll() {
  while (fill()) {
  }
  std::string rest = std::move(buffer_);
  buffer_.clear();
  return rest;
}

std::string NntpTestClient::readSome(std::size_t max) {
  if (buffer_.empty()) fill();
  std::string out = buffer_.substr(0, max);
  buffer_.erase(0, out.size());
  return out;
}

}  // namespace orvel::test
