// Files on Linux and other POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>
#include <utility>

#if defined(__linux__)
#include <linux/fs.h>
#include <sys/ioctl.h>
#endif

#include "platform/runtime_error.h"
#include "platform/text.h"
#include "platform/text_file.h"

namespace pindle::platform {

namespace {

class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }

 private:
  int fd_;
};

[[noreturn]] void Fail(int error, const std::u16string& what, const std::u16string& path) {
  int number = err::kPathFileAccess;
  std::u16string reason;  // in the user's words where the system's are English
  switch (error) {
    case ENOENT:
      number = err::kFileNotFound;
      break;
    case EACCES:
    case EPERM:
    case EROFS:
      number = err::kPermissionDenied;
      break;
    case ENOSPC:
    case EDQUOT:
      number = err::kDiskFull;
      reason = u"ディスクの空きが足りません。";
      break;
    case EIO:
      number = err::kDeviceIo;
      break;
    default:
      break;
  }
  throw RuntimeError(number,
                     what + u" (" + path + u"): " + reason + Utf8ToUtf16(std::strerror(error)));
}

std::u16string DirectoryOf(const std::u16string& path) {
  const auto slash = path.find_last_of(u'/');
  if (slash == std::u16string::npos) return u".";
  if (slash == 0) return u"/";
  return path.substr(0, slash);
}

// The name a save gives its new file just before the file takes memo.txt's place.
constexpr std::string_view kSaveSuffix = ".pindle-save";

// Owns the name of a temporary file: removes the file when the owner goes, unless the name was
// given up (Own({})) because the file has taken its final place.
class TemporaryName {
 public:
  TemporaryName() = default;
  ~TemporaryName() {
    if (!name_.empty()) ::unlink(name_.c_str());
  }
  TemporaryName(const TemporaryName&) = delete;
  TemporaryName& operator=(const TemporaryName&) = delete;
  void Own(std::string name) { name_ = std::move(name); }
  bool Owned() const { return !name_.empty(); }

 private:
  std::string name_;
};

// A new file without a name in the directory, or -1 with errno set.
int OpenUnnamed(const std::string& directory) {
#if defined(O_TMPFILE)
  return ::open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, 0600);
#else
  (void)directory;
  errno = EOPNOTSUPP;
  return -1;
#endif
}

// Gives the unnamed file open as fd the name `name`: directly where the process may, else
// through its /proc entry.
bool LinkUnnamed(int fd, const std::string& name) {
#if defined(AT_EMPTY_PATH)
  if (::linkat(fd, "", AT_FDCWD, name.c_str(), AT_EMPTY_PATH) == 0) return true;
#endif
  const std::string self = "/proc/self/fd/" + std::to_string(fd);
  return ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0;
}

// True when the file system marks the open file or directory immutable or append-only: then a
// directory lets a file in but never out again, and a file cannot be replaced.
bool RefusesReplacement(int fd) {
#if defined(__linux__)
  int flags = 0;
  if (::ioctl(fd, FS_IOC_GETFLAGS, &flags) != 0) return false;  // no such flags here
  return (flags & (FS_IMMUTABLE_FL | FS_APPEND_FL)) != 0;
#else
  (void)fd;
  return false;
#endif
}

bool RefusesReplacement(const std::string& name) {
  Fd fd(::open(name.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC));
  return fd.get() >= 0 && RefusesReplacement(fd.get());
}

}  // namespace

std::optional<std::string> ReadFileIfExists(const std::u16string& path) {
  const std::string name = Utf16ToUtf8(path);
  Fd fd(::open(name.c_str(), O_RDONLY | O_CLOEXEC));
  if (fd.get() < 0) {
    if (errno == ENOENT) return std::nullopt;
    Fail(errno, u"ファイルを開けません", path);
  }
  struct stat st {};
  if (::fstat(fd.get(), &st) != 0) Fail(errno, u"ファイルを読めません", path);
  if (S_ISDIR(st.st_mode)) Fail(EISDIR, u"ファイルではなくフォルダです", path);
  std::string bytes;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd.get(), buf, sizeof buf);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno, u"ファイルを読めません", path);
    }
    if (n == 0) break;
    bytes.append(buf, static_cast<std::size_t>(n));
  }
  return bytes;
}

void ReplaceFileContents(const std::u16string& path, std::string_view bytes) {
  const std::string name = Utf16ToUtf8(path);
  const std::string directory = Utf16ToUtf8(DirectoryOf(path));
  struct stat st {};
  const bool exists = ::stat(name.c_str(), &st) == 0;
  if (exists && S_ISDIR(st.st_mode)) {
    Fail(EISDIR, u"ファイルではなくフォルダなので保存できません", path);
  }
  // A write-protected file stays protected, as it would against an in-place write.
  if (exists && ::access(name.c_str(), W_OK) != 0) Fail(errno, u"ファイルが書き込み禁止です", path);
  Fd dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() < 0) Fail(errno, u"保存先のフォルダを開けません", path);
  // Where the file system says the file cannot be replaced, say so before anything is written.
  if (RefusesReplacement(dir.get()) || (exists && RefusesReplacement(name))) {
    Fail(EPERM, u"ファイルを置き換えられません (変更禁止の属性があります)", path);
  }
  // The new file keeps the permissions and, where allowed, the owner of the file it replaces.
  const mode_t mode = exists ? (st.st_mode & 07777) : 0644;

  const std::string tempName = name + std::string(kSaveSuffix);
  ::unlink(tempName.c_str());  // left by a save that was cut off between its last two steps
  // The new bytes go to a file without a name, so a save that is cut off leaves nothing behind;
  // it gets its temporary name only when it is complete.  File systems without unnamed files
  // get the temporary name at once.
  TemporaryName temp;
  int raw = OpenUnnamed(directory);
  if (raw < 0) {
    if (errno != EOPNOTSUPP && errno != EISDIR && errno != EINVAL) {
      Fail(errno, u"保存用の一時ファイルを作れません", path);
    }
    raw = ::open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (raw < 0) Fail(errno, u"保存用の一時ファイルを作れません", path);
    temp.Own(tempName);
  }
  Fd fd(raw);
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      Fail(errno, u"ファイルに書き込めません", path);
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fchmod(fd.get(), mode) != 0) Fail(errno, u"ファイルに書き込めません", path);
  if (exists && ::geteuid() == 0) (void)!::fchown(fd.get(), st.st_uid, st.st_gid);
  if (::fsync(fd.get()) != 0) Fail(errno, u"ファイルに書き込めません", path);
  if (!temp.Owned()) {
    if (!LinkUnnamed(fd.get(), tempName)) Fail(errno, u"保存用の一時ファイルを作れません", path);
    temp.Own(tempName);
  }
  // The file is on disk; its handle closes after the rename, which follows its naming at once.
  if (::rename(tempName.c_str(), name.c_str()) != 0) {
    Fail(errno, u"ファイルを置き換えられません", path);
  }
  temp.Own({});
  // Make the rename itself durable.
  ::fsync(dir.get());
}

}  // namespace pindle::platform
