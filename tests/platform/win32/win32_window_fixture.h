// The fixture of the tests with real windows: a Win32Backend with its Runtime, a message pump
// that waits with a timeout, and the DPI the run expects (PINDLE_EXPECT_DPI, 96 when unset:
// scripts/test runs win32_tests once per DPI, each time in a Wine prefix set to that DPI).
#pragma once

#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstdlib>
#include <functional>

#include "platform/runtime.h"
#include "platform/win32/win32_backend.h"
#include "platform/win32/win32_window.h"

namespace pindle::platform::win32 {

// Delivers messages as the message loop does until done() holds; false after the timeout.
inline bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    MSG msg;
    while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) Win32Backend::Dispatch(msg);
    ::MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
  }
  return true;
}

// The DPI the windows of this run must be laid out at.
inline int ExpectedDpi() {
  const char* v = std::getenv("PINDLE_EXPECT_DPI");
  return v ? std::atoi(v) : 96;
}

// A child window's rectangle in its parent's client coordinates.
inline RECT ChildRect(HWND child) {
  RECT r;
  ::GetWindowRect(child, &r);
  ::MapWindowPoints(nullptr, ::GetParent(child), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

// The font a window draws its text with.
inline LOGFONTW FontOf(HWND window) {
  LOGFONTW font{};
  ::GetObjectW(reinterpret_cast<HFONT>(::SendMessageW(window, WM_GETFONT, 0, 0)), sizeof font,
               &font);
  return font;
}

// True when the program runs under Wine rather than on Windows.
inline bool RunningUnderWine() {
  return ::GetProcAddress(::GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

class Win32WindowTest : public ::testing::Test {
 protected:
  Win32Backend backend{::GetModuleHandleW(nullptr)};
  Runtime rt{backend};

  static Win32Window& Peer(Form& form) { return static_cast<Win32Window&>(form.Peer()); }
};

}  // namespace pindle::platform::win32
