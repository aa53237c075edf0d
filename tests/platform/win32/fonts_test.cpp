// The Japanese fonts the windows name can draw their texts: each face resolves to a font with
// every glyph of a Japanese sample, fixed-pitch ＭＳ ゴシック and proportional ＭＳ Ｐゴシック
// keep their metrics' kind, and the dialog and message-box fonts cover Japanese too.  (Under
// Wine this checks the prefix's font mapping, see scripts/wine-env.sh.)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <gtest/gtest.h>

#include "info/frm_about.h"
#include "platform/runtime.h"
#include "platform/text.h"
#include "platform/wide_text.h"
#include "platform/win32/win32_backend.h"
#include "platform/win32/win32_window.h"
#include "screen_dc.h"

#include <cwchar>
#include <string>
#include <vector>

namespace pindle::testing {
namespace {

// Owns a font and keeps it selected into a device context while it lives.
class SelectedFont {
 public:
  SelectedFont(HDC dc, const LOGFONTW& description)
      : dc_(dc), font_(::CreateFontIndirectW(&description)), previous_(::SelectObject(dc, font_)) {}
  ~SelectedFont() {
    ::SelectObject(dc_, previous_);
    if (font_) ::DeleteObject(font_);
  }
  SelectedFont(const SelectedFont&) = delete;
  SelectedFont& operator=(const SelectedFont&) = delete;

  bool valid() const { return font_ != nullptr; }

 private:
  HDC dc_;
  HFONT font_;
  HGDIOBJ previous_;
};

LOGFONTW Font(const std::wstring& face, BYTE charset = SHIFTJIS_CHARSET) {
  LOGFONTW description{};
  description.lfHeight = -16;
  description.lfCharSet = charset;
  face.copy(description.lfFaceName, LF_FACESIZE - 1);  // the rest stays zero
  return description;
}

constexpr wchar_t kSample[] = L"内線番号一覧 登録メモ ﾀﾞｲｱﾛｸﾞ 電話応対メモ";

// How many characters of the sample the selected font has no glyph for.
int MissingGlyphs(HDC dc) {
  const int length = static_cast<int>(std::wcslen(kSample));
  std::vector<WORD> glyphs(static_cast<std::size_t>(length));
  if (::GetGlyphIndicesW(dc, kSample, length, glyphs.data(), GGI_MARK_NONEXISTING_GLYPHS) ==
      GDI_ERROR) {
    return length;
  }
  int missing = 0;
  for (WORD glyph : glyphs) missing += glyph == 0xFFFF ? 1 : 0;
  return missing;
}

int Width(HDC dc, const wchar_t* text) {
  SIZE size{};
  ::GetTextExtentPoint32W(dc, text, static_cast<int>(std::wcslen(text)), &size);
  return size.cx;
}

TEST(JapaneseFontTest, TheProgramsFacesHaveEveryGlyph) {
  const ScreenDc dc;
  ASSERT_NE(dc.get(), nullptr);
  for (const wchar_t* face : {L"ＭＳ ゴシック", L"ＭＳ Ｐゴシック", L"MS UI Gothic"}) {
    const SelectedFont font(dc.get(), Font(face));
    ASSERT_TRUE(font.valid());
    TEXTMETRICW metrics{};
    ASSERT_TRUE(::GetTextMetricsW(dc.get(), &metrics));
    EXPECT_EQ(metrics.tmCharSet, SHIFTJIS_CHARSET) << std::wstring(face);
    EXPECT_EQ(MissingGlyphs(dc.get()), 0) << std::wstring(face);
  }
}

TEST(JapaneseFontTest, GothicIsFixedPitchAndPGothicProportional) {
  const ScreenDc dc;
  ASSERT_NE(dc.get(), nullptr);
  {
    const SelectedFont font(dc.get(), Font(L"ＭＳ ゴシック"));
    EXPECT_EQ(Width(dc.get(), L"iiii"), Width(dc.get(), L"WWWW"));
  }
  {
    const SelectedFont font(dc.get(), Font(L"ＭＳ Ｐゴシック"));
    EXPECT_LT(Width(dc.get(), L"iiii"), Width(dc.get(), L"WWWW"));
  }
}

TEST(JapaneseFontTest, DialogAndMessageBoxFontsCoverJapanese) {
  const ScreenDc dc;
  ASSERT_NE(dc.get(), nullptr);
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ASSERT_TRUE(::SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0));
  {
    const SelectedFont font(dc.get(), metrics.lfMessageFont);
    EXPECT_EQ(MissingGlyphs(dc.get()), 0)
        << "message box font " << metrics.lfMessageFont.lfFaceName;
  }
  {
    const SelectedFont font(dc.get(), metrics.lfMenuFont);
    EXPECT_EQ(MissingGlyphs(dc.get()), 0) << "menu font " << metrics.lfMenuFont.lfFaceName;
  }
  {
    const SelectedFont font(dc.get(), Font(L"MS Shell Dlg", DEFAULT_CHARSET));
    EXPECT_EQ(MissingGlyphs(dc.get()), 0) << "dialog font";
  }
}

// Every single-line label of the About window shows its whole text at the window's DPI: the
// contact texts were once cut ("support@pindle.exam").
TEST(JapaneseFontTest, AboutWindowLabelsHoldTheirWholeText) {
  using platform::win32::Win32Window;
  platform::win32::Win32Backend backend{::GetModuleHandleW(nullptr)};
  platform::Runtime rt{backend};
  rt.Show<frmAbout>();
  auto& about = static_cast<Win32Window&>(rt.Instance<frmAbout>().Peer());
  const ScreenDc dc;
  const auto& controls = frmAboutDefinition().controls;
  for (std::size_t i = 0; i < controls.size(); ++i) {
    const auto& c = controls[i];
    if (c.kind != platform::ControlKind::Label || c.wordWrap) continue;
    HGDIOBJ previous = ::SelectObject(dc.get(), about.ControlFont(static_cast<int>(i)));
    const std::wstring text = platform::Wide(c.text);
    const RECT r = about.ControlRect(static_cast<int>(i));
    EXPECT_LE(Width(dc.get(), text.c_str()), r.right - r.left) << platform::Utf16ToUtf8(c.name);
    ::SelectObject(dc.get(), previous);
  }
}

}  // namespace
}  // namespace pindle::testing
