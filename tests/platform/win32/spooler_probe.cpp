// Loads the spooler as the printer does, with a planted winspool.drv beside this program: the
// spooler comes from the system folder (the planted copy would end the process with 77).
#include <windows.h>

#include <cstdio>

#include "platform/win32/spooler.h"

int main() {
  const pindle::platform::win32::Spooler spooler;
  wchar_t loaded[MAX_PATH] = L"", expected[MAX_PATH] = L"";
  ::GetModuleFileNameW(::GetModuleHandleW(L"winspool.drv"), loaded, MAX_PATH);
  ::GetSystemDirectoryW(expected, MAX_PATH);
  ::wcscat_s(expected, L"\\winspool.drv");
  std::printf("spooler %s, from %ls\n", spooler ? "loaded" : "missing", loaded);
  return spooler && ::lstrcmpiW(loaded, expected) == 0 ? 0 : 1;
}
