// Input routing: the window's and its surfaces' messages, the edit boxes' dialog keys, presses
// on labels, commands of buttons and boxes, Enter and Esc.
#include <windowsx.h>

#include "platform/win32/win32_window.h"

namespace pindle::platform::win32 {

namespace {

int ShiftState() {
  return (::GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (::GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
         (::GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

// Runs a step that raises the program's events; nothing may unwind through Windows' frames.
template <class Fn>
void Guarded(Fn&& fn) noexcept {
  try {
    fn();
  } catch (...) {
  }
}

}  // namespace

// Text boxes keep the dialog keys of their window: Tab and Shift+Tab move the focus on (a
// multi-line box would otherwise keep them), Esc presses the cancel button where there is one
// and does nothing else (a multi-line box in a window with dialog keys would close the window
// and throw the text away), and a box entered by Tab keeps its caret instead of selecting all
// of its text, which the next key would replace.
LRESULT CALLBACK Win32Window::EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_GETDLGCODE: {
      LRESULT code = ::CallWindowProcW(editProc_, hwnd, msg, wParam, lParam);
      code &= ~static_cast<LRESULT>(DLGC_HASSETSEL);
      const auto* m = reinterpret_cast<const MSG*>(lParam);
      if (m && (m->message == WM_KEYDOWN || m->message == WM_CHAR) &&
          (m->wParam == VK_TAB || m->wParam == VK_ESCAPE)) {
        code &= ~static_cast<LRESULT>(DLGC_WANTALLKEYS | DLGC_WANTMESSAGE | DLGC_WANTTAB);
      }
      return code;
    }
    case WM_KEYDOWN:
    case WM_CHAR:
      if (wParam == VK_ESCAPE || (msg == WM_CHAR && wParam == L'\t')) return 0;
      break;
    default:
      break;
  }
  return ::CallWindowProcW(editProc_, hwnd, msg, wParam, lParam);
}

int Win32Window::ControlIdOf(HWND child) const {
  for (int i = 0; i < model_.Count(); ++i) {
    if (HWND h = ControlWindow(i); h && (h == child || ::IsChild(h, child))) return i;
  }
  return -1;
}

bool Win32Window::PressLabel(HWND surface, int container, UINT msg, LPARAM lParam) {
  const int button = msg == WM_LBUTTONDOWN   ? kLeftButton
                     : msg == WM_RBUTTONDOWN ? kRightButton
                                             : kMiddleButton;
  if (!model_.PressLabel(container, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), dpi_, button))
    return false;
  if (button == kLeftButton) ::SetCapture(surface);  // until the release
  return true;
}

bool Win32Window::ReleaseLabel(int container, LPARAM lParam) {
  if (!model_.LabelPressed()) return false;
  ::ReleaseCapture();
  model_.ReleaseLabel(container, GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam), dpi_);
  return true;
}

int Win32Window::FocusedButton() const {
  const int c = ControlIdOf(::GetFocus());
  return c >= 0 && model_.Control(c).kind == ControlKind::CommandButton ? c : -1;
}

int Win32Window::DialogButton(bool isDefault) const {
  return model_.DialogButton(isDefault, [this](int i) {
    HWND h = ControlWindow(i);
    return h && ::IsWindowEnabled(h);
  });
}

bool Win32Window::OnCommand(WPARAM wParam, LPARAM lParam) {
  const int id = LOWORD(wParam);
  const int code = HIWORD(wParam);
  if (lParam == 0 || id == IDOK || id == IDCANCEL) {
    // Enter and Esc, as the dialog keys turn them into commands.
    if (id == IDOK && FocusedButton() >= 0) {
      form_.RaiseClick(FocusedButton());
      return true;
    }
    if (id != IDOK && id != IDCANCEL) return false;
    if (const int button = DialogButton(id == IDOK); button >= 0) form_.RaiseClick(button);
    return true;  // the click may have unloaded this window: nothing after it
  }
  const int c = id - kIdBase;
  if (c < 0 || c >= model_.Count()) return false;
  switch (model_.Control(c).kind) {
    case ControlKind::CommandButton:
    case ControlKind::CheckBox:
      if (code == BN_CLICKED) form_.RaiseClick(c);
      return true;
    case ControlKind::ComboBox:
      if (code == CBN_SELCHANGE) form_.RaiseClick(c);
      return true;
    default:
      return false;
  }
}

LRESULT CALLBACK Win32Window::FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    auto* self =
        static_cast<Win32Window*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    self->hwnd_ = hwnd;
    ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  Win32Window* self = FromHandle(hwnd);
  if (!self || self->hwnd_ != hwnd) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  LRESULT result = 0;
  bool handled = false;
  Guarded([&] {
    result = self->OnFormMessage(msg, wParam, lParam);
    handled = true;
  });
  return handled ? result : ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT Win32Window::OnFormMessage(UINT msg, WPARAM wParam, LPARAM lParam) {
  HWND hwnd = hwnd_;
  switch (msg) {
    case WM_ERASEBKGND:
    case WM_PAINT:
    case WM_PRINTCLIENT:  // the window is the surface of the controls not in a container
      return OnSurfaceMessage(hwnd_, -1, msg, wParam, lParam);
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORLISTBOX:
      if (const LRESULT brush =
              OnControlColor(reinterpret_cast<HDC>(wParam), reinterpret_cast<HWND>(lParam))) {
        return brush;
      }
      break;
    case WM_COMMAND:
      if (OnCommand(wParam, lParam)) return 0;
      break;
    case DM_GETDEFID:
      // A focused push button is the one Enter presses; otherwise the window's default.
      if (const int focused = FocusedButton(); focused >= 0) {
        return MAKELRESULT(kIdBase + focused, DC_HASDEFID);
      }
      if (const int button = DialogButton(true); button >= 0) {
        return MAKELRESULT(kIdBase + button, DC_HASDEFID);
      }
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      // A press on a label is the label's, not the window's.
      if (!PressLabel(hwnd_, -1, msg, lParam)) form_.DispatchMouseMessage(msg, wParam, lParam);
      return 0;  // the window may be unloaded now
    case WM_LBUTTONUP:
      if (ReleaseLabel(-1, lParam)) return 0;  // may unload this window
      break;
    case WM_KEYDOWN:
      form_.RaiseKeyDown(static_cast<int>(wParam), ShiftState());
      return 0;
    case WM_TIMER:
      if (wParam >= kTimerBase && wParam < kTimerBase + native_.size()) {
        form_.RaiseTimer(static_cast<int>(wParam) - kTimerBase);
        return 0;
      }
      break;
    case WM_CLOSE:
      form_.RaiseClose();
      return 0;
    case WM_ACTIVATE:
      if (LOWORD(wParam) == WA_INACTIVE) {
        lastFocus_ = ::GetFocus();
      } else if (lastFocus_ && ::IsChild(hwnd_, lastFocus_)) {
        ::SetFocus(lastFocus_);
        return 0;
      }
      break;
    case WM_DPICHANGED:
      OnDpiChanged(LOWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
      return 0;
    default:
      break;
  }
  return ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT CALLBACK Win32Window::SurfaceProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (msg == WM_NCCREATE) {
    ::SetWindowLongPtrW(
        hwnd, GWLP_USERDATA,
        reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
  }
  Win32Window* self = FromHandle(hwnd);
  if (!self) return ::DefWindowProcW(hwnd, msg, wParam, lParam);
  LRESULT result = 0;
  bool handled = false;
  Guarded([&] {
    result = self->OnSurfaceMessage(hwnd, ::GetDlgCtrlID(hwnd) - kIdBase, msg, wParam, lParam);
    handled = true;
  });
  return handled ? result : ::DefWindowProcW(hwnd, msg, wParam, lParam);
}

LRESULT Win32Window::OnSurfaceMessage(HWND surface, int container, UINT msg, WPARAM wParam,
                                      LPARAM lParam) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(surface, &ps);
      Paint(surface, container, dc);
      ::EndPaint(surface, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(surface, container, reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
    case WM_COMMAND:
      return OnFormMessage(msg, wParam, lParam);
    case WM_LBUTTONDOWN:
      if (PressLabel(surface, container, msg, lParam)) return 0;
      if (::GetWindowLongPtrW(surface, GWL_STYLE) & WS_TABSTOP) ::SetFocus(surface);
      return 0;
    case WM_LBUTTONUP:
      if (ReleaseLabel(container, lParam)) return 0;  // may unload this window
      break;
    default:
      break;
  }
  return ::DefWindowProcW(surface, msg, wParam, lParam);
}

}  // namespace pindle::platform::win32
