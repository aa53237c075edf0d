#include "platform/win32/win32_window.h"

#include <windowsx.h>

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/runtime_error.h"
#include "platform/wide_text.h"
#include "platform/win32/dpi_calls.h"
#include "platform/win32/resources/resource_ids.h"
#include "platform/win32/win32_backend.h"

namespace pindle::platform::win32 {

namespace {

constexpr wchar_t kFormClass[] = L"PindleForm";
constexpr wchar_t kSurfaceClass[] = L"PindleSurface";
constexpr int kIdBase = 100;  // control ids stay clear of IDOK and IDCANCEL
constexpr int kTimerBase = 100;

// The system's own procedure of every EDIT control, behind ours.
WNDPROC g_editProc = nullptr;

COLORREF Rgb(const Color& c) {
  return RGB(c.r, c.g, c.b);
}

std::wstring WindowText(HWND hwnd) {
  const int length = ::GetWindowTextLengthW(hwnd);
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  const int copied = ::GetWindowTextW(hwnd, text.data(), length + 1);
  text.resize(static_cast<std::size_t>(std::max(copied, 0)));
  return text;
}

int ShiftState() {
  return (::GetKeyState(VK_SHIFT) < 0 ? 1 : 0) | (::GetKeyState(VK_CONTROL) < 0 ? 2 : 0) |
         (::GetKeyState(VK_MENU) < 0 ? 4 : 0);
}

std::u16string FontKey(const FontDef& f) {
  return f.name + u"/" + Narrow(std::to_wstring(f.sizePt)) + u"/" +
         Narrow(std::to_wstring(f.charset));
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

// Text boxes keep the dialog keys of their window: Tab and Shift+Tab move the focus on (a
// multi-line box would otherwise keep them), Esc presses the cancel button where there is one
// and does nothing else (a multi-line box in a window with dialog keys would close the window
// and throw the text away), and a box entered by Tab keeps its caret instead of selecting all
// of its text, which the next key would replace.
LRESULT CALLBACK Win32Window::EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam) {
  switch (msg) {
    case WM_GETDLGCODE: {
      LRESULT code = ::CallWindowProcW(g_editProc, hwnd, msg, wParam, lParam);
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
  return ::CallWindowProcW(g_editProc, hwnd, msg, wParam, lParam);
}

Win32Window* Win32Window::FromHandle(HWND hwnd) {
  return reinterpret_cast<Win32Window*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

Win32Window::Win32Window(Win32Backend& backend, Form& form, const FormDef& def)
    : backend_(backend), form_(form), def_(def) {
  controls_.resize(def.controls.size());
  for (std::size_t i = 0; i < def.controls.size(); ++i) {
    controls_[i].caption = def.controls[i].text;
    controls_[i].visible = def.controls[i].visible;
  }
  Create();
}

Win32Window::~Win32Window() {
  if (!hwnd_) return;
  for (const auto& c : controls_) {
    if (c.hwnd && FromHandle(c.hwnd) == this) ::SetWindowLongPtrW(c.hwnd, GWLP_USERDATA, 0);
  }
  ::SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
  ::DestroyWindow(hwnd_);
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
  if (def_.backColor) backBrush_.reset(::CreateSolidBrush(Rgb(*def_.backColor)));
  CreateControls();
  PlaceWindow();
}

HFONT Win32Window::FontFor(const ControlDef& c) {
  // A control without a font of its own has the dialog font the twip layouts were made for
  // (MS UI Gothic on a Japanese Windows), not the user's message font: Yu Gothic UI on Windows
  // 10 and 11 is taller, more so with a larger text size, and would clip one-line boxes.
  static const FontDef kDialogFont{
      .name = u"MS Shell Dlg", .sizePt = 9.0f, .charset = kShiftJisCharset};
  const FontDef& def = c.font ? *c.font : kDialogFont;
  auto& font = fonts_[FontKey(def)];
  if (!font) {
    const int height =
        -static_cast<int>(std::lround(def.sizePt * static_cast<float>(dpi_) / 72.0f));
    const std::wstring face = Wide(def.name);
    font.reset(::CreateFontW(height, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                             static_cast<DWORD>(def.charset), OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face.c_str()));
  }
  return font.get();
}

void Win32Window::CreateControls() {
  // Windowed controls in tab order, so Tab moves through them in that order.
  std::vector<int> order;
  for (std::size_t i = 0; i < def_.controls.size(); ++i) {
    switch (def_.controls[i].kind) {
      case ControlKind::TextBox:
      case ControlKind::CommandButton:
      case ControlKind::CheckBox:
      case ControlKind::ComboBox:
      case ControlKind::PictureBox:
      case ControlKind::Frame:
        order.push_back(static_cast<int>(i));
        break;
      default:
        break;
    }
  }
  std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
    return def_.controls[static_cast<std::size_t>(a)].tabIndex <
           def_.controls[static_cast<std::size_t>(b)].tabIndex;
  });
  // Containers first, so their contents can be placed in them.
  std::stable_partition(order.begin(), order.end(), [this](int i) {
    return def_.controls[static_cast<std::size_t>(i)].container.empty();
  });

  for (const int i : order) {
    const ControlDef& c = def_.controls[static_cast<std::size_t>(i)];
    const wchar_t* cls = L"BUTTON";
    DWORD style = WS_CHILD | (c.visible ? WS_VISIBLE : 0);
    DWORD ex = 0;
    switch (c.kind) {
      case ControlKind::TextBox:
        cls = L"EDIT";
        style |= WS_TABSTOP;
        ex |= WS_EX_CLIENTEDGE;
        if (c.multiLine) {
          style |= ES_MULTILINE | ES_WANTRETURN | ES_AUTOVSCROLL;
          if (c.scrollBars == ScrollBars::Horizontal || c.scrollBars == ScrollBars::Both) {
            style |= ES_AUTOHSCROLL;
          }
        } else {
          style |= ES_AUTOHSCROLL;
        }
        if (c.scrollBars == ScrollBars::Horizontal || c.scrollBars == ScrollBars::Both)
          style |= WS_HSCROLL;
        if (c.scrollBars == ScrollBars::Vertical || c.scrollBars == ScrollBars::Both)
          style |= WS_VSCROLL;
        break;
      case ControlKind::CommandButton:
        style |= WS_TABSTOP | (c.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        break;
      case ControlKind::CheckBox:
        style |= WS_TABSTOP | BS_AUTOCHECKBOX;
        break;
      case ControlKind::ComboBox:
        cls = L"COMBOBOX";
        style |= WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
        break;
      case ControlKind::PictureBox:
        cls = kSurfaceClass;
        style |= WS_TABSTOP;
        if (c.border) ex |= WS_EX_CLIENTEDGE;
        break;
      default:  // Frame
        cls = kSurfaceClass;
        break;
    }
    const int parentId = c.container.empty() ? -1 : def_.Find(c.container);
    HWND parent = parentId >= 0 ? controls_[static_cast<std::size_t>(parentId)].hwnd : hwnd_;
    if (!parent) parent = hwnd_;
    const std::wstring text = Wide(c.text);
    HWND child = ::CreateWindowExW(
        ex, cls, c.kind == ControlKind::ComboBox ? L"" : text.c_str(), style, 0, 0, 10, 10, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdBase + i)), backend_.Instance(), this);
    controls_[static_cast<std::size_t>(i)].hwnd = child;
    if (!child) continue;
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c)), FALSE);
    if (c.kind == ControlKind::TextBox) {
      ::SendMessageW(child, EM_SETLIMITTEXT, 0, 0);  // as much as memory holds, not 30,000
      const auto proc = reinterpret_cast<LONG_PTR>(&Win32Window::EditProc);
      const LONG_PTR previous = ::SetWindowLongPtrW(child, GWLP_WNDPROC, proc);
      if (previous != proc) g_editProc = reinterpret_cast<WNDPROC>(previous);
    }
    if (c.kind == ControlKind::ComboBox) {
      for (const auto& entry : c.list) {
        const std::wstring w = Wide(entry);
        ::SendMessageW(child, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(w.c_str()));
      }
      ::SetWindowTextW(child, text.c_str());
    }
  }
}

