// The Windows backend's real windows at the system's DPI (96, 120, 144 or 192: one run of
// win32_tests each, PINDLE_EXPECT_DPI) and after a DPI change.
#include <gtest/gtest.h>

#include <windows.h>
// after windows.h
#include <objbase.h>
#include <sddl.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <string>
#include <vector>

#include "info/frm_about.h"
#include "info/frm_tip.h"
#include "memo/dialog_data_list.h"
#include "memo/frm_main.h"
#include "platform/runtime.h"
#include "platform/text.h"
#include "platform/tray_icon_data.h"
#include "platform/wide_text.h"
#include "platform/win32/dpi_calls.h"
#include "platform/win32/resources/resource_ids.h"
#include "platform/win32/win32_backend.h"
#include "platform/win32/win32_window.h"
#include "print/dialog_printer.h"

namespace pindle::platform::win32 {
namespace {

// Pixels worked out by hand from the twips of the definitions (twips * DPI / 1440, rounded
// half away from zero): the editor's client area, memo box and OK button, the quick memo's
// box, the print dialog's client area, and the height of a 9-point font.
using Size = std::array<LONG, 2>;
using Rect = std::array<LONG, 4>;
struct Layout {
  int dpi, twipsPerPixel;
  Size editorClient;
  Rect editorText1, editorOk, memoText1;
  Size printClient;
  LONG fontHeight9pt;
};
// clang-format off
constexpr Layout kLayouts[] = {
    {96, 15, {607, 504}, {16, 8, 593, 465}, {512, 472, 593, 497}, {160, 40, 681, 401}, {425, 371}, -12},
    {120, 12, {759, 630}, {20, 10, 741, 581}, {640, 590, 741, 621}, {200, 50, 851, 501}, {531, 464}, -15},
    {144, 10, {911, 756}, {24, 12, 890, 698}, {768, 708, 890, 746}, {240, 60, 1022, 602}, {638, 557}, -18},
    {192, 7, {1214, 1008}, {32, 16, 1186, 930}, {1024, 944, 1186, 994}, {320, 80, 1362, 802}, {850, 742}, -24},
};
// clang-format on

const Layout& LayoutFor(int dpi) {
  for (const auto& l : kLayouts)
    if (l.dpi == dpi) return l;
  ADD_FAILURE() << "no expected layout for DPI " << dpi;
  return kLayouts[0];
}
// A child window's rectangle in its parent's client coordinates.
Rect ChildRect(HWND child) {
  RECT r;
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return {r.left, r.top, r.right, r.bottom};
}
Size ClientSize(HWND window) {
  RECT r;
  ::GetClientRect(window, &r);
  return {r.right, r.bottom};
}
LOGFONTW FontOf(HWND window) {
  LOGFONTW font{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font,
               &font);
  return font;
}

// How a font draws text on the screen: its width and line height in pixels, and the characters
// it has no glyph for.
struct Measured {
  int width, lineHeight, missing;
};
Measured Measure(HFONT font, const std::wstring& text) {
  const DcHandle dc(::CreateCompatibleDC(nullptr));  // a DC of the screen's resolution
  const Selected selected(dc.get(), font);
  SIZE size{};
  ::GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &size);
  std::vector<WORD> glyphs(text.size());
  ::GetGlyphIndicesW(dc.get(), text.c_str(), static_cast<int>(text.size()), glyphs.data(),
                     GGI_MARK_NONEXISTING_GLYPHS);
  TEXTMETRICW metrics{};
  ::GetTextMetricsW(dc.get(), &metrics);
  return {size.cx, metrics.tmHeight,
          static_cast<int>(std::count(glyphs.begin(), glyphs.end(), WORD{0xFFFF}))};
}

class Win32WindowTest : public ::testing::Test {
 protected:
  Win32Backend backend{::GetModuleHandleW(nullptr)};
  Runtime rt{backend};

