// Files on Windows, through the wide-character file functions, so any file name the program
// holds in UTF-16 reaches the file system unchanged.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <algorithm>
#include <random>
#include <string>
#include <utility>

#include "platform/runtime_error.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "platform/text_file_win.h"
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
  // Closes now through close and reports whether the close succeeded.
  bool Close(BOOL(WINAPI* close)(HANDLE)) {
    const BOOL closed = close(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed != FALSE;
  }

 private:
  HANDLE handle_;
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
    case ERROR_UNABLE_TO_REMOVE_REPLACED:  // ReplaceFileW: the file or the new one is in use
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
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

// What another program that has a file open for a moment causes: a virus scanner, the search
// indexer or a synchronising client reading memo.txt or the new file just written beside it.
bool IsMomentary(DWORD error) {
  switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_ACCESS_DENIED:  // also a file whose deletion waits for another program's close
    case ERROR_LOCK_VIOLATION:
    case ERROR_UNABLE_TO_REMOVE_REPLACED:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT:
    case ERROR_UNABLE_TO_MOVE_REPLACEMENT_2:
      return true;
    default:
      return false;
  }
}

// The waits of one save between attempts at a step that such a moment refuses: 20 ms, then
// each twice the last up to 250 ms, two seconds in all.
class Patience {
 public:
  explicit Patience(void(WINAPI* sleep)(DWORD)) : sleep_(sleep) {}

  // Waits and says to try again while error is a moment's and time is left.
  bool Again(DWORD error) {
    if (!IsMomentary(error) || waited_ >= kTotal) return false;
    const DWORD wait = std::min(next_, kTotal - waited_);
    sleep_(wait);
    waited_ += wait;
    next_ = std::min<DWORD>(2 * next_, 250);
    return true;
  }

 private:
  static constexpr DWORD kTotal = 2000;
  void(WINAPI* sleep_)(DWORD);
  DWORD waited_ = 0;
  DWORD next_ = 20;
};

DWORD ErrorUnless(BOOL succeeded) {
  return succeeded ? ERROR_SUCCESS : ::GetLastError();
}

// Runs step (returning its error) until it succeeds or patience ends; the last error.
template <class Step>
DWORD Persist(Patience& patience, Step step) {
  DWORD error = step();
  while (error != ERROR_SUCCESS && patience.Again(error)) error = step();
  return error;
}

// The new file written beside the file and the name the old one may be moved aside to.  Both
// are removed when the owner goes, unless Keep() says the file's content now lives there.
class SaveFiles {
 public:
  SaveFiles(const SaveCalls& calls, Patience& patience, std::wstring temp, std::wstring backup)
      : calls_(calls), patience_(patience), temp_(std::move(temp)), backup_(std::move(backup)) {}
  ~SaveFiles() {
    if (kept_) return;
    if (!placed_) Remove(temp_);
    Remove(backup_);
  }
  SaveFiles(const SaveFiles&) = delete;
  SaveFiles& operator=(const SaveFiles&) = delete;

  const std::wstring& temp() const { return temp_; }
  const std::wstring& backup() const { return backup_; }
  bool Exists(const std::wstring& name) const {
    return calls_.getFileAttributes(name.c_str()) != INVALID_FILE_ATTRIBUTES;
  }
  // The new file has taken the file's place.
  void Placed() { placed_ = true; }
  void Keep() { kept_ = true; }

 private:
  void Remove(const std::wstring& name) {
    Persist(patience_, [&] {
      const DWORD error = ErrorUnless(calls_.deleteFile(name.c_str()));
      return error == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : error;
    });
  }

  const SaveCalls& calls_;
  Patience& patience_;
  std::wstring temp_, backup_;
  bool placed_ = false, kept_ = false;
};

// Writes the bytes to the open file and flushes them to disk; the error, or ERROR_SUCCESS.
DWORD WriteWhole(const SaveCalls& calls, HANDLE file, std::string_view bytes) {
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 30));
    DWORD written = 0;
    if (!calls.writeFile(file, bytes.data() + done, chunk, &written, nullptr)) {
      return ::GetLastError();
    }
    if (written == 0) return ERROR_WRITE_FAULT;
    done += written;
  }
  return calls.flushFileBuffers(file) ? ERROR_SUCCESS : ::GetLastError();
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
  ReplaceFileContents(path, bytes, SaveCalls{});
}

