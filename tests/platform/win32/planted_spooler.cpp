// A winspool.drv such as might lie beside the program in a downloads folder: once loaded, it
// ends the process with 77.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) ::ExitProcess(77);
  return TRUE;
}
