// Files on disk: reading a whole file, replacing one in a single step, and line splitting.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/runtime_error.h"
#include "platform/text_file.h"
#include "temp_dir.h"

namespace pindle::platform {
namespace {

using ::testing::ElementsAre;
using testing::TempDir;

TEST(SplitLinesTest, LineEndsAreCrLfCrOrLfAndNothingFollowsAFinalOne) {
  EXPECT_THAT(SplitLines("a\r\nb\r\n"), ElementsAre("a", "b"));
  EXPECT_THAT(SplitLines("a\r\nb"), ElementsAre("a", "b"));
  EXPECT_THAT(SplitLines(""), ElementsAre());
  EXPECT_THAT(SplitLines("\r\n"), ElementsAre(""));
  EXPECT_THAT(SplitLines("\r\n\r\n"), ElementsAre("", ""));
  EXPECT_THAT(SplitLines("a\rb\nc\n\rd"), ElementsAre("a", "b", "c", "", "d"));
  EXPECT_THAT(SplitLines("\x82\xa0\r\n"), ElementsAre("\x82\xa0"));
}

TEST(ReadFileTest, MissingFileIsEmptyButADirectoryIsAnError) {
  TempDir dir;
  EXPECT_EQ(ReadFileIfExists(dir.U16("nothing.txt")), std::nullopt);
  dir.Write("f.txt", std::string("a\0b", 3));
  EXPECT_EQ(ReadFileIfExists(dir.U16("f.txt")), std::string("a\0b", 3));
  std::filesystem::create_directory(dir.Path() / "d");
  EXPECT_THROW(ReadFileIfExists(dir.U16("d")), RuntimeError);
}

TEST(ReadFileTest, UnreadableFileIsAnError) {
  TempDir dir;
  dir.Write("secret.txt", "x");
  std::filesystem::permissions(dir.Path() / "secret.txt", std::filesystem::perms::none);
  const int code = testing::RunUnprivileged([&] {
    try {
      ReadFileIfExists(dir.U16("secret.txt"));
      return 0;
    } catch (const RuntimeError& e) {
      return e.Number();
    }
  });
  EXPECT_EQ(code, err::kPermissionDenied);
}

TEST(ReplaceFileTest, CreatesAndReplacesLeavingNoTemporaryFile) {
  TempDir dir;
  ReplaceFileContents(dir.U16("m.txt"), "first\r\n");
  EXPECT_EQ(dir.Read("m.txt"), "first\r\n");
  ReplaceFileContents(dir.U16("m.txt"), "2");
  EXPECT_EQ(dir.Read("m.txt"), "2");
  ReplaceFileContents(dir.U16("m.txt"), "");
  EXPECT_EQ(dir.Read("m.txt"), "");
  EXPECT_THAT(dir.Entries(), ElementsAre("m.txt"));
}

TEST(ReplaceFileTest, WriteProtectedFileStaysUnchanged) {
  TempDir dir;
  dir.Write("m.txt", "keep");
  std::filesystem::permissions(dir.Path() / "m.txt", std::filesystem::perms(0444));
  std::filesystem::permissions(dir.Path(), std::filesystem::perms(0777));
  const int code = testing::RunUnprivileged([&] {
    // The directory belongs to root: let "nobody" write there, so only the file's own
    // protection stands in the way.
    try {
      ReplaceFileContents(dir.U16("m.txt"), "new");
      return 0;
    } catch (const RuntimeError& e) {
      return e.Number();
    }
  });
  EXPECT_NE(code, 0);
  EXPECT_EQ(dir.Read("m.txt"), "keep");
  EXPECT_THAT(dir.Entries(), ElementsAre("m.txt"));
}

TEST(ReplaceFileTest, ANameThatIsADirectoryIsNotReplaced) {
  TempDir dir;
  std::filesystem::create_directory(dir.Path() / "m.txt");
  dir.Write("m.txt/inside", "x");
  EXPECT_THROW(ReplaceFileContents(dir.U16("m.txt"), "new"), RuntimeError);
  EXPECT_TRUE(std::filesystem::is_directory(dir.Path() / "m.txt"));
  EXPECT_EQ(dir.Read("m.txt/inside"), "x");
  EXPECT_THAT(dir.Entries(), ElementsAre("m.txt"));
}

TEST(ReplaceFileTest, MissingDirectoryFailsAsFileNotFound) {
  TempDir dir;
  try {
    ReplaceFileContents(dir.U16("no/such/m.txt"), "x");
    ADD_FAILURE() << "no error";
  } catch (const RuntimeError& e) {
    EXPECT_EQ(e.Number(), err::kFileNotFound);
  }
}

TEST(ReplaceFileTest, KeepsThePermissionsOfTheReplacedFile) {
  TempDir dir;
  dir.Write("m.txt", "a");
  std::filesystem::permissions(dir.Path() / "m.txt", std::filesystem::perms(0640));
  ReplaceFileContents(dir.U16("m.txt"), "b");
  EXPECT_EQ(std::filesystem::status(dir.Path() / "m.txt").permissions(),
            std::filesystem::perms(0640));
}

}  // namespace
}  // namespace pindle::platform
