#pragma once
// The fixture news server as a child process on a free loopback port, and a
// one-shot control connection for its XFAULT and XRANGE commands.

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace orvel::test {

inline const std::string& fixtureServerPath() {
  static const std::string path =
      std::string(ORVEL_BINARY_DIR) + "/tools/fixture_server/orvel-fixture-server";
  return path;
}

class FixtureProcess {
 public:
  explicit FixtureProcess(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), {fixtureServerPath(), "--port", "0"});
    int out[2];
    if (::pipe(out) != 0) return;
    pid_ = ::fork();
    if (pid_ == 0) {
      ::dup2(out[1], STDOUT_FILENO);
      ::close(out[0]);
      ::close(out[1]);
      std::vector<char*> argv;
      for (auto& a : arguments) argv.push_back(a.data());
      argv.push_back(nullptr);
      ::execv(argv[0], argv.data());
      ::_exit(127);
    }
    ::close(out[1]);
    if (std::FILE* f = ::fdopen(out[0], "r")) {
      if (std::fscanf(f, "PORT %d", &port_) != 1) port_ = 0;
      std::fclose(f);
    }
  }
  ~FixtureProcess() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    ::waitpid(pid_, nullptr, 0);
  }
  FixtureProcess(const FixtureProcess&) = delete;
  FixtureProcess& operator=(const FixtureProcess&) = delete;

  int port() const { return port_; }

  // Sends one control command on a connection of its own; the reply line.
  std::string control(const std::string& command) const {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<std::uint16_t>(port_));
    std::string reply;
    if (::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0) {
      readLine(fd);
      const std::string line = command + "\r\n";
      if (::send(fd, line.data(), line.size(), 0) == static_cast<ssize_t>(line.size())) {
        reply = readLine(fd);
      }
    }
    ::close(fd);
    return reply;
  }

 private:
  static std::string readLine(int fd) {
    std::string line;
    char c = 0;
    while (::recv(fd, &c, 1, 0) == 1 && c != '\n') {
      if (c != '\r') line += c;
    }
    return line;
  }

  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace orvel::test
