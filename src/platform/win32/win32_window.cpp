// The window and its peer accessors: creation from the definition, showing, and the state
// of its controls as the program reads and sets it.
#include "platform/win32/win32_window.h"

#include <algorithm>

#include "platform/runtime_error.h"
#include "platform/wide_text.h"
#include "platform/win32/dpi_calls.h"
#include "platform/win32/resources/resource_ids.h"
#include "platform/win32/win32_backend.h"
#include "platform/win32/window_queries.h"

namespace pindle::platform::win32 {

void Win32Window::RegisterClasses(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = &Win32Window::FormProc;
  wc.hInstance = instance;
  wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = kFormClass;
  ::RegisterClassExW(&wc);
  wc.lpfnWndProc = &Win32Window::SurfaceProc;
  wc.lpszClassName = kSurfaceClass;
  ::RegisterClassExW(&wc);
}

Win32Window* Win32Window::FromHandle(HWND hwnd) {
  return reinterpret_cast<Win32Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

Win32Window::Win32Window(Win32Backend& backend, Form& form, const FormDef& def)
    : backend_(backend), form_(form), def_(def), model_(form, def), native_(def.controls.size()) {
  Create();
}

Win32Window::~Win32Window() {
  if (!hwnd_) return;
  for (HWND child : native_) {
    if (child && FromHandle(child) == this) ::SetWindowLongPtrW(child, GWLP_USERDATA, 0);
  }
  ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  ::DestroyWindow(hwnd_);
}

HWND Win32Window::SurfaceOf(int control) const {
  const int container = model_.ContainerOf(control);
  HWND surface = container >= 0 ? ControlWindow(container) : nullptr;
  return surface ? surface : hwnd_;
}

void Win32Window::Create() {
  DWORD style = WS_CLIPCHILDREN;
  DWORD ex = WS_EX_CONTROLPARENT;
  switch (def_.border) {
    case BorderStyle::None:
      style |= WS_POPUP;
      break;
    case BorderStyle::FixedSingle:
      style |= WS_OVERLAPPED | WS_CAPTION;
      break;
    case BorderStyle::Sizable:
      style |= WS_OVERLAPPED | WS_CAPTION | WS_THICKFRAME;
      break;
    case BorderStyle::FixedDialog:
      style |= WS_OVERLAPPED | WS_CAPTION;
      ex |= WS_EX_DLGMODALFRAME;
      break;
  }
  if (def_.border != BorderStyle::None && def_.controlBox) style |= WS_SYSMENU;
  if (def_.minButton) style |= WS_MINIMIZEBOX;
  if (def_.maxButton) style |= WS_MAXIMIZEBOX;
  // A window owned by the hidden owner window has no taskbar button.
  HWND owner = def_.showInTaskbar ? nullptr : backend_.OwnerWindow();
  if (def_.showInTaskbar) ex |= WS_EX_APPWINDOW;

  // Created where it will open, so that it takes the DPI of that monitor from the start.
  int x = CW_USEDEFAULT, y = CW_USEDEFAULT;
  if (def_.startPosition == StartPosition::Manual) {
    const int systemDpi = static_cast<int>(DpiForSystem());
    x = ::MulDiv(def_.left, systemDpi, 1440);
    y = ::MulDiv(def_.top, systemDpi, 1440);
  }
  const std::wstring caption = Wide(def_.caption);
  ::CreateWindowExW(ex, kFormClass, caption.c_str(), style, x, y, 100, 100, owner, nullptr,
                    backend_.Instance(), this);
  if (!hwnd_) {
    throw RuntimeError(err::kOutOfMemory, u"ウィンドウ " + def_.name + u" を作れません。");
  }
  dpi_ = static_cast<int>(DpiForWindow(hwnd_));

  if (def_.icon != FormIcon::None) {
    const WORD id = def_.icon == FormIcon::Product ? IDI_PRODUCT : IDI_DIALOG;
    smallIcon_ = static_cast<HICON>(::LoadImageW(backend_.Instance(), MAKEINTRESOURCEW(id),
                                                 IMAGE_ICON, ::GetSystemMetrics(SM_CXSMICON),
                                                 ::GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    bigIcon_ = static_cast<HICON>(::LoadImageW(backend_.Instance(), MAKEINTRESOURCEW(IDI_PRODUCT),
                                               IMAGE_ICON, ::GetSystemMetrics(SM_CXICON),
                                               ::GetSystemMetrics(SM_CYICON), LR_SHARED));
    if (def_.icon == FormIcon::Product && !bigIcon_) bigIcon_ = smallIcon_;
    ::SendMessageW(hwnd_, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon_));
    ::SendMessageW(hwnd_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon_));
  }
  CreateControls();
  PlaceWindow();
}

void Win32Window::Show() {
  if (def_.windowState == WindowState::Maximized && !::IsZoomed(hwnd_)) {
    // The window fills the monitor the mouse pointer is on.
    POINT cursor{};
    ::GetCursorPos(&cursor);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    if (::GetMonitorInfoW(::MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST), &info)) {
      ::SetWindowPos(hwnd_, nullptr, info.rcWork.left, info.rcWork.top, 0, 0,
                     SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    }
    ::ShowWindow(hwnd_, SW_SHOWMAXIMIZED);
  } else {
    ::ShowWindow(hwnd_, ::IsIconic(hwnd_) ? SW_RESTORE : SW_SHOW);
  }
  ::SetForegroundWindow(hwnd_);
  ::BringWindowToTop(hwnd_);
  if (!shownOnce_) {
    shownOnce_ = true;
    const int first = model_.FirstFocus([this](int id) {
      HWND child = ControlWindow(id);
      return child && ::IsWindowVisible(child) && ::IsWindowEnabled(child);
    });
    if (first >= 0) ::SetFocus(ControlWindow(first));
  }
}

void Win32Window::SetVisible(bool visible) {
  ::ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

bool Win32Window::IsVisible() const {
  return ::IsWindowVisible(hwnd_) != FALSE;
}

std::u16string Win32Window::GetText(int control) const {
  HWND h = ControlWindow(control);
  return h ? Narrow(WindowText(h)) : model_.Caption(control);
}

void Win32Window::SetText(int control, std::u16string_view text) {
  if (HWND h = ControlWindow(control)) {
    // A text put in a combo box's edit part chooses no entry.
    if (model_.Control(control).kind == ControlKind::ComboBox)
      ::SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    ::SetWindowTextW(h, Wide(text).c_str());
    return;
  }
  if (!model_.SetCaption(control, text)) return;  // the clock sets its label ten times a second
  const RECT r = ControlRect(control);
  ::InvalidateRect(SurfaceOf(control), &r, TRUE);
}

bool Win32Window::GetControlVisible(int control) const {
  return model_.Visible(control);
}

void Win32Window::SetControlVisible(int control, bool visible) {
  model_.SetVisible(control, visible);
  if (HWND h = ControlWindow(control)) {
    ::ShowWindow(h, visible ? SW_SHOW : SW_HIDE);
  } else {
    const RECT r = ControlRect(control);
    ::InvalidateRect(SurfaceOf(control), &r, TRUE);
  }
}

int Win32Window::GetValue(int control) const {
  HWND h = ControlWindow(control);
  return h && ::SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void Win32Window::SetValue(int control, int value) {
  if (HWND h = ControlWindow(control)) {
    ::SendMessageW(h, BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

int Win32Window::GetListIndex(int control) const {
  // The entry the box shows: the list's selection while the edit part still holds that
  // entry's text (typing there may leave the list's selection behind).
  HWND h = ControlWindow(control);
  const LRESULT index = h ? ::SendMessageW(h, CB_GETCURSEL, 0, 0) : CB_ERR;
  const auto& list = model_.Control(control).list;
  if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return -1;
  return Narrow(WindowText(h)) == list[static_cast<std::size_t>(index)] ? static_cast<int>(index)
                                                                        : -1;
}

void Win32Window::SetListIndex(int control, int index) {
  if (HWND h = ControlWindow(control))
    ::SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Win32Window::SetTimerEnabled(int control, bool enabled) {
  const auto id = static_cast<UINT_PTR>(kTimerBase + control);
  if (enabled) {
    const int interval = model_.Control(control).interval;
    ::SetTimer(hwnd_, id, static_cast<UINT>(std::max(interval, 1)), nullptr);
  } else {
    ::KillTimer(hwnd_, id);
  }
}

std::optional<int> Win32Window::TrackPopupMenu(int menu, int flags) {
  const MenuDef& m = def_.menus.at(static_cast<std::size_t>(menu));
  MenuHandle popup(::CreatePopupMenu());
  for (std::size_t i = 0; i < m.items.size(); ++i) {
    if (m.items[i].IsSeparator()) {
      ::AppendMenuW(popup.get(), MF_SEPARATOR, 0, nullptr);
    } else {
      const std::wstring caption = Wide(m.items[i].caption);
      ::AppendMenuW(popup.get(), MF_STRING, i + 1, caption.c_str());
    }
  }
  POINT cursor{};
  ::GetCursorPos(&cursor);
  // The menu closes when the user clicks elsewhere only if its window is in the foreground.
  ::SetForegroundWindow(hwnd_);
  UINT tpm = TPM_RETURNCMD | TPM_LEFTALIGN | TPM_TOPALIGN;
  if (flags & 2) tpm |= TPM_RIGHTBUTTON;
  const BOOL chosen = ::TrackPopupMenuEx(popup.get(), tpm, cursor.x, cursor.y, hwnd_, nullptr);
  ::PostMessageW(hwnd_, WM_NULL, 0, 0);
  if (chosen <= 0) return std::nullopt;
  return static_cast<int>(chosen) - 1;
}

}  // namespace pindle::platform::win32
