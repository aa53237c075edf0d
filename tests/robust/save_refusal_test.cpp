// Saves the file system refuses: the old file stays whole, the error names the file and the
// reason, and nothing is left beside it.  As root only; skipped otherwise.
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "platform/runtime_error.h"
#include "platform/text_file.h"
#include "temp_dir.h"

namespace pindle::platform {
namespace {

using testing::TempDir;

int SaveError(const TempDir& dir, const std::string& bytes) {
  try {
    ReplaceFileContents(dir.U16("memo.txt"), bytes);
    return 0;
  } catch (const RuntimeError& e) {
    const bool full = e.Description().find(u"ディスクの空きが足りません") != std::u16string::npos;
    const bool named = e.Description().find(u"memo.txt") != std::u16string::npos;
    return named && full == (e.Number() == err::kDiskFull) ? e.Number() : -1;
  }
}

// chattr +i (immutable) or +a (append-only) on memo.txt or its folder; an append-only folder
// lets a file in but never out again.
TEST(SaveRefusalTest, UnchangeableFileOrFolderKeepsTheOldFileAndLeavesNothingBehind) {
  if (::geteuid() != 0) GTEST_SKIP() << "file attributes (chattr) need root";
  for (const auto& [marked, flag, exists] : {std::tuple{"memo.txt", "i", true},
                                             {"memo.txt", "a", true},
                                             {".", "i", true},
                                             {".", "a", true},
                                             {".", "a", false}}) {
    SCOPED_TRACE(std::string("chattr +") + flag + " " + marked);
    TempDir dir;
    if (exists) dir.Write("memo.txt", "old\r\n");
    const std::string path = (dir.Path() / marked).string();
    if (std::system(("chattr +" + std::string(flag) + " " + path + " 2>/dev/null").c_str()) != 0) {
      GTEST_SKIP() << "this file system has no immutable or append-only files";
    }
    const int error = SaveError(dir, "new\r\n");
    const auto entries = dir.Entries();
    (void)std::system(("chattr -ia " + path).c_str());
    EXPECT_EQ(error, err::kPermissionDenied);
    EXPECT_EQ(entries, exists ? std::vector<std::string>{"memo.txt"} : std::vector<std::string>{});
    EXPECT_EQ(dir.Read("memo.txt"), exists ? "old\r\n" : "");
  }
}

// A 64 KiB file system over the folder, in a child's own mount namespace: a larger memo fails
// as a full disk and leaves the old one whole; one that fits is saved afterwards.
TEST(SaveRefusalTest, FullDiskKeepsTheOldFile) {
  TempDir dir;
  const int result =
      testing::ChildProcess([&] {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount("none", "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", dir.Path().c_str(), "tmpfs", 0, "size=64k") != 0) {
          return 100;
        }
        dir.Write("memo.txt", "old\r\n");
        const bool refused = SaveError(dir, std::string(256 * 1024, 'x')) == err::kDiskFull;
        const bool whole = dir.Read("memo.txt") == "old\r\n" && dir.Entries().size() == 1;
        const bool fits = SaveError(dir, "new\r\n") == 0 && dir.Read("memo.txt") == "new\r\n";
        return (refused ? 0 : 1) | (whole ? 0 : 2) | (fits ? 0 : 4);
      }).Wait();
  if (result == 100) GTEST_SKIP() << "a private mount namespace with a tmpfs needs root";
  EXPECT_EQ(result, 0) << "1: not a full disk, 2: old file not whole or a file left, 4: no save";
}

}  // namespace
}  // namespace pindle::platform