void ReplaceFileContents(const std::u16string& path, std::string_view bytes,
                         const SaveCalls& calls) {
  const std::wstring name = Wide(path);
  const DWORD attributes = calls.getFileAttributes(name.c_str());
  const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
  if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
    FailWithNumber(err::kPathFileAccess, u"ファイルではなくフォルダなので保存できません", path);
  }
  // A write-protected file stays protected, as it would against an in-place write.
  if (exists && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
    Fail(ERROR_ACCESS_DENIED, u"ファイルが書き込み禁止です", path);
  }
  Patience patience(calls.sleep);

  // The new file sits beside the file, so the final step is a rename on one volume.
  std::random_device random;
  std::wstring suffix, temp;
  HANDLE raw = INVALID_HANDLE_VALUE;
  for (int taken = 0; raw == INVALID_HANDLE_VALUE;) {
    suffix = std::to_wstring(random() % 1000000);
    temp = name + L".tmp" + suffix;
    raw = calls.createFile(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    const DWORD error = raw == INVALID_HANDLE_VALUE ? ::GetLastError() : ERROR_SUCCESS;
    const bool nameTaken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
    if (error != ERROR_SUCCESS && !(nameTaken && ++taken < 16) && !patience.Again(error)) {
      Fail(error, u"保存用の一時ファイルを作れません", path);
    }
  }
  // Declared first: removed after the close.
  SaveFiles files(calls, patience, std::move(temp), name + L".old" + suffix);
  FileHandle file(raw);

  if (const DWORD written = WriteWhole(calls, file.get(), bytes); written != ERROR_SUCCESS) {
    Fail(written, u"ファイルに書き込めません", path);
  }
  if (!file.Close(calls.closeHandle)) Fail(::GetLastError(), u"ファイルに書き込めません", path);

  // The old file's attributes and security go to the new one where they can; a share that
  // cannot take them over does not stop the save.  With a backup name, every failure leaves
  // the old file under its name or under the backup name, never only under a name of Windows'
  // choosing.
  while (exists) {
    if (calls.replaceFile(name.c_str(), files.temp().c_str(), files.backup().c_str(),
                          REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                          nullptr)) {
      files.Placed();
      return;
    }
    const DWORD error = ::GetLastError();
    // Moved aside to the backup name, or removed by another program: the new content only
    // has to move into place.
    if (!files.Exists(name)) break;
    if (!patience.Again(error)) Fail(error, u"ファイルを置き換えられません", path);
  }
  const DWORD error = Persist(patience, [&] {
    return ErrorUnless(calls.moveFile(files.temp().c_str(), name.c_str(),
                                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH));
  });
  if (error == ERROR_SUCCESS) {
    files.Placed();
    return;
  }
  // The new content cannot take the place: the old one goes back, or else both stay where
  // they are, and the message says where.
  const auto restore = [&] {
    return ErrorUnless(
        calls.moveFile(files.backup().c_str(), name.c_str(), MOVEFILE_WRITE_THROUGH));
  };
  if (files.Exists(name) ||
      (files.Exists(files.backup()) && Persist(patience, restore) == ERROR_SUCCESS)) {
    Fail(error, u"ファイルを置き換えられません", path);
  }
  // Both files stay held where they are, but the file's own name is free: the new content is
  // written there itself, so that memo.txt is not missing.  A write cut short is taken back.
  if (HANDLE inPlace = calls.createFile(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
      inPlace != INVALID_HANDLE_VALUE) {
    FileHandle direct(inPlace);
    if (WriteWhole(calls, direct.get(), bytes) == ERROR_SUCCESS &&
        direct.Close(calls.closeHandle)) {
      return;  // the new file and the old one are removed as the save ends
    }
    if (direct.valid()) direct.Close(calls.closeHandle);  // not closed twice
    calls.deleteFile(name.c_str());
  }
  files.Keep();
  std::u16string where = u"ファイルを置き換えられません。新しい内容は " + Narrow(files.temp());
  if (files.Exists(files.backup())) where += u"、元の内容は " + Narrow(files.backup());
  Fail(error, where + u" にあります", path);
}

}  // namespace pindle::platform
