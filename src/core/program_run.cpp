#include "core/program_run.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

namespace orvel {

namespace {

void setStatus(ProgramResult& result, int status) {
  if (WIFEXITED(status)) {
    result.kind = ProgramResult::Kind::Exited;
    result.exitCode = WEXITSTATUS(status);
  } else {
    result.kind = ProgramResult::Kind::Signalled;
    result.exitCode = WIFSIGNALED(status) ? WTERMSIG(status) : -1;
  }
}

}  // namespace

ProgramRun::ProgramRun(const std::vector<std::string>& argv) {
  if (argv.empty()) {
    result_.error = "no program given";
    return;
  }
  int ends[2];
  if (::pipe2(ends, O_CLOEXEC) != 0) {
    result_.error = std::strerror(errno);
    return;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_adddup2(&actions, ends[1], STDOUT_FILENO);
  posix_spawn_file_actions_adddup2(&actions, ends[1], STDERR_FILENO);
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
  ::close(ends[1]);
  if (spawned != 0) {
    ::close(ends[0]);
    result_.error = argv[0] + ": " + std::strerror(spawned);
    return;
  }
  pid_ = pid;
  output_ = ends[0];
  ::fcntl(output_, F_SETFL, ::fcntl(output_, F_GETFL) | O_NONBLOCK);
}

ProgramRun::~ProgramRun() {
  if (started() && result_.kind == ProgramResult::Kind::NotStarted) Kill();
  closeOutput();
}

bool ProgramRun::Poll(std::string& output, std::chrono::milliseconds wait) {
  if (!started()) return true;
  readAvailable(output, wait);
  // The program is done when its output has ended, or when it has exited
  // while a child it left still holds the pipe: that child goes with it.
  if (result_.kind == ProgramResult::Kind::NotStarted) reap(output_ < 0 ? 0 : WNOHANG);
  if (result_.kind == ProgramResult::Kind::NotStarted) return false;
  if (output_ >= 0) {
    readAvailable(output, std::chrono::milliseconds(0));
    ::kill(-pid_, SIGKILL);
    closeOutput();
  }
  return true;
}

void ProgramRun::readAvailable(std::string& output, std::chrono::milliseconds wait) {
  if (output_ < 0) return;
  pollfd p{output_, POLLIN, 0};
  if (::poll(&p, 1, static_cast<int>(wait.count())) <= 0) return;
  char buffer[8192];
  for (;;) {
    const ssize_t n = ::read(output_, buffer, sizeof buffer);
    if (n > 0) {
      output.append(buffer, static_cast<std::size_t>(n));
    } else if (n == 0 || errno != EINTR) {
      if (n == 0 || errno != EAGAIN) closeOutput();
      return;
    }
  }
}

void ProgramRun::Kill() {
  if (!started() || result_.kind != ProgramResult::Kind::NotStarted) return;
  ::kill(-pid_, SIGKILL);
  reap(0);
}

void ProgramRun::reap(int flags) {
  int status = 0;
  pid_t got;
  do {
    got = ::waitpid(pid_, &status, flags);
  } while (got < 0 && errno == EINTR);
  if (got == pid_) setStatus(result_, status);
}

void ProgramRun::closeOutput() {
  if (output_ >= 0) ::close(output_);
  output_ = -1;
}

}  // namespace orvel
