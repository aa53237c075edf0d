// Pindle.exe: the runtime on the Windows backend, then the program's start-up window, then the
// message loop until no window is left.
#include <windows.h>

#include "platform/program.h"
#include "platform/runtime.h"
#include "platform/win32/win32_backend.h"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
  pindle::platform::win32::Win32Backend backend(instance);
  pindle::platform::Runtime runtime(backend);
  pindle::platform::StartProgram(runtime);
  if (!runtime.Ended() && runtime.AnyLoaded()) backend.RunMessageLoop();
  return 0;
}
