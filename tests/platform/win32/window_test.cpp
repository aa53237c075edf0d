// The Windows backend with real windows: layout from twips at the window's DPI (the system's
// LogPixels: 96, 120, 144 or 192, one run of win32_tests each), fonts made for that DPI and
// made again when the DPI changes, colours, and App.Path.
#include <gtest/gtest.h>

#include <windows.h>
// after windows.h
#include <objbase.h>

#include <stdexcept>
#include <string>

#include "memo/dialog_data_list.h"
#include "memo/frm_main.h"
#include "print/dialog_printer.h"
#include "win32_window_fixture.h"

namespace pindle::platform::win32 {
namespace {

// Pixels of a few windows at each DPI, worked out by hand from the twips of their definitions
// (pixels = twips * DPI / 1440, rounded half away from zero).
struct Layout {
  int dpi;
  int twipsPerPixel;  // whole twips per pixel: 1440 / DPI, rounded down
  SIZE editorClient;  // the registered-memo editor, Dialog_DataList
  RECT editorText1, editorOk;
  RECT memoText1, memoCommand1;  // the quick memo, frmMain
  SIZE printClient;              // the print dialog, Dialog_Printer
  RECT printOk;
  int fontHeight9pt;  // lfHeight of a 9-point font
};
// One DPI a row: the editor, the quick memo and the print dialog each on a line of their own.
// clang-format off
constexpr Layout kLayouts[] = {
    {96, 15,
     {607, 504}, {16, 8, 593, 465}, {512, 472, 593, 497},
     {160, 40, 681, 401}, {608, 576, 681, 601},
     {425, 371}, {336, 336, 417, 361},
     -12},
    {120, 12,
     {759, 630}, {20, 10, 741, 581}, {640, 590, 741, 621},
     {200, 50, 851, 501}, {760, 720, 851, 751},
     {531, 464}, {420, 420, 521, 451},
     -15},
    {144, 10,
     {911, 756}, {24, 12, 890, 698}, {768, 708, 890, 746},
     {240, 60, 1022, 602}, {912, 864, 1022, 902},
     {638, 557}, {504, 504, 626, 542},
     -18},
    {192, 7,
     {1214, 1008}, {32, 16, 1186, 930}, {1024, 944, 1186, 994},
     {320, 80, 1362, 802}, {1216, 1152, 1362, 1202},
     {850, 742}, {672, 672, 834, 722},
     -24},
};
// clang-format on

const Layout& LayoutFor(int dpi) {
  for (const auto& l : kLayouts) {
    if (l.dpi == dpi) return l;
  }
  throw std::runtime_error("no expected layout for DPI " + std::to_string(dpi));
}

std::string Text(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) +
         "," + std::to_string(r.bottom);
}

// The system's message font at a DPI: the font of every control the definitions give none.
LONG MessageFontHeight(int dpi) {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof metrics;
  ::SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0,
                               static_cast<UINT>(dpi));
  return metrics.lfMessageFont.lfHeight;
}

::testing::AssertionResult SameRect(const RECT& actual, const RECT& expected) {
  if (::EqualRect(&actual, &expected)) return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << Text(actual) << " != " << Text(expected);
}

TEST_F(Win32WindowTest, EditorIsLaidOutFromTwipsAtTheWindowsDpi) {
  auto& editor = rt.Instance<Dialog_DataList>();
  Win32Window& w = Peer(editor);
  ASSERT_EQ(w.Dpi(), ExpectedDpi());
  const Layout& expected = LayoutFor(w.Dpi());
  RECT client;
  ::GetClientRect(w.Window(), &client);
  EXPECT_EQ(client.right, expected.editorClient.cx);
  EXPECT_EQ(client.bottom, expected.editorClient.cy);
  const RECT text1 = ChildRect(w.ControlWindow(editor.Definition().Find(u"Text1")));
  EXPECT_TRUE(SameRect(text1, expected.editorText1));
  const RECT ok = ChildRect(w.ControlWindow(editor.Definition().Find(u"OKButton")));
  EXPECT_TRUE(SameRect(ok, expected.editorOk));
  // A fixed dialog frame: no maximise or minimise box, not resizable, no taskbar button.
  const auto style = ::GetWindowLongPtrW(w.Window(), GWL_STYLE);
  EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME));
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_EQ(::GetWindow(w.Window(), GW_OWNER), backend.OwnerWindow());
}

