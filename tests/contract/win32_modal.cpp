#include "contract/win32_modal.h"

#include <cstring>

#include "platform/wide_text.h"

namespace pindle::contract {
namespace {

ModalAnswers* g_current = nullptr;

std::wstring TextOf(HWND window) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(static_cast<std::size_t>(
      ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

void PostKey(HWND window, UINT vk) {
  ::PostMessageW(window, WM_KEYDOWN, vk, 1);
  ::PostMessageW(window, WM_KEYUP, vk, 0xC0000001);
}

// A movable global block holding bytes, as the print dialog returns its choice.
HGLOBAL Global(const void* bytes, std::size_t size) {
  HGLOBAL handle = ::GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
  std::memcpy(::GlobalLock(handle), bytes, size);
  ::GlobalUnlock(handle);
  return handle;
}

}  // namespace

ModalAnswers::ModalAnswers() : timer_(::SetTimer(nullptr, 0, 50, &ModalAnswers::OnTimer)) {
  g_current = this;
}

ModalAnswers::~ModalAnswers() {
  ::KillTimer(nullptr, timer_);
  g_current = nullptr;
}

// The pop-up menu window of this thread, when one is open.
BOOL CALLBACK FindMenu(HWND window, LPARAM found) {
  wchar_t cls[16] = {};
  ::GetClassNameW(window, cls, 16);
  if (std::wstring_view(cls) != L"#32768" || !::IsWindowVisible(window)) return TRUE;
  *reinterpret_cast<HWND*>(found) = window;
  return FALSE;
}

void CALLBACK ModalAnswers::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
  if (!g_current) return;
  HWND menu = nullptr;
  ::EnumThreadWindows(::GetCurrentThreadId(), &FindMenu, reinterpret_cast<LPARAM>(&menu));
  if (!menu) {
    g_current->menuTicks_ = 0;
    ::EnumThreadWindows(::GetCurrentThreadId(), &ModalAnswers::Inspect, 0);
    return;
  }
  if (g_current->menus_.empty()) {
    // No answer for it: closed after a second, so that the test goes on.
    if (++g_current->menuTicks_ > 20) ::EndMenu();
    return;
  }
  g_current->menuTicks_ = 0;
  const std::optional<int> item = g_current->menus_.front();
  g_current->menus_.pop_front();
  if (!item) {
    ::EndMenu();
    return;
  }
  // Down to the item, then Enter: the menu's own loop takes the keys of its thread.
  for (int i = 0; i <= *item; ++i) PostKey(menu, VK_DOWN);
  PostKey(menu, VK_RETURN);
}

BOOL CALLBACK ModalAnswers::Inspect(HWND window, LPARAM) {
  wchar_t cls[64] = {};
  ::GetClassNameW(window, cls, 64);
  if (std::wstring_view(cls) != L"#32770" || !::IsWindowVisible(window)) return TRUE;
  for (HWND answered : g_current->answered_) {
    if (answered == window) return TRUE;  // OK is on its way
  }
  SeenMessageBox box{{}, platform::kMbOk, platform::Narrow(TextOf(window))};
  for (HWND child = ::GetWindow(window, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
    ::GetClassNameW(child, cls, 64);
    if (std::wstring_view(cls) != L"Static") continue;
    if ((::GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
      const auto icon = reinterpret_cast<HICON>(::SendMessageW(child, STM_GETICON, 0, 0));
      if (icon == ::LoadIconW(nullptr, IDI_HAND)) box.style = platform::kMbIconStop;
    } else {
      box.prompt += platform::Narrow(TextOf(child));
    }
  }
  g_current->boxes_.push_back(std::move(box));
  g_current->answered_.push_back(window);
  ::PostMessageW(window, WM_COMMAND, IDOK, 0);
  return TRUE;
}

platform::win32::PrintDialogCalls ModalAnswers::PrintDialogCalls() {
  return {&ModalAnswers::PrintDlg, &ModalAnswers::ExtendedError};
}

BOOL WINAPI ModalAnswers::PrintDlg(LPPRINTDLGW pd) {
  PrintAnswer next{PrintDialogAnswer::Cancel, {}};
  if (g_current && !g_current->printDialogs_.empty()) {
    next = g_current->printDialogs_.front();
    g_current->printDialogs_.pop_front();
  }
  g_current->printError_ = next.answer == PrintDialogAnswer::Fail ? PDERR_NODEFAULTPRN : 0;
  if (next.answer != PrintDialogAnswer::Ok) return FALSE;
  DEVMODEW mode{};
  mode.dmSize = sizeof mode;
  mode.dmFields = DM_COPIES | DM_ORIENTATION;
  mode.dmCopies = next.choice.copies;
  mode.dmOrientation = next.choice.orientation == platform::kLandscape
                           ? static_cast<short>(DMORIENT_LANDSCAPE)
                           : static_cast<short>(DMORIENT_PORTRAIT);
  pd->hDevMode = Global(&mode, sizeof mode);
  struct {
    DEVNAMES names;
    wchar_t device[16];
  } names{{4, 4, 4, 0}, L"Contract"};
  names.names.wDriverOffset = names.names.wDeviceOffset = names.names.wOutputOffset =
      static_cast<WORD>(sizeof(DEVNAMES) / sizeof(wchar_t));
  pd->hDevNames = Global(&names, sizeof names);
  return TRUE;
}

DWORD WINAPI ModalAnswers::ExtendedError() {
  return g_current ? g_current->printError_ : 0;
}

}  // namespace pindle::contract