  template <class F>
  Win32Window& Peer() {
    return static_cast<Win32Window&>(rt.Instance<F>().Peer());
  }
  template <class F>
  HWND Control(const char16_t* name) {
    return Peer<F>().ControlWindow(rt.Instance<F>().Definition().Find(name));
  }
};

// With the DPI calls user32 has (0), as on Windows 8 without any of them (1), as on 8.1 with
// shcore's monitor DPI only (2).
class Win32LayoutTest : public Win32WindowTest, public ::testing::WithParamInterface<int> {
 protected:
  Win32LayoutTest() {
    if (GetParam() > 0) UsedDpiCalls() = DpiCalls{};
    if (GetParam() == 2) FindCall(UsedDpiCalls().dpiForMonitor, shcore_.get(), "GetDpiForMonitor");
  }
  ~Win32LayoutTest() override { UsedDpiCalls() = found_; }
  const DpiCalls found_ = UsedDpiCalls();
  const ModuleHandle shcore_{::LoadLibraryW(L"shcore.dll")};
};
INSTANTIATE_TEST_SUITE_P(DpiCalls, Win32LayoutTest, ::testing::Values(0, 1, 2));

// Moving to a monitor of another DPI: the system sends WM_DPICHANGED with the new DPI and a
// suggested rectangle (here the window scaled by the ratio of the DPIs, moved a little).
TEST_P(Win32LayoutTest, WindowsAreLaidOutFromTwipsAtTheDpiAndAgainWhenItChanges) {
  const char* runDpi = std::getenv("PINDLE_EXPECT_DPI");  // 96 unless told
  ASSERT_EQ(::GetDpiForSystem(), static_cast<UINT>(runDpi ? std::atoi(runDpi) : 96));
  const Layout& here = LayoutFor(static_cast<int>(::GetDpiForSystem()));
  EXPECT_EQ(backend.TwipsPerPixelX(), static_cast<float>(here.twipsPerPixel));
  EXPECT_EQ(ChildRect(Control<frmMain>(u"Text1")), here.memoText1);
  EXPECT_EQ(ClientSize(Peer<Dialog_Printer>().NativeWindow()), here.printClient);

  rt.Show<Dialog_DataList>();
  Win32Window& w = Peer<Dialog_DataList>();
  HWND text1 = Control<Dialog_DataList>(u"Text1"), ok = Control<Dialog_DataList>(u"OKButton");
  EXPECT_FALSE(::GetWindowLongPtrW(w.NativeWindow(), GWL_STYLE) &
               (WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME));
  const int other = here.dpi == 192 ? 96 : 192;
  for (const int dpi : {here.dpi, other, here.dpi}) {
    if (dpi != w.Dpi()) {
      RECT outer;
      ::GetWindowRect(w.NativeWindow(), &outer);
      const RECT suggested{outer.left + 40, outer.top + 30,
                           outer.left + 40 + ::MulDiv(outer.right - outer.left, dpi, w.Dpi()),
                           outer.top + 30 + ::MulDiv(outer.bottom - outer.top, dpi, w.Dpi())};
      ::ValidateRect(text1, nullptr);
      ::SendMessageW(w.NativeWindow(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                     reinterpret_cast<LPARAM>(&suggested));
      EXPECT_TRUE(::GetUpdateRect(text1, nullptr, FALSE)) << "the memo box repaints";
      ::GetWindowRect(w.NativeWindow(), &outer);
      EXPECT_EQ(outer.left, suggested.left);
      EXPECT_EQ(outer.top, suggested.top);
    }
    const Layout& expected = LayoutFor(dpi);
    EXPECT_EQ(w.Dpi(), dpi);
    EXPECT_EQ(ClientSize(w.NativeWindow()), expected.editorClient) << "at " << dpi;
    EXPECT_EQ(ChildRect(text1), expected.editorText1) << "at " << dpi;
    EXPECT_EQ(ChildRect(ok), expected.editorOk) << "at " << dpi;
    EXPECT_EQ(FontOf(text1).lfHeight, expected.fontHeight9pt) << "at " << dpi;
    EXPECT_STREQ(FontOf(text1).lfFaceName, L"ＭＳ ゴシック");
    const LOGFONTW dialogFont = FontOf(ok);  // a control given no font: the dialog font
    EXPECT_EQ(dialogFont.lfHeight, expected.fontHeight9pt) << "at " << dpi;
    EXPECT_STREQ(dialogFont.lfFaceName, L"MS Shell Dlg");
    EXPECT_EQ(dialogFont.lfCharSet, SHIFTJIS_CHARSET);
  }
}

// Every one-line box and label of every window holds a line of its font (a font taller than
// the layouts were made for clips them), and every single-line label of the About window shows
// its whole text ("support@pindle.exam" was once cut), every character with a glyph of its font
// (under Wine, the prefix's font mapping).
TEST_F(Win32WindowTest, OneLineBoxesAndLabelsHoldALineOfTheirFontAndAboutLabelsAllTheirText) {
  Form& about = rt.Instance<frmAbout>();
  Form* const forms[] = {&rt.Instance<frmMain>(), &rt.Instance<Dialog_DataList>(),
                         &rt.Instance<Dialog_Printer>(), &about, &rt.Instance<frmTip>()};
  for (Form* form : forms) {
    Win32Window& w = static_cast<Win32Window&>(form->Peer());
    const auto& controls = form->Definition().controls;
    for (int i = 0; i < static_cast<int>(controls.size()); ++i) {
      const ControlDef& c = controls[static_cast<std::size_t>(i)];
      const bool box = c.kind == ControlKind::TextBox && !c.multiLine;
      if (!box && c.kind != ControlKind::Label) continue;
      RECT r = w.ControlRect(i);
      if (box) ::GetClientRect(w.ControlWindow(i), &r);  // inside the box's edge
      const Measured m = Measure(w.ControlFont(i), Wide(c.text));
      EXPECT_GE(r.bottom - r.top, m.lineHeight) << Utf16ToUtf8(c.name);
      if (form != &about || box || c.wordWrap) continue;
      EXPECT_LE(m.width, r.right - r.left) << Utf16ToUtf8(c.name);
      EXPECT_EQ(m.missing, 0) << Utf16ToUtf8(c.name);
    }
  }
}

// A copy started as administrator made the single-instance mutex with a security other copies
// may not open: a copy that may not open it is the second all the same.
TEST(Win32BackendTest, AnInstanceMutexThisCopyMayNotOpenMeansAnotherCopyRuns) {
  PSECURITY_DESCRIPTOR denied = nullptr;  // everyone is denied everything
  ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:(D;;GA;;;WD)",
                                                                     SDDL_REVISION_1, &denied, 0));
  SECURITY_ATTRIBUTES security{sizeof security, denied, FALSE};
  const KernelHandle first(::CreateMutexW(&security, FALSE, L"Local\\Pindle.SingleInstance"));
  ::LocalFree(denied);
  ASSERT_TRUE(first);
  Win32Backend second(::GetModuleHandleW(nullptr));
  EXPECT_TRUE(second.PrevInstance());
}

