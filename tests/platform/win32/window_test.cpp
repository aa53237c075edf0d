// The Windows backend with real windows: layout from twips at the window's DPI, colours and
// fonts as defined, dialog keys, and a hotkey message through the real subclass chain.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <functional>

#include "host/form1.h"
#include "host/module2.h"
#include "info/frm_about.h"
#include "memo/dialog_data_list.h"
#include "memo/frm_main.h"
#include "platform/program.h"
#include "platform/runtime.h"
#include "platform/win32/win32_backend.h"
#include "platform/win32/win32_window.h"

namespace pindle::platform::win32 {
namespace {

class Win32WindowTest : public ::testing::Test {
 protected:
  Win32Backend backend{::GetModuleHandleW(nullptr)};
  Runtime rt{backend};

  // Delivers messages until done() holds, or fails after the timeout.
  bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (!done()) {
      if (std::chrono::steady_clock::now() > deadline) return false;
      MSG msg;
      while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) Win32Backend::Dispatch(msg);
      ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
    }
    return true;
  }
  static Win32Window& Peer(Form& form) { return static_cast<Win32Window&>(form.Peer()); }
  static RECT ChildRect(HWND child) {
    RECT r;
    ::GetWindowRect(child, &r);
    ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  static int ExpectedDpi() {
    const char* v = std::getenv("PINDLE_EXPECT_DPI");
    return v ? std::atoi(v) : 96;
  }
};

struct Layout {
  int dpi;
  SIZE client;
  RECT text1, okButton;
  int fontHeight9pt;
};
constexpr Layout kLayouts[] = {
    {96, {607, 504}, {16, 8, 593, 465}, {512, 472, 593, 497}, -12},
    {144, {911, 756}, {24, 12, 890, 698}, {768, 708, 890, 746}, -18},
};

const Layout& LayoutFor(int dpi) {
  for (const auto& l : kLayouts) {
    if (l.dpi == dpi) return l;
  }
  throw std::runtime_error("no expected layout for this DPI");
}

TEST_F(Win32WindowTest, EditorIsLaidOutFromTwipsAtTheWindowsDpi) {
  auto& editor = rt.Instance<Dialog_DataList>();
  Win32Window& w = Peer(editor);
  ASSERT_EQ(w.Dpi(), ExpectedDpi());
  const Layout& expected = LayoutFor(w.Dpi());
  RECT client;
  ::GetClientRect(w.Window(), &client);
  EXPECT_EQ(client.right, expected.client.cx);
  EXPECT_EQ(client.bottom, expected.client.cy);
  const RECT text1 = ChildRect(w.ControlWindow(editor.Definition().Find(u"Text1")));
  EXPECT_TRUE(::EqualRect(&text1, &expected.text1))
      << text1.left << "," << text1.top << "," << text1.right << "," << text1.bottom;
  const RECT ok = ChildRect(w.ControlWindow(editor.Definition().Find(u"OKButton")));
  EXPECT_TRUE(::EqualRect(&ok, &expected.okButton))
      << ok.left << "," << ok.top << "," << ok.right << "," << ok.bottom;
  // A fixed dialog frame: no maximise or minimise box, not resizable, no taskbar button.
  const auto style = ::GetWindowLongPtrW(w.Window(), GWL_STYLE);
  EXPECT_FALSE(style & (WS_MAXIMIZEBOX | WS_MINIMIZEBOX | WS_THICKFRAME));
  EXPECT_TRUE(style & WS_SYSMENU);
  EXPECT_EQ(::GetWindow(w.Window(), GW_OWNER), backend.OwnerWindow());
}

TEST_F(Win32WindowTest, QuickMemoHasItsFontsAndColours) {
  auto& memo = rt.Instance<frmMain>();
  Win32Window& w = Peer(memo);
  const Layout& expected = LayoutFor(w.Dpi());
  HWND text1 = w.ControlWindow(memo.Definition().Find(u"Text1"));
  LOGFONTW font{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(text1, WM_GETFONT, 0, 0)), sizeof font,
               &font);
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

TEST_F(Win32WindowTest, EnterAndEscPressTheAboutWindowsOkButton) {
  for (const UINT key : {VK_RETURN, VK_ESCAPE}) {
    rt.Show<frmAbout>();
    HWND about = Peer(rt.Instance<frmAbout>()).Window();
    HWND focus = ::GetFocus();
    ASSERT_TRUE(focus && ::IsChild(about, focus));
    ::PostMessageW(focus, WM_KEYDOWN, key, 0);
    EXPECT_TRUE(PumpUntil([this] { return rt.IfLoaded<frmAbout>() == nullptr; })) << key;
  }
}

TEST_F(Win32WindowTest, HotkeyMessagePassesTheSubclassChainAndOpensTheQuickMemo) {
  StartProgram(rt);
  Form1* host = rt.IfLoaded<Form1>();
  ASSERT_NE(host, nullptr);
  HWND h = reinterpret_cast<HWND>(host->hWnd());
  EXPECT_FALSE(::IsWindowVisible(h));
  EXPECT_EQ(::GetWindowLongPtrA(h, GWLP_WNDPROC), ProcAddress(&WindowProc));

  const auto id = [](std::int16_t atom) {
    return static_cast<WPARAM>(static_cast<std::intptr_t>(HotkeyIdentifier(atom)));
  };
  ::PostMessageW(h, WM_HOTKEY, id(Module2::Values().HotkeyAtom1), 0);
  ASSERT_TRUE(PumpUntil([this] { return rt.IfLoaded<frmMain>() != nullptr; }));
  EXPECT_TRUE(::IsWindowVisible(Peer(*rt.IfLoaded<frmMain>()).Window()));
  ::PostMessageW(h, WM_HOTKEY, id(Module2::Values().HotkeyAtom2), 0);
  ASSERT_TRUE(PumpUntil([this] { return rt.IfLoaded<frmMain>() == nullptr; }));

  rt.RunEvent([this] { rt.Unload<Form1>(); });
  // Released: another window can take Alt+F1 now.
  EXPECT_TRUE(::RegisterHotKey(backend.OwnerWindow(), 7, MOD_ALT, VK_F1));
  ::UnregisterHotKey(backend.OwnerWindow(), 7);
}

TEST_F(Win32WindowTest, AppPathIsTheExecutablesDirectory) {
  wchar_t exe[MAX_PATH];
  ::GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring dir(exe);
  dir.resize(dir.find_last_of(L'\\'));
  const std::u16string path = backend.AppPath();
  EXPECT_EQ(std::wstring(path.begin(), path.end()), dir);
}

}  // namespace
}  // namespace pindle::platform::win32
