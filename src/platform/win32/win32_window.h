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
#include "platform/window_model.h"
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

  HWND NativeWindow() const { return hwnd_; }
  // The system's window of a windowed control; nullptr for labels, lines and timers.
  HWND ControlWindow(int control) const { return native_.at(static_cast<std::size_t>(control)); }
  int Dpi() const { return dpi_; }
  // The rectangle of a control in pixels, relative to its container's client area.
  RECT ControlRect(int control) const;
  // The surface a control lies on: its container's window, or the window's.
  HWND SurfaceOf(int control) const;
  // The font a control's text is drawn in.
  HFONT ControlFont(int control) { return FontFor(model_.Control(control)); }

  static void RegisterClasses(HINSTANCE instance);
  static Win32Window* FromHandle(HWND hwnd);

 private:
  static constexpr wchar_t kFormClass[] = L"PindleForm";
  static constexpr wchar_t kSurfaceClass[] = L"PindleSurface";
  static constexpr int kIdBase = 100;  // control ids stay clear of IDOK and IDCANCEL
  static constexpr int kTimerBase = 100;
  static inline WNDPROC editProc_ = nullptr;  // the system's own procedure of every EDIT control

  // win32_window.cpp
  void Create();

  // win32_layout.cpp
  void CreateControls();
  void PlaceWindow();
  // Sizes the window so that its client area is the definition's at the window's DPI, its
  // outer top-left corner at origin (unless flags hold SWP_NOMOVE).
  void FitClient(POINT origin, UINT flags);
  void LayOut();
  // WM_DPICHANGED: fonts, size and layout for the new DPI, at the place the system suggests.
  void OnDpiChanged(int dpi, const RECT& suggested);
  int Px(int twips) const { return TwipsToPixels(twips, dpi_); }
  HFONT FontFor(const ControlDef& c);

  // win32_paint.cpp
  void Paint(HWND surface, int container, HDC dc);
  COLORREF BackColorOf(int container) const;
  LRESULT OnControlColor(HDC dc, HWND child);

  // win32_input.cpp
  static LRESULT CALLBACK FormProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK SurfaceProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  static LRESULT CALLBACK EditProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnFormMessage(UINT msg, WPARAM wParam, LPARAM lParam);
  LRESULT OnSurfaceMessage(HWND surface, int container, UINT msg, WPARAM wParam, LPARAM lParam);
  bool OnCommand(WPARAM wParam, LPARAM lParam);
  // A press of a mouse button on a surface: true when a label has it (a left press captures
  // the mouse until the release).
  bool PressLabel(HWND surface, int container, UINT msg, LPARAM lParam);
  // The release after a left press on a label: the label's Click when it is still under the
  // pointer.
  bool ReleaseLabel(int container, LPARAM lParam);
  int ControlIdOf(HWND child) const;
  // The default (Enter) or cancel (Esc) button that may be pressed now, or -1.
  int DialogButton(bool isDefault) const;
  // The command button with the keyboard focus, or -1.
  int FocusedButton() const;

  Win32Backend& backend_;
  Form& form_;
  const FormDef& def_;
  WindowModel model_;
  std::vector<HWND> native_;  // by control; destroyed with the window
  HWND hwnd_ = nullptr;
  int dpi_ = 96;
  bool shownOnce_ = false;
  HWND lastFocus_ = nullptr;
  HICON smallIcon_ = nullptr;  // shared resource icons: never destroyed
  HICON bigIcon_ = nullptr;
  std::map<std::u16string, FontHandle> fonts_;  // by face, size and character set
  std::map<int, BrushHandle> brushes_;          // by control, for the control colour messages
};

}  // namespace pindle::platform::win32
