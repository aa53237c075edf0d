// Saves the file system refuses: the old file stays whole, the error says why, and nothing is
// left beside it.  Needs root (file attributes, a private mount namespace); skipped otherwise.
#include <fcntl.h>
#include <linux/fs.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/runtime_error.h"
#include "platform/text_file.h"
#include "robust/child_process.h"
#include "temp_dir.h"

namespace pindle::platform {
namespace {

using testing::ChildProcess;
using testing::TempDir;

// Sets a file attribute flag (chattr) for the owner's lifetime.
class AttributeFlag {
 public:
  AttributeFlag(const std::filesystem::path& path, int flag)
      : fd_(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC)) {
    int flags = 0;
    set_ = fd_ >= 0 && ::ioctl(fd_, FS_IOC_GETFLAGS, &flags) == 0 &&
           (flags |= flag, ::ioctl(fd_, FS_IOC_SETFLAGS, &flags) == 0);
    flags_ = flags & ~flag;
  }
  ~AttributeFlag() {
    if (set_) ::ioctl(fd_, FS_IOC_SETFLAGS, &flags_);
    if (fd_ >= 0) ::close(fd_);
  }
  AttributeFlag(const AttributeFlag&) = delete;
  AttributeFlag& operator=(const AttributeFlag&) = delete;
  bool set() const { return set_; }

 private:
  int fd_;
  int flags_ = 0;
  bool set_ = false;
};

int SaveErrorNumber(const TempDir& dir, const std::string& bytes) {
  try {
    ReplaceFileContents(dir.U16("memo.txt"), bytes);
    return 0;
  } catch (const RuntimeError& e) {
    const bool named = e.Description().find(u"memo.txt") != std::u16string::npos;
    const bool full = e.Description().find(u"ディスクの空きが足りません") != std::u16string::npos;
    return named && full == (e.Number() == err::kDiskFull) ? e.Number() : -1;
  }
}

TEST(SaveRefusalTest, UnchangeableFileOrFolderKeepsTheOldFileAndLeavesNothingBehind) {
  if (::geteuid() != 0) GTEST_SKIP() << "file attributes (chattr) need root";
  struct Case {
    const char* marked;  // memo.txt or the folder
    int flag;
    bool memoExists;
  };
  for (const Case c : {Case{"memo.txt", FS_IMMUTABLE_FL, true},
                       {"memo.txt", FS_APPEND_FL, true},
                       {".", FS_IMMUTABLE_FL, true},
                       {".", FS_APPEND_FL, true},
                       {".", FS_APPEND_FL, false}}) {
    SCOPED_TRACE(std::string(c.marked) + " flag " + std::to_string(c.flag));
    TempDir dir;
    if (c.memoExists) dir.Write("memo.txt", "old\r\n");
    const AttributeFlag flag(dir.Path() / c.marked, c.flag);
    if (!flag.set()) GTEST_SKIP() << "this file system has no immutable/append-only flags";
    EXPECT_EQ(SaveErrorNumber(dir, "new\r\n"), err::kPermissionDenied);
    EXPECT_EQ(dir.Entries(),
              c.memoExists ? std::vector<std::string>{"memo.txt"} : std::vector<std::string>{});
    EXPECT_EQ(dir.Read("memo.txt"), c.memoExists ? "old\r\n" : "");
  }
}

// In a child with its own mount namespace, a 64 KiB file system is mounted over the folder:
// a memo too large for it fails with "disk full", the old file stays whole and nothing else
// stays; a memo that fits is saved afterwards.
TEST(SaveRefusalTest, FullDiskKeepsTheOldFile) {
  TempDir dir;
  const std::string big(256 * 1024, 'x');
  const int result =
      ChildProcess([&] {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) ||
            ::mount("tmpfs", dir.Path().c_str(), "tmpfs", 0, "size=64k") != 0) {
          return 100;
        }
        dir.Write("memo.txt", "old\r\n");
        const bool refused = SaveErrorNumber(dir, big) == err::kDiskFull;
        const bool whole = dir.Read("memo.txt") == "old\r\n" && dir.Entries().size() == 1;
        const bool fits = SaveErrorNumber(dir, "new\r\n") == 0 && dir.Read("memo.txt") == "new\r\n";
        return (refused ? 0 : 1) | (whole ? 0 : 2) | (fits ? 0 : 4);
      }).Wait();
  if (result == 100) GTEST_SKIP() << "a private mount namespace with a tmpfs needs root";
  EXPECT_EQ(result, 0) << "1: not refused as disk full, 2: old file not whole or a file left "
                          "behind, 4: a save that fits failed";
}

}  // namespace
}  // namespace pindle::platform
