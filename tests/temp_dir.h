// Scratch directories for file tests, and (POSIX) child processes for what a test must not do
// to itself: be killed, give up root's privileges, enter a mount namespace of its own.
#pragma once

#if !defined(_WIN32)
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <string>
#include <system_error>
#include <vector>

#include "platform/text.h"

namespace pindle::testing {

// A new, empty directory under the system's temporary directory, removed with its contents.
class TempDir {
 public:
  TempDir() {
    std::random_device random;
    do {
      path_ = std::filesystem::temp_directory_path() / ("pindle-" + std::to_string(random()));
    } while (!std::filesystem::create_directory(path_));
    std::filesystem::permissions(path_, std::filesystem::perms(0755));
  }
  ~TempDir() {  // write access back wherever a test took it away, then all goes
    std::error_code ec;
    const auto add = std::filesystem::perm_options::add;
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all, add, ec);
    for (auto& e : std::filesystem::recursive_directory_iterator(path_, ec))
      std::filesystem::permissions(e.path(), std::filesystem::perms::owner_all, add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  // Paths as the program's file functions take them (on Windows not through the ANSI code page).
  std::u16string U16(const std::string& name = {}) const {
    const auto path = name.empty() ? path_ : path_ / name;
#if defined(_WIN32)
    return path.u16string();
#else
    return platform::Utf8ToUtf16(path.string());
#endif
  }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::vector<std::string> Entries() const {  // the names of everything in it, sorted
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_))
      names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  std::filesystem::path path_;
};

#if !defined(_WIN32)
// A forked child running step; the owner waits for it.
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
#endif

// Runs step where file protections hold and returns its result: on POSIX as user "nobody" in a
// child when the tests run as root, who passes every permission check.
inline int Guarded(const std::function<int()>& step) {
#if defined(_WIN32)
  return step();
#else
  return ChildProcess([&] {
           const bool dropped = ::geteuid() != 0 || (::setgid(65534) == 0 && ::setuid(65534) == 0);
           return dropped ? step() : 99;
         })
      .Wait();
#endif
}

}  // namespace pindle::testing
