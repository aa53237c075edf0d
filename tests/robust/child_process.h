// A forked child of the test process, for what a test must not do to itself: be killed, or
// enter its own mount namespace.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <functional>

namespace pindle::testing {

class ChildProcess {
 public:
  // Starts step in a child; the child exits with what step returns.
  explicit ChildProcess(const std::function<int()>& step) : pid_(::fork()) {
    if (pid_ == 0) ::_exit(step());
  }
  ~ChildProcess() {
    if (pid_ > 0) {
      ::kill(pid_, SIGKILL);
      Wait();
    }
  }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  void Kill() const { ::kill(pid_, SIGKILL); }
  // Waits for the end: the exit code, or -signal when a signal ended it.
  int Wait() {
    int status = 0;
    while (::waitpid(pid_, &status, 0) < 0) {
      if (errno != EINTR) return pid_ = -1;
    }
    pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  }

 private:
  pid_t pid_;
};

}  // namespace pindle::testing
