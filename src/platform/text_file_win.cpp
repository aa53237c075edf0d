// Files on Windows, through the wide-character file functions, so any file name the program
// holds in UTF-16 reaches the file system unchanged.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>

#include "platform/runtime_error.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "platform/wide_text.h"

namespace pindle::platform {

namespace {

// Owns a kernel file handle.
class FileHandle {
 public:
  explicit FileHandle(HANDLE handle) : handle_(handle) {}
  ~FileHandle() {
    if (valid()) ::CloseHandle(handle_);
  }
  FileHandle(const FileHandle&) = delete;
  FileHandle& operator=(const FileHandle&) = delete;

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  // Closes now and reports whether the close succeeded.
  bool Close() {
    const BOOL closed = ::CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed != FALSE;
  }

 private:
  HANDLE handle_;
};

// Owns the name of a temporary file: the file is deleted when the owner goes, unless Keep()
// says it has taken its final place.  Destroy any handle to the file first.
class TemporaryFileName {
 public:
  explicit TemporaryFileName(std::wstring name) : name_(std::move(name)) {}
  ~TemporaryFileName() {
    if (!name_.empty()) ::DeleteFileW(name_.c_str());
  }
  TemporaryFileName(const TemporaryFileName&) = delete;
  TemporaryFileName& operator=(const TemporaryFileName&) = delete;

  const wchar_t* c_str() const { return name_.c_str(); }
  void Keep() { name_.clear(); }

 private:
  std::wstring name_;
};

// Owns a buffer FormatMessageW allocated.
class LocalBuffer {
 public:
  LocalBuffer() = default;
  ~LocalBuffer() {
    if (text_) ::LocalFree(text_);
  }
  LocalBuffer(const LocalBuffer&) = delete;
  LocalBuffer& operator=(const LocalBuffer&) = delete;

  wchar_t** out() { return &text_; }
  const wchar_t* get() const { return text_; }

 private:
  wchar_t* text_ = nullptr;
};

// The system's own words for an error code, in the user's language.
std::u16string SystemMessage(DWORD error) {
  LocalBuffer buffer;
  const DWORD length = ::FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, error, 0, reinterpret_cast<wchar_t*>(buffer.out()), 0, nullptr);
  std::u16string text;
  if (length > 0 && buffer.get()) {
    text.assign(buffer.get(), buffer.get() + length);
  }
  while (!text.empty() && (text.back() == u'\r' || text.back() == u'\n' || text.back() == u' ')) {
    text.pop_back();
  }
  if (text.empty()) text = u"エラー " + DecimalText(static_cast<long long>(error));
  return text;
}

int ErrorNumber(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return err::kFileNotFound;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:  // ReplaceFileW: the file is in use
      return err::kPermissionDenied;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return err::kDiskFull;
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_IO_DEVICE:
      return err::kDeviceIo;
    default:
      return err::kPathFileAccess;
  }
}

// Throws error `number` with a text naming the file and, when given, the system's reason.
[[noreturn]] void FailWithNumber(int number, const std::u16string& what, const std::u16string& path,
                                 DWORD error = ERROR_SUCCESS) {
  std::u16string text = what + u" (" + path + u")";
  if (error != ERROR_SUCCESS) text += u": " + SystemMessage(error);
  throw RuntimeError(number, text);
}

[[noreturn]] void Fail(DWORD error, const std::u16string& what, const std::u16string& path) {
  FailWithNumber(ErrorNumber(error), what, path, error);
}