RECT Win32Window::ControlRect(int control) const {
  const ControlDef& c = def_.controls.at(static_cast<std::size_t>(control));
  if (c.kind == ControlKind::Line) {
    RECT r{Px(std::min(c.left, c.width)), Px(std::min(c.top, c.height)),
           Px(std::max(c.left, c.width)) + 1, Px(std::max(c.top, c.height)) + 1};
    return r;
  }
  return RECT{Px(c.left), Px(c.top), Px(c.left + c.width), Px(c.top + c.height)};
}

void Win32Window::LayOut() {
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (!controls_[i].hwnd) continue;
    RECT r = ControlRect(static_cast<int>(i));
    if (def_.controls[i].kind == ControlKind::ComboBox)
      r.bottom += (r.bottom - r.top) * 8;  // the list
    ::MoveWindow(controls_[i].hwnd, r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
  }
  // The controls were moved without drawing: everything, children included, paints afresh.
  ::RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Win32Window::FitClient(POINT origin, UINT flags) {
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE));
  const auto ex = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
  const int width = Px(def_.width), height = Px(def_.height);
  RECT r{0, 0, width, height};
  AdjustWindowRectForDpi(r, style, ex, static_cast<UINT>(dpi_));
  ::SetWindowPos(hwnd_, nullptr, origin.x, origin.y, r.right - r.left, r.bottom - r.top, flags);
  // The frame the system really gives the window can differ from the computed one (a DPI its
  // frame metrics were not made for): measure it and correct the size once.
  RECT client;
  ::GetClientRect(hwnd_, &client);
  const int dx = width - client.right, dy = height - client.bottom;
  if (dx != 0 || dy != 0) {
    RECT outer;
    ::GetWindowRect(hwnd_, &outer);
    ::SetWindowPos(hwnd_, nullptr, 0, 0, outer.right - outer.left + dx,
                   outer.bottom - outer.top + dy, flags | SWP_NOMOVE);
  }
}

