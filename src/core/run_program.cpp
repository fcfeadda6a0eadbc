#include "core/run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/text.h"

extern char** environ;

namespace orvel {

namespace {

using Clock = std::chrono::steady_clock;

// Closes a descriptor once.
class Fd {
 public:
  explicit Fd(int fd = -1) : fd_(fd) {}
  ~Fd() { reset(); }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  void reset() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }

 private:
  int fd_;
};

// Reads until end of input or the deadline; false when the deadline came first.
bool drain(int fd, Clock::time_point deadline, std::string& output) {
  char buffer[4096];
  for (;;) {
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    if (left <= 0) return false;
    pollfd p{fd, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(left));
    if (ready < 0 && errno == EINTR) continue;
    if (ready == 0) return false;
    if (ready < 0) return true;  // nothing more can be read
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return true;
    const std::size_t room = kProgramOutputLimit - std::min(output.size(), kProgramOutputLimit);
    output.append(buffer, std::min(room, static_cast<std::size_t>(n)));
  }
}

void setStatus(ProgramResult& result, int status) {
  if (WIFEXITED(status)) {
    result.kind = ProgramResult::Kind::Exited;
    result.exitCode = WEXITSTATUS(status);
  } else {
    result.kind = ProgramResult::Kind::Signalled;
    result.exitCode = WIFSIGNALED(status) ? WTERMSIG(status) : -1;
  }
}

int waitFor(pid_t pid, int flags) {
  int status = 0;
  pid_t got;
  do {
    got = ::waitpid(pid, &status, flags);
  } while (got < 0 && errno == EINTR);
  return got == pid ? status : -1;
}

}  // namespace

ProgramResult RunProgram(const std::vector<std::string>& argv, std::chrono::milliseconds limit) {
  ProgramResult result;
  if (argv.empty()) {
    result.error = "no program given";
    return result;
  }
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) {
    result.error = std::strerror(errno);
    return result;
  }
  Fd readEnd(ends[0]);
  Fd writeEnd(ends[1]);

  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDERR_FILENO);
  posix_spawnattr_t attributes;
  posix_spawnattr_init(&attributes);
  posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETPGROUP);
  posix_spawnattr_setpgroup(&attributes, 0);

  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);
  pid_t pid = 0;
  const int spawned = ::posix_spawnp(&pid, args[0], &actions, &attributes, args.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attributes);
  writeEnd.reset();
  if (spawned != 0) {
    result.error = argv[0] + ": " + std::strerror(spawned);
    return result;
  }

  if (drain(readEnd.get(), Clock::now() + limit, result.output)) {
    setStatus(result, waitFor(pid, 0));
    return result;
  }
  // The pipe is still open: the program may have ended and left a child
  // holding it; its own status then stands.
  if (const int status = waitFor(pid, WNOHANG); status >= 0) {
    ::kill(-pid, SIGKILL);
    setStatus(result, status);
    return result;
  }
  ::kill(-pid, SIGKILL);
  waitFor(pid, 0);
  result.kind = ProgramResult::Kind::TimedOut;
  result.exitCode = -1;
  result.error = "no answer within " + std::to_string(limit.count()) + " ms";
  return result;
}

std::string DescribeProgramResult(const ProgramResult& result) {
  std::string text;
  switch (result.kind) {
    case ProgramResult::Kind::Exited:
      text = "exit status " + std::to_string(result.exitCode);
      break;
    case ProgramResult::Kind::Signalled:
      text = "killed by signal " + std::to_string(result.exitCode);
      break;
    case ProgramResult::Kind::NotStarted:
    case ProgramResult::Kind::TimedOut:
      text = result.error;
      break;
  }
  std::string output;
  for (const std::string& line : splitChar(result.output, '\n')) {
    const std::string_view shown = trimView(line);
    if (shown.empty()) continue;
    if (!output.empty()) output += " / ";
    output += shown;
  }
  if (!output.empty()) text += ": " + output;
  return text;
}

}  // namespace orvel
