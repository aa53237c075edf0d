// Another process for the Windows tests, ended by its handle when the owner goes; polling with
// a time limit; the helper DLL built beside win32_tests.exe (hold_open.cpp).
#pragma once

#include <windows.h>

#include <filesystem>
#include <string>

namespace pindle::testing {

class Win32Process {
 public:
  explicit Win32Process(std::wstring commandLine) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    started_ = ::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                nullptr, &startup, &info_) != FALSE;
  }
  ~Win32Process() {
    if (!started_) return;
    if (Running()) ::TerminateProcess(info_.hProcess, 1);
    ::WaitForSingleObject(info_.hProcess, 10000);
    ::CloseHandle(info_.hThread);
    ::CloseHandle(info_.hProcess);
  }
  Win32Process(const Win32Process&) = delete;
  Win32Process& operator=(const Win32Process&) = delete;
  bool Running() const {
    return started_ && ::WaitForSingleObject(info_.hProcess, 0) == WAIT_TIMEOUT;
  }

 private:
  PROCESS_INFORMATION info_{};
  bool started_ = false;
};

// Polls done() every 50 ms until it holds or `seconds` have passed.
template <class Done>
bool WaitUntil(Done done, int seconds = 30) {
  for (int i = 0; i < seconds * 20 && !done(); ++i) ::Sleep(50);
  return done();
}

inline std::filesystem::path HoldOpenDll() {
  wchar_t self[MAX_PATH];
  ::GetModuleFileNameW(nullptr, self, MAX_PATH);
  return std::filesystem::path(self).parent_path() / L"hold_open.dll";
}

}  // namespace pindle::testing
