// memo.txt: its path, loading with every line ended by CR LF, and saving without growth or loss.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>

#include "memo/memo_file.h"
#include "platform/runtime_error.h"
#include "temp_dir.h"

namespace pindle {
namespace {

using ::testing::HasSubstr;

TEST(MemoFileTest, ThePathJoinsTheFolderWithoutLookingAtItsLastSeparator) {
  EXPECT_EQ(MemoFilePath(u"C:\\Program Files\\Pindle", u'\\'),
            u"C:\\Program Files\\Pindle\\memo.txt");
  EXPECT_EQ(MemoFilePath(u"C:\\", u'\\'), u"C:\\\\memo.txt");  // still the file in the root
  EXPECT_EQ(MemoFilePath(u"/opt/pindle", u'/'), u"/opt/pindle/memo.txt");
}

TEST(MemoFileTest, LoadsLinesEndedByCrLfAndSavesThemBackByteForByte) {
  testing::TempDir dir;
  const std::u16string path = MemoFilePath(dir.U16());
  EXPECT_EQ(LoadMemoFile(path), u"") << "no file yet";
  const struct {
    std::string bytes;
    std::u16string loaded;
    std::string saved;  // after three rounds of load and save
  } cases[] = {
      {"a\r\nb\r\n", u"a\r\nb\r\n", "a\r\nb\r\n"},
      {"a\r\nb", u"a\r\nb\r\n", "a\r\nb\r\n"},  // a missing last line end comes once
      {"", u"", "\r\n"},
      {"\r\n", u"\r\n", "\r\n"},
      {"a\r\n\r\nb\r\n", u"a\r\n\r\nb\r\n", "a\r\n\r\nb\r\n"},
      {"unix\nlines\n", u"unix\r\nlines\r\n", "unix\r\nlines\r\n"},
      // 会議, half-width katakana, a NEC special character.
      {"\x89\xef\x8b\x63\r\n\xb6\xc0\r\n\x87\x40\r\n", u"会議\r\nｶﾀ\r\n①\r\n",
       "\x89\xef\x8b\x63\r\n\xb6\xc0\r\n\x87\x40\r\n"},
      // Broken bytes show as the mark; saving the mark is refused (the editor's tests).
      {std::string("ok\r\n\x82\r\n\x81\x7f!\r\n\xff", 13),
       u"ok\r\n\uFFFD\r\n\uFFFD\u007F!\r\n\uFFFD\r\n", ""},
  };
  for (const auto& c : cases) {
    dir.Write("memo.txt", c.bytes);
    EXPECT_EQ(LoadMemoFile(path), c.loaded) << c.bytes;
    if (c.saved.empty()) continue;
    for (int round = 0; round < 3; ++round) SaveMemoFile(path, LoadMemoFile(path));
    EXPECT_EQ(dir.Read("memo.txt"), c.saved);
  }
  std::filesystem::remove(dir.Path() / "memo.txt");
  SaveMemoFile(path, u"新規\r\n〜−");  // JIS forms typed on Linux: U+301C, U+2212
  EXPECT_EQ(dir.Read("memo.txt"), "\x90\x56\x8b\x4b\r\n\x81\x60\x81\x7c\r\n");
}

TEST(MemoFileTest, TextShiftJisCannotHoldWritesNothingAndIsNamed) {
  testing::TempDir dir;
  dir.Write("memo.txt", "old\r\n");
  try {
    SaveMemoFile(MemoFilePath(dir.U16()), u"price ¥100 😀 and ¥ again");
    ADD_FAILURE() << "no error";
  } catch (const platform::RuntimeError& e) {
    EXPECT_THAT(platform::Utf16ToUtf8(e.Description()), HasSubstr("U+00A5"));
    EXPECT_THAT(platform::Utf16ToUtf8(e.Description()), HasSubstr("U+1F600"));
  }
  EXPECT_EQ(dir.Read("memo.txt"), "old\r\n");
  EXPECT_EQ(dir.Entries(), std::vector<std::string>{"memo.txt"});
  std::filesystem::remove(dir.Path() / "memo.txt");
  std::filesystem::create_directory(dir.Path() / "memo.txt");
  EXPECT_THROW(LoadMemoFile(MemoFilePath(dir.U16())), platform::RuntimeError);
}

}  // namespace
}  // namespace pindle
