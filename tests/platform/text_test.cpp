// UTF-8 <-> UTF-16 at the program's edges, and the names of key combinations.
#include <gtest/gtest.h>

#include <string>

#include "platform/hotkey_notice.h"
#include "platform/text.h"

namespace pindle::platform {
namespace {

// Key combinations as the notice of refused hotkeys names them.
TEST(HotkeyNameTest, ModifiersInWindowsOrderThenTheKey) {
  EXPECT_EQ(HotkeyName(1, 0x70), u"Alt+F1");
  EXPECT_EQ(HotkeyName(15, 0x87), u"Win+Ctrl+Shift+Alt+F24");
  EXPECT_EQ(HotkeyName(6, 'A'), u"Ctrl+Shift+A");
  EXPECT_EQ(HotkeyName(0, 0x6F), u"キー111");
}

TEST(Utf8Test, EveryLengthOfSequenceGoesBothWaysAndBrokenInputBecomesTheMark) {
  for (const auto& [utf8, utf16] :
       {std::pair<std::string, std::u16string>{"", u""},
        {"A\x7F", u"A\x7F"},
        {"\xC2\x80\xDF\xBF", u"\u0080\u07FF"},
        {"\xE0\xA0\x80\xEF\xBF\xBD\xE3\x81\x82", u"\u0800\uFFFD\u3042"},
        {"\xF0\x90\x80\x80\xF4\x8F\xBF\xBF", u"\U00010000\U0010FFFF"}}) {
    EXPECT_EQ(Utf8ToUtf16(utf8), utf16) << utf8;
    EXPECT_EQ(Utf16ToUtf8(utf16), utf8) << utf8;
  }
  // Broken input becomes one mark per broken sequence, never read past its end.
  const std::pair<std::string, std::u16string> cases[] = {
      {"\x80x", u"\uFFFDx"},                          // a trail byte alone
      {"\xF8x", u"\uFFFDx"},                          // no lead byte at all
      {"\xC3", u"\uFFFD"},                            // cut short at the end
      {"\xE3\x81", u"\uFFFD"},                        // cut short at the end, two bytes
      {"\xE3\x81x", u"\uFFFDx"},                      // cut short by another character
      {"\xC1\xBF", u"\uFFFD"},                        // overlong
      {"\xE0\x9F\xBF", u"\uFFFD"},                    // overlong, three bytes
      {"\xF0\x8F\xBF\xBF", u"\uFFFD"},                // overlong, four bytes
      {"\xED\xA0\x80\xED\xBF\xBF", u"\uFFFD\uFFFD"},  // surrogates are no characters
      {"\xF4\x90\x80\x80", u"\uFFFD"},                // past U+10FFFF
  };
  for (const auto& [utf8, utf16] : cases)
    EXPECT_EQ(Utf8ToUtf16(utf8), utf16) << testing::PrintToString(utf8);
  EXPECT_EQ(Utf16ToUtf8(u"\xD800x\xDC00"), "\xEF\xBF\xBDx\xEF\xBF\xBD");  // lone surrogates
  EXPECT_EQ(Utf16ToUtf8(u"\xDBFF\xE000"), "\xEF\xBF\xBD\xEE\x80\x80");    // no low one after it
  EXPECT_EQ(Utf16ToUtf8(u"\xDFFF"), "\xEF\xBF\xBD");
  EXPECT_EQ(Utf16ToUtf8(std::u16string_view(u"\xD83D\xDE00", 1)), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace pindle::platform
