// Layout, fonts and DPI: the controls created in tab order and placed from the twips of the
// definition at the window's DPI, laid out again when the DPI changes.
#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "platform/wide_text.h"
#include "platform/win32/dpi_calls.h"
#include "platform/win32/win32_backend.h"
#include "platform/win32/win32_window.h"

namespace pindle::platform::win32 {

namespace {

std::u16string FontKey(const FontDef& f) {
  return f.name + u"/" + Narrow(std::to_wstring(f.sizePt)) + u"/" +
         Narrow(std::to_wstring(f.charset));
}

}  // namespace

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
  for (int i = 0; i < model_.Count(); ++i) {
    switch (model_.Control(i).kind) {
      case ControlKind::TextBox:
      case ControlKind::CommandButton:
      case ControlKind::CheckBox:
      case ControlKind::ComboBox:
      case ControlKind::PictureBox:
      case ControlKind::Frame:
        order.push_back(i);
        break;
      default:
        break;
    }
  }
  std::stable_sort(order.begin(), order.end(), [this](int a, int b) {
    return model_.Control(a).tabIndex < model_.Control(b).tabIndex;
  });
  // Containers first, so their contents can be placed in them.
  std::stable_partition(order.begin(), order.end(),
                        [this](int i) { return model_.ContainerOf(i) < 0; });

  for (const int i : order) {
    const ControlDef& c = model_.Control(i);
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
    HWND parent = SurfaceOf(i);
    const std::wstring text = Wide(c.text);
    HWND child = ::CreateWindowExW(
        ex, cls, c.kind == ControlKind::ComboBox ? L"" : text.c_str(), style, 0, 0, 10, 10, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kIdBase + i)), backend_.Instance(), this);
    native_.at(static_cast<std::size_t>(i)) = child;
    if (!child) continue;
    ::SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(c)), FALSE);
    if (c.kind == ControlKind::TextBox) {
      ::SendMessageW(child, EM_SETLIMITTEXT, 0, 0);  // as much as memory holds, not 30,000
      const auto proc = reinterpret_cast<LONG_PTR>(&Win32Window::EditProc);
      const LONG_PTR previous = ::SetWindowLongPtrW(child, GWLP_WNDPROC, proc);
      if (previous != proc) editProc_ = reinterpret_cast<WNDPROC>(previous);
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
  const PixelRect r = model_.Rect(control, dpi_);
  return RECT{r.left, r.top, r.right, r.bottom};
}

void Win32Window::LayOut() {
  for (int i = 0; i < model_.Count(); ++i) {
    if (!ControlWindow(i)) continue;
    RECT r = ControlRect(i);
    if (model_.Control(i).kind == ControlKind::ComboBox)
      r.bottom += (r.bottom - r.top) * 8;  // the list
    ::MoveWindow(ControlWindow(i), r.left, r.top, r.right - r.left, r.bottom - r.top, FALSE);
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
  for (int i = 0; i < model_.Count(); ++i) {
    if (HWND h = ControlWindow(i)) {
      ::SendMessageW(h, WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(model_.Control(i))), FALSE);
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

}  // namespace pindle::platform::win32