TEST_F(Win32WindowTest, QuickMemoControlsAreLaidOutAtTheDpi) {
  auto& memo = rt.Instance<frmMain>();
  Win32Window& w = Peer(memo);
  ASSERT_EQ(w.Dpi(), ExpectedDpi());
  const Layout& expected = LayoutFor(w.Dpi());
  const RECT text1 = ChildRect(w.ControlWindow(memo.Definition().Find(u"Text1")));
  EXPECT_TRUE(SameRect(text1, expected.memoText1));
  const RECT print = ChildRect(w.ControlWindow(memo.Definition().Find(u"Command1")));
  EXPECT_TRUE(SameRect(print, expected.memoCommand1));
}

TEST_F(Win32WindowTest, PrintDialogIsLaidOutAtTheDpi) {
  auto& dialog = rt.Instance<Dialog_Printer>();
  Win32Window& w = Peer(dialog);
  ASSERT_EQ(w.Dpi(), ExpectedDpi());
  const Layout& expected = LayoutFor(w.Dpi());
  RECT client;
  ::GetClientRect(w.Window(), &client);
  EXPECT_EQ(client.right, expected.printClient.cx);
  EXPECT_EQ(client.bottom, expected.printClient.cy);
  const RECT ok = ChildRect(w.ControlWindow(dialog.Definition().Find(u"OKButton")));
  EXPECT_TRUE(SameRect(ok, expected.printOk));
  // Its client area opens where the definition puts it, in pixels of the same DPI.
  POINT origin{0, 0};
  ::ClientToScreen(w.Window(), &origin);
  EXPECT_EQ(origin.x, ::MulDiv(2760, w.Dpi(), 1440));
  EXPECT_EQ(origin.y, ::MulDiv(3750, w.Dpi(), 1440));
}

TEST_F(Win32WindowTest, ScreenTwipsPerPixelAreWholeAtTheSystemDpi) {
  EXPECT_EQ(::GetDpiForSystem(), static_cast<UINT>(ExpectedDpi()));
  EXPECT_EQ(backend.TwipsPerPixelX(), static_cast<float>(LayoutFor(ExpectedDpi()).twipsPerPixel));
}

TEST_F(Win32WindowTest, ControlsWithoutAFontGetTheMessageFontOfTheDpi) {
  auto& editor = rt.Instance<Dialog_DataList>();
  Win32Window& w = Peer(editor);
  const LOGFONTW ok = FontOf(w.ControlWindow(editor.Definition().Find(u"OKButton")));
  EXPECT_EQ(ok.lfHeight, MessageFontHeight(w.Dpi()));
  // The message font grows with the DPI: its size at 96 DPI scaled, give or take rounding.
  EXPECT_NEAR(ok.lfHeight, ::MulDiv(MessageFontHeight(96), w.Dpi(), 96), 1);
}

// Moving to a monitor of another DPI: the system sends WM_DPICHANGED with the new DPI and a
// suggested rectangle (here: the window scaled by the ratio of the DPIs, moved a little).
TEST_F(Win32WindowTest, DpiChangeLaysTheWindowOutAgainWithNewFonts) {
  rt.Show<Dialog_DataList>();
  auto& editor = rt.Instance<Dialog_DataList>();
  Win32Window& w = Peer(editor);
  HWND text1 = w.ControlWindow(editor.Definition().Find(u"Text1"));
  HWND ok = w.ControlWindow(editor.Definition().Find(u"OKButton"));
  const int from = w.Dpi();
  const int to = from == 192 ? 96 : 192;
  ASSERT_NE(MessageFontHeight(from), MessageFontHeight(to));

  const auto change = [&](int dpi, int oldDpi) {
    // Everything painted first, so that what the change repaints shows.
    ASSERT_TRUE(PumpUntil([&] {
      return !::GetUpdateRect(text1, nullptr, FALSE) && !::GetUpdateRect(ok, nullptr, FALSE);
    }));
    RECT outer;
    ::GetWindowRect(w.Window(), &outer);
    const RECT suggested{outer.left + 40, outer.top + 30,
                         outer.left + 40 + ::MulDiv(outer.right - outer.left, dpi, oldDpi),
                         outer.top + 30 + ::MulDiv(outer.bottom - outer.top, dpi, oldDpi)};
    ::SendMessageW(w.Window(), WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                   reinterpret_cast<LPARAM>(&suggested));
    EXPECT_EQ(w.Dpi(), dpi);
    EXPECT_TRUE(::GetUpdateRect(text1, nullptr, FALSE)) << "the memo box repaints";
    EXPECT_TRUE(::GetUpdateRect(ok, nullptr, FALSE)) << "the OK button repaints";

    const Layout& expected = LayoutFor(dpi);
    ::GetWindowRect(w.Window(), &outer);
    EXPECT_EQ(outer.left, suggested.left);
    EXPECT_EQ(outer.top, suggested.top);
    RECT client;
    ::GetClientRect(w.Window(), &client);
    EXPECT_EQ(client.right, expected.editorClient.cx) << "at " << dpi;
    EXPECT_EQ(client.bottom, expected.editorClient.cy) << "at " << dpi;
    EXPECT_TRUE(SameRect(ChildRect(text1), expected.editorText1));
    EXPECT_TRUE(SameRect(ChildRect(ok), expected.editorOk));
    EXPECT_EQ(FontOf(text1).lfHeight, expected.fontHeight9pt) << "at " << dpi;
    EXPECT_STREQ(FontOf(text1).lfFaceName, L"ＭＳ ゴシック");
    EXPECT_EQ(FontOf(ok).lfHeight, MessageFontHeight(dpi)) << "at " << dpi;
  };
  change(to, from);
  change(from, to);
}

