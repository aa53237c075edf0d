// Files through the Windows file functions: whole-file reads, and the one-step replacement by
// ReplaceFileW (or MoveFileExW for a new file) with what it must refuse.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "memo/dialog_data_list.h"
#include "platform/headless/headless_backend.h"
#include "platform/runtime_error.h"
#include "platform/text.h"
#include "platform/text_file.h"
#include "temp_dir.h"
#include "win32_process.h"

namespace pindle::platform {
namespace {

using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::TempDir;

// Owns a handle to a file held open by "another program".
class OpenFile {
 public:
  OpenFile(const std::filesystem::path& file, DWORD access, DWORD share)
      : handle_(::CreateFileW(file.c_str(), access, share, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr)) {}
  ~OpenFile() {
    if (valid()) ::CloseHandle(handle_);
  }
  OpenFile(const OpenFile&) = delete;
  OpenFile& operator=(const OpenFile&) = delete;

  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

// The error number a call throws, or 0 when it returns.
template <class Fn>
int ErrorNumberOf(Fn&& fn) {
  try {
    fn();
  } catch (const RuntimeError& e) {
    return e.Number();
  }
  return 0;
}

std::string ReadAll(const std::filesystem::path& file) {
  std::ifstream in(file, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool IsReadOnly(const std::filesystem::path& file) {
  const DWORD attributes = ::GetFileAttributesW(file.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

// ---- reading ----

TEST(WindowsReadFileTest, GivesTheBytesExactly) {
  TempDir dir;
  // Code page 932, CR LF, a NUL and the old end-of-file mark: nothing is interpreted.
  const std::string bytes("\x93\xE0\x90\xFC\r\n\0\x1A\x65nd", 11);
  dir.Write("m.txt", bytes);
  EXPECT_EQ(ReadFileIfExists(dir.U16("m.txt")), bytes);
  dir.Write("empty.txt", "");
  EXPECT_EQ(ReadFileIfExists(dir.U16("empty.txt")), std::string());
}

TEST(WindowsReadFileTest, AMissingFileOrFolderIsNoFile) {
  TempDir dir;
  EXPECT_EQ(ReadFileIfExists(dir.U16("memo.txt")), std::nullopt);
  EXPECT_EQ(ReadFileIfExists(dir.U16("no folder\\memo.txt")), std::nullopt);
}

TEST(WindowsReadFileTest, AFolderIsAnError) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path() / "memo.txt");
  EXPECT_EQ(ErrorNumberOf([&] { ReadFileIfExists(dir.U16("memo.txt")); }), err::kPathFileAccess);
}

TEST(WindowsReadFileTest, AFileLockedByAnotherProgramIsPermissionDenied) {
  TempDir dir;
  dir.Write("memo.txt", "x");
  const OpenFile locked(dir.Path() / "memo.txt", GENERIC_READ | GENERIC_WRITE, 0);
  ASSERT_TRUE(locked.valid());
  try {
    ReadFileIfExists(dir.U16("memo.txt"));
    ADD_FAILURE() << "read a file another program holds without sharing";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), err::kPermissionDenied);
    EXPECT_NE(e.Description().find(u"memo.txt"), std::u16string::npos) << "names the file";
  }
}

TEST(WindowsReadFileTest, FileNamesOutsideTheAnsiCodePageWork) {
  TempDir dir;
  // Japanese, and a character no ANSI code page holds: only the wide functions reach it.
  const std::u16string name = u"登録メモ \U0001F4DD.txt";
  {
    std::ofstream out(dir.Path() / std::filesystem::path(name), std::ios::binary);
    out << "wide";
  }
  EXPECT_EQ(ReadFileIfExists(dir.U16() + u"\\" + name), "wide");
}

// ---- replacing ----

TEST(WindowsReplaceFileTest, CreatesReplacesAndLeavesNoTemporaryFile) {
  TempDir dir;
  ReplaceFileContents(dir.U16("memo.txt"), "first\r\n");
  EXPECT_EQ(dir.Read("memo.txt"), "first\r\n");
  EXPECT_THAT(dir.Entries(), ElementsAre("memo.txt"));

  ReplaceFileContents(dir.U16("memo.txt"), std::string("\x93\xE0\x90\xFC\r\n", 6));
  EXPECT_EQ(dir.Read("memo.txt"), std::string("\x93\xE0\x90\xFC\r\n", 6));
  ReplaceFileContents(dir.U16("memo.txt"), "");
  EXPECT_EQ(dir.Read("memo.txt"), "");
  EXPECT_THAT(dir.Entries(), ElementsAre("memo.txt"));
}

TEST(WindowsReplaceFileTest, LargeContentArrivesWhole) {
  TempDir dir;
  std::string big(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 % 251);
  ReplaceFileContents(dir.U16("memo.txt"), "old");
  ReplaceFileContents(dir.U16("memo.txt"), big);
  EXPECT_EQ(dir.Read("memo.txt"), big);
}

TEST(WindowsReplaceFileTest, AReadOnlyFileIsRefusedAndStaysAsItWas) {
  TempDir dir;
  dir.Write("memo.txt", "keep\r\n");
  const auto file = dir.Path() / "memo.txt";
  ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
  const int number = ErrorNumberOf([&] { ReplaceFileContents(dir.U16("memo.txt"), "new"); });
  EXPECT_EQ(number, err::kPermissionDenied);
  EXPECT_EQ(ReadAll(file), "keep\r\n");
  EXPECT_TRUE(IsReadOnly(file)) << "still write-protected";
  EXPECT_THAT(dir.Entries(), ElementsAre("memo.txt"));
  ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(WindowsReplaceFileTest, AFolderOfThatNameIsRefusedAndKept) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path() / "memo.txt");
  dir.Write("memo.txt/inside", "x");
  const int number = ErrorNumberOf([&] { ReplaceFileContents(dir.U16("memo.txt"), "new"); });
  EXPECT_EQ(number, err::kPathFileAccess);
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "memo.txt"));
  EXPECT_EQ(dir.Read("memo.txt/inside"), "x");
  EXPECT_THAT(dir.Entries(), ElementsAre("memo.txt"));
}