// The tray is given the icon's own image of its small size, not a larger one for the shell to
// shrink and blur (the icon holds 16 to 48 pixel images, scripts/make-icons.py --check).
TEST_F(Win32WindowTest, TheTrayIsGivenTheIconsOwnImageOfItsSize) {
  const auto icon = reinterpret_cast<std::intptr_t>(::LoadImageW(
      ::GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_PRODUCT), IMAGE_ICON, 32, 32, LR_SHARED));
  const NotifyIconData record{88, Peer<frmTip>().Handle(), 1, 7, 519, icon, FixedTip(u"SysInfo")};
  Win32Os os;
  ASSERT_EQ(os.Shell_NotifyIconA(kNimAdd, record.Bytes()), 1);
  ICONINFO info{};
  ASSERT_TRUE(::GetIconInfo(os.TrayIcon(), &info));
  BITMAP bitmap{};
  ::GetObjectW(info.hbmColor, sizeof bitmap, &bitmap);
  ::DeleteObject(info.hbmColor), ::DeleteObject(info.hbmMask);
  EXPECT_EQ(bitmap.bmWidth, ::GetSystemMetrics(SM_CXSMICON));
  EXPECT_EQ(os.Shell_NotifyIconA(kNimDelete, record.Bytes()), 1);
  EXPECT_FALSE(os.TrayIcon());
}

// Shell handlers started for mailto: may need COM on the asking thread.
TEST_F(Win32WindowTest, TheBackendsThreadIsAComApartment) {
  EXPECT_EQ(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
  ::CoUninitialize();  // gives back the use just taken
}

}  // namespace
}  // namespace pindle::platform::win32
