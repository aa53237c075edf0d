// Files on disk: what makes one unwritable or unreadable differs between the systems (modes
// here, attributes and sharing there); the outcome must not.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#if defined(_WIN32)
#include <windows.h>
#endif

#include "error_of.h"
#include "platform/runtime_error.h"
#include "platform/text_file.h"
#include "temp_dir.h"

namespace pindle::platform {
namespace {

using ::testing::ElementsAre;
using testing::ErrorOf;
using testing::Guarded;
using testing::TempDir;
namespace fs = std::filesystem;

#if defined(_WIN32)
// Another program holding the file open with the given sharing, for as long as it lives.
auto HeldOpen(const fs::path& file, DWORD share) {
  return std::unique_ptr<void, decltype(&::CloseHandle)>(
      ::CreateFileW(file.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0, nullptr),
      ::CloseHandle);
}
void WriteProtect(const fs::path& file) {
  ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_READONLY);
}
#else
void WriteProtect(const fs::path& file) {
  fs::permissions(file, fs::perms(0444));
  fs::permissions(file.parent_path(), fs::perms(0777));  // only the file's own mode stands
}
#endif

TEST(SplitLinesTest, LineEndsAreCrLfCrOrLfAndNothingFollowsAFinalOne) {
  EXPECT_THAT(SplitLines("a\r\nb\r\n"), ElementsAre("a", "b"));
  EXPECT_THAT(SplitLines("a\r\nb"), ElementsAre("a", "b"));
  EXPECT_THAT(SplitLines(""), ElementsAre());
  EXPECT_THAT(SplitLines("\r\n\r\n"), ElementsAre("", ""));
  EXPECT_THAT(SplitLines("a\rb\nc\n\rd"), ElementsAre("a", "b", "c", "", "d"));
  EXPECT_THAT(SplitLines("\x82\xa0\r\n"), ElementsAre("\x82\xa0"));
}

TEST(TextFileTest, ReadsAndReplacesTheBytesExactlyLeavingNoTemporaryFile) {
  TempDir dir;
  EXPECT_EQ(ReadFileIfExists(dir.U16("memo.txt")), std::nullopt);
  EXPECT_EQ(ReadFileIfExists(dir.U16("no folder/memo.txt")), std::nullopt);
  std::string big(3 * 1024 * 1024 + 17, '\0');
  for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 % 251);
  // Code page 932, CR LF, a NUL and the old end-of-file mark: nothing is interpreted.
  for (const std::string& bytes :
       {std::string("\x93\xE0\r\n\0\x1A\x65nd", 9), std::string(), big}) {
    ReplaceFileContents(dir.U16("memo.txt"), bytes);
    EXPECT_EQ(ReadFileIfExists(dir.U16("memo.txt")), bytes);
    EXPECT_THAT(dir.Entries(), ElementsAre("memo.txt"));
  }
  // Japanese, and a character no ANSI code page holds: only the wide functions reach it.
  const std::u16string wide = dir.U16() + u"/登録メモ \U0001F4DD.txt";
  ReplaceFileContents(wide, "wide");
  EXPECT_EQ(ReadFileIfExists(wide), "wide");
}

// A folder in the file's place, a missing folder, a write-protected file.
TEST(TextFileTest, RefusedWritesChangeNothingAndNameTheFile) {
  TempDir dir;
  fs::create_directory(dir.Path() / "memo.txt");
  dir.Write("memo.txt/inside", "x");
  dir.Write("kept.txt", "keep\r\n");
  WriteProtect(dir.Path() / "kept.txt");
  EXPECT_EQ(ErrorOf([&] { ReadFileIfExists(dir.U16("memo.txt")); }), err::kPathFileAccess);
  EXPECT_EQ(ErrorOf([&] { ReplaceFileContents(dir.U16("memo.txt"), "new"); }),
            err::kPathFileAccess);
  EXPECT_EQ(ErrorOf([&] { ReplaceFileContents(dir.U16("no/such/m.txt"), "x"); }),
            err::kFileNotFound);
  EXPECT_EQ(
      Guarded([&] { return ErrorOf([&] { ReplaceFileContents(dir.U16("kept.txt"), "n"); }); }),
      err::kPermissionDenied);
  EXPECT_EQ(dir.Read("memo.txt/inside"), "x");
  EXPECT_EQ(dir.Read("kept.txt"), "keep\r\n");
  EXPECT_THAT(dir.Entries(), ElementsAre("kept.txt", "memo.txt"));
#if defined(_WIN32)
  std::u16string text;
  ErrorOf([&] { ReplaceFileContents(dir.U16("kept.txt"), "n"); }, &text);
  EXPECT_NE(text.find(dir.U16("kept.txt")), std::u16string::npos);
  EXPECT_NE(text.find(u"書き込み禁止"), std::u16string::npos);
  EXPECT_TRUE(::GetFileAttributesW((dir.Path() / "kept.txt").c_str()) & FILE_ATTRIBUTE_READONLY);
  ::SetFileAttributesW((dir.Path() / "kept.txt").c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
}

#if defined(_WIN32)
TEST(TextFileTest, AFileAnotherProgramHoldsIsRefusedAndKept) {
  TempDir dir;
  dir.Write("memo.txt", "keep");
  {
    const auto locked = HeldOpen(dir.Path() / "memo.txt", 0);
    std::u16string text;
    EXPECT_EQ(ErrorOf([&] { ReadFileIfExists(dir.U16("memo.txt")); }, &text),
              err::kPermissionDenied);
    EXPECT_NE(text.find(u"memo.txt"), std::u16string::npos);
  }
  {
    // Read by another program that lets nobody rename it meanwhile.
    const auto reading = HeldOpen(dir.Path() / "memo.txt", FILE_SHARE_READ);
    EXPECT_EQ(ErrorOf([&] { ReplaceFileContents(dir.U16("memo.txt"), "new"); }),
              err::kPermissionDenied);
    EXPECT_THAT(dir.Entries(), ElementsAre("memo.txt"));
  }
  EXPECT_EQ(dir.Read("memo.txt"), "keep");
}
#else
TEST(TextFileTest, AnUnreadableFileIsRefusedAndAReplacementKeepsTheMode) {
  TempDir dir;
  dir.Write("secret.txt", "x");
  fs::permissions(dir.Path() / "secret.txt", fs::perms::none);
  EXPECT_EQ(Guarded([&] { return ErrorOf([&] { ReadFileIfExists(dir.U16("secret.txt")); }); }),
            err::kPermissionDenied);
  dir.Write("m.txt", "a");
  fs::permissions(dir.Path() / "m.txt", fs::perms(0640));
  ReplaceFileContents(dir.U16("m.txt"), "b");
  EXPECT_EQ(fs::status(dir.Path() / "m.txt").permissions(), fs::perms(0640));
  ReplaceFileContents(dir.U16("new.txt"), "c");  // a new file: readable by all, as one saved anew
  EXPECT_EQ(fs::status(dir.Path() / "new.txt").permissions(), fs::perms(0644));
}
#endif

}  // namespace
}  // namespace pindle::platform