TEST(WindowsReplaceFileTest, AMissingFolderIsFileNotFound) {
  TempDir dir;
  const int number = ErrorNumberOf([&] { ReplaceFileContents(dir.U16("no\\such\\m.txt"), "x"); });
  EXPECT_EQ(number, err::kFileNotFound);
  EXPECT_THAT(dir.Entries(), ElementsAre());
}

TEST(WindowsReplaceFileTest, AFileHeldOpenWithoutSharingFailsAndTheTemporaryFileGoes) {
  TempDir dir;
  dir.Write("memo.txt", "keep");
  {
    // Another program reads the file and lets nobody delete or rename it meanwhile.
    const OpenFile held(dir.Path() / "memo.txt", GENERIC_READ, FILE_SHARE_READ);
    ASSERT_TRUE(held.valid());
    const int number = ErrorNumberOf([&] { ReplaceFileContents(dir.U16("memo.txt"), "new"); });
    EXPECT_EQ(number, err::kPermissionDenied);
    EXPECT_THAT(dir.Entries(), ElementsAre("memo.txt")) << "no temporary file left";
  }
  EXPECT_EQ(dir.Read("memo.txt"), "keep");
}

TEST(WindowsReplaceFileTest, TheErrorTextNamesTheFile) {
  TempDir dir;
  dir.Write("memo.txt", "keep");
  const auto file = dir.Path() / "memo.txt";
  ASSERT_TRUE(::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY));
  try {
    ReplaceFileContents(dir.U16("memo.txt"), "new");
    ADD_FAILURE() << "replaced a read-only file";
  } catch (const RuntimeError& e) {
    EXPECT_NE(e.Description().find(dir.U16("memo.txt")), std::u16string::npos);
    EXPECT_NE(e.Description().find(u"書き込み禁止"), std::u16string::npos);
  }
  ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// Another process holds memo.txt open for reading, sharing reading only: 登録 says so, the editor
// stays open with the edit, and the file is whole.
TEST(WindowsReplaceFileTest, RegisterWhileAnotherProcessHoldsTheFileOpen) {
  TempDir dir;
  dir.Write("memo.txt", "keep\r\n");
  const auto memo = dir.Path() / "memo.txt";
  headless::HeadlessBackend backend;
  backend.appPath = dir.U16();
  Runtime rt(backend);
  rt.RunEvent([&] { rt.Show<Dialog_DataList>(); });
  {
    testing::Win32Process holder(L"rundll32.exe \"" + testing::HoldOpenDll().wstring() +
                                 L"\",HoldOpen " + memo.wstring());
    ASSERT_TRUE(
        testing::WaitUntil([&] { return std::filesystem::exists(memo.wstring() + L".held"); }));
    headless::HeadlessWindow& editor = *backend.WindowOf(u"Dialog_DataList");
    editor.Click(u"Text1");
    editor.TypeChars(u"edit ");
    editor.Click(u"OKButton");
    ASSERT_EQ(backend.MessageBoxes().size(), 1u);
    EXPECT_THAT(Utf16ToUtf8(backend.MessageBoxes()[0].prompt),
                HasSubstr("他のプログラムで使われています"));
    ASSERT_NE(backend.WindowOf(u"Dialog_DataList"), nullptr);
    EXPECT_EQ(editor.Text(u"Text1"), u"edit keep\r\n");
    dir.Write("memo.txt.release", "");
    EXPECT_TRUE(testing::WaitUntil([&] { return !holder.Running(); }));
  }
  EXPECT_EQ(dir.Read("memo.txt"), "keep\r\n");
  EXPECT_THAT(dir.Entries(), ElementsAre("memo.txt", "memo.txt.held", "memo.txt.release"));
}

}  // namespace
}  // namespace pindle::platform