void Win32Window::PlaceWindow() {
  const auto style = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_STYLE));
  const auto ex = static_cast<DWORD>(::GetWindowLongPtrW(hwnd_, GWL_EXSTYLE));
  RECT r{Px(def_.left), Px(def_.top), Px(def_.left + def_.width), Px(def_.top + def_.height)};
  AdjustWindowRectForDpi(r, style, ex, static_cast<UINT>(dpi_));
  UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
  if (def_.startPosition == StartPosition::WindowsDefault) flags |= SWP_NOMOVE;
  FitClient(POINT{r.left, r.top}, flags);
  LayOut();
}

void Win32Window::OnDpiChanged(int dpi, const RECT& suggested) {
  dpi_ = dpi;
  // Fonts made for the new DPI; the old ones are deleted once no control holds them any more.
  const auto oldFonts = std::exchange(fonts_, {});
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i].hwnd) {
      ::SendMessageW(controls_[i].hwnd, WM_SETFONT,
                     reinterpret_cast<WPARAM>(FontFor(def_.controls[i])), FALSE);
    }
  }
  if (::IsZoomed(hwnd_)) {
    // A maximised window fills the rectangle the system gives it.
    ::SetWindowPos(hwnd_, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                   suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    // Where the system suggests, with the client area of the definition at the new DPI.
    FitClient(POINT{suggested.left, suggested.top}, SWP_NOZORDER | SWP_NOACTIVATE);
  }
  LayOut();
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
    for (const int id : def_.TabOrder()) {
      HWND child = controls_[static_cast<std::size_t>(id)].hwnd;
      if (child && ::IsWindowVisible(child) && ::IsWindowEnabled(child)) {
        ::SetFocus(child);
        break;
      }
    }
  }
}

void Win32Window::SetVisible(bool visible) {
  ::ShowWindow(hwnd_, visible ? SW_SHOW : SW_HIDE);
}

bool Win32Window::IsVisible() const {
  return ::IsWindowVisible(hwnd_) != FALSE;
}

std::u16string Win32Window::GetText(int control) const {
  const auto& state = controls_.at(static_cast<std::size_t>(control));
  return state.hwnd ? Narrow(WindowText(state.hwnd)) : state.caption;
}

