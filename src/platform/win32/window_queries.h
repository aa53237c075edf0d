// What a window tells of itself: its text, and the top-level windows of a thread.  Header only,
// so that tools which link nothing of the program may read windows the same way.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace pindle::platform::win32 {

// The window's text, by WM_GETTEXT: it also reads edit and static controls of other processes.
inline std::wstring WindowText(HWND window) {
  const auto length = static_cast<std::size_t>(::SendMessageW(window, WM_GETTEXTLENGTH, 0, 0));
  std::wstring text(length + 1, L'\0');
  const LRESULT copied =
      ::SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
  return text;
}

// The thread's top-level windows.
inline std::vector<HWND> ThreadWindows(DWORD thread) {
  std::vector<HWND> windows;
  ::EnumThreadWindows(
      thread,
      [](HWND window, LPARAM to) {
        reinterpret_cast<std::vector<HWND>*>(to)->push_back(window);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&windows));
  return windows;
}

}  // namespace pindle::platform::win32
