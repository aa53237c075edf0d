#include "platform/win32/dpi_calls.h"

#include "platform/win32/win32_handles.h"

namespace pindle::platform::win32 {

namespace {

DpiCalls LookUp() {
  DpiCalls calls;
  const HMODULE user32 = ::GetModuleHandleW(L"user32.dll");
  FindCall(calls.dpiForWindow, user32, "GetDpiForWindow");
  FindCall(calls.dpiForSystem, user32, "GetDpiForSystem");
  FindCall(calls.adjustWindowRectExForDpi, user32, "AdjustWindowRectExForDpi");
  if (!calls.dpiForWindow) {
    // Windows 8.1 tells a window's DPI by its monitor; the module stays for the process.
    static const ModuleHandle shcore(
        ::LoadLibraryExW(L"shcore.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32));
    FindCall(calls.dpiForMonitor, shcore.get(), "GetDpiForMonitor");
  }
  return calls;
}

}  // namespace

DpiCalls& UsedDpiCalls() {
  static DpiCalls calls = LookUp();
  return calls;
}

UINT DpiForSystem() {
  if (const auto call = UsedDpiCalls().dpiForSystem) return call();
  const DcHandle screen(::CreateDCW(L"DISPLAY", nullptr, nullptr, nullptr));
  const int dpi = screen ? ::GetDeviceCaps(screen.get(), LOGPIXELSX) : 0;
  return dpi > 0 ? static_cast<UINT>(dpi) : USER_DEFAULT_SCREEN_DPI;
}

UINT DpiForWindow(HWND window) {
  const DpiCalls& calls = UsedDpiCalls();
  if (calls.dpiForWindow) return calls.dpiForWindow(window);
  UINT x = 0, y = 0;
  if (calls.dpiForMonitor &&
      SUCCEEDED(calls.dpiForMonitor(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST),
                                    MDT_EFFECTIVE_DPI, &x, &y)) &&
      x > 0) {
    return x;
  }
  return DpiForSystem();
}

BOOL AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi) {
  if (const auto call = UsedDpiCalls().adjustWindowRectExForDpi)
    return call(&rect, style, FALSE, exStyle, dpi);
  // Before Windows 10 a window's frame keeps the system's DPI on every monitor.
  return ::AdjustWindowRectEx(&rect, style, FALSE, exStyle);
}

}  // namespace pindle::platform::win32
