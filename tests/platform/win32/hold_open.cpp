// Another process holding a file open, for the Windows tests: "rundll32 hold_open.dll,HoldOpen
// <file>" opens the file for reading, sharing reading only, leaves "<file>.held" beside it, and
// closes it once "<file>.release" appears (or after a minute).
#include <windows.h>

#include <string>

extern "C" __declspec(dllexport) void CALLBACK HoldOpenW(HWND, HINSTANCE, LPWSTR file, int) {
  const HANDLE held =
      ::CreateFileW(file, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  const std::wstring marker = std::wstring(file) + L".held",
                     release = std::wstring(file) + L".release";
  const HANDLE mark =
      ::CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (mark != INVALID_HANDLE_VALUE) ::CloseHandle(mark);
  for (int i = 0; i < 1200 && ::GetFileAttributesW(release.c_str()) == INVALID_FILE_ATTRIBUTES;
       ++i) {
    ::Sleep(50);
  }
  if (held != INVALID_HANDLE_VALUE) ::CloseHandle(held);
}
