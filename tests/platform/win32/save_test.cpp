// The save through stand-ins for its file calls that fail at each call with the errors Windows
// documents for it (32 sharing, 5 access denied, 33 lock violation, 1175 to 1177 ReplaceFileW's
// own), leaving behind what Windows documents.
#include <gtest/gtest.h>
#include <windows.h>

#include <cwchar>
#include <tuple>
#include <vector>

#include "error_of.h"
#include "platform/text_file_win.h"
#include "temp_dir.h"

namespace pindle::platform {
namespace {

enum Call { kAttrs, kCreate, kInPlace, kWrite, kFlush, kClose, kReplace, kMove, kRestore, kDelete };
using Failure = std::tuple<Call, DWORD, int>;  // the call fails with the error so many times

struct Fake {
  static inline std::vector<Failure> failures;
  static inline int sleeps = 0;
  static inline DWORD waited = 0;

  static bool Ok(Call call) {
    DWORD error = ERROR_SUCCESS;
    for (auto& [c, e, times] : failures) error = !error && c == call && times-- > 0 ? e : error;
    ::SetLastError(error);
    return !error;
  }
  template <Call call, auto real, int failed, class... A>
  static auto WINAPI Pass(A... a) {
    return Ok(call) ? real(a...) : decltype(real(a...))(failed);
  }
  static HANDLE WINAPI Create(LPCWSTR name, DWORD a, DWORD s, LPSECURITY_ATTRIBUTES p, DWORD d,
                              DWORD f, HANDLE t) {
    const bool fails = !Ok(std::wcsstr(name, L".tmp") ? kCreate : kInPlace);
    return fails ? INVALID_HANDLE_VALUE : ::CreateFileW(name, a, s, p, d, f, t);
  }
  static BOOL WINAPI Close(HANDLE h) { return ::CloseHandle(h) && Ok(kClose); }  // closed anyway
  static BOOL WINAPI Replace(LPCWSTR file, LPCWSTR temp, LPCWSTR backup, DWORD f, LPVOID, LPVOID) {
    if (Ok(kReplace)) return ::ReplaceFileW(file, temp, backup, f, nullptr, nullptr);
    const DWORD error = ::GetLastError();
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) ::MoveFileW(file, backup);  // moved aside
    if (error == ERROR_FILE_NOT_FOUND) ::DeleteFileW(file);  // removed by another program
    ::SetLastError(error);
    return FALSE;
  }
  static BOOL WINAPI Move(LPCWSTR from, LPCWSTR to, DWORD f) {
    return Ok(std::wcsstr(from, L".old") ? kRestore : kMove) && ::MoveFileExW(from, to, f);
  }
  static void WINAPI Sleep(DWORD ms) { ++sleeps, waited += ms; }
};

struct Row {
  std::vector<Failure> failures;
  std::tuple<int, std::string, std::size_t, int> outcome;  // error, memo.txt, files, waits
  bool existing = true;
};

TEST(SaveTest, EachFailureOfEachCallEndsWithTheOldTextOrTheNewOrSaysWhereTheyAre) {
  constexpr int kAll = 99, kGiveUp = 11;  // 20, 40, 80, 160 ms, then 250 ms up to 2 s
  const Row rows[] = {
      {{{kCreate, 32, 2}}, {0, "new", 1, 2}},
      {{{kCreate, 5, kAll}}, {err::kPermissionDenied, "old", 1, kGiveUp}},
      {{{kCreate, ERROR_FILE_EXISTS, 3}}, {0, "new", 1, 0}},
      {{{kWrite, ERROR_DISK_FULL, 1}}, {err::kDiskFull, "old", 1, 0}},
      {{{kWrite, ERROR_DISK_FULL, 1}, {kDelete, 32, 1}}, {err::kDiskFull, "old", 1, 1}},
      {{{kFlush, ERROR_WRITE_FAULT, 1}}, {err::kDeviceIo, "old", 1, 0}},
      {{{kClose, ERROR_IO_DEVICE, 1}}, {err::kDeviceIo, "old", 1, 0}},
      {{{kReplace, 32, 3}}, {0, "new", 1, 3}},
      {{{kReplace, 5, kAll}}, {err::kPermissionDenied, "old", 1, kGiveUp}},
      {{{kReplace, 33, 1}}, {0, "new", 1, 1}},
      {{{kReplace, 1175, kAll}}, {err::kPermissionDenied, "old", 1, kGiveUp}},
      {{{kReplace, 1176, 2}}, {0, "new", 1, 2}},
      {{{kReplace, 1176, kAll}}, {err::kPermissionDenied, "old", 1, kGiveUp}},
      {{{kReplace, ERROR_INVALID_PARAMETER, 1}}, {err::kPathFileAccess, "old", 1, 0}},
      {{{kReplace, 1177, 1}}, {0, "new", 1, 0}},
      {{{kReplace, ERROR_FILE_NOT_FOUND, 1}}, {0, "new", 1, 0}},
      {{{kReplace, 1177, 1}, {kMove, 5, 3}}, {0, "new", 1, 3}},
      {{{kReplace, 1177, 1}, {kMove, 32, kAll}}, {err::kPermissionDenied, "old", 1, kGiveUp}},
      // Both held: the new content is written under the file's own name.
      {{{kReplace, 1177, 1}, {kMove, 5, kAll}, {kRestore, 5, kAll}}, {0, "new", 1, kGiveUp}},
      {{{kReplace, ERROR_FILE_NOT_FOUND, 1}, {kMove, 32, kAll}}, {0, "new", 1, kGiveUp}},
      {{{kReplace, 1177, 1}, {kMove, 5, kAll}, {kRestore, 5, kAll}, {kInPlace, 5, 1}},
       {70, "", 2, kGiveUp}},
      {{{kMove, 32, 2}}, {0, "new", 1, 2}, false},
      {{{kDelete, 32, 2}}, {0, "new", 1, 2}},
      {{{kAttrs, 32, 1}}, {0, "new", 1, 0}},
  };
  using F = Fake;
  constexpr SaveCalls kCalls{F::Pass<kAttrs, ::GetFileAttributesW, -1>,
                             F::Create,
                             F::Pass<kWrite, ::WriteFile, 0>,
                             F::Pass<kFlush, ::FlushFileBuffers, 0>,
                             F::Close,
                             F::Replace,
                             F::Move,
                             F::Pass<kDelete, ::DeleteFileW, 0>,
                             F::Sleep};
  for (const Row& row : rows) {
    testing::TempDir dir;
    if (row.existing) dir.Write("memo.txt", "old");
    Fake::failures = row.failures, Fake::sleeps = 0, Fake::waited = 0;
    std::u16string text;
    const int number =
        testing::ErrorOf([&] { ReplaceFileContents(dir.U16("memo.txt"), "new", kCalls); }, &text);
    const auto i = &row - rows;
    EXPECT_EQ(std::tuple(number, dir.Read("memo.txt"), dir.Entries().size(), Fake::sleeps),
              row.outcome)
        << i;
    EXPECT_LE(Fake::waited, 2000u) << i;
    for (const std::string& name : number ? dir.Entries() : std::vector<std::string>{})
      EXPECT_NE(text.find(std::u16string(name.begin(), name.end())), std::u16string::npos) << i;
  }
}

}  // namespace
}  // namespace pindle::platform
