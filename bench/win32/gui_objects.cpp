// gui_objects: the GDI and USER objects a running process holds, as GetGuiResources reports
// them, and the windows (top-level and child) it owns, for scripts/bench's leak figures.
//
//   gui_objects.exe PROCESS      PROCESS: a process id, or an image name such as Pindle.exe
//                                (exactly one process of that name must run)
//
// Prints "pid: N", "gdi_objects: N", "user_objects: N" and "windows: N".  A count GetGuiResources
// does not give (it returns 0, which no process with a window can hold) is printed as
// "unanswered" with the error code, never as 0.
#include <windows.h>
// After windows.h, which it needs.
#include <tlhelp32.h>

#include <cstdio>
#include <cwchar>
#include <cwctype>
#include <string>
#include <vector>

namespace {

std::wstring Lower(std::wstring s) {
  for (auto& c : s) c = static_cast<wchar_t>(std::towlower(c));
  return s;
}

std::vector<DWORD> ProcessesNamed(const std::wstring& name) {
  std::vector<DWORD> found;
  HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snapshot == INVALID_HANDLE_VALUE) return found;
  PROCESSENTRY32W entry{};
  entry.dwSize = sizeof entry;
  for (BOOL more = ::Process32FirstW(snapshot, &entry); more;
       more = ::Process32NextW(snapshot, &entry)) {
    if (Lower(entry.szExeFile) == Lower(name)) found.push_back(entry.th32ProcessID);
  }
  ::CloseHandle(snapshot);
  return found;
}

struct WindowCount {
  DWORD pid;
  int count;
};

BOOL CALLBACK CountChild(HWND, LPARAM param) {
  ++reinterpret_cast<WindowCount*>(param)->count;
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND hwnd, LPARAM param) {
  auto* windows = reinterpret_cast<WindowCount*>(param);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(hwnd, &owner);
  if (owner == windows->pid) {
    ++windows->count;
    ::EnumChildWindows(hwnd, &CountChild, param);
  }
  return TRUE;
}

void PrintCount(const char* label, HANDLE process, DWORD flags) {
  ::SetLastError(0);
  const DWORD count = ::GetGuiResources(process, flags);
  if (count == 0) {
    std::printf("%s: unanswered (error %lu)\n", label, ::GetLastError());
  } else {
    std::printf("%s: %lu\n", label, count);
  }
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: gui_objects PROCESS-ID|IMAGE-NAME\n");
    return 2;
  }
  wchar_t* end = nullptr;
  DWORD pid = std::wcstoul(argv[1], &end, 10);
  if (end == argv[1] || *end != L'\0') {
    const std::vector<DWORD> found = ProcessesNamed(argv[1]);
    if (found.size() != 1) {
      std::fprintf(stderr, "gui_objects: %zu processes named %ls\n", found.size(), argv[1]);
      return 1;
    }
    pid = found.front();
  }
  HANDLE process = ::OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
  if (process == nullptr) {
    std::fprintf(stderr, "gui_objects: cannot open process %lu (error %lu)\n", pid,
                 ::GetLastError());
    return 1;
  }
  std::printf("pid: %lu\n", pid);
  PrintCount("gdi_objects", process, GR_GDIOBJECTS);
  PrintCount("user_objects", process, GR_USEROBJECTS);
  ::CloseHandle(process);
  WindowCount windows{pid, 0};
  ::EnumWindows(&CountTopLevel, reinterpret_cast<LPARAM>(&windows));
  std::printf("windows: %d\n", windows.count);
  return 0;
}
