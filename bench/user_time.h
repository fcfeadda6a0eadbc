#pragma once
// User CPU time of the process, for benchmarks whose wall and process CPU
// times are dominated by the kernel zeroing fresh pages: a counter of the
// user time spent inside the timed parts alone.

#include <sys/resource.h>

namespace orvel::bench {

inline double UserSeconds() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec) / 1e6;
}

// Adds the user time from construction to destruction to total.
class UserTimer {
 public:
  explicit UserTimer(double& total) : total_(total), start_(UserSeconds()) {}
  ~UserTimer() { total_ += UserSeconds() - start_; }
  UserTimer(const UserTimer&) = delete;
  UserTimer& operator=(const UserTimer&) = delete;

 private:
  double& total_;
  double start_;
};

}  // namespace orvel::bench
