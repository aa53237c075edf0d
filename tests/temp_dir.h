// Scratch directories for file tests, and a way to run a step without root's privileges
// (root passes every permission check, so a read-only directory needs an ordinary user).
#pragma once

#if !defined(_WIN32)
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "platform/text.h"

namespace pindle::testing {

// A new, empty directory under the system's temporary directory.
inline std::filesystem::path MakeTempDirectory() {
#if defined(_WIN32)
  // No mkdtemp: a random name, created only when nothing of that name exists yet.
  std::random_device random;
  const auto base = std::filesystem::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    const auto candidate = base / ("pindle-" + std::to_string(random() % 100000000));
    std::error_code ec;
    if (std::filesystem::create_directory(candidate, ec)) return candidate;
  }
  throw std::runtime_error("cannot create a temporary directory");
#else
  std::string pattern = (std::filesystem::temp_directory_path() / "pindle-XXXXXX").string();
  if (!::mkdtemp(pattern.data())) throw std::runtime_error("mkdtemp failed");
  return pattern;
#endif
}

class TempDir {
 public:
  TempDir() : path_(MakeTempDirectory()) {
    std::filesystem::permissions(path_, std::filesystem::perms(0755));
  }
  ~TempDir() {
    std::error_code ec;
    for (auto& entry : std::filesystem::recursive_directory_iterator(path_, ec)) {
      std::filesystem::permissions(entry.path(), std::filesystem::perms::owner_all,
                                   std::filesystem::perm_options::add, ec);
    }
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(path_, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::u16string U16() const { return ProgramText(path_); }
  std::u16string U16(const std::string& name) const { return ProgramText(path_ / name); }
  void Write(const std::string& name, const std::string& bytes) const {
    std::ofstream(path_ / name, std::ios::binary) << bytes;
  }
  std::string Read(const std::string& name) const {
    std::ifstream in(path_ / name, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  // Names of everything in the directory.
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(path_)) {
      names.push_back(e.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
  }

 private:
  // A path as the program's file functions take it.
  static std::u16string ProgramText(const std::filesystem::path& path) {
#if defined(_WIN32)
    return path.u16string();  // string() would go through the ANSI code page
#else
    return platform::Utf8ToUtf16(path.string());
#endif
  }

  std::filesystem::path path_;
};

#if !defined(_WIN32)
// Runs step in a child process as user "nobody" when the tests run as root; returns the exit
// code the step returned (or -1 when the child did not exit normally).  POSIX only: the tests
// that need it are left out of the Windows build (tests/CMakeLists.txt).
inline int RunUnprivileged(const std::function<int()>& step) {
  const pid_t pid = ::fork();
  if (pid == 0) {
    if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(99);
    ::_exit(step());
  }
  int status = 0;
  ::waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}
#endif

}  // namespace pindle::testing