void Win32Window::SetText(int control, std::u16string_view text) {
  auto& state = controls_.at(static_cast<std::size_t>(control));
  if (state.hwnd) {
    // A text put in a combo box's edit part chooses no entry.
    if (def_.controls[static_cast<std::size_t>(control)].kind == ControlKind::ComboBox)
      ::SendMessageW(state.hwnd, CB_SETCURSEL, static_cast<WPARAM>(-1), 0);
    ::SetWindowTextW(state.hwnd, Wide(text).c_str());
    return;
  }
  if (state.caption == text) return;  // the clock sets its label ten times a second
  state.caption = text;
  const ControlDef& c = def_.controls[static_cast<std::size_t>(control)];
  const int container = c.container.empty() ? -1 : def_.Find(c.container);
  HWND surface = container >= 0 ? controls_[static_cast<std::size_t>(container)].hwnd : hwnd_;
  const RECT r = ControlRect(control);
  ::InvalidateRect(surface ? surface : hwnd_, &r, TRUE);
}

bool Win32Window::GetControlVisible(int control) const {
  return controls_.at(static_cast<std::size_t>(control)).visible;
}

void Win32Window::SetControlVisible(int control, bool visible) {
  auto& state = controls_.at(static_cast<std::size_t>(control));
  state.visible = visible;
  if (state.hwnd) {
    ::ShowWindow(state.hwnd, visible ? SW_SHOW : SW_HIDE);
  } else {
    const RECT r = ControlRect(control);
    ::InvalidateRect(hwnd_, &r, TRUE);
  }
}

int Win32Window::GetValue(int control) const {
  HWND h = controls_.at(static_cast<std::size_t>(control)).hwnd;
  return h && ::SendMessageW(h, BM_GETCHECK, 0, 0) == BST_CHECKED ? 1 : 0;
}

void Win32Window::SetValue(int control, int value) {
  if (HWND h = controls_.at(static_cast<std::size_t>(control)).hwnd) {
    ::SendMessageW(h, BM_SETCHECK, value == 1 ? BST_CHECKED : BST_UNCHECKED, 0);
  }
}

int Win32Window::GetListIndex(int control) const {
  // The entry the box shows: the list's selection while the edit part still holds that
  // entry's text (typing there may leave the list's selection behind).
  HWND h = controls_.at(static_cast<std::size_t>(control)).hwnd;
  const LRESULT index = h ? ::SendMessageW(h, CB_GETCURSEL, 0, 0) : CB_ERR;
  const auto& list = def_.controls[static_cast<std::size_t>(control)].list;
  if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return -1;
  return Narrow(WindowText(h)) == list[static_cast<std::size_t>(index)] ? static_cast<int>(index)
                                                                        : -1;
}

