// The tray-icon record as the shell receives it.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <vector>

#include "host/tray_icon_data.h"

namespace pindle {
namespace {

std::vector<std::uint8_t> Expected(std::uint32_t hWnd, std::uint32_t hIcon) {
  std::vector<std::uint8_t> b;
  auto u32 = [&b](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
  };
  u32(88);
  u32(hWnd);
  u32(1);
  u32(7);
  u32(519);
  u32(hIcon);
  for (const char c : std::string("SysInfo")) b.push_back(static_cast<std::uint8_t>(c));
  b.push_back(0);
  b.insert(b.end(), 56, 0x20);
  return b;
}

NotifyIconData Record(platform::Hwnd hWnd, std::intptr_t hIcon) {
  return {88, hWnd, 1, 7, 519, hIcon, FixedTip(u"SysInfo")};
}

TEST(TrayIconDataTest, TheTipIsSysInfoANulAndBlanksToSixtyFourCharacters) {
  const std::u16string tip = FixedTip(u"SysInfo");
  ASSERT_EQ(tip.size(), 64u);
  EXPECT_EQ(tip.substr(0, 8), std::u16string(u"SysInfo\0", 8));
  EXPECT_EQ(tip.find_first_not_of(u' ', 8), std::u16string::npos);
}

TEST(TrayIconDataTest, BytesHandedToTheShellAreThe88ByteLittleEndianForm) {
  const auto bytes = Record(0x00010010, 0x0C11).Bytes();
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), Expected(0x00010010, 0x0C11));
}

TEST(TrayIconDataTest, HandlesKeepTheirLow32BitsWhateverTheWordSize) {
  const auto wide = static_cast<platform::Hwnd>(0xFFFFFFFF80123456ull & UINTPTR_MAX);
  const auto bytes = Record(wide, static_cast<std::intptr_t>(-2)).Bytes();
  const auto expected = Expected(static_cast<std::uint32_t>(wide), 0xFFFFFFFEu);
  EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.end()), expected);
}

}  // namespace
}  // namespace pindle
