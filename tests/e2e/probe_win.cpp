// A small Windows tool for the end-to-end script: reads what a window of the running program
// shows, as a user would see it.
//   pindle_probe text TITLE [N]
//                             prints the text of the N-th edit box (from 0, default 0) of the
//                             visible top-level window titled TITLE, in UTF-8; exit code 1 when
//                             there is none.
//   pindle_probe menu         while a pop-up menu is open: prints its screen rectangle
//                             "left top right bottom" and exits with 0.
#include <windows.h>

#include <cstdio>
#include <string>

namespace {

HWND VisibleTopLevel(const wchar_t* windowClass, const wchar_t* title) {
  HWND window = nullptr;
  do window = ::FindWindowExW(nullptr, window, windowClass, title);
  while (window && !::IsWindowVisible(window));
  return window;
}

struct EditSearch {
  int skip;
  HWND found = nullptr;
};

BOOL CALLBACK FindEdit(HWND hwnd, LPARAM lParam) {
  auto* search = reinterpret_cast<EditSearch*>(lParam);
  wchar_t cls[32] = {};
  ::GetClassNameW(hwnd, cls, 32);
  if (_wcsicmp(cls, L"Edit") != 0 || search->skip-- > 0) return TRUE;
  search->found = hwnd;
  return FALSE;
}

void WriteUtf8(const std::wstring& text) {
  const int size = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                         nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(size), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                        nullptr, nullptr);
  DWORD written = 0;
  ::WriteFile(::GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
              &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc == 2 && std::wcscmp(argv[1], L"menu") == 0) {
    HWND menu = VisibleTopLevel(L"#32768", nullptr);  // the pop-up menu's window class
    if (!menu) return 1;
    RECT r;
    ::GetWindowRect(menu, &r);
    std::printf("%ld %ld %ld %ld\n", static_cast<long>(r.left), static_cast<long>(r.top),
                static_cast<long>(r.right), static_cast<long>(r.bottom));
    return 0;
  }
  if ((argc != 3 && argc != 4) || std::wcscmp(argv[1], L"text") != 0) {
    std::fputs("usage: pindle_probe text TITLE [N] | pindle_probe menu\n", stderr);
    return 2;
  }
  HWND window = VisibleTopLevel(nullptr, argv[2]);
  if (!window) return 1;
  EditSearch edits{argc == 4 ? _wtoi(argv[3]) : 0};
  ::EnumChildWindows(window, &FindEdit, reinterpret_cast<LPARAM>(&edits));
  HWND edit = edits.found;
  if (!edit) return 1;
  // WM_GETTEXT works across processes for edit controls.
  const auto length = ::SendMessageW(edit, WM_GETTEXTLENGTH, 0, 0);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const auto copied = ::SendMessageW(edit, WM_GETTEXT, static_cast<WPARAM>(length + 1),
                                     reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(copied));
  WriteUtf8(text);
  return 0;
}
