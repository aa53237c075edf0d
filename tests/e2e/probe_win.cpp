// A small Windows tool for the end-to-end script: reads what a window of the running program
// shows, as a user would see it.
//   pindle_probe text TITLE [N]   the text of the N-th edit box (from 0) of the visible window
//                                 titled TITLE, in UTF-8; exit code 1 when there is none.
//   pindle_probe menu             the open pop-up menu's screen rectangle "left top right bottom".
//   pindle_probe message TITLE    the text of the visible message box titled TITLE, in UTF-8.
//   pindle_probe hotkey FILE      holds Alt+F1 as another program would, writes FILE once it
//                                 does, and keeps it until it is ended.
//   pindle_probe hold PATH MS     holds the file open, sharing nothing, for MS milliseconds, as a
//                                 virus scanner may; says "held" once it has it.
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "platform/win32/window_queries.h"  // header only: the probe links nothing else

namespace {

using pindle::platform::win32::WindowText;

HWND VisibleTopLevel(const wchar_t* windowClass, const wchar_t* title) {
  HWND window = nullptr;
  do window = ::FindWindowExW(nullptr, window, windowClass, title);
  while (window && !::IsWindowVisible(window));
  return window;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring command = argc > 1 ? argv[1] : L"";
  if (argc == 2 && command == L"menu") {
    HWND menu = VisibleTopLevel(L"#32768", nullptr);  // the pop-up menu's window class
    RECT r;
    if (!menu || !::GetWindowRect(menu, &r)) return 1;
    std::printf("%ld %ld %ld %ld\n", long{r.left}, long{r.top}, long{r.right}, long{r.bottom});
    return 0;
  }
  if (argc == 4 && command == L"hold") {
    const std::unique_ptr<void, decltype(&::CloseHandle)> file(
        ::CreateFileW(argv[2], GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr), ::CloseHandle);
    if (file.get() == INVALID_HANDLE_VALUE) return 1;
    std::puts("held");
    std::fflush(stdout);
    ::Sleep(static_cast<DWORD>(_wtoi(argv[3])));
    return 0;
  }
  if (argc == 3 && command == L"hotkey") {
    if (!::RegisterHotKey(nullptr, 1, MOD_ALT, VK_F1)) return 1;
    const HANDLE held =
        ::CreateFileW(argv[2], GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ::CloseHandle(held);
    MSG msg;
    while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    }
    return 0;
  }
  std::wstring text;
  if (argc == 3 && command == L"message") {
    HWND box = VisibleTopLevel(L"#32770", argv[2]);
    for (HWND c = box ? ::FindWindowExW(box, nullptr, L"Static", nullptr) : nullptr; c;
         c = ::FindWindowExW(box, c, L"Static", nullptr))
      text += WindowText(c);
    if (!box) return 1;
  } else if ((argc == 3 || argc == 4) && command == L"text") {
    HWND window = VisibleTopLevel(nullptr, argv[2]), edit = nullptr;
    for (int n = argc == 4 ? _wtoi(argv[3]) : 0; window && n >= 0; --n)
      edit = ::FindWindowExW(window, edit, L"Edit", nullptr);
    if (!edit) return 1;
    text = WindowText(edit);
  } else {
    std::fputs(
        "usage: pindle_probe text TITLE [N] | menu | message TITLE | hotkey FILE | hold PATH MS\n",
        stderr);
    return 2;
  }
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
  DWORD written = 0;  // the bytes as they are, without the C library's CR before LF
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(size), &written,
              nullptr);
  return 0;
}
