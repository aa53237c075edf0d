// The DPI calls of user32 that came with Windows 10 1607, found at run time: Windows 8.1 has
// none of them and would refuse to start a program that imports them.  Where they are missing
// the functions below fall back to the monitor's DPI (shcore, Windows 8.1) or the system's, and
// to the system-DPI form of the frame's call.
#pragma once

#include <windows.h>
// after windows.h
#include <shellscalingapi.h>

namespace pindle::platform::win32 {

struct DpiCalls {
  decltype(&::GetDpiForWindow) dpiForWindow = nullptr;
  decltype(&::GetDpiForSystem) dpiForSystem = nullptr;
  decltype(&::AdjustWindowRectExForDpi) adjustWindowRectExForDpi = nullptr;
  decltype(&::GetDpiForMonitor) dpiForMonitor = nullptr;  // shcore
};

// The calls the functions below make, looked up on first use.  A test empties them to run as
// on a system that has none.
DpiCalls& UsedDpiCalls();

UINT DpiForSystem();
UINT DpiForWindow(HWND window);
BOOL AdjustWindowRectForDpi(RECT& rect, DWORD style, DWORD exStyle, UINT dpi);

}  // namespace pindle::platform::win32