void Win32Window::SetListIndex(int control, int index) {
  if (HWND h = controls_.at(static_cast<std::size_t>(control)).hwnd)
    ::SendMessageW(h, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void Win32Window::SetTimerEnabled(int control, bool enabled) {
  const auto id = static_cast<UINT_PTR>(kTimerBase + control);
  if (enabled) {
    const int interval = def_.controls.at(static_cast<std::size_t>(control)).interval;
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

COLORREF Win32Window::BackColorOf(int container) const {
  if (container < 0) return def_.backColor ? Rgb(*def_.backColor) : ::GetSysColor(COLOR_BTNFACE);
  const ControlDef& c = def_.controls[static_cast<std::size_t>(container)];
  return c.backColor ? Rgb(*c.backColor) : ::GetSysColor(COLOR_BTNFACE);
}

int Win32Window::ControlIdOf(HWND child) const {
  for (std::size_t i = 0; i < controls_.size(); ++i) {
    if (controls_[i].hwnd && (controls_[i].hwnd == child || ::IsChild(controls_[i].hwnd, child))) {
      return static_cast<int>(i);
    }
  }
  return -1;
}

void Win32Window::Paint(HWND surface, int container, HDC dc) {
  RECT client;
  ::GetClientRect(surface, &client);
  {
    BrushHandle back(::CreateSolidBrush(BackColorOf(container)));
    ::FillRect(dc, &client, back.get());
  }
  const std::u16string containerName =
      container >= 0 ? def_.controls[static_cast<std::size_t>(container)].name : std::u16string();
  if (container >= 0) {
    const ControlDef& box = def_.controls[static_cast<std::size_t>(container)];
    if (box.kind == ControlKind::PictureBox && box.picture == Picture::ProductIcon32) {
      HICON icon = static_cast<HICON>(::LoadImageW(
          backend_.Instance(), MAKEINTRESOURCEW(IDI_PRODUCT), IMAGE_ICON, 32, 32, LR_SHARED));
      if (icon) ::DrawIconEx(dc, 0, 0, icon, Px(480), Px(480), 0, nullptr, DI_NORMAL);
    } else if (box.kind == ControlKind::Frame) {
      Selected font(dc, FontFor(box));
      TEXTMETRICW tm{};
      ::GetTextMetricsW(dc, &tm);
      RECT edge = client;
      edge.top += tm.tmHeight / 2;
      ::DrawEdge(dc, &edge, EDGE_ETCHED, BF_RECT);
      const std::wstring caption = Wide(box.text);
      ::SetBkColor(dc, BackColorOf(container));
      ::SetTextColor(dc, ::GetSysColor(COLOR_BTNTEXT));
      ::TextOutW(dc, Px(120), 0, caption.c_str(), static_cast<int>(caption.size()));
    }
  }
  ::SetBkMode(dc, OPAQUE);
  for (std::size_t i = 0; i < def_.controls.size(); ++i) {
    const ControlDef& c = def_.controls[i];
    if (c.container != containerName || !controls_[i].visible) continue;
    if (c.kind == ControlKind::Label) {
      RECT r = ControlRect(static_cast<int>(i));
      const COLORREF back = c.backColor ? Rgb(*c.backColor) : BackColorOf(container);
      BrushHandle brush(::CreateSolidBrush(back));
      ::FillRect(dc, &r, brush.get());
      Selected font(dc, FontFor(c));
      ::SetBkColor(dc, back);
      ::SetTextColor(dc, c.foreColor ? Rgb(*c.foreColor) : ::GetSysColor(COLOR_BTNTEXT));
      std::wstring text = Wide(controls_[i].caption);
      ::DrawTextW(dc, text.data(), static_cast<int>(text.size()), &r, DT_WORDBREAK | DT_NOPREFIX);
    } else if (c.kind == ControlKind::Line) {
      const int width = std::max(1, ::MulDiv(c.borderWidth, dpi_, 96));
      PenHandle pen(::CreatePen(c.lineStyle == LineStyle::InsideSolid ? PS_INSIDEFRAME : PS_SOLID,
                                width, c.foreColor ? Rgb(*c.foreColor) : RGB(0, 0, 0)));
      Selected selected(dc, pen.get());
      ::MoveToEx(dc, Px(c.left), Px(c.top), nullptr);
      ::LineTo(dc, Px(c.width), Px(c.height));
    }
  }
}

int Win32Window::LabelAt(int container, POINT pt) const {
  const std::u16string containerName =
      container >= 0 ? def_.controls[static_cast<std::size_t>(container)].name : std::u16string();
  for (std::size_t i = def_.controls.size(); i-- > 0;) {
    const ControlDef& c = def_.controls[i];
    if (c.kind != ControlKind::Label || c.container != containerName || !controls_[i].visible)
      continue;
    const RECT r = ControlRect(static_cast<int>(i));
    if (::PtInRect(&r, pt)) return static_cast<int>(i);
  }
  return -1;
}

bool Win32Window::PressLabel(HWND surface, int container, POINT pt) {
  const int label = LabelAt(container, pt);
  if (label < 0) return false;
  pressedLabel_ = label;
  ::SetCapture(surface);
  return true;
}

bool Win32Window::ReleaseLabel(int container, LPARAM lParam) {
  if (pressedLabel_ < 0) return false;
  const int label = pressedLabel_;
  pressedLabel_ = -1;
  ::ReleaseCapture();
  // A label is clicked when the button goes up over the label it went down on.
  const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  if (LabelAt(container, pt) == label && form_.HasHandler(label, Event::Click)) {
    form_.RaiseClick(label);
  }
  return true;
}

int Win32Window::FocusedButton() const {
  const int c = ControlIdOf(::GetFocus());
  return c >= 0 && def_.controls[static_cast<std::size_t>(c)].kind == ControlKind::CommandButton
             ? c
             : -1;
}

void Win32Window::ClickButton(bool isDefault) {
  for (std::size_t i = 0; i < def_.controls.size(); ++i) {
    const ControlDef& c = def_.controls[i];
    if (c.kind != ControlKind::CommandButton || !(isDefault ? c.isDefault : c.isCancel)) continue;
    if (controls_[i].hwnd && ::IsWindowVisible(controls_[i].hwnd) &&
        ::IsWindowEnabled(controls_[i].hwnd)) {
      form_.RaiseClick(static_cast<int>(i));  // may unload this window: nothing after it
    }
    return;
  }
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
    if (id == IDOK) ClickButton(true);
    if (id == IDCANCEL) ClickButton(false);
    return id == IDOK || id == IDCANCEL;
  }
  const int c = id - kIdBase;
  if (c < 0 || c >= static_cast<int>(controls_.size())) return false;
  switch (def_.controls[static_cast<std::size_t>(c)].kind) {
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

LRESULT Win32Window::OnControlColor(HDC dc, HWND child) {
  const int c = ControlIdOf(child);
  if (c < 0) return 0;
  const ControlDef& d = def_.controls[static_cast<std::size_t>(c)];
  if (d.foreColor) ::SetTextColor(dc, Rgb(*d.foreColor));
  COLORREF back;
  if (d.backColor) {
    back = Rgb(*d.backColor);
  } else if (d.kind == ControlKind::CheckBox) {
    back = BackColorOf(d.container.empty() ? -1 : def_.Find(d.container));
  } else {
    return 0;  // the system's own colours
  }
  ::SetBkColor(dc, back);
  auto& brush = brushes_[c];
  if (!brush) brush.reset(::CreateSolidBrush(back));
  return reinterpret_cast<LRESULT>(brush.get());
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
      return 1;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = ::BeginPaint(hwnd_, &ps);
      Paint(hwnd_, -1, dc);
      ::EndPaint(hwnd_, &ps);
      return 0;
    }
    case WM_PRINTCLIENT:
      Paint(hwnd_, -1, reinterpret_cast<HDC>(wParam));
      return 0;
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
      for (std::size_t i = 0; i < def_.controls.size(); ++i) {
        if (def_.controls[i].kind == ControlKind::CommandButton && def_.controls[i].isDefault) {
          // A hidden default button is pressed by no key.
          return controls_[i].visible ? MAKELRESULT(kIdBase + static_cast<int>(i), DC_HASDEFID) : 0;
        }
      }
      return 0;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (msg == WM_LBUTTONDOWN) {
        if (PressLabel(hwnd_, -1, pt)) return 0;
      } else if (LabelAt(-1, pt) >= 0) {
        return 0;  // a label's, not the window's: labels react to the left button only
      }
      form_.DispatchMouseMessage(msg, wParam, lParam);  // may unload this window
      return 0;
    }
    case WM_LBUTTONUP:
      if (ReleaseLabel(-1, lParam)) return 0;  // may unload this window
      break;
    case WM_KEYDOWN:
      form_.RaiseKeyDown(static_cast<int>(wParam), ShiftState());
      return 0;
    case WM_TIMER:
      if (wParam >= kTimerBase && wParam < kTimerBase + controls_.size()) {
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
    case WM_LBUTTONDOWN: {
      const POINT pt{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      if (PressLabel(surface, container, pt)) return 0;
      if (::GetWindowLongPtrW(surface, GWL_STYLE) & WS_TABSTOP) ::SetFocus(surface);
      return 0;
    }
    case WM_LBUTTONUP:
      if (ReleaseLabel(container, lParam)) return 0;  // may unload this window
      break;
    default:
      break;
  }
  return ::DefWindowProcW(surface, msg, wParam, lParam);
}

}  // namespace pindle::platform::win32