bool IsDirectory(const std::wstring& name) {
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Moves the finished temporary file to the file's name, replacing whatever is there.
bool MoveIntoPlace(const TemporaryFileName& temp, const std::wstring& name) {
  return ::MoveFileExW(temp.c_str(), name.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

}  // namespace

std::optional<std::string> ReadFileIfExists(const std::u16string& path) {
  const std::wstring name = Wide(path);
  FileHandle file(::CreateFileW(name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
    // A directory cannot be opened as a file; it shows up as access denied.
    if (IsDirectory(name)) {
      FailWithNumber(err::kPathFileAccess, u"ファイルではなくフォルダです", path);
    }
    Fail(error, u"ファイルを開けません", path);
  }
  std::string bytes;
  LARGE_INTEGER size{};
  if (::GetFileSizeEx(file.get(), &size) && size.QuadPart > 0) {
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
  }
  char buffer[65536];
  for (;;) {
    DWORD read = 0;
    if (!::ReadFile(file.get(), buffer, static_cast<DWORD>(sizeof buffer), &read, nullptr)) {
      Fail(::GetLastError(), u"ファイルを読めません", path);
    }
    if (read == 0) break;
    bytes.append(buffer, read);
  }
  return bytes;
}

void ReplaceFileContents(const std::u16string& path, std::string_view bytes) {
  const std::wstring name = Wide(path);
  const DWORD attributes = ::GetFileAttributesW(name.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    FailWithNumber(err::kPathFileAccess, u"ファイルではなくフォルダなので保存できません", path);
  }
  // A write-protected file stays protected, as it would against an in-place write.
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    Fail(ERROR_ACCESS_DENIED, u"ファイルが書き込み禁止です", path);
  }
  // ReplaceFileW needs to delete the old file; when another program holds it open without
  // allowing that, say so before anything is written.  (Wine's ReplaceFileW would also leave
  // a temporary file of its own behind in that case.)
  if (exists) {
    FileHandle probe(::CreateFileW(name.c_str(), DELETE,
                                   FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                   OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!probe.valid()) {
      const DWORD error = ::GetLastError();
      if (error != ERROR_FILE_NOT_FOUND) {
        Fail(error, u"ファイルが他のプログラムで使われています", path);
      }
    }
  }

  // The temporary file sits beside the file, so the final step is a rename on one volume.
  std::random_device random;
  std::wstring tempName;
  HANDLE raw = INVALID_HANDLE_VALUE;
  for (int attempt = 0; attempt < 16 && raw == INVALID_HANDLE_VALUE; ++attempt) {
    tempName = name + L".tmp" + std::to_wstring(random() % 1000000);
    raw = ::CreateFileW(tempName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                        FILE_ATTRIBUTE_NORMAL, nullptr);
    if (raw == INVALID_HANDLE_VALUE) {
      const DWORD error = ::GetLastError();
      if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
        Fail(error, u"保存用の一時ファイルを作れません", path);
      }
    }
  }
  if (raw == INVALID_HANDLE_VALUE) {
    Fail(ERROR_FILE_EXISTS, u"保存用の一時ファイルを作れません", path);
  }
  TemporaryFileName temp(std::move(tempName));  // declared first: deleted after the close
  FileHandle file(raw);

  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!::WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr)) {
      Fail(::GetLastError(), u"ファイルに書き込めません", path);
    }
    if (written == 0) Fail(ERROR_WRITE_FAULT, u"ファイルに書き込めません", path);
    done += written;
  }
  if (!::FlushFileBuffers(file.get())) Fail(::GetLastError(), u"ファイルに書き込めません", path);
  if (!file.Close()) Fail(::GetLastError(), u"ファイルに書き込めません", path);

  if (exists) {
    // The old file's attributes and security go to the new one where they can; a share that
    // cannot take them over does not stop the save.
    if (!::ReplaceFileW(name.c_str(), temp.c_str(), nullptr,
                        REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                        nullptr)) {
      const DWORD error = ::GetLastError();
      // The file went away since it was looked at, or ReplaceFileW removed it but could not
      // rename the new one: either way the new content only has to move into place.
      const bool onlyMoveLeft =
          error == ERROR_FILE_NOT_FOUND || error == ERROR_UNABLE_TO_MOVE_REPLACEMENT;
      if (!onlyMoveLeft || !MoveIntoPlace(temp, name)) {
        Fail(error, u"ファイルを置き換えられません", path);
      }
    }
  } else if (!MoveIntoPlace(temp, name)) {
    Fail(::GetLastError(), u"ファイルを置き換えられません", path);
  }
  temp.Keep();
}

}  // namespace pindle::platform
