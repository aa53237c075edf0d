// A forked child of the test process, for what a test must not do to itself: be killed, or
// enter a mount namespace of its own.  The owner kills it (SIGKILL) and waits for it.
#pragma once

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>

namespace pindle::testing {

class ChildProcess {
 public:
  explicit ChildProcess(const std::function<int()>& step) : pid_(::fork()) {
    if (pid_ == 0) ::_exit(step());
  }
  ~ChildProcess() { Wait(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  void Kill() const { ::kill(pid_, SIGKILL); }
  // The exit code, or -signal when a signal ended the child.
  int Wait() {
    int status = 0;
    if (pid_ > 0 && ::waitpid(pid_, &status, 0) == pid_) pid_ = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -WTERMSIG(status);
  }

 private:
  pid_t pid_;
};

}  // namespace pindle::testing