TEST_F(Win32WindowTest, QuickMemoHasItsFontsAndColours) {
  auto& memo = rt.Instance<frmMain>();
  Win32Window& w = Peer(memo);
  const Layout& expected = LayoutFor(w.Dpi());
  HWND text1 = w.ControlWindow(memo.Definition().Find(u"Text1"));
  const LOGFONTW font = FontOf(text1);
  EXPECT_STREQ(font.lfFaceName, L"ＭＳ ゴシック");
  EXPECT_EQ(font.lfCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(font.lfHeight, expected.fontHeight9pt);

  // The registered-memo box paints on light grey.
  HDC screen = ::GetDC(nullptr);
  HDC dc = ::CreateCompatibleDC(screen);
  ::SendMessageW(w.Window(), WM_CTLCOLOREDIT, reinterpret_cast<WPARAM>(dc),
                 reinterpret_cast<LPARAM>(text1));
  EXPECT_EQ(::GetBkColor(dc), RGB(224, 224, 224));

  // The window surface is black; the key help is painted in light cyan on black.
  RECT client;
  ::GetClientRect(w.Window(), &client);
  HBITMAP bitmap = ::CreateCompatibleBitmap(screen, client.right, client.bottom);
  HGDIOBJ old = ::SelectObject(dc, bitmap);
  ::SendMessageW(w.Window(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc), PRF_CLIENT);
  EXPECT_EQ(::GetPixel(dc, 2, 2), RGB(0, 0, 0));
  const RECT help = w.ControlRect(memo.Definition().Find(u"Label1"));
  int cyan = 0;
  for (int y = help.top; y < help.bottom; ++y) {
    for (int x = help.left; x < help.right; ++x) cyan += ::GetPixel(dc, x, y) == RGB(192, 255, 255);
  }
  EXPECT_GT(cyan, 20) << "the key help's text is drawn in its colour";
  ::SelectObject(dc, old);
  ::DeleteObject(bitmap);
  ::DeleteDC(dc);
  ::ReleaseDC(nullptr, screen);

  EXPECT_FALSE(::GetWindowLongPtrW(w.Window(), GWL_STYLE) & WS_CAPTION) << "borderless";
}

TEST_F(Win32WindowTest, AppPathIsTheExecutablesDirectory) {
  wchar_t exe[MAX_PATH];
  ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring dir(exe);
  dir.resize(dir.find_last_of(L'\\'));
  const std::u16string path = backend.AppPath();
  EXPECT_EQ(std::wstring(path.begin(), path.end()), dir);
}

// Shell handlers started for mailto: may need COM on the thread that asks: the backend keeps
// the user-interface thread an apartment for as long as it lives.
TEST_F(Win32WindowTest, TheUserInterfaceThreadIsAComApartmentWhileTheBackendLives) {
  EXPECT_EQ(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), S_FALSE);
  ::CoUninitialize();  // gives back the use just taken
}

}  // namespace
}  // namespace pindle::platform::win32
