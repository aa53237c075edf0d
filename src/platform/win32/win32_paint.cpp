// Painting: a surface's back colour, its labels and lines in the model's order, and the colours
// of the system's controls.
#include <algorithm>

#include "platform/wide_text.h"
#include "platform/win32/resources/resource_ids.h"
#include "platform/win32/win32_backend.h"
#include "platform/win32/win32_window.h"

namespace pindle::platform::win32 {

namespace {

COLORREF Rgb(const Color& c) {
  return RGB(c.r, c.g, c.b);
}

}  // namespace

COLORREF Win32Window::BackColorOf(int container) const {
  const std::optional<Color> back = model_.BackColorOf(container);
  return back ? Rgb(*back) : ::GetSysColor(COLOR_BTNFACE);
}

void Win32Window::Paint(HWND surface, int container, HDC dc) {
  RECT client;
  ::GetClientRect(surface, &client);
  {
    BrushHandle back(::CreateSolidBrush(BackColorOf(container)));
    ::FillRect(dc, &client, back.get());
  }
  if (container >= 0) {
    const ControlDef& box = model_.Control(container);
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
  for (const int i : model_.Painted(container)) {
    const ControlDef& c = model_.Control(i);
    if (c.kind == ControlKind::Label) {
      RECT r = ControlRect(i);
      const std::optional<Color> labelBack = model_.LabelBackColor(i);
      const COLORREF back = labelBack ? Rgb(*labelBack) : BackColorOf(container);
      BrushHandle brush(::CreateSolidBrush(back));
      ::FillRect(dc, &r, brush.get());
      Selected font(dc, FontFor(c));
      ::SetBkColor(dc, back);
      ::SetTextColor(dc, c.foreColor ? Rgb(*c.foreColor) : ::GetSysColor(COLOR_BTNTEXT));
      std::wstring text = Wide(model_.Caption(i));
      ::DrawTextW(dc, text.data(), static_cast<int>(text.size()), &r, DT_WORDBREAK | DT_NOPREFIX);
    } else {  // a line
      const int width = std::max(1, ::MulDiv(c.borderWidth, dpi_, 96));
      PenHandle pen(::CreatePen(c.lineStyle == LineStyle::InsideSolid ? PS_INSIDEFRAME : PS_SOLID,
                                width, c.foreColor ? Rgb(*c.foreColor) : RGB(0, 0, 0)));
      Selected selected(dc, pen.get());
      ::MoveToEx(dc, Px(c.left), Px(c.top), nullptr);
      ::LineTo(dc, Px(c.width), Px(c.height));
    }
  }
}

LRESULT Win32Window::OnControlColor(HDC dc, HWND child) {
  const int c = ControlIdOf(child);
  if (c < 0) return 0;
  const ControlDef& d = model_.Control(c);
  if (d.foreColor) ::SetTextColor(dc, Rgb(*d.foreColor));
  COLORREF back;
  if (d.backColor) {
    back = Rgb(*d.backColor);
  } else if (d.kind == ControlKind::CheckBox) {
    back = BackColorOf(model_.ContainerOf(c));
  } else {
    return 0;  // the system's own colours
  }
  ::SetBkColor(dc, back);
  auto& brush = brushes_[c];
  if (!brush) brush.reset(::CreateSolidBrush(back));
  return reinterpret_cast<LRESULT>(brush.get());
}

}  // namespace pindle::platform::win32
