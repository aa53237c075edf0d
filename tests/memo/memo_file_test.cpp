// memo.txt: its path, loading line by line, and saving without growth or loss.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "memo/memo_file.h"
#include "platform/runtime_error.h"
#include "temp_dir.h"

namespace pindle {
namespace {

using platform::RuntimeError;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using testing::TempDir;

TEST(MemoFilePathTest, JoinsWithoutLookingAtTheTrailingSeparator) {
  EXPECT_EQ(MemoFilePath(u"C:\\Program Files\\Pindle", u'\\'),
            u"C:\\Program Files\\Pindle\\memo.txt");
  EXPECT_EQ(MemoFilePath(u"C:\\", u'\\'), u"C:\\\\memo.txt");
  EXPECT_EQ(MemoFilePath(u"/opt/pindle", u'/'), u"/opt/pindle/memo.txt");
  EXPECT_EQ(MemoFilePath(u"/opt/pindle"), u"/opt/pindle/memo.txt");
}

TEST(MemoFilePathTest, TheRootDirectoryPathNamesTheFileInTheRoot) {
  // "/" + "/" + "memo.txt" reads the file in the root, as "C:\" does on Windows.
  EXPECT_EQ(std::filesystem::path(platform::Utf16ToUtf8(MemoFilePath(u"/"))).lexically_normal(),
            std::filesystem::path("/memo.txt"));
}

class MemoFileTest : public ::testing::Test {
 protected:
  TempDir dir;
  std::u16string path = MemoFilePath(dir.U16());
  std::u16string Load() { return LoadMemoFile(path); }
};

TEST_F(MemoFileTest, EveryLineReadIsFollowedByCrLf) {
  dir.Write("memo.txt", "a\r\nb\r\n");
  EXPECT_EQ(Load(), u"a\r\nb\r\n");
  dir.Write("memo.txt", "a\r\nb");
  EXPECT_EQ(Load(), u"a\r\nb\r\n");
  dir.Write("memo.txt", "");
  EXPECT_EQ(Load(), u"");
  dir.Write("memo.txt", "\r\n");
  EXPECT_EQ(Load(), u"\r\n");
  dir.Write("memo.txt", "a\r\n\r\nb\r\n");
  EXPECT_EQ(Load(), u"a\r\n\r\nb\r\n");
  dir.Write("memo.txt", "unix\nlines\n");
  EXPECT_EQ(Load(), u"unix\r\nlines\r\n");
}

TEST_F(MemoFileTest, MissingFileIsTheEmptyMemoButADirectoryIsAnError) {
  EXPECT_EQ(Load(), u"");
  std::filesystem::create_directory(dir.Path() / "memo.txt");
  EXPECT_THROW(Load(), RuntimeError);
}

TEST_F(MemoFileTest, JapaneseTextComesBackUnchanged) {
  // 会議 (code page 932: 0x89EF 0x8B63), half-width katakana and a NEC special character.
  dir.Write("memo.txt", "\x89\xef\x8b\x63\r\n\xb6\xc0\xb6\xc5\r\n\x87\x40\r\n");
  EXPECT_EQ(Load(), u"会議\r\nｶﾀｶﾅ\r\n①\r\n");
  const std::u16string text = u"明日の会議は中止\r\n至急電話下さいとのこと～\r\n";
  SaveMemoFile(path, text);
  EXPECT_EQ(Load(), text);
}

TEST_F(MemoFileTest, BrokenBytesLoadWithoutACrash) {
  dir.Write("memo.txt", std::string("ok\r\n\x82\r\n\x81\x7f!\r\n\xff", 13));
  EXPECT_EQ(Load(), u"ok\r\n\uFFFD\r\n\uFFFD\u007F!\r\n\uFFFD\r\n");
}

TEST_F(MemoFileTest, SaveWritesTheTextAndOneCrLfUnlessItEndsWithOne) {
  SaveMemoFile(path, u"a\r\nb");
  EXPECT_EQ(dir.Read("memo.txt"), "a\r\nb\r\n");
  SaveMemoFile(path, u"");
  EXPECT_EQ(dir.Read("memo.txt"), "\r\n");
  SaveMemoFile(path, u"a\r\nb\r\n");
  EXPECT_EQ(dir.Read("memo.txt"), "a\r\nb\r\n");
  SaveMemoFile(path, u"\r\n");
  EXPECT_EQ(dir.Read("memo.txt"), "\r\n");
}

TEST_F(MemoFileTest, LoadThenSaveLeavesTheFileByteForByte) {
  for (const std::string& bytes : {std::string("a\r\nb\r\n"), std::string("\r\n"),
                                   std::string("\x96\xbe\x93\xfa\r\n\r\n\r\n"), std::string("")}) {
    dir.Write("memo.txt", bytes);
    for (int round = 0; round < 3; ++round) SaveMemoFile(path, Load());
    const std::string expected =
        bytes.empty() ? "\r\n" : bytes;  // the empty memo saves as one CR LF
    EXPECT_EQ(dir.Read("memo.txt"), expected);
  }
  // A file that lacked its final line end gains exactly one, once.
  dir.Write("memo.txt", "a\r\nb");
  SaveMemoFile(path, Load());
  SaveMemoFile(path, Load());
  EXPECT_EQ(dir.Read("memo.txt"), "a\r\nb\r\n");
}

TEST_F(MemoFileTest, SaveCreatesAMissingFile) {
  SaveMemoFile(path, u"新規");
  EXPECT_EQ(dir.Read("memo.txt"), "\x90\x56\x8b\x4b\r\n");
  EXPECT_THAT(dir.Entries(), ElementsAre("memo.txt"));
}

TEST_F(MemoFileTest, UnrepresentableTextWritesNothingAndNamesTheCharacters) {
  dir.Write("memo.txt", "old\r\n");
  try {
    SaveMemoFile(path, u"price ¥100 😀 and ¥ again");
    ADD_FAILURE() << "no error";
  } catch (const RuntimeError& e) {
    const std::string message = platform::Utf16ToUtf8(e.Description());
    EXPECT_THAT(message, HasSubstr("U+00A5"));
    EXPECT_THAT(message, HasSubstr("U+1F600"));
  }
  EXPECT_EQ(dir.Read("memo.txt"), "old\r\n");
  EXPECT_THAT(dir.Entries(), ElementsAre("memo.txt"));
}

TEST_F(MemoFileTest, JisFormsTypedOnLinuxAreStoredAsTheirCodePage932Counterparts) {
  SaveMemoFile(path, u"〜−");  // U+301C, U+2212
  EXPECT_EQ(dir.Read("memo.txt"), "\x81\x60\x81\x7c\r\n");
  EXPECT_EQ(Load(), u"～－\r\n");
}

}  // namespace
}  // namespace pindle
