// Files on Linux and other POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <random>

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
  // Closes now and reports the result (a close can report a failed write).
  int Close() {
    const int r = ::close(fd_);
    fd_ = -1;
    return r;
  }

 private:
  int fd_;
};

[[noreturn]] void Fail(int error, const std::u16string& what, const std::u16string& path) {
  int number = err::kPathFileAccess;
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
      break;
    case EIO:
      number = err::kDeviceIo;
      break;
    default:
      break;
  }
  throw RuntimeError(number, what + u" (" + path + u"): " + Utf8ToUtf16(std::strerror(error)));
}

std::u16string DirectoryOf(const std::u16string& path) {
  const auto slash = path.find_last_of(u'/');
  if (slash == std::u16string::npos) return u".";
  if (slash == 0) return u"/";
  return path.substr(0, slash);
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
  struct stat st {};
  if (::stat(name.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) {
    Fail(EISDIR, u"ファイルではなくフォルダなので保存できません", path);
  }
  const bool exists = ::stat(name.c_str(), &st) == 0;
  // A write-protected file stays protected, as it would against an in-place write.
  if (exists && ::access(name.c_str(), W_OK) != 0) Fail(errno, u"ファイルが書き込み禁止です", path);
  // The new file keeps the permissions of the file it replaces.
  const mode_t mode = exists ? (st.st_mode & 07777) : 0644;

  std::random_device rd;
  std::string temp;
  int raw = -1;
  for (int attempt = 0; attempt < 16 && raw < 0; ++attempt) {
    temp = name + ".tmp" + std::to_string(rd() % 1000000);
    raw = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, mode);
    if (raw < 0 && errno != EEXIST) Fail(errno, u"保存用の一時ファイルを作れません", path);
  }
  if (raw < 0) Fail(EEXIST, u"保存用の一時ファイルを作れません", path);
  Fd fd(raw);
  auto failAndRemove = [&](int error, const char16_t* what) {
    ::unlink(temp.c_str());
    Fail(error, what, path);
  };
  std::size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd.get(), bytes.data() + done, bytes.size() - done);
    if (n < 0) {
      if (errno == EINTR) continue;
      failAndRemove(errno, u"ファイルに書き込めません");
    }
    done += static_cast<std::size_t>(n);
  }
  if (::fsync(fd.get()) != 0) failAndRemove(errno, u"ファイルに書き込めません");
  if (fd.Close() != 0) failAndRemove(errno, u"ファイルに書き込めません");
  if (::rename(temp.c_str(), name.c_str()) != 0)
    failAndRemove(errno, u"ファイルを置き換えられません");
  // Make the rename itself durable.
  Fd dir(::open(Utf16ToUtf8(DirectoryOf(path)).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
}

}  // namespace pindle::platform
