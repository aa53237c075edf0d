#include "platform/win32/win32_backend.h"

#include <objbase.h>

#include <algorithm>

#include "platform/runtime.h"
#include "platform/wide_text.h"
#include "platform/win32/dpi_calls.h"
#include "platform/win32/win32_window.h"

namespace pindle::platform::win32 {

namespace {

constexpr wchar_t kOwnerClass[] = L"PindleOwner";
constexpr wchar_t kInstanceMutex[] = L"Local\\Pindle.SingleInstance";

// The hidden owner window answers for the program when the session ends (every top-level
// window is asked; the others leave it to the system's default, which allows it).  A window
// holding work the user would lose keeps the session with a reason Windows shows on its
// sign-out screen; otherwise the program ends as the session does.
LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  static HWND holding = nullptr;  // the window whose reason the system holds
  const auto release = [] {
    if (holding) ::ShutdownBlockReasonDestroy(holding);
    holding = nullptr;
  };
  switch (msg) {
    case WM_QUERYENDSESSION: {
      std::optional<Runtime::SessionHold> hold;
      try {
        hold = Runtime::Current().QueryEndSession();
      } catch (...) {
        return TRUE;  // no program to ask
      }
      release();
      if (!hold) return TRUE;
      holding = reinterpret_cast<HWND>(hold->window);
      ::ShutdownBlockReasonCreate(holding, Wide(hold->reason).c_str());
      return FALSE;
    }
    case WM_ENDSESSION:
      release();
      if (wParam) {
        try {
          Runtime::Current().EndSession();
        } catch (...) {
        }
      }
      return 0;
    default:
      return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  }
}

}  // namespace

ComApartment::ComApartment()
    : initialised_(
          SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE))) {
}

ComApartment::~ComApartment() {
  if (initialised_) ::CoUninitialize();
}

DateTime Win32Clock::Now() const {
  SYSTEMTIME st{};
  ::GetLocalTime(&st);
  return DateTime{st.wYear, st.wMonth, st.wDay, st.wHour, st.wMinute, st.wSecond, st.wMilliseconds};
}

std::u16string Win32Clock::DateTimeText(const DateTime& t) const {
  SYSTEMTIME st{};
  st.wYear = static_cast<WORD>(t.year);
  st.wMonth = static_cast<WORD>(t.month);
  st.wDay = static_cast<WORD>(t.day);
  st.wDayOfWeek = static_cast<WORD>(Weekday(t) - 1);
  st.wHour = static_cast<WORD>(t.hour);
  st.wMinute = static_cast<WORD>(t.minute);
  st.wSecond = static_cast<WORD>(t.second);
  wchar_t date[128] = {};
  wchar_t time[128] = {};
  if (!::GetDateFormatEx(LOCALE_NAME_USER_DEFAULT, DATE_SHORTDATE, &st, nullptr, date, 128,
                         nullptr) ||
      !::GetTimeFormatEx(LOCALE_NAME_USER_DEFAULT, 0, &st, nullptr, time, 128)) {
    return DefaultDateTimeText(t);
  }
  return Narrow(date) + u" " + Narrow(time);
}

Win32Backend::Win32Backend(HINSTANCE instance) : instance_(instance) {
  Win32Window::RegisterClasses(instance);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &OwnerProc;
  wc.hInstance = instance;
  wc.lpszClassName = kOwnerClass;
  ::RegisterClassExW(&wc);
  owner_.reset(::CreateWindowExW(WS_EX_TOOLWINDOW, kOwnerClass, L"Pindle", WS_POPUP, 0, 0, 0, 0,
                                 nullptr, nullptr, instance, nullptr));
}

Win32Backend::~Win32Backend() = default;

std::unique_ptr<WindowPeer> Win32Backend::CreatePeer(Form& form, const FormDef& def) {
  return std::make_unique<Win32Window>(*this, form, def);
}

int Win32Backend::ShowMessageBox(Hwnd owner, const std::u16string& prompt, int style,
                                 const std::u16string& title) {
  const std::wstring text = Wide(prompt), caption = Wide(title);
  // Like the program's other windows, the box has no owner; it comes to the front and keeps
  // the program's windows disabled while it is open.
  return ::MessageBoxW(reinterpret_cast<HWND>(owner), text.c_str(), caption.c_str(),
                       static_cast<UINT>(style) | MB_TASKMODAL | MB_SETFOREGROUND);
}

void Win32Backend::ShowNotice(const std::u16string& prompt) {
  notices_.Show(Wide(prompt), Wide(kAppTitle));
}

void Win32Backend::Beep() {
  ::MessageBeep(MB_OK);
}

std::u16string Win32Backend::AppPath() const {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      break;
    }
    path.resize(path.size() * 2);
  }
  const auto slash = path.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return u".";
  // "C:\" keeps its backslash at a drive root; elsewhere the directory has none at its end.
  std::wstring dir = path.substr(0, slash);
  if (dir.size() == 2 && dir[1] == L':') dir += L'\\';
  return Narrow(dir);
}

bool Win32Backend::PrevInstance() {
  if (!mutexChecked_) {
    mutexChecked_ = true;
    instanceMutex_.reset(::CreateMutexW(nullptr, FALSE, kInstanceMutex));
    // A copy started as administrator made the mutex with a security this copy may not open:
    // it runs all the same.
    const DWORD error = ::GetLastError();
    prevInstance_ =
        error == ERROR_ALREADY_EXISTS || (!instanceMutex_ && error == ERROR_ACCESS_DENIED);
  }
  return prevInstance_;
}

float Win32Backend::TwipsPerPixelX() const {
  // Whole twips per pixel, so that a pixel count turned into twips and back comes out exact.
  const UINT dpi = DpiForSystem();
  return static_cast<float>(TwipsPerPixel(static_cast<int>(dpi)));
}

void Win32Backend::Quit() {
  ::PostQuitMessage(0);
}

void Win32Backend::RunMessageLoop() {
  MSG msg;
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) Dispatch(msg);
}

void Win32Backend::Dispatch(MSG& msg) {
  HWND root = msg.hwnd ? ::GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (root && Win32Window::FromHandle(root) && ::IsDialogMessageW(root, &msg)) return;
  ::TranslateMessage(&msg);
  ::DispatchMessageW(&msg);
}

}  // namespace pindle::platform::win32
