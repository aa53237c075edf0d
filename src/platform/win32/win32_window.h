// One window of the program as a real Windows window.  Text boxes, buttons, check boxes and
// combo boxes are the system's controls; picture boxes and frames are child surfaces; labels
// and lines are painted on the surface they belong to and hit-tested for clicks, so a press on
// a label is the label's and a press on the bare surface is the window's.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <vector>

#include "platform/form.h"
#include "platform/win32/win32_handles.h"
#include "platform/window_peer.h"

namespace pindle::platform::win32 {

class Win32Backend;

class Win32Window final : public WindowPeer {
 public:
  Win32Window(Win32Backend& backend, Form& form, const FormDef& def);
  ~Win32Window() override;
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  Hwnd Handle() const override { return reinterpret_cast<Hwnd>(hwnd_); }
  void Show() override;
  void SetVisible(bool visible) override;
  bool IsVisible() const override;
  std::intptr_t IconHandle() const override { return reinterpret_cast<std::intptr_t>(bigIcon_); }
  std::u16string GetText(int control) const override;
  void SetText(int control, std::u16string_view text) override;
  bool GetControlVisible(int control) const override;
  void SetControlVisible(int control, bool visible) override;
  int GetValue(int control) const override;
  void SetValue(int control, int value) override;
  int GetListIndex(int control) const override;
  void SetListIndex(int control, int index) override;
  void SetTimerEnabled(int control, bool enabled) override;
  std::optional<int> TrackPopupMenu(int menu, int flags) override;

  HWND Window() const { return hwnd_; }
  HWND ControlWindow(int control) const {
    return controls_.at(static_cast<std::size_t>(control)).hwnd;
  }
  int Dpi() const { return dpi_; }
  // The rectangle of a control in pixels, relative to its container's client area.
  RECT ControlRect(int control) const;
  // The font a control's text is drawn in.
  HFONT ControlFont(int control) {
    return FontFor(def_.controls.at(static_cast<std::size_t>(control)));
  }

  static void RegisterClasses(HINSTANCE instance);
  static Win32Window* FromHandle(HWND hwnd);

 private:
  struct ControlState {
    HWND hwnd = nullptr;     // destroyed with the window
    std::u16string caption;  // labels: their text
    bool visible = true;
  };

  static LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK SurfaceProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnFormMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnSurfaceMessage(HWND surface, int container, UINT msg, WPARAM wParam, LPARAM lParam);
  bool OnCommand(WPARAM wParam, LPARAM lParam);
  LRESULT OnControlColor(HDC dc, HWND child);

  void Create();
  void CreateControls();
  void PlaceWindow();
  // Sizes the window so that its client area is the definition's at the window's DPI, its
  // outer top-left corner at origin (unless flags hold SWP_NOMOVE).
  void FitClient(POINT origin, UINT flags);
  void LayOut();
  // WM_DPICHANGED: fonts, size and layout for the new DPI, at the place the system suggests.
  void OnDpiChanged(int dpi, const RECT& suggested);
  void Paint(HWND surface, int container, HDC dc);
  // The label under a point of a surface (client pixels), or -1.
  int LabelAt(int container, POINT pt) const;
  // A press on a label of a surface: captures the mouse until the release; false when pt is
  // on no label.
  bool PressLabel(HWND surface, int container, POINT pt);
  // The release after PressLabel: the label's Click when it is still under the pointer.
  bool ReleaseLabel(int container, LPARAM lParam);
  int ControlIdOf(HWND child) const;
  int Px(int twips) const { return ::MulDiv(twips, dpi_, 1440); }
  HFONT FontFor(const ControlDef& c);
  COLORREF BackColorOf(int container) const;
  void ClickButton(bool isDefault);
  // The command button with the keyboard focus, or -1.
  int FocusedButton() const;

  Win32Backend& backend_;
  Form& form_;
  const FormDef& def_;
  HWND hwnd_ = nullptr;
  int dpi_ = 96;
  bool shownOnce_ = false;
  HWND lastFocus_ = nullptr;
  int pressedLabel_ = -1;
  HICON smallIcon_ = nullptr;  // shared resource icons: never destroyed
  HICON bigIcon_ = nullptr;
  std::vector<ControlState> controls_;
  std::map<std::u16string, FontHandle> fonts_;  // by face, size and character set
  std::map<int, BrushHandle> brushes_;          // by control, for the control colour messages
  BrushHandle backBrush_;
};

}  // namespace pindle::platform::win32
